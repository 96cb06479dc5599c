// A private temporary directory for the generated volumes, removed with all
// it holds when the object goes: the largest volume alone is a gigabyte.
#pragma once

#include <string>

class ScratchDirectory {
 public:
  ScratchDirectory();  // under $TMPDIR or /tmp; path() is empty if it could not be made
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

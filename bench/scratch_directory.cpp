#include "scratch_directory.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory() {
  std::error_code failed;
  const fs::path base = fs::temp_directory_path(failed);
  if (failed) return;
  // mkdtemp: a fresh name of our own, so that runs side by side do not meet.
  std::string pattern = (base / "qarmel-first-frame-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  if (path_.empty()) return;
  std::error_code ignored;  // nothing more to do about a failure on the way out
  fs::remove_all(path_, ignored);
}

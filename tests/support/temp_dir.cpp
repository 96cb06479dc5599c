#include "temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qarmel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  const std::string full = File(name);
  std::FILE* file = std::fopen(full.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + full);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return full;
}

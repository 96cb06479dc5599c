#include "sibling_programs.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool Runnable(const fs::path& program, std::string& error) {
  if (access(program.c_str(), X_OK) == 0) return true;
  error = program.string() +
          " is missing (build it: cmake --build --preset release --target bench_first_frame)";
  return false;
}

}  // namespace

std::optional<SiblingPrograms> FindSiblingPrograms(std::string& error) {
  std::error_code failed;
  // argv[0] may be relative or a bare name found on PATH; the link is not.
  const fs::path self = fs::read_symlink("/proc/self/exe", failed);
  if (failed) {
    error = "cannot read /proc/self/exe: " + failed.message();
    return std::nullopt;
  }
  const fs::path buildTree = self.parent_path().parent_path();
  const fs::path shot = buildTree / "qarmel-shot", cubgen = buildTree / "tools" / "cubgen";
  if (!Runnable(shot, error) || !Runnable(cubgen, error)) return std::nullopt;
  return SiblingPrograms{shot.string(), cubgen.string()};
}

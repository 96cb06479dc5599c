#include "first_frame_inputs.h"

#include <cstdio>
#include <sstream>

#include "child_process.h"

namespace {

// The number on the "total" line of qarmel-shot --info ("  12345 total").
std::optional<std::uint64_t> TotalFaces(const std::string& info) {
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    unsigned long long total = 0;
    char word[8] = {};
    if (std::sscanf(line.c_str(), "%llu %7s", &total, word) == 2 && std::string(word) == "total")
      return total;
  }
  return std::nullopt;
}

std::string FileName(const FirstFrameVolume& volume) {
  return volume.shape + "-" + volume.size + ".cub";
}

}  // namespace

std::optional<PreparedVolume> PrepareVolume(const SiblingPrograms& programs,
                                            const FirstFrameVolume& volume,
                                            const std::string& directory, std::string& error) {
  const std::string path = directory + "/" + FileName(volume);
  const ChildRun made =
      RunChild({programs.cubgen, volume.shape, volume.size, path}, ChildOutput::kInherit);
  if (!made.succeeded) {
    error = "cubgen " + volume.shape + " " + volume.size + " " + made.failure;
    return std::nullopt;
  }
  // Counted without the table's extra options: every table divides by the
  // same faces, those of the volume, however the viewer draws them.
  const ChildRun info = RunChild({programs.shot, path, "--info"}, ChildOutput::kCapture);
  const std::optional<std::uint64_t> faces =
      info.succeeded ? TotalFaces(info.output) : std::nullopt;
  if (!faces) {
    error = "qarmel-shot --info on " + volume.label + ": " +
            (info.succeeded ? "no total line" : info.failure);
    return std::nullopt;
  }
  return PreparedVolume{&volume, path, *faces};
}

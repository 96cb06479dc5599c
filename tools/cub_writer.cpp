#include "cub_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(word >> shift));
}

}  // namespace

std::vector<std::uint8_t> EncodeCub(const CubVolume& volume) {
  std::vector<std::uint8_t> out;
  out.reserve(volume.voxels.size() + 64);
  PutTag(out, "CUB1");
  PutTag(out, "HEA1");
  PutWord(out, 24);
  for (std::uint32_t word : {volume.dimX, volume.dimY, volume.dimZ, 8u, 0u, 0u}) PutWord(out, word);
  PutTag(out, "DAT1");
  PutWord(out, static_cast<std::uint32_t>(volume.voxels.size()));
  const std::size_t start = out.size();
  out.resize(start + volume.voxels.size());
  if (!volume.voxels.empty())
    std::memcpy(out.data() + start, volume.voxels.data(), volume.voxels.size());
  PutTag(out, "ENDF");
  return out;
}

std::string WriteCubFile(const std::string& path, const CubVolume& volume) {
  const std::uint64_t expected = std::uint64_t{volume.dimX} * volume.dimY * volume.dimZ;
  if (expected != volume.voxels.size()) return "voxel count does not match the dimensions";
  if (expected > UINT32_MAX) return "volume too large for one DAT1 chunk (4 GiB)";
  const std::vector<std::uint8_t> bytes = EncodeCub(volume);
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return temporary + ": " + std::strerror(errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary.c_str());
    return path + ": " + reason;
  }
  return {};
}

#include "volume_source.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/common/regular_file.h"
#include "voxel/scan_file.h"
#include "voxel/scan_samples.h"

namespace {

// CUB's DAT1 size is a 32-bit count of bytes, one byte per voxel.
constexpr std::uint64_t kLargestVolume = 0xFFFFFFFFull;

std::string CheckSize(std::uint64_t x, std::uint64_t y, std::uint64_t z) {
  if (x == 0 || y == 0 || z == 0) return "the volume has no voxels";
  if (x > kLargestVolume || y > kLargestVolume || z > kLargestVolume || x * y > kLargestVolume ||
      x * y * z > kLargestVolume) {
    return "the volume is larger than a CUB file can hold (4 GiB of voxels)";
  }
  return {};
}

// The volume's buffer, or none when memory runs out.
bool Allocate(VoxelVolume& out, std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  out.dimX = x, out.dimY = y, out.dimZ = z;
  out.voxels.reset(static_cast<std::uint8_t*>(std::calloc(out.Count(), 1)));
  return out.voxels != nullptr;
}

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

// The viewer's reader, filling the volume cubconvert writes.
std::string ReadScan(const std::string& path, const VoxelRule& rule, VoxelVolume& out,
                     VolumeFacts& facts) {
  const ScanKind kind = ScanFileKind(path.c_str());
  if (kind == ScanKind::kNone) {
    // Why it is no scan: one that cannot be opened says so in its own words.
    std::string reason;
    const int fd = platform::OpenRegularFile(path.c_str(), reason);
    if (fd < 0) return "cannot open " + path + ": " + reason;
    close(fd);
    return path + " is not a NIfTI-1, NRRD or MetaImage file (a raw volume needs --raw)";
  }
  return ReadScanFile(
      path, kind, rule,
      [&out](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
        return Allocate(out, x, y, z) ? out.voxels.get() : nullptr;
      },
      facts);
}

std::string ReadRaw(const std::string& path, const RawLayout& layout, const VoxelRule& rule,
                    VoxelVolume& out, const std::function<void(double)>& progress) {
  if (std::string e = CheckSize(layout.dimX, layout.dimY, layout.dimZ); !e.empty())
    return path + ": " + e;
  const std::size_t bytesPerValue = layout.type == RawType::kU8    ? 1
                                    : layout.type == RawType::kF32 ? 4
                                                                   : 2;
  const std::uint64_t count = std::uint64_t{layout.dimX} * layout.dimY * layout.dimZ;
  std::string reason;
  const std::unique_ptr<std::FILE, CloseFile> file(
      platform::OpenRegularFileStream(path.c_str(), reason));
  if (!file) return "cannot open " + path + ": " + reason;
  struct stat status {};
  if (fstat(fileno(file.get()), &status) != 0)
    return "cannot read " + path + ": " + std::strerror(errno);
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (size != count * bytesPerValue) {
    return path + " holds " + std::to_string(size) + " bytes, the layout needs " +
           std::to_string(count * bytesPerValue);
  }
  if (!Allocate(out, layout.dimX, layout.dimY, layout.dimZ))
    return "not enough memory for the volume of " + path;
  std::vector<unsigned char> block(std::size_t{1} << 20);
  std::uint64_t done = 0;
  while (done < count) {
    const std::size_t values = static_cast<std::size_t>(
        std::min<std::uint64_t>(count - done, block.size() / bytesPerValue));
    if (std::fread(block.data(), bytesPerValue, values, file.get()) != values) {
      return std::ferror(file.get()) ? "cannot read " + path + ": " + std::strerror(errno)
                                     : path + " is cut short";
    }
    for (std::size_t i = 0; i < values; ++i) {
      const unsigned char* b = &block[i * bytesPerValue];
      std::uint32_t word = 0;
      for (std::size_t k = 0; k < bytesPerValue; ++k) {
        const std::size_t from = layout.bigEndian ? bytesPerValue - 1 - k : k;
        word |= std::uint32_t{b[from]} << (8 * k);
      }
      double v = 0;
      switch (layout.type) {
        case RawType::kU8:
          v = word;
          break;
        case RawType::kU16:
          v = static_cast<std::uint16_t>(word);
          break;
        case RawType::kI16:
          v = static_cast<std::int16_t>(word);
          break;
        case RawType::kF32: {
          float f;
          std::memcpy(&f, &word, sizeof f);
          v = f;
          break;
        }
      }
      TellScanValue(v);
      out.voxels.get()[done + i] = rule(v);
    }
    done += values;
    if (progress) progress(static_cast<double>(done) / static_cast<double>(count));
  }
  return {};
}

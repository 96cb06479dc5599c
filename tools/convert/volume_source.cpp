#include "volume_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "voxel/nifti_reader.h"

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

}  // namespace

// The viewer's reader, filling the volume cubconvert writes.
std::string ReadNifti(const std::string& path, const VoxelRule& rule, CubVolume& out) {
  return ::ReadNifti(path, rule, [&out](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    out.dimX = x, out.dimY = y, out.dimZ = z;
    out.voxels.assign(std::size_t{x} * y * z, 0);
    return out.voxels.data();
  });
}

std::string ReadRaw(const std::string& path, const RawLayout& layout, const VoxelRule& rule,
                    CubVolume& out, const std::function<void(double)>& progress) {
  if (std::string e = CheckSize(layout.dimX, layout.dimY, layout.dimZ); !e.empty()) return e;
  const std::size_t bytesPerValue = layout.type == RawType::kU8    ? 1
                                    : layout.type == RawType::kF32 ? 4
                                                                   : 2;
  const std::uint64_t count = std::uint64_t{layout.dimX} * layout.dimY * layout.dimZ;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return "cannot open " + path;
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::rewind(file);
  if (size < 0 || static_cast<std::uint64_t>(size) != count * bytesPerValue) {
    std::fclose(file);
    return path + " holds " + std::to_string(size) + " bytes, the layout needs " +
           std::to_string(count * bytesPerValue);
  }
  out.dimX = layout.dimX, out.dimY = layout.dimY, out.dimZ = layout.dimZ;
  out.voxels.assign(static_cast<std::size_t>(count), 0);
  std::vector<unsigned char> block(std::size_t{1} << 20);
  std::uint64_t done = 0;
  while (done < count) {
    const std::size_t values = static_cast<std::size_t>(
        std::min<std::uint64_t>(count - done, block.size() / bytesPerValue));
    if (std::fread(block.data(), bytesPerValue, values, file) != values) {
      std::fclose(file);
      return "cannot read " + path;
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
      out.voxels[static_cast<std::size_t>(done + i)] = rule(v);
    }
    done += values;
    if (progress) progress(static_cast<double>(done) / static_cast<double>(count));
  }
  std::fclose(file);
  return {};
}

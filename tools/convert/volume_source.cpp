#include "volume_source.h"

#include <nifti/nifti1_io.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <memory>

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

template <typename T>
void Classify(const void* data, std::size_t count, double slope, double intercept, const VoxelRule& rule,
              std::vector<std::uint8_t>& out) {
  const T* values = static_cast<const T*>(data);
  for (std::size_t i = 0; i < count; ++i) out[i] = rule(static_cast<double>(values[i]) * slope + intercept);
}

template <typename T>
T Field(const unsigned char* header, std::size_t at, bool swapped) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, header + at, sizeof bytes);
  if (swapped) std::reverse(bytes, bytes + sizeof bytes);
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// The library is lenient with damaged files (a wrong header size, voxel
// data cut short): check the header and the file's length first.
std::string CheckNiftiFile(const std::string& path) {
  gzFile gz = gzopen(path.c_str(), "rb");
  if (!gz) return "cannot open " + path;
  unsigned char header[348];
  const int got = gzread(gz, header, sizeof header);
  gzclose(gz);
  if (got != static_cast<int>(sizeof header)) return "not a NIfTI-1 file (too short): " + path;
  const bool swapped = Field<std::int32_t>(header, 0, false) != 348;
  if (Field<std::int32_t>(header, 0, swapped) != 348) return "not a NIfTI-1 file (wrong header size): " + path;
  if (std::memcmp(header + 344, "n+1", 4) != 0) return "not a single-file NIfTI-1 (.nii) file: " + path;
  const int rank = Field<std::int16_t>(header, 40, swapped);
  if (rank < 1 || rank > 7) return "bad dimensions in " + path;
  std::uint64_t values = 1;
  for (int d = 1; d <= rank; ++d) {
    const std::int16_t n = Field<std::int16_t>(header, 40 + 2 * d, swapped);
    if (n < 1) return "bad dimensions in " + path;
    values *= static_cast<std::uint64_t>(n);
  }
  const int bitpix = Field<std::int16_t>(header, 72, swapped);
  const float offset = Field<float>(header, 108, swapped);
  if (bitpix < 8 || !(offset >= 348) || offset > 1e12f) return "bad header in " + path;
  const std::uint64_t needed = static_cast<std::uint64_t>(offset) + values * static_cast<std::uint64_t>(bitpix / 8);

  // What the file holds: its size, or for gzip the size its trailer states
  // (modulo 4 GiB).
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return "cannot open " + path;
  unsigned char magic[2] = {0, 0};
  const bool gzipped = std::fread(magic, 1, 2, file) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
  std::fseek(file, gzipped ? -4 : 0, SEEK_END);
  std::uint64_t holds = 0;
  if (gzipped) {
    unsigned char size[4] = {0, 0, 0, 0};
    if (std::fread(size, 1, 4, file) == 4) holds = Field<std::uint32_t>(size, 0, false);
  } else {
    holds = static_cast<std::uint64_t>(std::ftell(file));
  }
  std::fclose(file);
  const bool enough = gzipped && needed > 0xFFFFFFFFull ? true : holds >= (gzipped ? needed & 0xFFFFFFFFull : needed);
  if (!enough) return "the voxel data of " + path + " is cut short";
  return {};
}

}  // namespace

std::string ReadNifti(const std::string& path, const VoxelRule& rule, CubVolume& out) {
  if (std::string e = CheckNiftiFile(path); !e.empty()) return e;
  nifti_set_debug_level(0);
  std::unique_ptr<nifti_image, void (*)(nifti_image*)> image(nifti_image_read(path.c_str(), 1), nifti_image_free);
  if (!image) return "not a readable NIfTI-1 file: " + path;
  if (!image->data) return "no voxel data in " + path;
  const std::uint64_t nx = image->nx > 0 ? image->nx : 0, ny = image->ny > 0 ? image->ny : 1,
                      nz = image->nz > 0 ? image->nz : 1;
  if (std::string e = CheckSize(nx, ny, nz); !e.empty()) return e;
  if (image->nvox < nx * ny * nz) return "the header's dimensions do not match its voxel count";
  out.dimX = static_cast<std::uint32_t>(nx);
  out.dimY = static_cast<std::uint32_t>(ny);
  out.dimZ = static_cast<std::uint32_t>(nz);
  const std::size_t count = static_cast<std::size_t>(nx * ny * nz);  // the first volume of a series
  out.voxels.assign(count, 0);
  // The stored values scale to real ones when a slope is given.
  const double slope = image->scl_slope != 0.0f ? image->scl_slope : 1.0;
  const double intercept = image->scl_slope != 0.0f ? image->scl_inter : 0.0;
  auto& v = out.voxels;
  switch (image->datatype) {
    case DT_UINT8: Classify<std::uint8_t>(image->data, count, slope, intercept, rule, v); break;
    case DT_INT8: Classify<std::int8_t>(image->data, count, slope, intercept, rule, v); break;
    case DT_INT16: Classify<std::int16_t>(image->data, count, slope, intercept, rule, v); break;
    case DT_UINT16: Classify<std::uint16_t>(image->data, count, slope, intercept, rule, v); break;
    case DT_INT32: Classify<std::int32_t>(image->data, count, slope, intercept, rule, v); break;
    case DT_UINT32: Classify<std::uint32_t>(image->data, count, slope, intercept, rule, v); break;
    case DT_FLOAT32: Classify<float>(image->data, count, slope, intercept, rule, v); break;
    case DT_FLOAT64: Classify<double>(image->data, count, slope, intercept, rule, v); break;
    default: return "unsupported NIfTI data type " + std::to_string(image->datatype);
  }
  return {};
}

std::string ReadRaw(const std::string& path, const RawLayout& layout, const VoxelRule& rule, CubVolume& out,
                    const std::function<void(double)>& progress) {
  if (std::string e = CheckSize(layout.dimX, layout.dimY, layout.dimZ); !e.empty()) return e;
  const std::size_t bytesPerValue = layout.type == RawType::kU8 ? 1 : layout.type == RawType::kF32 ? 4 : 2;
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
    const std::size_t values = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, block.size() / bytesPerValue));
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
        case RawType::kU8: v = word; break;
        case RawType::kU16: v = static_cast<std::uint16_t>(word); break;
        case RawType::kI16: v = static_cast<std::int16_t>(word); break;
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

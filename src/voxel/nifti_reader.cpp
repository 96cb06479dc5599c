#include "voxel/nifti_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace {

constexpr std::size_t kHeaderBytes = 348;
// One byte per voxel in a buffer a CUB file's 32-bit DAT1 size can hold,
// so that whatever the viewer shows, cubconvert can write.
constexpr std::uint64_t kLargestVolume = 0xFFFFFFFFull;
// Blocks of stored values are read and turned into voxels a MiB at a time.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// The data type codes of NIfTI-1 this reader turns into voxels.
enum : int {
  kUint8 = 2,
  kInt16 = 4,
  kInt32 = 8,
  kFloat32 = 16,
  kFloat64 = 64,
  kInt8 = 256,
  kUint16 = 512,
  kUint32 = 768
};

// Every type code the format defines, the complex, RGB and 64-bit ones
// included: those are refused as unsupported, other codes as unreadable.
bool IsDefinedType(int datatype) {
  switch (datatype) {
    case kUint8:
    case kInt16:
    case kInt32:
    case kFloat32:
    case kFloat64:
    case kInt8:
    case kUint16:
    case kUint32:
    case 32:
    case 128:
    case 1024:
    case 1280:
    case 1536:
    case 1792:
    case 2048:
    case 2304:
      return true;
    default:
      return false;
  }
}

template <typename T>
T Field(const unsigned char* bytes, std::size_t at, bool swapped) {
  unsigned char copy[sizeof(T)];
  std::memcpy(copy, bytes + at, sizeof copy);
  if (swapped) std::reverse(copy, copy + sizeof copy);
  T value;
  std::memcpy(&value, copy, sizeof value);
  return value;
}

// What the file system says about a regular file: its length and, for a
// gzipped one, the length its trailer states (modulo 2^32).
struct FileFacts {
  std::uint64_t size = 0;
  bool gzipped = false;
  std::uint32_t trailerSize = 0;
};

// Only regular files: a pipe read here would be empty for the CUB reader
// that gets it next, and a directory holds nothing to read.
int OpenRegularFile(const char* path, FileFacts& facts) {
  const int fd = path ? open(path, O_RDONLY | O_CLOEXEC) : -1;
  if (fd < 0) return -1;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return -1;
  }
  facts.size = static_cast<std::uint64_t>(status.st_size);
  unsigned char magic[2] = {0, 0};
  facts.gzipped = pread(fd, magic, 2, 0) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
  unsigned char trailer[4] = {0, 0, 0, 0};
  if (facts.gzipped && facts.size >= 4 &&
      pread(fd, trailer, 4, static_cast<off_t>(facts.size - 4)) == 4) {
    facts.trailerSize = Field<std::uint32_t>(trailer, 0, false);
  }
  return fd;
}

// zlib reads a file without the gzip magic as it is, so one stream serves
// plain and gzipped files alike. It owns the descriptor.
using GzStream = std::unique_ptr<gzFile_s, int (*)(gzFile)>;

GzStream OpenStream(int fd) {
  gzFile stream = gzdopen(fd, "rb");
  if (!stream) close(fd);
  return GzStream(stream, gzclose);
}

bool ReadExactly(gzFile stream, void* out, std::size_t count) {
  return gzread(stream, out, static_cast<unsigned>(count)) == static_cast<int>(count);
}

bool IsHeader(const unsigned char* header) {
  const bool sized =
      Field<std::int32_t>(header, 0, false) == 348 || Field<std::int32_t>(header, 0, true) == 348;
  return sized &&
         (std::memcmp(header + 344, "n+1", 4) == 0 || std::memcmp(header + 344, "ni1", 4) == 0);
}

// The header fields the reader uses, in the machine's byte order.
struct Header {
  bool swapped = false;
  int rank = 0;
  std::int16_t dims[8] = {};
  int datatype = 0;
  int bitpix = 0;
  float offset = 0;
  double slope = 1, intercept = 0;
};

// The checks cubconvert made before it read through the NIfTI C library,
// in the same order and with the same texts.
std::string CheckHeader(const unsigned char* bytes, const FileFacts& facts, const std::string& path,
                        Header& header) {
  header.swapped = Field<std::int32_t>(bytes, 0, false) != 348;
  if (Field<std::int32_t>(bytes, 0, header.swapped) != 348)
    return "not a NIfTI-1 file (wrong header size): " + path;
  if (std::memcmp(bytes + 344, "n+1", 4) != 0)
    return "not a single-file NIfTI-1 (.nii) file: " + path;
  header.rank = Field<std::int16_t>(bytes, 40, header.swapped);
  if (header.rank < 1 || header.rank > 7) return "bad dimensions in " + path;
  // Seven dimensions of up to 32767 overflow 64 bits: no file holds that
  // many values, though a gzip trailer (modulo 4 GiB) cannot say so.
  std::uint64_t values = 1;
  bool huge = false;
  for (int d = 1; d <= header.rank; ++d) {
    header.dims[d] = Field<std::int16_t>(bytes, 40 + 2 * d, header.swapped);
    if (header.dims[d] < 1) return "bad dimensions in " + path;
    huge =
        huge || __builtin_mul_overflow(values, static_cast<std::uint64_t>(header.dims[d]), &values);
  }
  header.datatype = Field<std::int16_t>(bytes, 70, header.swapped);
  header.bitpix = Field<std::int16_t>(bytes, 72, header.swapped);
  header.offset = Field<float>(bytes, 108, header.swapped);
  if (header.bitpix < 8 || !(header.offset >= 348) || header.offset > 1e12f)
    return "bad header in " + path;
  std::uint64_t needed = 0;
  huge = huge ||
         __builtin_mul_overflow(values, static_cast<std::uint64_t>(header.bitpix / 8), &needed) ||
         __builtin_add_overflow(needed, static_cast<std::uint64_t>(header.offset), &needed);
  // A gzip trailer states the length modulo 4 GiB: beyond that it cannot
  // tell, and the read finds out.
  const bool enough = facts.gzipped ? huge || needed > 0xFFFFFFFFull || facts.trailerSize >= needed
                                    : !huge && facts.size >= needed;
  if (!enough) return "the voxel data of " + path + " is cut short";
  // The slope scales only when it is a number other than 0; a value that
  // is not finite counts as 0, as the NIfTI C library reads it.
  const float slope = Field<float>(bytes, 112, header.swapped);
  const float intercept = Field<float>(bytes, 116, header.swapped);
  if (std::isfinite(slope) && slope != 0) {
    header.slope = slope;
    header.intercept = std::isfinite(intercept) ? intercept : 0;
  }
  return {};
}

// Stored values of type T to voxels. Types of one or two bytes go through
// a table of every stored value's voxel, computed once with the same
// arithmetic, so the rule runs 64 Ki times at most instead of once a voxel.
template <typename T>
class Classifier {
 public:
  Classifier(const Header& header, const NiftiVoxelRule& rule) : header_(header), rule_(rule) {
    if constexpr (sizeof(T) <= 2) {
      table_.resize(std::size_t{1} << (8 * sizeof(T)));
      for (std::size_t pattern = 0; pattern < table_.size(); ++pattern) {
        table_[pattern] = Classify(static_cast<T>(pattern));
      }
    }
  }

  void operator()(const unsigned char* stored, std::size_t count, unsigned char* out) const {
    for (std::size_t i = 0; i < count; ++i) {
      const T value = Field<T>(stored, i * sizeof(T), header_.swapped);
      if constexpr (sizeof(T) <= 2) {
        using Pattern = std::conditional_t<sizeof(T) == 1, std::uint8_t, std::uint16_t>;
        Pattern pattern;
        std::memcpy(&pattern, &value, sizeof pattern);
        out[i] = table_[pattern];
      } else {
        out[i] = Classify(value);
      }
    }
  }

 private:
  std::uint8_t Classify(T value) const {
    // Stored values that are not finite count as 0, as the NIfTI C library
    // reads them.
    if constexpr (std::is_floating_point_v<T>) {
      if (!std::isfinite(value)) value = 0;
    }
    return rule_(static_cast<double>(value) * header_.slope + header_.intercept);
  }

  const Header& header_;
  const NiftiVoxelRule& rule_;
  std::vector<std::uint8_t> table_;
};

template <typename T>
std::string ReadVoxels(gzFile stream, const Header& header, const NiftiVoxelRule& rule,
                       std::uint64_t count, unsigned char* out, const std::string& path) {
  const Classifier<T> classify(header, rule);
  std::vector<unsigned char> block(kBlockBytes);
  const std::uint64_t perBlock = kBlockBytes / sizeof(T);
  for (std::uint64_t done = 0; done < count;) {
    const std::size_t values = static_cast<std::size_t>(std::min(count - done, perBlock));
    if (!ReadExactly(stream, block.data(), values * sizeof(T))) {
      return "the voxel data of " + path + " is cut short";
    }
    classify(block.data(), values, out + done);
    done += values;
  }
  return {};
}

}  // namespace

bool IsNiftiFile(const char* path) {
  FileFacts facts;
  const int fd = OpenRegularFile(path, facts);
  if (fd < 0) return false;
  const GzStream stream = OpenStream(fd);
  unsigned char header[kHeaderBytes];
  return stream && ReadExactly(stream.get(), header, sizeof header) && IsHeader(header);
}

std::string ReadNifti(const std::string& path, const NiftiVoxelRule& rule,
                      const NiftiVoxelBuffer& buffer) {
  FileFacts facts;
  const int fd = OpenRegularFile(path.c_str(), facts);
  if (fd < 0) return "cannot open " + path;
  const GzStream stream = OpenStream(fd);
  if (!stream) return "cannot open " + path;
  unsigned char bytes[kHeaderBytes];
  if (!ReadExactly(stream.get(), bytes, sizeof bytes))
    return "not a NIfTI-1 file (too short): " + path;
  Header header;
  if (std::string e = CheckHeader(bytes, facts, path, header); !e.empty()) return e;
  if (!IsDefinedType(header.datatype)) return "not a readable NIfTI-1 file: " + path;

  // The first volume of a series; dimensions beyond the rank count as 1.
  const std::uint64_t nx = static_cast<std::uint64_t>(header.dims[1]);
  const std::uint64_t ny = header.rank >= 2 ? static_cast<std::uint64_t>(header.dims[2]) : 1;
  const std::uint64_t nz = header.rank >= 3 ? static_cast<std::uint64_t>(header.dims[3]) : 1;
  const std::uint64_t count = nx * ny * nz;  // each below 2^15: no overflow
  if (count > kLargestVolume)
    return "the volume is larger than a CUB file can hold (4 GiB of voxels)";

  using Reader = std::string (*)(gzFile, const Header&, const NiftiVoxelRule&, std::uint64_t,
                                 unsigned char*, const std::string&);
  Reader read = nullptr;
  switch (header.datatype) {
    case kUint8:
      read = ReadVoxels<std::uint8_t>;
      break;
    case kInt8:
      read = ReadVoxels<std::int8_t>;
      break;
    case kInt16:
      read = ReadVoxels<std::int16_t>;
      break;
    case kUint16:
      read = ReadVoxels<std::uint16_t>;
      break;
    case kInt32:
      read = ReadVoxels<std::int32_t>;
      break;
    case kUint32:
      read = ReadVoxels<std::uint32_t>;
      break;
    case kFloat32:
      read = ReadVoxels<float>;
      break;
    case kFloat64:
      read = ReadVoxels<double>;
      break;
    default:
      return "unsupported NIfTI data type " + std::to_string(header.datatype);
  }
  unsigned char* voxels = buffer(static_cast<std::uint32_t>(nx), static_cast<std::uint32_t>(ny),
                                 static_cast<std::uint32_t>(nz));
  if (!voxels) return "not enough memory for the volume of " + path;
  const auto offset = static_cast<z_off_t>(header.offset);
  if (gzseek(stream.get(), offset, SEEK_SET) != offset)
    return "the voxel data of " + path + " is cut short";
  return read(stream.get(), header, rule, count, voxels, path);
}

std::uint8_t KeptVoxelValue(double value) {
  const double rounded = std::round(value);
  if (!(rounded >= 1)) return 1;
  return static_cast<std::uint8_t>(rounded > 255 ? 255 : rounded);
}

std::uint8_t NonZeroLabel(double value) { return value != 0 ? KeptVoxelValue(value) : 0; }

VOXSPACE* LoadNifti(const char* path, std::string& reason) {
  VOXSPACE* volume = nullptr;
  reason =
      ReadNifti(path ? path : "", NonZeroLabel,
                [&volume](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
                  volume = InitVoxSpace(x, y, z, 8);
                  return volume ? volume->data : nullptr;
                });
  if (reason.empty()) return volume;
  FreeVoxSpace(volume);
  return nullptr;
}

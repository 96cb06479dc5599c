#include "voxel/nifti_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

#include "voxel/nifti_header.h"

namespace {

using nifti::kNifti1;

// One byte per voxel in a buffer a CUB file's 32-bit DAT1 size can hold,
// so that whatever the viewer shows, cubconvert can write.
constexpr std::uint64_t kLargestVolume = std::numeric_limits<std::uint32_t>::max();
// Blocks of stored values are read and turned into voxels a MiB at a time.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// A data offset beyond this marks a damaged header; one up to it becomes
// a file position without overflow.
constexpr float kFarthestDataOffset = 1e12f;

// A gzipped file starts with these two bytes and ends with the length of
// what it holds, modulo 2^32, as a 32-bit little-endian word.
constexpr unsigned char kGzipMagic[2] = {0x1F, 0x8B};
using GzipTrailer = std::uint32_t;

template <typename T>
T Field(const unsigned char* bytes, std::size_t at, bool swapped) {
  unsigned char copy[sizeof(T)];
  std::memcpy(copy, bytes + at, sizeof copy);
  if (swapped) std::reverse(copy, copy + sizeof copy);
  T value;
  std::memcpy(&value, copy, sizeof value);
  return value;
}

template <typename T>
T Field(const unsigned char* bytes, nifti::HeaderField<T> field, bool swapped,
        std::size_t index = 0) {
  return Field<T>(bytes, field.offset + index * sizeof(T), swapped);
}

// What the file system says about a regular file: its length and, for a
// gzipped one, the length its trailer states (modulo 2^32).
struct FileFacts {
  std::uint64_t size = 0;
  bool gzipped = false;
  GzipTrailer trailerSize = 0;
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
  unsigned char magic[sizeof kGzipMagic] = {};
  facts.gzipped = pread(fd, magic, sizeof magic, 0) == sizeof magic &&
                  std::memcmp(magic, kGzipMagic, sizeof magic) == 0;
  unsigned char trailer[sizeof(GzipTrailer)] = {};
  if (facts.gzipped && facts.size >= sizeof trailer &&
      pread(fd, trailer, sizeof trailer, static_cast<off_t>(facts.size - sizeof trailer)) ==
          sizeof trailer) {
    facts.trailerSize = Field<GzipTrailer>(trailer, 0, false);
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

// True when sizeof_hdr, read in the given byte order, is the header's length.
bool StatesHeaderSize(const unsigned char* header, bool swapped) {
  return Field(header, kNifti1.sizeofHdr, swapped) == static_cast<std::int32_t>(kNifti1.bytes);
}

template <std::size_t N>
bool HasMagic(const unsigned char* header, const char (&magic)[N]) {
  return std::memcmp(header + kNifti1.magic, magic, sizeof magic) == 0;
}

bool IsHeader(const unsigned char* header) {
  const bool sized = StatesHeaderSize(header, false) || StatesHeaderSize(header, true);
  return sized && (HasMagic(header, nifti::kSingleFileMagic) ||
                   HasMagic(header, nifti::kSeparateHeaderMagic));
}

// The header fields the reader uses, in the machine's byte order.
struct Header {
  bool swapped = false;
  int rank = 0;
  decltype(kNifti1.dim)::Type dims[nifti::kMaxRank + 1] = {};
  int datatype = 0;
  int bitpix = 0;
  float offset = 0;
  double slope = 1, intercept = 0;
};

// The header's size and magic, the dimensions, the value width and data
// offset, then whether the file is long enough for them: each check relies
// on those before it, and the first that fails gives its reason.
std::string CheckHeader(const unsigned char* bytes, const FileFacts& facts, const std::string& path,
                        Header& header) {
  header.swapped = !StatesHeaderSize(bytes, false);
  if (!StatesHeaderSize(bytes, header.swapped))
    return "not a NIfTI-1 file (wrong header size): " + path;
  if (!HasMagic(bytes, nifti::kSingleFileMagic))
    return "not a single-file NIfTI-1 (.nii) file: " + path;
  header.rank = Field(bytes, kNifti1.dim, header.swapped);
  if (header.rank < 1 || header.rank > nifti::kMaxRank) return "bad dimensions in " + path;
  // Seven dimensions of up to 32767 overflow 64 bits: no file holds that
  // many values, though a gzip trailer (modulo 4 GiB) cannot say so.
  std::uint64_t values = 1;
  bool huge = false;
  for (int d = 1; d <= header.rank; ++d) {
    header.dims[d] = Field(bytes, kNifti1.dim, header.swapped, d);
    if (header.dims[d] < 1) return "bad dimensions in " + path;
    huge =
        huge || __builtin_mul_overflow(values, static_cast<std::uint64_t>(header.dims[d]), &values);
  }
  header.datatype = Field(bytes, kNifti1.datatype, header.swapped);
  header.bitpix = Field(bytes, kNifti1.bitpix, header.swapped);
  header.offset = Field(bytes, kNifti1.voxOffset, header.swapped);
  // Values of whole bytes only, and voxel data after the header.
  if (header.bitpix < CHAR_BIT || !(header.offset >= kNifti1.bytes) ||
      header.offset > kFarthestDataOffset)
    return "bad header in " + path;
  std::uint64_t needed = 0;
  huge = huge ||
         __builtin_mul_overflow(values, static_cast<std::uint64_t>(header.bitpix / CHAR_BIT),
                                &needed) ||
         __builtin_add_overflow(needed, static_cast<std::uint64_t>(header.offset), &needed);
  // A gzip trailer states the length modulo 4 GiB: beyond that it cannot
  // tell, and the read finds out.
  const bool enough = facts.gzipped ? huge || needed > std::numeric_limits<GzipTrailer>::max() ||
                                          facts.trailerSize >= needed
                                    : !huge && facts.size >= needed;
  if (!enough) return "the voxel data of " + path + " is cut short";
  // The slope scales only when it is a number other than 0; a value that
  // is not finite counts as 0, as the NIfTI C library reads it.
  const float slope = Field(bytes, kNifti1.sclSlope, header.swapped);
  const float intercept = Field(bytes, kNifti1.sclInter, header.swapped);
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
  unsigned char header[kNifti1.bytes];
  return stream && ReadExactly(stream.get(), header, sizeof header) && IsHeader(header);
}

std::string ReadNifti(const std::string& path, const NiftiVoxelRule& rule,
                      const NiftiVoxelBuffer& buffer) {
  FileFacts facts;
  const int fd = OpenRegularFile(path.c_str(), facts);
  if (fd < 0) return "cannot open " + path;
  const GzStream stream = OpenStream(fd);
  if (!stream) return "cannot open " + path;
  unsigned char bytes[kNifti1.bytes];
  if (!ReadExactly(stream.get(), bytes, sizeof bytes))
    return "not a NIfTI-1 file (too short): " + path;
  Header header;
  if (std::string e = CheckHeader(bytes, facts, path, header); !e.empty()) return e;
  // A code the format does not define marks a damaged file; a defined one
  // without a reader below is refused as unsupported.
  if (!nifti::IsDefinedType(header.datatype)) return "not a readable NIfTI-1 file: " + path;

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
    case nifti::kUint8:
      read = ReadVoxels<std::uint8_t>;
      break;
    case nifti::kInt8:
      read = ReadVoxels<std::int8_t>;
      break;
    case nifti::kInt16:
      read = ReadVoxels<std::int16_t>;
      break;
    case nifti::kUint16:
      read = ReadVoxels<std::uint16_t>;
      break;
    case nifti::kInt32:
      read = ReadVoxels<std::int32_t>;
      break;
    case nifti::kUint32:
      read = ReadVoxels<std::uint32_t>;
      break;
    case nifti::kFloat32:
      read = ReadVoxels<float>;
      break;
    case nifti::kFloat64:
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

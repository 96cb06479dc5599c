#include "voxel/nifti_reader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/common/regular_file.h"
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

// Recognising a file reads its header through a buffer this small.
constexpr unsigned kSniffBuffer = 64;
// A gzipped file starts with these two bytes.
constexpr unsigned char kGzipMagic[2] = {0x1F, 0x8B};
// Deflate spends at least two bits on a run of 258 bytes, so no gzip file
// inflates to more than 1032 times its length, however many members it
// has and whatever their length words say: a header that claims more is
// refused before any memory is taken or any byte inflated.
constexpr std::uint64_t kDeflateMostRatio = 1032;

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

// The file's length and whether it is gzipped.
struct FileFacts {
  std::uint64_t size = 0;
  bool gzipped = false;
};

// Only regular files, opened without blocking (a FIFO would wait for a
// writer); -1 with the system's reason otherwise.
int OpenInput(const char* path, FileFacts& facts, std::string& reason) {
  const int fd = platform::OpenRegularFile(path, reason);
  if (fd < 0) return -1;
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    reason = std::strerror(errno);
    close(fd);
    return -1;
  }
  facts.size = static_cast<std::uint64_t>(status.st_size);
  unsigned char magic[sizeof kGzipMagic] = {};
  facts.gzipped = pread(fd, magic, sizeof magic, 0) == sizeof magic &&
                  std::memcmp(magic, kGzipMagic, sizeof magic) == 0;
  return fd;
}

// zlib reads a file without the gzip magic as it is, so one stream serves
// plain and gzipped files alike, and reads concatenated gzip members as
// one. It owns the descriptor.
using GzStream = std::unique_ptr<gzFile_s, int (*)(gzFile)>;

GzStream OpenStream(int fd) {
  gzFile stream = gzdopen(fd, "rb");
  if (!stream) close(fd);
  return GzStream(stream, gzclose);
}

bool ReadExactly(gzFile stream, void* out, std::size_t count) {
  return gzread(stream, out, static_cast<unsigned>(count)) == static_cast<int>(count);
}

// Why a read came up short: a damaged stream (zlib's words, with the
// trailer's two checks named), a read error, or else the end of the data,
// which `cutShort` describes.
std::string ReadFailure(gzFile stream, const std::string& path, const std::string& cutShort) {
  int code = Z_OK;
  const char* message = gzerror(stream, &code);
  std::string said = message ? message : "";
  // zlib names the stream "<fd:N>": the path is named here instead.
  if (said.rfind("<fd:", 0) == 0 && said.find(">: ") != std::string::npos)
    said.erase(0, said.find(">: ") + 3);
  switch (code) {
    case Z_DATA_ERROR:
      if (said == "incorrect data check")
        return path + " is damaged: CRC does not match the data (" + said + ")";
      if (said == "incorrect length check")
        return path + " is damaged: gzip length word does not match the data (" + said + ")";
      return path + " is damaged: " + said;
    case Z_ERRNO:
      return "cannot read " + path + ": " + said;
    case Z_MEM_ERROR:
      return "not enough memory to read " + path;
    default:  // Z_OK at the end of the data, Z_BUF_ERROR when a gzip stream stops early
      return cutShort;
  }
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

// A NIfTI-2 header's size and magic, in the first `count` bytes.
bool IsNifti2Header(const unsigned char* bytes, std::size_t count) {
  if (count < nifti::kNifti2.magic + sizeof nifti::kNifti2SingleFileMagic) return false;
  const auto size = static_cast<std::int32_t>(nifti::kNifti2.bytes);
  const bool sized = Field<std::int32_t>(bytes, nifti::kNifti2.sizeofHdr, false) == size ||
                     Field<std::int32_t>(bytes, nifti::kNifti2.sizeofHdr, true) == size;
  const unsigned char* magic = bytes + nifti::kNifti2.magic;
  return sized && (std::memcmp(magic, nifti::kNifti2SingleFileMagic, 4) == 0 ||
                   std::memcmp(magic, nifti::kNifti2SeparateHeaderMagic, 4) == 0);
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
// offset: each check relies on those before it, and the first that fails
// gives its reason.
std::string CheckHeader(const unsigned char* bytes, const std::string& path, Header& header) {
  header.swapped = !StatesHeaderSize(bytes, false);
  if (!StatesHeaderSize(bytes, header.swapped))
    return "not a NIfTI-1 file (wrong header size): " + path;
  if (!HasMagic(bytes, nifti::kSingleFileMagic))
    return "not a single-file NIfTI-1 (.nii) file: " + path;
  header.rank = Field(bytes, kNifti1.dim, header.swapped);
  if (header.rank < 1 || header.rank > nifti::kMaxRank) return "bad dimensions in " + path;
  for (int d = 1; d <= header.rank; ++d) {
    header.dims[d] = Field(bytes, kNifti1.dim, header.swapped, d);
    if (header.dims[d] < 1) return "bad dimensions in " + path;
  }
  header.datatype = Field(bytes, kNifti1.datatype, header.swapped);
  header.bitpix = Field(bytes, kNifti1.bitpix, header.swapped);
  header.offset = Field(bytes, kNifti1.voxOffset, header.swapped);
  // Values of whole bytes only, and voxel data after the header.
  if (header.bitpix < CHAR_BIT || !(header.offset >= kNifti1.bytes) ||
      header.offset > kFarthestDataOffset)
    return "bad header in " + path;
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

// Whether the file can hold the data offset and every value of the series,
// `width` bytes each: a plain file by its length, a gzipped one by the most
// its length can inflate to.
std::string CheckLength(const Header& header, std::size_t width, const FileFacts& facts,
                        const std::string& path) {
  // Seven dimensions of up to 32767 overflow 64 bits: no file holds that.
  std::uint64_t needed = width;
  bool huge = false;
  for (int d = 1; d <= header.rank; ++d)
    huge =
        huge || __builtin_mul_overflow(needed, static_cast<std::uint64_t>(header.dims[d]), &needed);
  huge = huge || __builtin_add_overflow(needed, static_cast<std::uint64_t>(header.offset), &needed);
  if (!facts.gzipped) {
    if (huge || facts.size < needed) return "the voxel data of " + path + " is cut short";
    return {};
  }
  std::uint64_t most = 0;
  if (__builtin_mul_overflow(facts.size, kDeflateMostRatio, &most))
    most = std::numeric_limits<std::uint64_t>::max();
  if (huge || needed > most) {
    return "the header of " + path + " claims " +
           (huge ? std::string("more than 2^64") : std::to_string(needed)) +
           " bytes, more than its " + std::to_string(facts.size) + " gzipped bytes can hold";
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
    if (!ReadExactly(stream, block.data(), values * sizeof(T)))
      return ReadFailure(stream, path, "the voxel data of " + path + " is cut short");
    classify(block.data(), values, out + done);
    done += values;
  }
  // zlib checks a member's CRC and length once it reaches its end, which
  // the last value may not quite do: one more byte lets a damaged trailer
  // speak. Data that follows (the next volume of a series) is left unread.
  unsigned char next = 0;
  if (gzread(stream, &next, 1) < 0) return ReadFailure(stream, path, {});
  return {};
}

using Reader = std::string (*)(gzFile, const Header&, const NiftiVoxelRule&, std::uint64_t,
                               unsigned char*, const std::string&);

// The reader of a data type and the width of its values, or none.
std::pair<Reader, std::size_t> ReaderFor(int datatype) {
  switch (datatype) {
    case nifti::kUint8:
      return {ReadVoxels<std::uint8_t>, 1};
    case nifti::kInt8:
      return {ReadVoxels<std::int8_t>, 1};
    case nifti::kInt16:
      return {ReadVoxels<std::int16_t>, 2};
    case nifti::kUint16:
      return {ReadVoxels<std::uint16_t>, 2};
    case nifti::kInt32:
      return {ReadVoxels<std::int32_t>, 4};
    case nifti::kUint32:
      return {ReadVoxels<std::uint32_t>, 4};
    case nifti::kFloat32:
      return {ReadVoxels<float>, 4};
    case nifti::kFloat64:
      return {ReadVoxels<double>, 8};
    default:
      return {nullptr, 0};
  }
}

std::string ReadOpenNifti(gzFile stream, const FileFacts& facts, const std::string& path,
                          const NiftiVoxelRule& rule, const NiftiVoxelBuffer& buffer) {
  unsigned char bytes[kNifti1.bytes];
  const int got = gzread(stream, bytes, sizeof bytes);
  if (got < 0) return ReadFailure(stream, path, {});
  if (IsNifti2Header(bytes, static_cast<std::size_t>(got)))
    return "NIfTI-2 is not supported: " + path;
  if (got != static_cast<int>(sizeof bytes)) {
    return ReadFailure(stream, path, "not a NIfTI-1 file (too short): " + path);
  }
  Header header;
  if (std::string e = CheckHeader(bytes, path, header); !e.empty()) return e;
  // A code the format does not define marks a damaged file; a defined one
  // without a reader below is refused as unsupported.
  if (!nifti::IsDefinedType(header.datatype)) return "not a readable NIfTI-1 file: " + path;
  const auto [read, width] = ReaderFor(header.datatype);
  if (!read)
    return "unsupported NIfTI data type " + std::to_string(header.datatype) + " in " + path;

  // The first volume of a series; dimensions beyond the rank count as 1.
  const std::uint64_t nx = static_cast<std::uint64_t>(header.dims[1]);
  const std::uint64_t ny = header.rank >= 2 ? static_cast<std::uint64_t>(header.dims[2]) : 1;
  const std::uint64_t nz = header.rank >= 3 ? static_cast<std::uint64_t>(header.dims[3]) : 1;
  const std::uint64_t count = nx * ny * nz;  // each below 2^15: no overflow
  if (count > kLargestVolume) {
    return "the volume of " + path + " is larger than a CUB file can hold (4 GiB of voxels)";
  }
  if (std::string e = CheckLength(header, width, facts, path); !e.empty()) return e;

  unsigned char* voxels = buffer(static_cast<std::uint32_t>(nx), static_cast<std::uint32_t>(ny),
                                 static_cast<std::uint32_t>(nz));
  if (!voxels) return "not enough memory for the volume of " + path;
  // In a gzipped file the seek inflates up to the data: the length check
  // above bounds that work.
  const auto offset = static_cast<z_off_t>(header.offset);
  if (gzseek(stream, offset, SEEK_SET) != offset)
    return ReadFailure(stream, path, "the voxel data of " + path + " is cut short");
  return read(stream, header, rule, count, voxels, path);
}

}  // namespace

NiftiKind NiftiFileKind(const char* path) {
  FileFacts facts;
  std::string reason;
  const int fd = OpenInput(path, facts, reason);
  if (fd < 0) return NiftiKind::kNone;
  const GzStream stream = OpenStream(fd);
  if (!stream) return NiftiKind::kNone;
  // zlib inflates its first read into a buffer of twice this size and the
  // rest of the header straight into ours, so a small file's trailer is
  // not checked yet: one whose CRC is wrong is still known for NIfTI, and
  // the reader says it is damaged.
  gzbuffer(stream.get(), kSniffBuffer);
  unsigned char header[kNifti1.bytes];
  const int got = gzread(stream.get(), header, sizeof header);
  if (got == static_cast<int>(sizeof header) && IsHeader(header)) return NiftiKind::kNifti1;
  if (got > 0 && IsNifti2Header(header, static_cast<std::size_t>(got))) return NiftiKind::kNifti2;
  return NiftiKind::kNone;
}

bool IsNiftiFile(const char* path) { return NiftiFileKind(path) == NiftiKind::kNifti1; }

std::string ReadNifti(const std::string& path, const NiftiVoxelRule& rule,
                      const NiftiVoxelBuffer& buffer) {
  FileFacts facts;
  std::string reason;
  const int fd = OpenInput(path.c_str(), facts, reason);
  if (fd < 0) return "cannot open " + path + ": " + reason;
  const GzStream stream = OpenStream(fd);
  if (!stream) return "cannot open " + path + ": not enough memory";
  // The caller's buffer, the reader's block and table: none may end the
  // program when memory runs out.
  try {
    return ReadOpenNifti(stream.get(), facts, path, rule, buffer);
  } catch (const std::bad_alloc&) {
    return "not enough memory to read " + path;
  }
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

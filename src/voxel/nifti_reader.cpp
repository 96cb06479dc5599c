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
#include <optional>
#include <utility>
#include <vector>

#include "platform/common/regular_file.h"
#include "voxel/byte_source.h"
#include "voxel/nifti_header.h"
#include "voxel/scan_samples.h"

namespace {

using nifti::kNifti1;

// A data offset beyond this marks a damaged header; one up to it becomes
// a file position without overflow.
constexpr float kFarthestDataOffset = 1e12f;

// Recognising a file reads its header through a buffer this small.
constexpr unsigned kSniffBuffer = 64;
// A gzipped file starts with these two bytes.
constexpr unsigned char kGzipMagic[2] = {0x1F, 0x8B};

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
  return CheckDataFits(needed, huge, facts.size,
                       DataFacts{facts.size, facts.gzipped, facts.gzipped}, path);
}

// The sample type of a data type code, or none for a code no reader
// turns into voxels.
std::optional<SampleType> SampleTypeOf(int datatype) {
  switch (datatype) {
    case nifti::kUint8:
      return SampleType::kUint8;
    case nifti::kInt8:
      return SampleType::kInt8;
    case nifti::kInt16:
      return SampleType::kInt16;
    case nifti::kUint16:
      return SampleType::kUint16;
    case nifti::kInt32:
      return SampleType::kInt32;
    case nifti::kUint32:
      return SampleType::kUint32;
    case nifti::kInt64:
      return SampleType::kInt64;
    case nifti::kUint64:
      return SampleType::kUint64;
    case nifti::kFloat32:
      return SampleType::kFloat32;
    case nifti::kFloat64:
      return SampleType::kFloat64;
    default:
      return std::nullopt;
  }
}

// A voxel edge from pixdim: one that is not a positive number counts as
// 1 mm, as NIfTI's own library reads it.
double Edge(float pixdim) { return std::isfinite(pixdim) && pixdim > 0 ? pixdim : 1.0; }

// The qform's rotation, from the quaternion's b, c and d (a is implied).
void QuaternionRotation(double b, double c, double d, double (&r)[3][3]) {
  double a = 1 - (b * b + c * c + d * d);
  if (a < 1e-7) {  // a half turn: b, c, d are renormalised and a is 0
    const double scale = 1 / std::sqrt(b * b + c * c + d * d);
    b *= scale, c *= scale, d *= scale, a = 0;
  } else {
    a = std::sqrt(a);
  }
  r[0][0] = a * a + b * b - c * c - d * d, r[0][1] = 2 * (b * c - a * d),
  r[0][2] = 2 * (b * d + a * c);
  r[1][0] = 2 * (b * c + a * d), r[1][1] = a * a + c * c - b * b - d * d,
  r[1][2] = 2 * (c * d - a * b);
  r[2][0] = 2 * (b * d - a * c), r[2][1] = 2 * (c * d + a * b),
  r[2][2] = a * a + d * d - c * c - b * b;
}

// Index to patient: the sform when its code is set, else the qform when
// its code is set, else the bare axes scaled by pixdim.
PatientAxes AxesOf(const unsigned char* bytes, bool swapped) {
  PatientAxes axes;
  const auto pixdim = [&](int i) { return Field(bytes, kNifti1.pixdim, swapped, i); };
  if (Field(bytes, kNifti1.sformCode, swapped) > 0) {
    for (int a = 0; a < 3; ++a)
      for (int r = 0; r < 3; ++r)
        axes.column[a][r] = Field(bytes, kNifti1.srow, swapped, r * 4 + a);
    for (int r = 0; r < 3; ++r) axes.origin[r] = Field(bytes, kNifti1.srow, swapped, r * 4 + 3);
    axes.oriented = true;
    return axes;
  }
  const double edge[3] = {Edge(pixdim(1)), Edge(pixdim(2)), Edge(pixdim(3))};
  if (Field(bytes, kNifti1.qformCode, swapped) > 0) {
    double r[3][3];
    QuaternionRotation(Field(bytes, kNifti1.quatern, swapped, 0),
                       Field(bytes, kNifti1.quatern, swapped, 1),
                       Field(bytes, kNifti1.quatern, swapped, 2), r);
    const double qfac = pixdim(0) < 0 ? -1 : 1;
    for (int a = 0; a < 3; ++a)
      for (int row = 0; row < 3; ++row)
        axes.column[a][row] = r[row][a] * edge[a] * (a == 2 ? qfac : 1);
    for (int row = 0; row < 3; ++row)
      axes.origin[row] = Field(bytes, kNifti1.qoffset, swapped, row);
    axes.oriented = true;
    return axes;
  }
  for (int a = 0; a < 3; ++a)
    for (int r = 0; r < 3; ++r) axes.column[a][r] = a == r ? edge[a] : 0;
  return axes;
}

// The header and what it says, checked: the layout of the first volume,
// the data offset in `offset`.
std::string ReadHeader(gzFile stream, const FileFacts& facts, const std::string& path,
                       ScanLayout& layout, std::uint64_t& offset) {
  unsigned char bytes[kNifti1.bytes];
  const int got = gzread(stream, bytes, sizeof bytes);
  if (got < 0) return GzReadFailure(stream, path, "cannot read " + path);
  if (IsNifti2Header(bytes, static_cast<std::size_t>(got)))
    return "NIfTI-2 is not supported: " + path;
  if (got != static_cast<int>(sizeof bytes)) {
    return GzReadFailure(stream, path, "not a NIfTI-1 file (too short): " + path);
  }
  Header header;
  if (std::string e = CheckHeader(bytes, path, header); !e.empty()) return e;
  // A code the format does not define marks a damaged file; a defined one
  // without a sample type is refused as unsupported.
  if (!nifti::IsDefinedType(header.datatype)) return "not a readable NIfTI-1 file: " + path;
  const std::optional<SampleType> type = SampleTypeOf(header.datatype);
  if (!type)
    return "unsupported NIfTI data type " + std::to_string(header.datatype) + " in " + path;

  // The first volume of a series; dimensions beyond the rank count as 1.
  layout.dims[0] = static_cast<std::uint64_t>(header.dims[1]);
  layout.dims[1] = header.rank >= 2 ? static_cast<std::uint64_t>(header.dims[2]) : 1;
  layout.dims[2] = header.rank >= 3 ? static_cast<std::uint64_t>(header.dims[3]) : 1;
  layout.type = *type;
  layout.swapped = header.swapped;
  layout.slope = header.slope, layout.intercept = header.intercept;
  layout.axes = AxesOf(bytes, header.swapped);
  const std::int16_t intent = Field(bytes, kNifti1.intentCode, header.swapped);
  layout.labelIntent =
      std::ranges::find(nifti::kLabelIntents, intent) != std::end(nifti::kLabelIntents);
  const DataFacts data{facts.size, facts.gzipped, facts.gzipped};
  // The first volume's size, then the whole series after the offset.
  if (std::string e = CheckScanSize(layout, std::numeric_limits<std::uint64_t>::max(), data, path);
      !e.empty())
    return e;
  offset = static_cast<std::uint64_t>(header.offset);
  return CheckLength(header, SampleWidth(layout.type), facts, path);
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

std::string ReadNifti(const std::string& path, const ScanVoxelRule& rule,
                      const ScanVoxelBuffer& buffer, VolumeFacts& facts) {
  ScanLayout layout;
  std::uint64_t offset = 0;
  {
    FileFacts file;
    std::string reason;
    const int fd = OpenInput(path.c_str(), file, reason);
    if (fd < 0) return "cannot open " + path + ": " + reason;
    const GzStream stream = OpenStream(fd);
    if (!stream) return "cannot open " + path + ": not enough memory";
    if (std::string e = ReadHeader(stream.get(), file, path, layout, offset); !e.empty()) return e;
  }
  // In a gzipped file reaching the offset inflates up to the data: the
  // length check above bounds that work.
  DataFacts data;
  std::string reason;
  const std::unique_ptr<ByteSource> source =
      OpenByteSource(path, DataPlace{0, offset, DataEncoding::kPlainOrGzip}, data, reason);
  if (!source) return reason;
  // The caller's buffer and the reader's blocks and tables: none may end
  // the program when memory runs out.
  try {
    return ReadScanSamples(*source, layout, rule, buffer, facts, path);
  } catch (const std::bad_alloc&) {
    return "not enough memory to read " + path;
  }
}

VOXSPACE* LoadNifti(const char* path, std::string& reason, VolumeFacts& facts) {
  VOXSPACE* volume = nullptr;
  reason = ReadNifti(
      path ? path : "", NonZeroLabel,
      [&volume](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
        volume = InitVoxSpace(x, y, z, 8);
        return volume ? volume->data : nullptr;
      },
      facts);
  if (reason.empty()) return volume;
  FreeVoxSpace(volume);
  return nullptr;
}

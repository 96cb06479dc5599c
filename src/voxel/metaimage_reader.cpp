#include "voxel/metaimage_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <string_view>
#include <system_error>

#include "platform/common/regular_file.h"
#include "voxel/byte_source.h"
#include "voxel/patient_axes.h"
#include "voxel/scan_samples.h"

namespace {

// Recognition reads no more of a file than this.
constexpr std::size_t kSniffBytes = 4096;
// Real headers are a few hundred bytes: a longer one is refused before it
// is parsed.
constexpr std::size_t kMostHeaderBytes = std::size_t{1} << 20;
constexpr int kLeastDims = 2, kMostDims = 4;
// Header values quoted in a reason are cut to this length.
constexpr std::size_t kQuotedChars = 40;
constexpr bool kMachineBigEndian = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;

// The keys MetaIO writes for an image; one of them opens every header.
// clang-format off
constexpr std::string_view kHeaderKeys[] = {
    "Comment", "ObjectType", "ObjectSubType", "TransformType", "NDims", "Name", "ID", "ParentID",
    "CompressedData", "CompressedDataSize", "BinaryData", "BinaryDataByteOrderMSB",
    "ElementByteOrderMSB", "Color", "Position", "Origin", "Offset", "TransformMatrix", "Rotation",
    "Orientation", "Direction", "CenterOfRotation", "AnatomicalOrientation", "DistanceUnits",
    "ElementSpacing", "ElementSize", "DimSize", "HeaderSize", "Modality", "SequenceID",
    "ElementMin", "ElementMax", "ElementNumberOfChannels", "ElementType", "ElementDataFile",
    "AcquisitionDate", "FileFormatVersion"};
// clang-format on

struct ElementType {
  std::string_view name;
  SampleType type;
};

// MetaIO's LONG types are 4 bytes wide whatever the machine's long is.
constexpr ElementType kElementTypes[] = {
    {"MET_UCHAR", SampleType::kUint8},       {"MET_CHAR", SampleType::kInt8},
    {"MET_USHORT", SampleType::kUint16},     {"MET_SHORT", SampleType::kInt16},
    {"MET_UINT", SampleType::kUint32},       {"MET_INT", SampleType::kInt32},
    {"MET_ULONG", SampleType::kUint32},      {"MET_LONG", SampleType::kInt32},
    {"MET_ULONG_LONG", SampleType::kUint64}, {"MET_LONG_LONG", SampleType::kInt64},
    {"MET_FLOAT", SampleType::kFloat32},     {"MET_DOUBLE", SampleType::kFloat64}};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string Quoted(std::string_view value) {
  std::string quoted(value.substr(0, kQuotedChars));
  if (value.size() > kQuotedChars) quoted.append("...");
  return quoted;
}

// "Key = value", both trimmed; false when the line has no '=' or no key.
bool SplitLine(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  key = Trimmed(line.substr(0, equals));
  value = Trimmed(line.substr(equals + 1));
  return !key.empty();
}

bool IsHeaderKey(std::string_view key) {
  return std::any_of(std::begin(kHeaderKeys), std::end(kHeaderKeys),
                     [key](std::string_view known) { return SameText(key, known); });
}

// Whether the text starts with a MetaImage line (of an image, when it
// names the object's type).
bool OpensHeader(std::string_view text) {
  std::string_view key, value;
  if (!SplitLine(text.substr(0, text.find('\n')), key, value) || !IsHeaderKey(key)) return false;
  return !SameText(key, "ObjectType") || SameText(value, "Image");
}

// Exactly `count` numbers separated by white space.
template <typename T>
bool ParseList(std::string_view text, std::size_t count, T* out) {
  const char* at = text.data();
  const char* const end = at + text.size();
  std::size_t parsed = 0;
  for (;;) {
    while (at < end && IsSpace(*at)) ++at;
    if (at == end) return parsed == count;
    if (parsed == count) return false;
    const auto [next, error] = std::from_chars(at, end, out[parsed]);
    if (error != std::errc() || (next < end && !IsSpace(*next))) return false;
    at = next;
    ++parsed;
  }
}

// True/False, as MetaIO writes them, or their first letters or digits.
bool ParseFlag(std::string_view text, bool& flag) {
  if (SameText(text, "True") || SameText(text, "T") || text == "1") return flag = true, true;
  if (SameText(text, "False") || SameText(text, "F") || text == "0") return flag = false, true;
  return false;
}

// The header's values by lower-case key, and where the data of a LOCAL
// file start: just past the ElementDataFile line, always the last.
struct HeaderFields {
  std::map<std::string, std::string> values;
  std::uint64_t end = 0;

  const std::string* Find(std::string_view key) const {
    const auto found = values.find(Lowered(key));
    return found == values.end() ? nullptr : &found->second;
  }
  const std::string* FindAny(std::initializer_list<std::string_view> keys) const {
    for (const std::string_view key : keys)
      if (const std::string* value = Find(key)) return value;
    return nullptr;
  }
};

std::string BadValue(const std::string& path, std::string_view key, std::string_view value) {
  std::string reason = "bad header in " + path;
  reason.append(": ").append(key).append(" = ").append(Quoted(value));
  return reason;
}

// The first `most` bytes of the regular file at `path` (fewer when it is
// shorter) and the file's length.
std::string ReadStart(const std::string& path, std::size_t most, std::string& text,
                      std::uint64_t& fileSize) {
  std::string reason;
  const int fd = platform::OpenRegularFile(path.c_str(), reason);
  if (fd < 0) return "cannot open " + path + ": " + reason;
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    reason = "cannot read " + path + ": " + std::strerror(errno);
    close(fd);
    return reason;
  }
  fileSize = static_cast<std::uint64_t>(status.st_size);
  text.resize(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, most)));
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t piece = pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
    if (piece < 0) reason = "cannot read " + path + ": " + std::strerror(errno);
    if (piece <= 0) break;
    got += static_cast<std::size_t>(piece);
  }
  close(fd);
  // A file that shrank while it was read ends where the reading did.
  if (got < text.size()) text.resize(got), fileSize = got;
  return reason;
}

// The "Key = value" lines of the header, up to and including
// ElementDataFile. Blank lines are passed over.
std::string SplitHeader(const std::string& text, std::uint64_t fileSize, const std::string& path,
                        HeaderFields& fields) {
  if (!OpensHeader(text)) return "not a MetaImage file: " + path;
  const std::string tooLong = "the header of " + path + " is longer than 1 MiB";
  std::size_t at = 0;
  for (int number = 1; at < text.size(); ++number) {
    const std::size_t newline = text.find('\n', at);
    if (newline == std::string::npos && text.size() < fileSize) return tooLong;
    const std::size_t lineEnd = newline == std::string::npos ? text.size() : newline;
    const std::string_view line(text.data() + at, lineEnd - at);
    at = newline == std::string::npos ? text.size() : newline + 1;
    if (Trimmed(line).empty()) continue;
    std::string_view key, value;
    if (!SplitLine(line, key, value)) {
      return "bad header in " + path + ": line " + std::to_string(number) +
             " is not \"Key = value\"";
    }
    fields.values[Lowered(key)] = std::string(value);
    if (SameText(key, "ElementDataFile")) {
      fields.end = at;
      return {};
    }
  }
  if (text.size() < fileSize) return tooLong;
  return "no ElementDataFile line in " + path;
}

// What the reader takes from a header.
struct MetaImage {
  ScanLayout layout;
  int rank = 0;
  std::uint64_t volumes = 1;
  std::string dataPath;  // the header's own path for LOCAL data
  DataPlace place;
  bool dataAtEnd = false;            // HeaderSize = -1
  std::uint64_t compressedSize = 0;  // 0 when not given
};

std::string ReadDims(const HeaderFields& fields, const std::string& path, MetaImage& image) {
  const std::string bad = "bad dimensions in " + path;
  const std::string* rank = fields.Find("NDims");
  if (!rank || !ParseList(*rank, 1, &image.rank)) return bad;
  if (image.rank < kLeastDims || image.rank > kMostDims)
    return bad + ": NDims " + std::to_string(image.rank) + " (2 to 4 are read)";
  std::uint64_t dims[kMostDims] = {};
  const std::string* size = fields.Find("DimSize");
  if (!size || !ParseList(*size, static_cast<std::size_t>(image.rank), dims)) return bad;
  for (int d = 0; d < image.rank; ++d) {
    if (dims[d] == 0) return bad;
    if (d < 3) image.layout.dims[d] = dims[d];
  }
  if (image.rank == kMostDims) image.volumes = dims[3];
  return {};
}

std::string ReadElementType(const HeaderFields& fields, const std::string& path, MetaImage& image) {
  const std::string* name = fields.Find("ElementType");
  if (!name) return "no ElementType in " + path;
  const auto* known =
      std::find_if(std::begin(kElementTypes), std::end(kElementTypes),
                   [name](const ElementType& t) { return SameText(*name, t.name); });
  if (known == std::end(kElementTypes)) {
    std::string reason = "unsupported MetaImage element type ";
    return reason.append(Quoted(*name)).append(" in ").append(path);
  }
  image.layout.type = known->type;
  if (const std::string* channels = fields.Find("ElementNumberOfChannels")) {
    if (!ParseList(*channels, 1, &image.layout.components) || image.layout.components == 0)
      return BadValue(path, "ElementNumberOfChannels", *channels);
  }
  return {};
}

// Binary or ASCII, byte order, compression.
std::string ReadEncoding(const HeaderFields& fields, const std::string& path, MetaImage& image) {
  bool binary = true, msb = false, compressed = false;
  if (const std::string* text = fields.Find("BinaryData"); text && !ParseFlag(*text, binary))
    return BadValue(path, "BinaryData", *text);
  if (!binary) return "ASCII voxel data (BinaryData = False) are not read: " + path;
  const std::string* order = fields.FindAny({"BinaryDataByteOrderMSB", "ElementByteOrderMSB"});
  if (order && !ParseFlag(*order, msb)) return BadValue(path, "BinaryDataByteOrderMSB", *order);
  image.layout.swapped = msb != kMachineBigEndian;
  if (const std::string* text = fields.Find("CompressedData");
      text && !ParseFlag(*text, compressed))
    return BadValue(path, "CompressedData", *text);
  image.place.encoding = compressed ? DataEncoding::kZlib : DataEncoding::kPlain;
  if (const std::string* size = fields.Find("CompressedDataSize");
      size && !ParseList(*size, 1, &image.compressedSize))
    return BadValue(path, "CompressedDataSize", *size);
  return {};
}

// The LPS direction an index axis runs towards, from the letter of the
// side it runs from (R: it runs to the left, A: to posterior, I: to
// superior; L, P and S the other way).
bool DirectionFromSide(char side, double (&direction)[3]) {
  static constexpr char kSides[] = "rlapis";
  const char* found = std::strchr(kSides, Lower(side));
  if (side == '\0' || !found) return false;
  const auto index = static_cast<int>(found - kSides);
  std::fill(std::begin(direction), std::end(direction), 0.0);
  direction[index / 2] = index % 2 == 0 ? 1 : -1;
  return true;
}

// AnatomicalOrientation's letters, one per index axis, each naming a
// different patient axis; anything else leaves the axes as they are.
void OrientFromSides(std::string_view sides, int used, PatientAxes& lps) {
  PatientAxes oriented;
  bool taken[3] = {false, false, false};
  if (sides.size() < static_cast<std::size_t>(used)) return;
  for (int a = 0; a < used; ++a) {
    if (!DirectionFromSide(sides[static_cast<std::size_t>(a)], oriented.column[a])) return;
    const int patientAxis =
        static_cast<int>(std::find_if(std::begin(oriented.column[a]), std::end(oriented.column[a]),
                                      [](double v) { return v != 0; }) -
                         std::begin(oriented.column[a]));
    if (taken[patientAxis]) return;
    taken[patientAxis] = true;
  }
  lps = oriented;
}

// A 2D image's missing axis: one voxel across the plane of the other two.
void CrossAxis(PatientAxes& lps) {
  const double(&u)[3] = lps.column[0];
  const double(&v)[3] = lps.column[1];
  double(&w)[3] = lps.column[2];
  w[0] = u[1] * v[2] - u[2] * v[1];
  w[1] = u[2] * v[0] - u[0] * v[2];
  w[2] = u[0] * v[1] - u[1] * v[0];
  const double length = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  if (!(length > 0) || !std::isfinite(length)) {
    w[0] = w[1] = 0, w[2] = 1;
    return;
  }
  for (double& c : w) c /= length;
}

// Spacing and direction of each index axis, in RAS millimetres.
std::string ReadAxes(const HeaderFields& fields, const std::string& path, MetaImage& image) {
  const auto rank = static_cast<std::size_t>(image.rank);
  const int used = std::min(image.rank, 3);
  double spacing[kMostDims] = {1, 1, 1, 1};
  if (const std::string* text = fields.FindAny({"ElementSpacing", "ElementSize"});
      text && !ParseList(*text, rank, spacing))
    return BadValue(path, "ElementSpacing", *text);
  PatientAxes lps;
  if (const std::string* matrix =
          fields.FindAny({"TransformMatrix", "Rotation", "Orientation", "Direction"})) {
    double values[kMostDims * kMostDims] = {};
    if (!ParseList(*matrix, rank * rank, values)) return BadValue(path, "TransformMatrix", *matrix);
    for (int a = 0; a < 3; ++a)
      for (int r = 0; r < 3; ++r)
        lps.column[a][r] =
            a < used && r < used ? values[static_cast<std::size_t>(a) * rank + r] : 0;
    lps.oriented = true;
  } else if (const std::string* sides = fields.Find("AnatomicalOrientation")) {
    OrientFromSides(*sides, used, lps);
    lps.oriented = true;
  }
  // Where voxel (0, 0, 0) lies; a bad one leaves it at 0.
  double origin[kMostDims] = {};
  if (const std::string* text = fields.FindAny({"Offset", "Origin", "Position"});
      text && ParseList(*text, rank, origin))
    for (int r = 0; r < used; ++r) lps.origin[r] = std::isfinite(origin[r]) ? origin[r] : 0;
  if (image.rank == 2) CrossAxis(lps);
  for (int a = 0; a < used; ++a) {
    const double s = std::isfinite(spacing[a]) && spacing[a] > 0 ? spacing[a] : 1;
    for (double& c : lps.column[a]) c *= s;
  }
  image.layout.axes = FromLps(lps);
  return {};
}

// The folder `path` lies in, with its slash; empty for a bare name.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

// LOCAL data follow the header (HeaderSize plays no part); other data lie
// in one file, named as it is or from the header's folder.
std::string ReadDataFile(const HeaderFields& fields, const std::string& path, MetaImage& image) {
  const std::string& name = *fields.Find("ElementDataFile");
  image.dataPath = path;
  if (SameText(name, "LOCAL")) {
    image.place.fileOffset = fields.end;
    return {};
  }
  if (name.empty()) return "no data file named in " + path;
  const std::string_view firstWord = std::string_view(name).substr(0, name.find_first_of(" \t"));
  if (SameText(firstWord, "LIST"))
    return "lists of data files (ElementDataFile = LIST) are not read: " + path;
  if (name.find('%') != std::string::npos)
    return "numbered data files (ElementDataFile = " + Quoted(name) + ") are not read: " + path;
  image.dataPath = name.front() == '/' ? name : FolderOf(path) + name;
  if (const std::string* text = fields.Find("HeaderSize")) {
    std::int64_t skip = 0;
    if (!ParseList(*text, 1, &skip) || skip < -1) return BadValue(path, "HeaderSize", *text);
    image.dataAtEnd = skip == -1;
    image.place.fileOffset = skip > 0 ? static_cast<std::uint64_t>(skip) : 0;
  }
  return {};
}

std::string DataFileFailure(const std::string& reason, const std::string& path) {
  const std::string cannotOpen = "cannot open ";
  if (reason.rfind(cannotOpen, 0) != 0) return reason;
  return "the data file of " + path + " cannot be opened: " + reason.substr(cannotOpen.size());
}

// HeaderSize = -1: the data (every volume, or CompressedDataSize bytes)
// are the last bytes of the data file.
std::string PlaceAtEnd(MetaImage& image, const std::string& path) {
  struct stat status {};
  if (stat(image.dataPath.c_str(), &status) != 0)
    return DataFileFailure("cannot open " + image.dataPath + ": " + std::strerror(errno), path);
  if (!S_ISREG(status.st_mode))
    return DataFileFailure("cannot open " + image.dataPath + ": not a regular file", path);
  const auto size = static_cast<std::uint64_t>(status.st_size);
  const ScanLayout& layout = image.layout;
  std::uint64_t needed = image.compressedSize;
  bool huge = false;
  if (image.place.encoding == DataEncoding::kZlib) {
    if (needed == 0) return {};  // no length given: the stream fills the file
  } else {
    needed = SampleWidth(layout.type);
    for (const std::uint64_t factor :
         {layout.dims[0], layout.dims[1], layout.dims[2], layout.components, image.volumes})
      huge = huge || __builtin_mul_overflow(needed, factor, &needed);
  }
  if (huge || needed > size) return "the voxel data of " + image.dataPath + " is cut short";
  image.place.fileOffset = size - needed;
  return {};
}

std::string ReadData(MetaImage& image, const std::string& path, const ScanVoxelRule& rule,
                     const ScanVoxelBuffer& buffer, VolumeFacts& facts) {
  if (image.dataAtEnd) {
    if (std::string e = PlaceAtEnd(image, path); !e.empty()) return e;
  }
  DataFacts dataFacts;
  std::string reason;
  const auto source = OpenByteSource(image.dataPath, image.place, dataFacts, reason);
  if (!source) return image.dataPath == path ? reason : DataFileFailure(reason, path);
  const std::uint64_t available = dataFacts.size - image.place.fileOffset;
  if (std::string e = CheckScanSize(image.layout, available, dataFacts, image.dataPath); !e.empty())
    return e;
  return ReadScanSamples(*source, image.layout, rule, buffer, facts, image.dataPath);
}

// What the viewer leaves out, said once.
void NoteFirstOnly(const MetaImage& image, const std::string& path) {
  if (image.volumes > 1) {
    std::fprintf(stderr, "%s: a series of %llu volumes; the first is shown\n", path.c_str(),
                 static_cast<unsigned long long>(image.volumes));
  }
  if (image.layout.components > 1) {
    std::fprintf(stderr, "%s: %llu values per voxel; the first is shown\n", path.c_str(),
                 static_cast<unsigned long long>(image.layout.components));
  }
}

std::string ReadHeaderAndData(const std::string& path, const ScanVoxelRule& rule,
                              const ScanVoxelBuffer& buffer, VolumeFacts& facts) {
  std::string text;
  std::uint64_t fileSize = 0;
  if (std::string e = ReadStart(path, kMostHeaderBytes, text, fileSize); !e.empty()) return e;
  HeaderFields fields;
  if (std::string e = SplitHeader(text, fileSize, path, fields); !e.empty()) return e;
  text = {};
  if (const std::string* type = fields.Find("ObjectType"); type && !SameText(*type, "Image")) {
    std::string reason = path + " holds a MetaImage object of type ";
    return reason.append(Quoted(*type)).append(", not an image");
  }
  MetaImage image;
  for (const auto step : {ReadDims, ReadElementType, ReadEncoding, ReadAxes, ReadDataFile}) {
    if (std::string e = step(fields, path, image); !e.empty()) return e;
  }
  std::string reason = ReadData(image, path, rule, buffer, facts);
  if (reason.empty()) NoteFirstOnly(image, path);
  return reason;
}

}  // namespace

bool IsMetaImageFile(const char* path) {
  std::string reason;
  const int fd = platform::OpenRegularFile(path, reason);
  if (fd < 0) return false;
  char start[kSniffBytes];
  const ssize_t got = pread(fd, start, sizeof start, 0);
  close(fd);
  return got > 0 && OpensHeader(std::string_view(start, static_cast<std::size_t>(got)));
}

std::string ReadMetaImage(const std::string& path, const ScanVoxelRule& rule,
                          const ScanVoxelBuffer& buffer, VolumeFacts& facts) {
  // The header's text, the caller's buffer, the reader's blocks: none may
  // end the program when memory runs out.
  try {
    return ReadHeaderAndData(path, rule, buffer, facts);
  } catch (const std::bad_alloc&) {
    return "not enough memory to read " + path;
  }
}

#include "voxel/nrrd_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "platform/common/regular_file.h"
#include "voxel/byte_source.h"
#include "voxel/patient_axes.h"
#include "voxel/scan_samples.h"

namespace {

// "NRRD000" and the format's version digit open every file.
constexpr std::string_view kMagic = "NRRD000";
constexpr std::size_t kMagicBytes = 8;
// Real headers take a few KiB; beyond these the file is refused unread.
constexpr std::size_t kMostHeaderBytes = std::size_t{1} << 20;
constexpr std::size_t kLongestFieldLine = std::size_t{1} << 16;
// Three spatial axes and one more (values per voxel, or a series).
constexpr std::uint64_t kMostDimensions = 4;
// Line skip looks for line ends this many bytes at a time.
constexpr std::size_t kScanChunk = std::size_t{1} << 16;
// A word of the file quoted in a message is cut to this length.
constexpr std::size_t kLongestQuote = 40;

std::string Text(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) out.append(part);
  return out;
}

std::string Quoted(std::string_view word) {
  const bool cut = word.size() > kLongestQuote;
  return Text({"\"", word.substr(0, kLongestQuote), cut ? "...\"" : "\""});
}

std::string CutShort(const std::string& path) {
  return Text({"the voxel data of ", path, " is cut short"});
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (text = Trimmed(text); !text.empty(); text = Trimmed(text)) {
    std::size_t end = 0;
    while (end < text.size() && !IsSpace(text[end])) ++end;
    words.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return words;
}

// A whole word of decimal digits.
bool ParseCount(std::string_view word, std::uint64_t& value) {
  const char* end = word.data() + word.size();
  if (word.empty() || word.front() < '0' || word.front() > '9') return false;
  const auto result = std::from_chars(word.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

// A whole word that is a real number ("nan" and "inf" too); `value` is
// left as it was otherwise.
bool ParseReal(std::string_view word, double& value) {
  word = Trimmed(word);
  if (!word.empty() && word.front() == '+') word.remove_prefix(1);
  const char* end = word.data() + word.size();
  double read = 0;
  const auto result = std::from_chars(word.data(), end, read);
  if (word.empty() || result.ec != std::errc() || result.ptr != end) return false;
  value = read;
  return true;
}

// Closes a descriptor when it goes.
struct Descriptor {
  int fd = -1;
  Descriptor() = default;
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
};

// A regular file opened for reading, and its length.
bool OpenSized(const std::string& path, Descriptor& file, std::uint64_t& size,
               std::string& reason) {
  file.fd = platform::OpenRegularFile(path.c_str(), reason);
  if (file.fd < 0) return false;
  struct stat status {};
  if (fstat(file.fd, &status) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

// Up to `count` bytes at `offset`; how many were read, or -1.
ssize_t ReadAt(int fd, char* out, std::size_t count, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

bool StartsWithMagic(std::string_view bytes) {
  return bytes.size() >= kMagicBytes && bytes.substr(0, kMagic.size()) == kMagic &&
         bytes[kMagic.size()] >= '0' && bytes[kMagic.size()] <= '9';
}

// The header's lines (the magic first), up to the blank line that ends it,
// or to the end of the file for a header whose data lie in another file.
struct HeaderText {
  std::vector<std::string_view> lines;
  std::string bytes;
  bool ended = false;            // by a blank line: the data may follow
  std::uint64_t dataOffset = 0;  // just after the blank line
};

std::string ReadHeaderText(const std::string& path, HeaderText& header) {
  Descriptor file;
  std::uint64_t size = 0;
  std::string reason;
  if (!OpenSized(path, file, size, reason)) return Text({"cannot open ", path, ": ", reason});
  header.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kMostHeaderBytes)));
  const ssize_t got = ReadAt(file.fd, header.bytes.data(), header.bytes.size(), 0);
  if (got < 0) return Text({"cannot read ", path, ": ", std::strerror(errno)});
  header.bytes.resize(static_cast<std::size_t>(got));
  const std::string_view bytes = header.bytes;
  const std::string_view afterMagic = bytes.substr(std::min(bytes.size(), kMagicBytes));
  if (!StartsWithMagic(bytes) ||
      (afterMagic.substr(0, 1) != "\n" && afterMagic.substr(0, 2) != "\r\n"))
    return Text({"not a NRRD file: ", path});
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos && bytes.size() < size)
      return Text({"the header of ", path, " is longer than 1 MiB"});
    std::string_view line = bytes.substr(at, end == std::string_view::npos ? end : end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() && end == std::string_view::npos) break;
    if (line.empty()) {
      header.ended = true;
      header.dataOffset = end + 1;
      break;
    }
    header.lines.push_back(line);
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return {};
}

// Field names in lower case without spaces: "Space Directions" and
// "spacedirections" are one field. Each field's last line wins.
using Fields = std::map<std::string, std::string_view>;

// The fields the reader uses; the others (content, measurement frame, ...)
// are passed over.
constexpr std::string_view kReadFields[] = {
    "dimension", "sizes", "type",     "encoding", "endian",   "space",      "spacedirections",
    "spacings",  "kinds", "byteskip", "lineskip", "datafile", "spaceorigin"};

std::string FieldName(std::string_view name) {
  std::string out;
  for (const char c : Lower(name))
    if (!IsSpace(c)) out.push_back(c);
  return out;
}

std::string ParseFields(const HeaderText& header, const std::string& path, Fields& fields) {
  for (std::size_t n = 1; n < header.lines.size(); ++n) {
    const std::string_view line = header.lines[n];
    const std::size_t colon = line.find(':');
    // Comments, and key:=value pairs, which say nothing about the values.
    if (line.front() == '#' ||
        (colon != std::string_view::npos && colon + 1 < line.size() && line[colon + 1] == '=')) {
      continue;
    }
    const std::string number = std::to_string(n + 1);
    if (colon == std::string_view::npos || colon == 0)
      return Text({"line ", number, " of the header of ", path, " is not a NRRD field"});
    if (line.size() > kLongestFieldLine)
      return Text({"line ", number, " of the header of ", path, " is longer than 64 KiB"});
    const std::string name = FieldName(line.substr(0, colon));
    const std::string_view value = Trimmed(line.substr(colon + 1));
    // The names of several data files follow this one to the header's end.
    if (name == "datafile" && !Words(value).empty() && Words(value)[0] == "LIST")
      return Text({"NRRD data in a list of files are not supported: ", path});
    if (std::find(std::begin(kReadFields), std::end(kReadFields), name) != std::end(kReadFields))
      fields[name] = value;
  }
  return {};
}

const std::string_view* Find(const Fields& fields, const std::string& name) {
  const auto found = fields.find(name);
  return found == fields.end() ? nullptr : &found->second;
}

std::string Missing(const std::string& path, std::string_view field) {
  return Text({"the header of ", path, " has no \"", field, "\" field"});
}

// Every spelling of each type, comma-separated.
struct TypeNames {
  SampleType type;
  std::string_view names;
};

constexpr TypeNames kTypeNames[] = {
    {SampleType::kInt8, "signed char,int8,int8_t"},
    {SampleType::kUint8, "uchar,unsigned char,uint8,uint8_t"},
    {SampleType::kInt16, "short,short int,signed short,signed short int,int16,int16_t"},
    {SampleType::kUint16, "ushort,unsigned short,unsigned short int,uint16,uint16_t"},
    {SampleType::kInt32, "int,signed int,int32,int32_t"},
    {SampleType::kUint32, "uint,unsigned int,uint32,uint32_t"},
    {SampleType::kInt64,
     "longlong,long long,long long int,signed long long,signed long long int,int64,int64_t"},
    {SampleType::kUint64, "ulonglong,unsigned long long,unsigned long long int,uint64,uint64_t"},
    {SampleType::kFloat32, "float"},
    {SampleType::kFloat64, "double"},
};

std::string ParseType(std::string_view value, const std::string& path, SampleType& type) {
  // Lower case, words one space apart.
  std::string name;
  for (const std::string_view word : Words(value)) {
    if (!name.empty()) name.push_back(' ');
    name.append(Lower(word));
  }
  for (const TypeNames& known : kTypeNames) {
    for (std::string_view names = known.names; !names.empty();) {
      const std::size_t comma = std::min(names.find(','), names.size());
      if (names.substr(0, comma) == name) {
        type = known.type;
        return {};
      }
      names.remove_prefix(std::min(comma + 1, names.size()));
    }
  }
  return Text({"unsupported NRRD type ", Quoted(value), " in ", path});
}

std::string ParseEncoding(std::string_view value, const std::string& path, bool& gzip) {
  const std::string name = Lower(value);
  gzip = name == "gzip" || name == "gz";
  if (gzip || name == "raw") return {};
  std::string_view refused;
  if (name == "bzip2" || name == "bz2") refused = "bzip2";
  if (name == "ascii" || name == "text" || name == "txt") refused = "ascii";
  if (name == "hex") refused = "hex";
  if (refused.empty()) return Text({"unknown NRRD encoding ", Quoted(value), " in ", path});
  return Text({"NRRD encoding ", refused, " is not supported: ", path});
}

// What the header says about the stored values and where they lie.
struct Nrrd {
  std::uint64_t dimension = 0;
  std::uint64_t sizes[kMostDimensions] = {};
  SampleType type = SampleType::kUint8;
  bool gzip = false;
  bool swapped = false;
  std::int64_t byteSkip = 0;  // -1: the raw values end the file
  std::uint64_t lineSkip = 0;
  std::string dataFile;  // empty when the values follow the header
  int otherAxis = -1;    // the one axis that is not spatial, if any
};

std::string ParseSizes(const Fields& fields, const std::string& path, Nrrd& nrrd) {
  const std::string_view* dimension = Find(fields, "dimension");
  const std::string_view* sizes = Find(fields, "sizes");
  if (!dimension) return Missing(path, "dimension");
  if (!sizes) return Missing(path, "sizes");
  if (!ParseCount(*dimension, nrrd.dimension) || nrrd.dimension == 0)
    return Text({"bad dimensions in ", path});
  if (nrrd.dimension > kMostDimensions) {
    return Text({"a NRRD of ", *dimension, " dimensions is not supported (at most ",
                 std::to_string(kMostDimensions), "): ", path});
  }
  const std::vector<std::string_view> words = Words(*sizes);
  if (words.size() != nrrd.dimension) return Text({"bad dimensions in ", path});
  for (std::size_t a = 0; a < words.size(); ++a)
    if (!ParseCount(words[a], nrrd.sizes[a]) || nrrd.sizes[a] == 0)
      return Text({"bad dimensions in ", path});
  return {};
}

std::string ParseValues(const Fields& fields, const std::string& path, Nrrd& nrrd) {
  const std::string_view* type = Find(fields, "type");
  const std::string_view* encoding = Find(fields, "encoding");
  if (!type) return Missing(path, "type");
  if (!encoding) return Missing(path, "encoding");
  if (std::string e = ParseType(*type, path, nrrd.type); !e.empty()) return e;
  if (std::string e = ParseEncoding(*encoding, path, nrrd.gzip); !e.empty()) return e;
  if (SampleWidth(nrrd.type) == 1) return {};
  const std::string_view* endian = Find(fields, "endian");
  if (!endian)
    return Text({"the header of ", path, " does not say the byte order (endian) of its values"});
  const std::string order = Lower(*endian);
  if (order != "little" && order != "big")
    return Text({"bad endian ", Quoted(*endian), " in ", path});
  // The machine is little-endian.
  nrrd.swapped = order == "big";
  return {};
}

std::string ParsePlace(const Fields& fields, const std::string& path, Nrrd& nrrd) {
  std::uint64_t count = 0;
  if (const std::string_view* skip = Find(fields, "byteskip")) {
    if (*skip == "-1") {
      if (nrrd.gzip) return Text({"byte skip -1 works only with raw data, in ", path});
      nrrd.byteSkip = -1;
    } else if (ParseCount(*skip, count) &&
               count <= std::uint64_t{std::numeric_limits<std::int64_t>::max()}) {
      nrrd.byteSkip = static_cast<std::int64_t>(count);
    } else {
      return Text({"bad byte skip in ", path});
    }
  }
  if (const std::string_view* skip = Find(fields, "lineskip"))
    if (!ParseCount(*skip, nrrd.lineSkip)) return Text({"bad line skip in ", path});
  const std::string_view* file = Find(fields, "datafile");
  if (!file) return {};
  // "NAME MIN MAX STEP [SUBDIM]", NAME a printf format: numbered files.
  const std::vector<std::string_view> words = Words(*file);
  if (words.empty()) return Text({"bad data file in ", path});
  if (words.size() >= 3 && words[0].find('%') != std::string_view::npos)
    return Text({"NRRD data in numbered files are not supported: ", path});
  nrrd.dataFile = *file;
  return {};
}

enum class Frame { kRas, kLas, kLps };

// The patient frame of "space", and whether its fourth component is time.
// Spaces that name no patient frame (scanner-xyz, 3D-right-handed, ...)
// are taken as RAS.
struct Space {
  Frame frame = Frame::kRas;
  bool timed = false;
};

Space SpaceOf(const Fields& fields) {
  const std::string_view* field = Find(fields, "space");
  std::string name = field ? Lower(*field) : std::string();
  constexpr std::string_view kTime = "-time";
  Space space;
  if (name == "rast" || name == "last" || name == "lpst") {
    space.timed = true;
    name.pop_back();
  } else if (name.size() > kTime.size() && name.substr(name.size() - kTime.size()) == kTime) {
    space.timed = true;
    name.resize(name.size() - kTime.size());
  }
  if (name == "lps" || name == "left-posterior-superior") space.frame = Frame::kLps;
  if (name == "las" || name == "left-anterior-superior") space.frame = Frame::kLas;
  return space;
}

// One axis's step in space, or none (a non-spatial axis).
struct Direction {
  bool none = true;
  double step[3] = {0, 0, 0};
};

// "(x,y,z) none ..." with any spaces; only the first three components
// matter (a time space adds a fourth).
bool ParseDirections(std::string_view text, std::vector<Direction>& directions) {
  for (text = Trimmed(text); !text.empty(); text = Trimmed(text)) {
    Direction direction;
    if (text.substr(0, 4) == "none") {
      text.remove_prefix(4);
    } else {
      const std::size_t close = text.find(')');
      if (text.front() != '(' || close == std::string_view::npos) return false;
      std::string_view inside = text.substr(1, close - 1);
      text.remove_prefix(close + 1);
      direction.none = false;
      for (int c = 0;; ++c) {
        const std::size_t comma = inside.find(',');
        double value = 0;
        if (!ParseReal(inside.substr(0, comma), value)) return false;
        if (c < 3) direction.step[c] = value;
        if (comma == std::string_view::npos) break;
        inside.remove_prefix(comma + 1);
      }
    }
    directions.push_back(direction);
  }
  return true;
}

bool IsStill(const Direction& direction) {
  return direction.step[0] == 0 && direction.step[1] == 0 && direction.step[2] == 0;
}

// Kinds that are not spatial: values of one sample (vector, RGB-color,
// list, ...) or time.
bool IsOtherKind(std::string_view kind) {
  const std::string name = Lower(kind);
  return name != "domain" && name != "space" && name != "???" && name != "none";
}

// Finds the axis that holds values per voxel (first) or a series (last).
std::string FindOtherAxis(const Fields& fields, const std::vector<Direction>& directions,
                          const std::string& path, Nrrd& nrrd) {
  std::vector<std::string_view> kinds;
  if (const std::string_view* field = Find(fields, "kinds")) {
    kinds = Words(*field);
    if (kinds.size() != nrrd.dimension) return Text({"bad kinds in ", path});
  }
  const bool timed = SpaceOf(fields).timed;
  const int dimension = static_cast<int>(nrrd.dimension);
  for (int a = 0; a < dimension; ++a) {
    // In a space with time, an axis that moves only in time is a series.
    const bool other =
        (!kinds.empty() && IsOtherKind(kinds[a])) ||
        (!directions.empty() && (directions[a].none || (timed && IsStill(directions[a]))));
    if (!other) continue;
    if (nrrd.otherAxis >= 0)
      return Text({"more than one axis of ", path, " is not spatial; at most one is read"});
    nrrd.otherAxis = a;
  }
  if (nrrd.otherAxis < 0 && nrrd.dimension == kMostDimensions) nrrd.otherAxis = dimension - 1;
  if (nrrd.otherAxis > 0 && nrrd.otherAxis < dimension - 1) {
    return Text({"axis ", std::to_string(nrrd.otherAxis + 1), " of ", path,
                 " is not spatial; only the first or the last axis may be"});
  }
  return {};
}

// Column s of the axes is spatial axis s's step: from "space directions",
// else the bare axis scaled by "spacings", else the bare axis.
PatientAxes AxesOf(const Fields& fields, const std::vector<Direction>& directions,
                   const Nrrd& nrrd) {
  std::vector<std::string_view> spacings;
  if (const std::string_view* field = Find(fields, "spacings")) spacings = Words(*field);
  PatientAxes axes;
  if (!directions.empty())
    for (auto& column : axes.column) std::fill(column, column + 3, 0.0);
  int s = 0;
  for (int a = 0; a < static_cast<int>(nrrd.dimension) && s < 3; ++a) {
    if (a == nrrd.otherAxis) continue;
    if (!directions.empty()) {
      std::copy(directions[a].step, directions[a].step + 3, axes.column[s]);
    } else {
      double spacing = 1;
      if (static_cast<std::size_t>(a) < spacings.size() && ParseReal(spacings[a], spacing) &&
          !(spacing > 0 && spacing <= std::numeric_limits<double>::max()))
        spacing = 1;
      axes.column[s][s] = spacing;
    }
    ++s;
  }
  if (directions.empty()) return axes;
  // The volume is placed in the patient; a bad origin leaves it at 0.
  axes.oriented = true;
  std::vector<Direction> origin;
  if (const std::string_view* field = Find(fields, "spaceorigin");
      field && ParseDirections(*field, origin) && origin.size() == 1 && !origin[0].none)
    std::copy(origin[0].step, origin[0].step + 3, axes.origin);
  switch (SpaceOf(fields).frame) {
    case Frame::kLps:
      return FromLps(axes);
    case Frame::kLas:
      for (auto& column : axes.column) column[0] = -column[0];
      axes.origin[0] = -axes.origin[0];
      return axes;
    case Frame::kRas:
      break;
  }
  return axes;
}

// The layout of the first volume, from a header whose fields all parse.
std::string ReadLayout(const Fields& fields, const std::string& path, Nrrd& nrrd,
                       ScanLayout& layout) {
  if (std::string e = ParseSizes(fields, path, nrrd); !e.empty()) return e;
  if (std::string e = ParseValues(fields, path, nrrd); !e.empty()) return e;
  if (std::string e = ParsePlace(fields, path, nrrd); !e.empty()) return e;
  std::vector<Direction> directions;
  if (const std::string_view* field = Find(fields, "spacedirections")) {
    if (!ParseDirections(*field, directions) || directions.size() != nrrd.dimension)
      return Text({"bad space directions in ", path});
  }
  if (std::string e = FindOtherAxis(fields, directions, path, nrrd); !e.empty()) return e;
  int s = 0;
  for (int a = 0; a < static_cast<int>(nrrd.dimension); ++a)
    if (a != nrrd.otherAxis) layout.dims[s++] = nrrd.sizes[a];
  if (nrrd.otherAxis == 0) layout.components = nrrd.sizes[0];
  layout.type = nrrd.type;
  layout.swapped = nrrd.swapped;
  layout.axes = AxesOf(fields, directions, nrrd);
  return {};
}

// The data file's path: a relative name lies beside the header.
std::string Beside(const std::string& header, const std::string& name) {
  const std::size_t slash = header.rfind('/');
  if (name.front() == '/' || slash == std::string::npos) return name;
  std::string out = header.substr(0, slash + 1);
  out.append(name);
  return out;
}

// Moves `offset` past `count` more line ends of the file; false when the
// file ends first.
bool SkipLines(int fd, std::uint64_t size, std::uint64_t count, std::uint64_t& offset) {
  if (count == 0) return true;
  std::vector<char> chunk(kScanChunk);
  while (offset < size) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(size - offset, kScanChunk));
    const ssize_t got = ReadAt(fd, chunk.data(), want, offset);
    if (got <= 0) return false;
    for (ssize_t i = 0; i < got; ++i) {
      if (chunk[static_cast<std::size_t>(i)] == '\n' && --count == 0) {
        offset += static_cast<std::uint64_t>(i) + 1;
        return true;
      }
    }
    offset += static_cast<std::uint64_t>(got);
  }
  return false;
}

// The file that holds the values, and where in it they start.
struct DataSpot {
  std::string path;
  DataPlace place;
};

std::string LocateData(const std::string& path, const HeaderText& header, const Nrrd& nrrd,
                       DataSpot& spot) {
  std::uint64_t start = 0;
  if (nrrd.dataFile.empty()) {
    if (!header.ended)
      return Text({"the header of ", path, " ends without a blank line and names no data file"});
    spot.path = path;
    start = header.dataOffset;
  } else {
    spot.path = Beside(path, nrrd.dataFile);
  }
  Descriptor file;
  std::uint64_t size = 0;
  std::string reason;
  if (!OpenSized(spot.path, file, size, reason)) {
    if (nrrd.dataFile.empty()) return Text({"cannot open ", path, ": ", reason});
    return Text({"the data file of ", path, " cannot be opened: ", spot.path, ": ", reason});
  }
  // Lines are skipped in the file itself, bytes in the inflated values.
  if (!SkipLines(file.fd, size, nrrd.lineSkip, start)) return CutShort(path);
  // Raw values are read as they are, even when they start as gzip does.
  spot.place.encoding = nrrd.gzip ? DataEncoding::kPlainOrGzip : DataEncoding::kPlain;
  if (nrrd.gzip) {
    spot.place.fileOffset = start;
    spot.place.streamSkip = static_cast<std::uint64_t>(nrrd.byteSkip);
    // The skipped bytes are inflated before any value: no more than the
    // data can hold.
    DataFacts gzipped;
    gzipped.size = size;
    gzipped.compressed = gzipped.gzipped = true;
    return CheckDataFits(spot.place.streamSkip, false, size - start, gzipped, path);
  }
  if (nrrd.byteSkip >= 0) {
    // Both below 2^63: the sum fits.
    spot.place.fileOffset = start + static_cast<std::uint64_t>(nrrd.byteSkip);
    return {};
  }
  // Byte skip -1: every value of every volume ends the file.
  std::uint64_t total = SampleWidth(nrrd.type);
  bool huge = false;
  for (std::uint64_t a = 0; a < nrrd.dimension; ++a)
    huge = huge || __builtin_mul_overflow(total, nrrd.sizes[a], &total);
  if (huge || total > size - start) return CutShort(path);
  spot.place.fileOffset = size - total;
  return {};
}

// Says once what of the file is not shown.
void SayWhatIsLeft(const std::string& path, const Nrrd& nrrd) {
  if (nrrd.otherAxis < 0) return;
  const std::uint64_t count = nrrd.sizes[nrrd.otherAxis];
  if (count < 2) return;
  if (nrrd.otherAxis == 0) {
    std::fprintf(stderr, "%s: %llu values per voxel; the first is shown\n", path.c_str(),
                 static_cast<unsigned long long>(count));
  } else {
    std::fprintf(stderr, "%s: a series of %llu volumes; the first is shown\n", path.c_str(),
                 static_cast<unsigned long long>(count));
  }
}

}  // namespace

bool IsNrrdFile(const char* path) {
  std::string reason;
  Descriptor file;
  file.fd = platform::OpenRegularFile(path, reason);
  if (file.fd < 0) return false;
  char start[kMagicBytes] = {};
  const ssize_t got = ReadAt(file.fd, start, sizeof start, 0);
  return got == static_cast<ssize_t>(sizeof start) &&
         StartsWithMagic(std::string_view(start, sizeof start));
}

std::string ReadNrrd(const std::string& path, const ScanVoxelRule& rule,
                     const ScanVoxelBuffer& buffer, VolumeFacts& facts) {
  HeaderText header;
  Fields fields;
  Nrrd nrrd;
  ScanLayout layout;
  DataSpot spot;
  std::string reason = ReadHeaderText(path, header);
  if (reason.empty()) reason = ParseFields(header, path, fields);
  if (reason.empty()) reason = ReadLayout(fields, path, nrrd, layout);
  if (reason.empty()) reason = LocateData(path, header, nrrd, spot);
  if (!reason.empty()) return reason;
  DataFacts data;
  const std::unique_ptr<ByteSource> source = OpenByteSource(spot.path, spot.place, data, reason);
  if (!source) return reason;
  reason = CheckScanSize(layout, data.size - spot.place.fileOffset, data, path);
  if (!reason.empty()) return reason;
  // The caller's buffer and the reader's blocks: none may end the program
  // when memory runs out.
  try {
    reason = ReadScanSamples(*source, layout, rule, buffer, facts, path);
  } catch (const std::bad_alloc&) {
    reason = Text({"not enough memory to read ", path});
  }
  if (reason.empty()) SayWhatIsLeft(path, nrrd);
  return reason;
}

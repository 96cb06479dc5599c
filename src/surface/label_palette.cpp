#include "surface/label_palette.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "platform/common/regular_file.h"

namespace {

// A colour table holds at most a few thousand short lines (256 values,
// comments); a file beyond these caps is no colour table, and is not read
// further, so whatever lies beside a volume costs at most this much.
constexpr std::uint64_t kMaxPaletteBytes = 1024 * 1024;
constexpr std::size_t kMaxPaletteLine = 512;  // bytes, without the line break
constexpr const char* kTooLarge = "larger than 1 MiB";
constexpr const char* kLineTooLong = "line longer than 512 bytes";

void FromHsv(double hue, double saturation, double value, std::uint8_t (&rgb)[3]) {
  const double h = std::fmod(hue, 1.0) * 6.0;
  const int sector = static_cast<int>(h);
  const double f = h - sector;
  const double p = value * (1 - saturation), q = value * (1 - saturation * f),
               t = value * (1 - saturation * (1 - f));
  double r = value, g = t, b = p;
  switch (sector) {
    case 1:
      r = q, g = value, b = p;
      break;
    case 2:
      r = p, g = value, b = t;
      break;
    case 3:
      r = p, g = q, b = value;
      break;
    case 4:
      r = t, g = p, b = value;
      break;
    case 5:
      r = value, g = p, b = q;
      break;
    default:
      break;
  }
  rgb[0] = static_cast<std::uint8_t>(std::lround(r * 255));
  rgb[1] = static_cast<std::uint8_t>(std::lround(g * 255));
  rgb[2] = static_cast<std::uint8_t>(std::lround(b * 255));
}

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A whole decimal number in [0, 255], nothing else.
bool ParseByte(const std::string& word, int& out) {
  if (word.empty() || word.size() > 3) return false;
  int value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 255) return false;
  out = value;
  return true;
}

// A whole decimal number in [0, 2^31 - 1], nothing else.
bool ParseLabel(const std::string& word, std::int64_t& out) {
  if (word.empty() || word.size() > 10) return false;
  std::int64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > INT32_MAX) return false;
  out = value;
  return true;
}

}  // namespace

LabelPalette BuiltInPalette() {
  LabelPalette palette{};
  palette.rgb[1][0] = palette.rgb[1][1] = palette.rgb[1][2] = 255;
  // 29 hues times 9 levels of saturation and brightness give 261 distinct
  // colours. Value k takes hue 11k mod 29 and level k mod 9: as 29 and 9
  // have no common factor, no two values share both, and neighbouring
  // values lie far apart in hue and differ in level.
  constexpr int kHues = 29, kHueStride = 11, kLevels = 9;
  constexpr double kSaturations[3] = {0.9, 0.55, 1.0};
  constexpr double kValues[3] = {1.0, 0.78, 0.58};
  for (int v = 2; v < 256; ++v) {
    const int k = v - 2, level = k % kLevels;
    const double hue = static_cast<double>((k * kHueStride) % kHues) / kHues;
    FromHsv(hue, kSaturations[level % 3], kValues[level / 3], palette.rgb[v]);
  }
  return palette;
}

int ParsePaletteLine(const std::string& line, LabelPalette& palette, bool& malformed) {
  malformed = false;
  const std::string content = line.substr(0, line.find('#'));
  std::istringstream words(content);
  std::string value, name, r, g, b, a, extra;
  if (!(words >> value)) return 0;  // blank or comment
  std::int64_t label = 0;
  int red = 0, green = 0, blue = 0, alpha = 0;
  const bool fields = static_cast<bool>(words >> name >> r >> g >> b);
  const bool withAlpha = static_cast<bool>(words >> a);
  if (!fields || (withAlpha && (!ParseByte(a, alpha) || (words >> extra))) ||
      !ParseLabel(value, label) || !ParseByte(r, red) || !ParseByte(g, green) ||
      !ParseByte(b, blue)) {
    malformed = true;
    return 0;
  }
  LabelEntry& entry = palette.labels[label];
  entry.rgb[0] = static_cast<std::uint8_t>(red);
  entry.rgb[1] = static_cast<std::uint8_t>(green);
  entry.rgb[2] = static_cast<std::uint8_t>(blue);
  entry.name = name;
  if (label < 256) std::copy_n(entry.rgb, 3, palette.rgb[label]);
  return 1;
}

std::string PaletteFileFor(const std::string& volumePath) {
  if (IsFile(volumePath + ".lut")) return volumePath + ".lut";
  const std::size_t slash = volumePath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = volumePath.find('.', nameStart + 1);  // a leading dot is no extension
  if (dot == std::string::npos) return "";
  const std::string stem = volumePath.substr(0, dot) + ".lut";
  return IsFile(stem) ? stem : "";
}

LabelPalette PaletteForVolume(const std::string& volumePath) {
  LabelPalette palette = BuiltInPalette();
  const std::string file = PaletteFileFor(volumePath);
  if (!file.empty()) LoadPaletteFile(file, palette);
  return palette;
}

LabelPalette ColoursOfBytes(const LabelPalette& palette, const LabelBytes& bytes) {
  if (!bytes.mapped) return palette;
  LabelPalette coloured = palette;
  const LabelPalette builtIn = BuiltInPalette();
  for (int byte = 1; byte < 256; ++byte) {
    const std::int64_t label = bytes.labelOf[byte];
    const auto entry = palette.labels.find(label);
    // Counted round 1..255 (256 is 1 again, -7 is 248), without overflow.
    const std::int64_t counted = (label % 255 + 254) % 255 + 1;
    const std::uint8_t* rgb =
        entry != palette.labels.end() ? entry->second.rgb : builtIn.rgb[counted];
    std::copy_n(rgb, 3, coloured.rgb[byte]);
  }
  return coloured;
}

const std::string* LabelName(const LabelPalette& palette, std::int64_t label) {
  const auto entry = palette.labels.find(label);
  return entry == palette.labels.end() ? nullptr : &entry->second.name;
}

bool LoadPaletteFile(const std::string& path, LabelPalette& palette) {
  const auto ignore = [&](const std::string& where, const std::string& why) {
    std::fprintf(stderr, "%s: %s; colour table ignored\n", where.c_str(), why.c_str());
    return false;
  };
  std::string reason;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      platform::OpenRegularFileStream(path.c_str(), reason), std::fclose);
  if (!file) return ignore(path, "cannot open: " + reason);
  struct stat status {};
  if (fstat(fileno(file.get()), &status) == 0 &&
      static_cast<std::uint64_t>(status.st_size) > kMaxPaletteBytes) {
    return ignore(path, kTooLarge);
  }
  // Read a line at a time, into a copy: a file found to be no colour table
  // halfway through leaves the palette as it was.
  LabelPalette read = palette;
  std::string line;
  int number = 0;
  const auto parseLine = [&] {
    ++number;
    bool malformed = false;
    ParsePaletteLine(line, read, malformed);
    if (malformed) {
      std::fprintf(stderr, "%s:%d: not a colour line (value name r g b [a]), skipped\n",
                   path.c_str(), number);
    }
    line.clear();
  };
  char block[4096];
  std::uint64_t total = 0;  // counted as read too: the file may grow meanwhile
  std::size_t got = 0;
  do {
    got = std::fread(block, 1, sizeof block, file.get());
    total += got;
    if (total > kMaxPaletteBytes) return ignore(path, kTooLarge);
    for (std::size_t i = 0; i < got; ++i) {
      if (block[i] == '\n') {
        parseLine();
      } else if (line.size() == kMaxPaletteLine) {
        return ignore(path + ":" + std::to_string(number + 1), kLineTooLong);
      } else {
        line.push_back(block[i]);
      }
    }
  } while (got == sizeof block);
  if (std::ferror(file.get()))
    return ignore(path, std::string("cannot read: ") + std::strerror(errno));
  if (!line.empty()) parseLine();  // the last line needs no line break
  palette = read;
  return true;
}

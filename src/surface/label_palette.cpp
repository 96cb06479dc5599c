#include "surface/label_palette.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

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
  int index = 0, red = 0, green = 0, blue = 0, alpha = 0;
  const bool fields = static_cast<bool>(words >> name >> r >> g >> b);
  const bool withAlpha = static_cast<bool>(words >> a);
  if (!fields || (withAlpha && (!ParseByte(a, alpha) || (words >> extra))) ||
      !ParseByte(value, index) || !ParseByte(r, red) || !ParseByte(g, green) ||
      !ParseByte(b, blue)) {
    malformed = true;
    return 0;
  }
  palette.rgb[index][0] = static_cast<std::uint8_t>(red);
  palette.rgb[index][1] = static_cast<std::uint8_t>(green);
  palette.rgb[index][2] = static_cast<std::uint8_t>(blue);
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

bool LoadPaletteFile(const std::string& path, LabelPalette& palette) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  ParsePalette(text.str(), palette, [&](int number, const std::string&) {
    std::fprintf(stderr, "%s:%d: not a colour line (value name r g b [a]), skipped\n", path.c_str(),
                 number);
  });
  return true;
}

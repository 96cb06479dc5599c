// The colours of voxel values (labels) for colours by value: one RGB colour
// per byte value. Value 1 is white, the surface's material colour, so a
// binary volume keeps the shading it has without colours.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "voxel/label_bytes.h"

struct LabelEntry {
  std::uint8_t rgb[3];
  std::string name;
};

struct LabelPalette {
  std::uint8_t rgb[256][3];  // by voxel byte
  // Every label a colour table names, by its value (up to 2^31 - 1: a
  // scan's labels may lie beyond a byte; see LabelBytes).
  std::map<std::int64_t, LabelEntry> labels;
};

// 255 clearly distinct colours for values 1 to 255 (value 0, empty, black).
LabelPalette BuiltInPalette();

// Reads a colour table in the layout segmentation tools write: lines of
// `value name r g b [a]` (value 0..2^31 - 1, colour components 0..255), `#`
// comments and blank lines. Each line read names its value and gives it
// its colour (its byte's colour too, for values up to 255) in `palette`; a
// malformed line is reported once through `report(line number, text)` and
// skipped. Returns the number of colours read.
template <typename Report>
int ParsePalette(const std::string& text, LabelPalette& palette, Report report);

// The palette file beside a volume: `PATH.lut`, else the path with every
// extension of its file name replaced by `.lut` (brain.lut for
// brain.nii.gz). Empty when neither exists.
std::string PaletteFileFor(const std::string& volumePath);

// Reads `path` into `palette` (over the colours it has); each malformed
// line is reported on standard error with its line number. False, with the
// reason on standard error and `palette` unchanged, when the file cannot be
// opened as a regular file or read, or is larger than 1 MiB or has a line
// longer than 512 bytes (no colour table is).
bool LoadPaletteFile(const std::string& path, LabelPalette& palette);

// The built-in colours, with those of the volume's palette file (if any)
// read over them.
LabelPalette PaletteForVolume(const std::string& volumePath);

// The bytes' colours of a volume whose labels were given bytes of their
// own: each byte takes its label's colour from the table, else the
// built-in colour of the label counted round 1..255.
LabelPalette ColoursOfBytes(const LabelPalette& palette, const LabelBytes& bytes);

// The name the colour table gives `label`, or none.
const std::string* LabelName(const LabelPalette& palette, std::int64_t label);

// Implementation of the template.
int ParsePaletteLine(const std::string& line, LabelPalette& palette, bool& malformed);

template <typename Report>
int ParsePalette(const std::string& text, LabelPalette& palette, Report report) {
  int read = 0, number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    ++number;
    bool malformed = false;
    read += ParsePaletteLine(line, palette, malformed);
    if (malformed) report(number, line);
    start = end + 1;
  }
  return read;
}

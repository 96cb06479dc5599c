// The command line of qarmel-shot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Keeps the voxels lo..hi (the file's indices) along one axis.
struct ShotCut {
  int axis = 0;  // x, y, z
  std::uint32_t lo = 0, hi = 0;
};

struct ShotOptions {
  std::string input;
  std::string output;
  int width = 512, height = 512;
  std::optional<float> heading, elevation, distance;
  std::string keys;  // viewer key commands, applied in order
  std::vector<ShotCut> cuts;
  std::vector<std::int64_t> labels;      // shown alone (--labels), as key u does for one
  std::vector<std::int64_t> hideLabels;  // hidden, as key h does
  std::optional<double> threshold;       // solid: a value of at least it (--threshold VALUE)
  bool autoThreshold = false;            // --threshold auto: Otsu's threshold
  bool merged = false;                   // start with merged faces (key m), built once
  bool fit = false;                      // frame the solid voxels instead of the whole grid
  bool thumbnail = false;  // fit, smooth shading, label colours, light from the viewer
  bool info = false;
  bool help = false;
  bool version = false;
};

// The options, or an error text (without the program name) in `error`.
std::optional<ShotOptions> ParseShotOptions(int argc, const char* const* argv, std::string& error);

extern const char kShotUsage[];

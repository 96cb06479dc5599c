// The command line of qarmel-shot.
#pragma once

#include <optional>
#include <string>

struct ShotOptions {
  std::string input;
  std::string output;
  int width = 512, height = 512;
  std::optional<float> heading, elevation, distance;
  std::string keys;        // viewer key commands, applied in order
  bool merged = false;     // start with merged faces (key m), built once
  bool fit = false;        // frame the solid voxels instead of the whole grid
  bool thumbnail = false;  // fit, smooth shading, label colours, light from the viewer
  bool info = false;
  bool help = false;
  bool version = false;
};

// The options, or an error text (without the program name) in `error`.
std::optional<ShotOptions> ParseShotOptions(int argc, const char* const* argv, std::string& error);

extern const char kShotUsage[];

// The frames of qarmel-shot, shared with the image tests: the viewer's own
// window, start-up, camera, key commands and frame on the headless backend
// (an offscreen Mesa context), and the read-back of the picture.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shot_options.h"
#include "voxel/voxel_selection.h"

// Opens the viewer's window with the given client size around theVolume and
// draws the start-up frame exactly as the viewer does (the volume mirrored
// in z, strip lists, fast lighting). False when no offscreen context could
// be made.
bool OpenShotWindow(int width, int height);

// Where the polar camera goes; what is not given stays as start-up left it.
struct ShotCamera {
  std::optional<float> heading, elevation, distance;
  bool Moves() const { return heading || elevation || distance; }
};
void MoveShotCamera(const ShotCamera& camera);

// The voxels the options keep, as the threshold, cut and label keys do
// (cuts in the file's indices): the first surface is built of them. An
// intensity scan starts at Otsu's threshold unless --threshold says else.
VoxelSelection ShotSelection(const ShotOptions& options);

// Types the characters in order as key commands; false when one of them
// closed the window.
bool TypeShotKeys(const std::string& keys);

// Draws a frame and reads it back: width x height RGB, top row first.
std::vector<unsigned char> RenderShotFrame(int width, int height);

// The back buffer as drawn last, without drawing: top row first.
std::vector<unsigned char> ReadShotFrame(int width, int height);

// Closes the window; WM_DESTROY releases theVolume.
void CloseShotWindow();

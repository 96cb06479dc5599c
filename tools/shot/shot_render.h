// The frames of qarmel-shot, shared with the image tests: the viewer's own
// window, start-up, camera, key commands and frame on the headless backend
// (an offscreen Mesa context), and the read-back of the picture.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shot_options.h"

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

// Keeps the voxels the options' cuts keep (the file's indices) and shows
// or hides their labels, as the cut and label keys do.
void SelectShotVoxels(const ShotOptions& options);

// Types the characters in order as key commands; false when one of them
// closed the window.
bool TypeShotKeys(const std::string& keys);

// Draws a frame and reads it back: width x height RGB, top row first.
std::vector<unsigned char> RenderShotFrame(int width, int height);

// The back buffer as drawn last, without drawing: top row first.
std::vector<unsigned char> ReadShotFrame(int width, int height);

// Closes the window; WM_DESTROY releases theVolume.
void CloseShotWindow();

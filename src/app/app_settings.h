// The user settings, with their start values; no setting is read from or
// saved to anywhere.
#pragma once

#include <cstdint>

struct AppSettings {
  float cameraDelta = 0.1f;  // step of the camera controls
  std::int32_t windowWidth = 512;
  std::int32_t windowHeight = 512;
  std::int32_t windowX = 0;
  std::int32_t windowY = 0;
  bool appActive = true;
  bool polarMode = true;  // off: fly camera
  bool lighting = true;
  bool dithering = true;
  bool culling = true;
  bool fog = true;
  bool depthBuffer = true;
  bool textureFiltering = true;
  bool perspectiveCorrection = true;
  bool texturing = false;
  bool showAxes = false;
  bool showFps = false;
  int cutPlane = -1;           // the plane the cut keys move (view_keys.h); none chosen
  bool intensityScan = false;  // a scan of intensities, not labels: starts in threshold mode
};

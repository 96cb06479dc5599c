// Framing for pictures of one's own and for thumbnails: the polar camera
// aimed at the solid voxels' bounding box, not the whole grid, and as close
// as lets the box fill nine tenths of the picture along its limiting side.
#pragma once

// Pans and moves the polar camera at its heading and elevation so that
// the drawn solid voxels' box fills the picture as said; an empty volume
// leaves the camera as it is. False when there is nothing to frame.
bool FitShotCamera(int width, int height);

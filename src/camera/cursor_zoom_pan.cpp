// The wheel's zoom and the middle button's pan, for either camera. Both
// are measured against the volume's centre (the origin): a notch moves the
// eye a tenth of the way there, and a pan moves the scene by the width a
// pixel spans at the centre's depth, so the point there stays under the
// cursor at any distance and field of view.
#include <cmath>

#include "camera/camera_controls.h"
#include "camera/vec3.h"

namespace {

constexpr float kNotchShare = 0.9f;  // what one notch towards the centre leaves of the distance

float Length(const float (&p)[3]) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }

// The world width one pixel spans at this depth in a picture `height` high.
float PixelWidthAt(const OGLcamera& camera, float depth, int height) {
  return 2 * depth * std::tan(camera.fov * DEG_TO_RAD / 2) / static_cast<float>(height);
}

}  // namespace

void ZoomWithWheel(OGLcamera& camera, bool polar, float notches) {
  const float kept = std::pow(kNotchShare, notches);
  if (polar) {
    camera.distance *= kept;
    return;
  }
  const float step = Length(camera.position) * (1 - kept);
  for (int a = 0; a < 3; ++a) camera.position[a] += camera.direction[a] * step;
}

void PanWithCursor(OGLcamera& camera, bool polar, int dx, int dy, int height) {
  if (height <= 0 || (dx == 0 && dy == 0)) return;
  if (polar) {
    // The polar view's pan offset is in eye space, the centre at its distance.
    const float pixel = PixelWidthAt(camera, std::fabs(camera.distance), height);
    camera.position[0] -= static_cast<float>(dx) * pixel;
    camera.position[1] += static_cast<float>(dy) * pixel;
    return;
  }
  const float* p = camera.position;
  const float* d = camera.direction;
  float depth = -(p[0] * d[0] + p[1] * d[1] + p[2] * d[2]);
  if (depth <= 0) depth = Length(camera.position);  // the centre behind the eye
  const float pixel = PixelWidthAt(camera, depth, height);
  // The camera's right and up from its view direction, as the fly control
  // takes them: right = d x Y, up = right x d.
  float right[3] = {-d[2], 0, d[0]};
  const float across = std::sqrt(right[0] * right[0] + right[2] * right[2]);
  if (across == 0) return;  // looking straight up or down: no right to speak of
  right[0] /= across, right[2] /= across;
  const float up[3] = {right[1] * d[2] - right[2] * d[1], right[2] * d[0] - right[0] * d[2],
                       right[0] * d[1] - right[1] * d[0]};
  for (int a = 0; a < 3; ++a)
    camera.position[a] +=
        (-static_cast<float>(dx) * right[a] + static_cast<float>(dy) * up[a]) * pixel;
}

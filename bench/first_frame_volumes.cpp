#include "first_frame_volumes.h"

const std::vector<FirstFrameVolume>& FirstFrameVolumes() {
  // 1024^3 runs once: a run takes about 20 s and the time is far from noise.
  static const std::vector<FirstFrameVolume> volumes = {
      {"phantom 128^3", "phantom", "128", 128ull * 128 * 128, 3, 0, 0},
      {"phantom 256^3", "phantom", "256", 256ull * 256 * 256, 3, 0, 0},
      {"phantom 512^3", "phantom", "512", 512ull * 512 * 512, 3, 2.0, 2.0},
      {"phantom 1024^3", "phantom", "1024", 1024ull * 1024 * 1024, 1, 10.0, 10.0},
      {"scan 181x217x181", "scan", "181x217x181", 181ull * 217 * 181, 3, 0.6, 0.4},
  };
  return volumes;
}

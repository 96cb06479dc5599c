// cubgen: writes CUB files of procedural shapes, for the bundled sample and
// for trying the viewer out.
//
//   SIZE is an edge (a cube) or WxHxD.
//   cubgen phantom SIZE OUT.cub   a head phantom made of ellipsoids, cut open
//   cubgen sphere SIZE OUT.cub    a hollow sphere
//   cubgen noise SIZE OUT.cub     thresholded smooth noise: blobs and tunnels
//   cubgen scan SIZE OUT.cub      the phantom with a brain of fine tissue, as a thresholded scan
//   cubgen atlas SIZE OUT.cub     the phantom as a label volume: a brain of 100 labelled parcels
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cub_writer.h"
#include "shapes.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: cubgen phantom|sphere|noise|scan|atlas SIZE OUT.cub\n"
               "  SIZE: edge of a cubic volume, or WxHxD, in voxels, 8 to 1024 each\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  unsigned long x = 0, y = 0, z = 0;
  char tail = 0;
  const int fields = std::sscanf(argv[2], "%lux%lux%lu%c", &x, &y, &z, &tail);
  if (fields == 1) y = z = x;
  if ((fields != 1 && fields != 3) || std::min({x, y, z}) < 8 || std::max({x, y, z}) > 1024)
    return Usage();
  const auto dx = static_cast<std::uint32_t>(x), dy = static_cast<std::uint32_t>(y),
             dz = static_cast<std::uint32_t>(z);

  CubVolume volume;
  if (std::strcmp(argv[1], "phantom") == 0) {
    volume = MakeHeadPhantom(dx, dy, dz);
  } else if (std::strcmp(argv[1], "sphere") == 0) {
    if (fields != 1) return Usage();
    volume = MakeHollowSphere(dx);
  } else if (std::strcmp(argv[1], "noise") == 0) {
    volume = MakeNoiseField(dx, dy, dz, 1);
  } else if (std::strcmp(argv[1], "scan") == 0) {
    volume = MakeScanPhantom(dx, dy, dz, 1);
  } else if (std::strcmp(argv[1], "atlas") == 0) {
    if (fields != 1) return Usage();
    volume = MakeAtlasPhantom(dx, 100, 1);
  } else {
    return Usage();
  }
  const std::string error = WriteCubFile(argv[3], volume);
  if (!error.empty()) {
    std::fprintf(stderr, "cubgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

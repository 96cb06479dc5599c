// cubgen: writes CUB files of procedural shapes, for the bundled sample and
// for trying the viewer out.
//
//   cubgen phantom SIZE OUT.cub   a head phantom made of ellipsoids, cut open
//   cubgen sphere SIZE OUT.cub    a hollow sphere
//   cubgen noise SIZE OUT.cub     thresholded smooth noise: blobs and tunnels
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cub_writer.h"
#include "shapes.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: cubgen phantom|sphere|noise SIZE OUT.cub\n"
               "  SIZE: edge of the cubic volume in voxels, 8 to 1024\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  char* end = nullptr;
  const long size = std::strtol(argv[2], &end, 10);
  if (*end != '\0' || size < 8 || size > 1024) return Usage();
  const auto edge = static_cast<std::uint32_t>(size);

  CubVolume volume;
  if (std::strcmp(argv[1], "phantom") == 0) {
    volume = MakeHeadPhantom(edge);
  } else if (std::strcmp(argv[1], "sphere") == 0) {
    volume = MakeHollowSphere(edge);
  } else if (std::strcmp(argv[1], "noise") == 0) {
    volume = MakeNoiseField(edge, 1);
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

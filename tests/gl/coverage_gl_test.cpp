// The picture against an independent CPU oracle: at realistic sizes, from
// the start view, zoomed out and in, and from other headings and
// elevations, every pixel where the oracle sees a front face must show it
// lit (not black), with fast lighting on and off, with both render methods,
// textured and not. Frames go through qarmel-shot's own steps in this
// process: the geometry is built once per volume, method and texture
// setting, then the camera moves.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_state.h"
#include "app/cursor_pick.h"
#include "coverage_oracle.h"
#include "image_compare.h"
#include "platform/headless/headless_control.h"
#include "shapes.h"
#include "shot_render.h"
#include "stdout_capture.h"
#include "test_volumes.h"

namespace {

constexpr int kWidth = 384, kHeight = 288;
constexpr double kMostMissing = 0.005;  // voxel edges are the only allowed differences
constexpr double kMostExtra = 0.005;
constexpr std::size_t kMostTies = kWidth * kHeight / 10000;

VolumePtr FromCub(const CubVolume& cub) {
  VolumePtr v = MakeVolume(cub.dimX, cub.dimY, cub.dimZ);
  std::memcpy(v->data, cub.voxels.data(), cub.voxels.size());
  return v;
}

VolumePtr Copy(const VOXSPACE& v) {
  VolumePtr copy = MakeVolume(v.dimX, v.dimY, v.dimZ);
  std::memcpy(copy->data, v.data, std::size_t{v.dimX} * v.dimY * v.dimZ);
  return copy;
}

// Voxels whose centre lies within the ellipsoid (centre c, radii r).
template <class Fill>
void ForEachVoxel(VOXSPACE& v, Fill fill) {
  for (std::uint32_t z = 0; z < v.dimZ; ++z)
    for (std::uint32_t y = 0; y < v.dimY; ++y)
      for (std::uint32_t x = 0; x < v.dimX; ++x)
        fill(VoxelAt(v, x, y, z), x + 0.5, y + 0.5, z + 0.5);
}

double Ellipsoid(double x, double y, double z, const double c[3], const double r[3]) {
  const double dx = (x - c[0]) / r[0], dy = (y - c[1]) / r[1], dz = (z - c[2]) / r[2];
  return dx * dx + dy * dy + dz * dz;
}

// A sphere shell one voxel thick.
VolumePtr ThinShell(std::uint32_t edge) {
  VolumePtr v = MakeVolume(edge, edge, edge);
  const double c = edge / 2.0, radius = edge * 0.4;
  ForEachVoxel(*v, [&](std::uint8_t& voxel, double x, double y, double z) {
    const double r = std::sqrt((x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c));
    voxel = std::abs(r - radius) < 0.5;
  });
  return v;
}

// A rod three voxels thick along x, nearly as long as the box.
VolumePtr ThinRod() {
  VolumePtr v = MakeVolume(240, 12, 12);
  for (std::uint32_t x = 2; x < 238; ++x)
    for (std::uint32_t y = 4; y < 7; ++y)
      for (std::uint32_t z = 4; z < 7; ++z) VoxelAt(*v, x, y, z) = 1;
  return v;
}

// A head-like blob (skin, skull gap, brain) that runs out of the box at
// the bottom and at the back, the way a scan cut at the neck does: the
// volume is open there.
VolumePtr CutOpenHead() {
  VolumePtr v = MakeVolume(128, 144, 112);
  const double c[3] = {64, 62, 84};
  const double skin[3] = {52, 68, 44}, skull[3] = {44, 60, 36}, brain[3] = {36, 50, 28};
  ForEachVoxel(*v, [&](std::uint8_t& voxel, double x, double y, double z) {
    voxel = Ellipsoid(x, y, z, c, skin) <= 1 &&
            (Ellipsoid(x, y, z, c, skull) > 1 || Ellipsoid(x, y, z, c, brain) <= 1);
  });
  return v;
}

struct VolumeCase {
  std::string name;
  std::function<VolumePtr()> make;
  std::vector<ShotCut> cuts = {};  // the file's indices, as --cut takes them
};

// A solid ball filling most of a cube.
VolumePtr Ball(std::uint32_t edge) {
  VolumePtr v = MakeVolume(edge, edge, edge);
  const double c = edge / 2.0, radius = edge * 0.4;
  ForEachVoxel(*v, [&](std::uint8_t& voxel, double x, double y, double z) {
    voxel = (x - c) * (x - c) + (y - c) * (y - c) + (z - c) * (z - c) < radius * radius;
  });
  return v;
}

std::string CaseName(const ::testing::TestParamInfo<VolumeCase>& info) { return info.param.name; }
void PrintTo(const VolumeCase& c, std::ostream* out) { *out << c.name; }

// The polar camera's places, the start distance scaled.
struct CameraPlace {
  const char* name;
  float heading, elevation, distanceScale;
};
constexpr CameraPlace kPlaces[] = {
    {"start", 336, 340, 1.0f},       {"out 1.6x", 336, 340, 1.6f},    {"out 3x", 336, 340, 3.0f},
    {"in 0.7x", 336, 340, 0.7f},     {"in 0.4x", 336, 340, 0.4f},     {"side", 90, 0, 1.0f},
    {"behind above", 200, 30, 1.0f}, {"straight down", 0, 270, 1.0f}, {"straight up", 45, 90, 1.0f},
};

// Geometry settings in the order the keys reach them from the start-up
// state (strip lists, untextured). Merged faces must show the picture of
// the single faces they join (`sameAs`, an earlier entry).
struct Geometry {
  const char* name;
  const char* keys;
  oracle::FaceRule faces;
  int sameAs = -1;
};
constexpr Geometry kGeometries[] = {
    {"strips", "", oracle::FaceRule::kStripRuns},
    {"quads", "1", oracle::FaceRule::kInterior},
    {"textured quads", "t", oracle::FaceRule::kInterior},
    {"textured strips", "2", oracle::FaceRule::kStripRuns},
    {"merged textured strips", "m", oracle::FaceRule::kStripRuns, 3},
    {"merged textured quads", "1", oracle::FaceRule::kInterior, 2},
    {"merged quads", "t", oracle::FaceRule::kInterior, 1},
    {"merged strips", "2", oracle::FaceRule::kStripRuns, 0}};
// Where merged and single faces may differ: pixels on T-junctions between
// rectangles, and where depth ties between faces break apart.
constexpr double kMostMergedDifferences = 0.001;

using Mask = std::vector<std::uint8_t>;

// The viewer's window as qarmel-shot opens it, around a volume made here.
class ShotWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::SetMessageBoxEcho(false);  // the boxes of keys 1, 2 and 3
    // What an earlier window of this process left behind.
    appSettings = AppSettings{};
    theSurface.voxSpace = nullptr;
    theSurface.textured = 0;
    theSurface.merged = theSurface.coloured = false;
    texturePath[0] = '\0';  // scene set-up appends to it: else the texture is not found
  }
  void TearDown() override { CloseShotWindow(); }

  // The start-up frame of `volume`; the window's WM_DESTROY releases it.
  static bool Open(VolumePtr volume, const std::string& name) {
    theVolume = volume.release();
    const std::uint32_t dims[3] = {theVolume->dimX, theVolume->dimY, theVolume->dimZ};
    fileAxes = FileAxesOf(VolumeFacts{}, dims);  // as a load of a CUB file sets them
    std::snprintf(inputFileName, sizeof inputFileName, "%s.cub", name.c_str());
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s/", QARMEL_TEXTURE_DIR);
    bool opened = false;
    CaptureStdoutOf(
        [&] { opened = OpenShotWindow(kWidth, kHeight); });  // the texture loader's lines
    return opened;
  }
};

TEST_F(ShotWindow, DepthBufferHasAtLeast24Bits) {
  ASSERT_TRUE(Open(MakeVolume(5, 5, 5, {{2, 2, 2}}), "dot"));
  GLint bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &bits);
  EXPECT_GE(bits, 24);
}

// A volume one voxel deep has no interior, yet the strip lists built after
// key 2 hold the LEFT and RIGHT faces of its solid runs: seen from the
// side, culling must not make the visibility query drop them.
TEST_F(ShotWindow, AFlatVolumesStripFacesShowWithCullingOnAndOff) {
  VolumePtr volume = MakeVolume(7, 7, 1);
  for (std::uint32_t x = 2; x <= 4; ++x)
    for (std::uint32_t y = 1; y <= 5; ++y) VoxelAt(*volume, x, y, 0) = 1;
  ASSERT_TRUE(Open(std::move(volume), "flat"));
  ASSERT_TRUE(TypeShotKeys("f2"));               // fog off; the lists now hold the volume's strips
  for (const float heading : {90.0f, 270.0f}) {  // from the -x side, then from the +x side
    MoveShotCamera({heading, 0, 12});
    const auto culled = Covered(RenderShotFrame(kWidth, kHeight));
    ASSERT_TRUE(TypeShotKeys("c"));
    const auto unculled = Covered(RenderShotFrame(kWidth, kHeight));
    ASSERT_TRUE(TypeShotKeys("c"));
    EXPECT_GT(std::count(culled.begin(), culled.end(), 1), 500) << "heading " << heading;
    EXPECT_EQ(CountMaskDifferences(culled, unculled), 0u) << "heading " << heading;
  }
}

// Colours by value: every geometry shows the same coloured picture, labels
// in distinct colours; a binary volume keeps its look; key k again brings
// back the picture without colours exactly.
TEST_F(ShotWindow, ColoursByValueAgreeAcrossGeometriesAndGoBackCleanly) {
  const std::size_t mostDifferent = kWidth * kHeight / 1000;
  VolumePtr binary = FromCub(MakeHeadPhantom(48));
  for (std::size_t i = 0; i < std::size_t{48} * 48 * 48; ++i)
    binary->data[i] = binary->data[i] ? 1 : 0;
  ASSERT_TRUE(Open(std::move(binary), "binary"));
  ASSERT_TRUE(TypeShotKeys("f"));
  const RgbImage grey = RenderShotFrame(kWidth, kHeight);
  ASSERT_TRUE(TypeShotKeys("k"));
  EXPECT_LE(CountDifferentPixels(grey, RenderShotFrame(kWidth, kHeight), 1), mostDifferent)
      << "value 1 looks as without colours";
  CloseShotWindow();

  SetUp();
  ASSERT_TRUE(Open(FromCub(MakeHeadPhantom(64)), "labels"));  // values 100, 120, 150 and 200
  ASSERT_TRUE(TypeShotKeys("f"));
  const RgbImage plain = RenderShotFrame(kWidth, kHeight);
  ASSERT_TRUE(TypeShotKeys("k"));
  const RgbImage strips = RenderShotFrame(kWidth, kHeight);
  std::set<std::tuple<int, int, int>> hues;  // colours seen, coarsely
  for (std::size_t i = 0; i + 2 < strips.size(); i += 3) {
    const int r = strips[i], g = strips[i + 1], b = strips[i + 2];
    const int most = std::max({r, g, b});
    if (most > 40) hues.insert({r * 4 / (most + 1), g * 4 / (most + 1), b * 4 / (most + 1)});
  }
  EXPECT_GE(hues.size(), 3u) << "the labels show in distinct colours";
  for (const char* keys : {"1", "m", "2"}) {  // quads, merged quads, merged strips
    ASSERT_TRUE(TypeShotKeys(keys));
    EXPECT_LE(CountDifferentPixels(strips, RenderShotFrame(kWidth, kHeight), 1), mostDifferent)
        << keys;
  }
  ASSERT_TRUE(TypeShotKeys("mk"));
  EXPECT_EQ(CountDifferentPixels(plain, RenderShotFrame(kWidth, kHeight), 0), 0u);
}

// The voxel under the cursor, picked from the last frame's transforms,
// is the oracle's first front face along the pixel's ray, at every pixel
// whose neighbours show the same voxel (away from face edges).
TEST_F(ShotWindow, PickingFindsTheOraclesVoxelUnderEveryPixel) {
  struct Case {
    std::uint32_t edge;
    double density;
    std::uint32_t seed;
  };
  for (const Case& c : {Case{20, 0.05, 1}, Case{28, 0.3, 2}, Case{40, 0.6, 3}}) {
    VolumePtr volume = RandomVolume(c.edge, c.edge + 4, c.edge - 4, c.density, c.seed);
    VolumePtr seen = Copy(*volume);
    MirrorVoxSpaceZ(seen.get());
    ASSERT_TRUE(Open(std::move(volume), "random"));
    const float startDistance = polarCam.distance;
    std::size_t compared = 0;
    for (const CameraPlace& place : kPlaces) {
      SCOPED_TRACE(std::to_string(c.edge) + ", " + place.name);
      MoveShotCamera({place.heading, place.elevation, startDistance * place.distanceScale});
      RenderShotFrame(kWidth, kHeight);
      oracle::PolarView view;
      view.heading = place.heading, view.elevation = place.elevation;
      view.distance = startDistance * place.distanceScale;
      view.fovDegrees = polarCam.fov, view.aspect = polarCam.aspect, view.zNear = polarCam.zNear;
      view.width = kWidth, view.height = kHeight;
      const auto expected = oracle::FrontFaceVoxels(*seen, view);
      std::size_t wrong = 0;
      for (int y = 1; y + 1 < kHeight; ++y)
        for (int x = 1; x + 1 < kWidth; ++x) {
          const auto& voxel = expected[static_cast<std::size_t>(y) * kWidth + x];
          bool inside = voxel[0] >= 0;
          for (int dy = -1; dy <= 1 && inside; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
              inside =
                  inside && expected[static_cast<std::size_t>(y + dy) * kWidth + x + dx] == voxel;
          if (!inside) continue;
          ++compared;
          const auto picked = VoxelUnderPixel(x, y);
          if (!picked || (*picked)[0] != voxel[0] || (*picked)[1] != voxel[1] ||
              (*picked)[2] != voxel[2])
            ++wrong;
        }
      EXPECT_EQ(wrong, 0u) << "pixels picked wrong";
    }
    EXPECT_GE(compared, 1000u) << c.edge;
    CloseShotWindow();
    SetUp();
  }
}

class Coverage : public ShotWindow, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(Coverage, EveryFrontFaceShowsLitAtEveryDistanceAndView) {
  VolumePtr volume = GetParam().make();
  // The oracle sees the volume as the surface does: cut, and mirrored in z.
  VolumePtr seen = Copy(*volume);
  for (const ShotCut& cut : GetParam().cuts) oracle::KeepBetween(*seen, cut.axis, cut.lo, cut.hi);
  MirrorVoxSpaceZ(seen.get());
  ASSERT_TRUE(Open(std::move(volume), GetParam().name));
  ShotOptions cut;
  cut.cuts = GetParam().cuts;
  RequestSurface(rebuild, {WantedLook(rebuild), ShotSelection(cut)});
  FinishRebuilds(rebuild);
  ASSERT_TRUE(TypeShotKeys("f"));  // fog off: what it fades is not in question here
  const float startDistance = polarCam.distance;

  std::map<oracle::FaceRule, std::vector<Mask>> masks;
  for (const auto rule : {oracle::FaceRule::kInterior, oracle::FaceRule::kStripRuns}) {
    for (const CameraPlace& place : kPlaces) {
      oracle::PolarView view;
      view.heading = place.heading, view.elevation = place.elevation;
      view.distance = startDistance * place.distanceScale;
      view.fovDegrees = flyCam.fov, view.aspect = flyCam.aspect, view.zNear = flyCam.zNear;
      view.width = kWidth, view.height = kHeight;
      masks[rule].push_back(oracle::FrontFaceCoverage(*seen, view, rule));
      ASSERT_GT(std::count(masks[rule].back().begin(), masks[rule].back().end(), 1), 0)
          << place.name << ": the oracle sees the volume";
    }
  }

  std::vector<std::vector<RgbImage>> frames(std::size(kGeometries));  // per place: fast, lit
  for (std::size_t g = 0; g < std::size(kGeometries); ++g) {
    const Geometry& geometry = kGeometries[g];
    ASSERT_TRUE(TypeShotKeys(geometry.keys));
    double mostMissing = 0, mostExtra = 0, mostMerged = 0;
    for (std::size_t p = 0; p < std::size(kPlaces); ++p) {
      const CameraPlace& place = kPlaces[p];
      MoveShotCamera({place.heading, place.elevation, startDistance * place.distanceScale});
      const RgbImage fast = RenderShotFrame(kWidth, kHeight);
      ASSERT_TRUE(TypeShotKeys("3"));  // fast lighting off
      const RgbImage lit = RenderShotFrame(kWidth, kHeight);
      ASSERT_TRUE(TypeShotKeys("3"));
      for (const auto& [lighting, frame] :
           {std::pair{"fast lighting", &fast}, std::pair{"lighting", &lit}}) {
        const CoverageMismatch m = CompareCoverage(masks[geometry.faces][p], *frame);
        EXPECT_LE(m.MissingShare(), kMostMissing)
            << geometry.name << ", " << lighting << ", " << place.name << ": " << m.missing
            << " of " << m.expected << " pixels black";
        EXPECT_LE(m.ExtraShare(), kMostExtra)
            << geometry.name << ", " << lighting << ", " << place.name << ": " << m.extra
            << " pixels beyond the oracle's " << m.expected;
        mostMissing = std::max(mostMissing, m.MissingShare());
        mostExtra = std::max(mostExtra, m.ExtraShare());
      }
      // Fast lighting's colour of a direction is the lit colour of its
      // faces: the same pixels, in the same colours (but where faces of two
      // directions meet at a pixel: the two paths break depth ties apart).
      EXPECT_EQ(CountMaskDifferences(Covered(fast), Covered(lit)), 0u)
          << geometry.name << ", " << place.name
          << ": fast lighting covers other pixels than lighting";
      EXPECT_LE(CountDifferentPixels(fast, lit, 1), kMostTies)
          << geometry.name << ", " << place.name
          << ": fast lighting shows other colours than lighting";
      if (geometry.sameAs >= 0) {
        const auto& single = frames[static_cast<std::size_t>(geometry.sameAs)];
        for (const auto& [k, frame] : {std::pair{0, &fast}, std::pair{1, &lit}}) {
          const double share =
              static_cast<double>(CountDifferentPixels(single[2 * p + k], *frame, 1)) /
              (kWidth * kHeight);
          EXPECT_LE(share, kMostMergedDifferences)
              << geometry.name << ", " << place.name << ": " << 100 * share
              << "% of pixels differ from single faces";
          mostMerged = std::max(mostMerged, share);
        }
      }
      frames[g].push_back(fast);
      frames[g].push_back(lit);
    }
    std::printf("%s, %s: at most %.3f%% of the oracle's pixels black, %.3f%% shown beyond them",
                GetParam().name.c_str(), geometry.name, 100 * mostMissing, 100 * mostExtra);
    if (geometry.sameAs >= 0)
      std::printf("; %.4f%% of pixels unlike single faces", 100 * mostMerged);
    std::printf("\n");
  }
}

// The large family (label gl_large) is left out of the sanitizer run, where
// it would take minutes.
INSTANTIATE_TEST_SUITE_P(
    RealisticVolumes, Coverage,
    ::testing::Values(VolumeCase{"phantom96", [] { return FromCub(MakeHeadPhantom(96)); }},
                      VolumeCase{"thinRod240", [] { return ThinRod(); }},
                      // Closed caps: the cut faces show filled discs.
                      VolumeCase{
                          "ballCutInHalves", [] { return Ball(80); }, {{2, 0, 39}, {0, 30, 79}}}),
    CaseName);
INSTANTIATE_TEST_SUITE_P(
    LargeVolumes, Coverage,
    ::testing::Values(VolumeCase{"phantom192", [] { return FromCub(MakeHeadPhantom(192)); }},
                      VolumeCase{"noise128", [] { return FromCub(MakeNoiseField(128, 7)); }},
                      VolumeCase{"thinShell96", [] { return ThinShell(96); }},
                      VolumeCase{"cutOpenHead", [] { return CutOpenHead(); }}),
    CaseName);

}  // namespace

#include "surface/merged_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "surface_reference.h"
#include "test_volumes.h"

namespace {

using Point = std::array<float, 3>;

// The corners of each emitted quad, with its texture coordinates, and the
// value each quad's colour stands for.
struct QuadRecorder {
  std::vector<reference::Corner> corners;
  std::vector<int> values;
  int begins = 0, ends = 0;
  float s = -1, t = -1;
  void Normal(const float*) {}
  void Color(const float rgb[3]) { values.push_back(static_cast<int>(rgb[0])); }
  void Begin() { ++begins; }
  void TexCoord(float s_, float t_) { s = s_, t = t_; }
  void Vertex(float x, float y, float z) { corners.push_back({x, y, z, s, t}); }
  void End() { ++ends; }
};

// Colour v stands for value v, so a quad's colour names its value.
const LabelColors& ValueColors() {
  struct Table {
    LabelColors c;
  };
  static const Table colors = [] {
    Table t{};
    for (int v = 0; v < 256; ++v) t.c[v][0] = static_cast<float>(v);
    return t;
  }();
  return colors.c;
}

template <FaceDirection D>
QuadRecorder Record(const VOXSPACE* v, surface::RunExtent extent, bool coloured) {
  QuadRecorder r;
  surface::ScanRectangles<D>(v, reference::kUnitSpacing, true, extent, r,
                             coloured ? &ValueColors() : nullptr);
  return r;
}

QuadRecorder RecordAny(const VOXSPACE* v, int d, surface::RunExtent extent, bool coloured = false) {
  switch (d) {
    case LEFT:
      return Record<LEFT>(v, extent, coloured);
    case RIGHT:
      return Record<RIGHT>(v, extent, coloured);
    case DOWN:
      return Record<DOWN>(v, extent, coloured);
    case UP:
      return Record<UP>(v, extent, coloured);
    case BACK:
      return Record<BACK>(v, extent, coloured);
    default:
      return Record<FRONT>(v, extent, coloured);
  }
}

// The value of the voxel whose face of direction d has this centre.
int ValueBehind(const VOXSPACE& v, int d, const Point& centre) {
  const float half[3] = {v.dimX * 0.5f, v.dimY * 0.5f, v.dimZ * 0.5f};
  std::uint32_t index[3];
  for (int a = 0; a < 3; ++a) {
    const float at = centre[a] + half[a];
    index[a] = static_cast<std::uint32_t>(a == d / 2 ? (d % 2 ? at - 1 : at) : at - 0.5f);
  }
  return VoxelAt(const_cast<VOXSPACE&>(v), index[0], index[1], index[2]);
}

// The centres of the unit faces a quad covers, after checking that it
// faces outward and that its texture repeats once per voxel.
void AddCoveredFaces(const reference::Corner* q, int d, std::vector<Point>& faces) {
  const int axis = d / 2;
  const Point e1 = {q[1].x - q[0].x, q[1].y - q[0].y, q[1].z - q[0].z};
  const Point e2 = {q[3].x - q[0].x, q[3].y - q[0].y, q[3].z - q[0].z};
  const Point n = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                   e1[0] * e2[1] - e1[1] * e2[0]};
  EXPECT_GT(n[axis] * surface::kNormals[d][axis], 0) << "direction " << d << ": winding";
  Point low = {q[0].x, q[0].y, q[0].z}, high = low;
  for (int k = 1; k < 4; ++k) {
    const Point p = {q[k].x, q[k].y, q[k].z};
    for (int a = 0; a < 3; ++a) low[a] = std::min(low[a], p[a]), high[a] = std::max(high[a], p[a]);
  }
  float area = 1, texels = 0;
  for (int a = 0; a < 3; ++a)
    if (a != axis) area *= high[a] - low[a];
  for (int k = 0; k < 4; ++k) texels = std::max(texels, q[k].s * q[k].t);
  EXPECT_EQ(texels, area) << "direction " << d << ": the texture repeats once per voxel";
  const int u = (axis + 1) % 3, v = (axis + 2) % 3;
  for (float a = low[u]; a < high[u]; ++a) {
    for (float b = low[v]; b < high[v]; ++b) {
      Point centre;
      centre[axis] = low[axis], centre[u] = a + 0.5f, centre[v] = b + 0.5f;
      faces.push_back(centre);
    }
  }
}

// The centres of the single faces a strip list draws: every face is the
// two edges that follow its strip's previous edge.
std::vector<Point> StripFaces(const std::vector<reference::Call>& calls) {
  std::vector<Point> faces, strip;
  for (const reference::Call& c : calls) {
    if (c.kind == 'B') strip.clear();
    if (c.kind == 'V') strip.push_back({c.a, c.b, c.c});
    if (c.kind == 'V' && strip.size() >= 4 && strip.size() % 2 == 0) {
      Point centre{};
      for (std::size_t k = strip.size() - 4; k < strip.size(); ++k)
        for (int a = 0; a < 3; ++a) centre[a] += strip[k][a] / 4;
      faces.push_back(centre);
    }
  }
  return faces;
}

std::vector<Point> QuadFaces(const std::vector<reference::Quad>& quads) {
  std::vector<Point> faces;
  for (const reference::Quad& q : quads) {
    Point centre{};
    for (const reference::Corner& c : q)
      centre[0] += c.x / 4, centre[1] += c.y / 4, centre[2] += c.z / 4;
    faces.push_back(centre);
  }
  return faces;
}

// Rectangles cover exactly the faces of the single-face geometry they
// replace, each once: the strips' faces (whole run axis) or the quads'
// (interior only); a block's side is one rectangle.
TEST(MergedScan, RectanglesCoverEachFaceOfTheSingleFaceGeometryOnce) {
  const std::array<std::uint32_t, 3> shapes[] = {{3, 3, 3},   {5, 3, 1},    {20, 6, 7},
                                                 {9, 33, 18}, {70, 4, 130}, {130, 5, 66}};
  std::uint32_t seed = 900;
  for (const auto& shape : shapes) {
    for (double density : {0.3, 0.95}) {
      VolumePtr v = RandomVolume(shape[0], shape[1], shape[2], density, seed++);
      const auto quads = reference::BuildQuads(*v);
      for (int d = 0; d < 6; ++d) {
        for (const auto extent : {surface::RunExtent::kWhole, surface::RunExtent::kInterior}) {
          const bool coloured = density > 0.5;  // with colours, a quad holds one value
          const QuadRecorder r = RecordAny(v.get(), d, extent, coloured);
          ASSERT_EQ(r.corners.size() % 4, 0u);
          EXPECT_EQ(r.begins, 1);
          EXPECT_EQ(r.ends, 1);
          ASSERT_EQ(r.values.size(), coloured ? r.corners.size() / 4 : 0u);
          std::vector<Point> covered;
          for (std::size_t k = 0; k < r.corners.size(); k += 4) {
            const std::size_t first = covered.size();
            AddCoveredFaces(&r.corners[k], d, covered);
            for (std::size_t f = first; coloured && f < covered.size(); ++f)
              ASSERT_EQ(ValueBehind(*v, d, covered[f]), r.values[k / 4]) << "direction " << d;
          }
          std::vector<Point> want = extent == surface::RunExtent::kWhole
                                        ? StripFaces(reference::BuildStrips(*v, d, false))
                                        : QuadFaces(quads[static_cast<std::size_t>(d)]);
          std::sort(covered.begin(), covered.end());
          std::sort(want.begin(), want.end());
          EXPECT_EQ(covered, want)
              << "direction " << d << " " << shape[0] << "x" << shape[1] << "x" << shape[2]
              << (extent == surface::RunExtent::kWhole ? " whole runs" : " interior");
        }
      }
    }
  }
  VolumePtr block = MakeVolume(12, 12, 12);
  for (std::uint32_t z = 2; z < 9; ++z)
    for (std::uint32_t y = 3; y < 8; ++y)
      for (std::uint32_t x = 1; x < 10; ++x) VoxelAt(*block, x, y, z) = 7;
  for (int d = 0; d < 6; ++d)
    EXPECT_EQ(RecordAny(block.get(), d, surface::RunExtent::kWhole).corners.size(), 4u) << d;
}

}  // namespace

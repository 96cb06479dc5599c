// The surface's OpenGL side against real Mesa: what the display lists and
// vertex arrays hold (read back in feedback mode), the render-method
// switches, and what the draw routines put into the pbuffer.
#include <gtest/gtest.h>

#include <cmath>

#include "gl_harness.h"
#include "surface/ogl_cuberille.h"
#include "surface_reference.h"
#include "test_volumes.h"

namespace {

class SurfaceGl : public ::testing::Test {
 protected:
  void SetUp() override {
    UseGlContext();
    glColor3f(1, 1, 1);
  }
};

// The triangles GL makes of the recorded strips (alternate triangles
// reversed, as GL keeps a strip's winding), zero-area ones dropped.
std::multiset<Triangle> TrianglesOfStrips(const std::vector<reference::Call>& calls,
                                          float scale = 1) {
  std::vector<Triangle> expected;
  std::vector<FeedbackVertex> strip;
  float s = 0, t = 0;
  for (const reference::Call& c : calls) {
    if (c.kind == 'T') {
      s = c.a;
      t = c.b;
    } else if (c.kind == 'V') {
      strip.push_back({c.a * scale, c.b * scale, c.c * scale, s, t, 1, 1, 1});
    } else if (c.kind == 'E') {
      for (std::size_t i = 0; i + 2 < strip.size(); ++i) {
        expected.push_back(i % 2 == 0 ? Triangle{strip[i], strip[i + 1], strip[i + 2]}
                                      : Triangle{strip[i + 1], strip[i], strip[i + 2]});
      }
      strip.clear();
    }
  }
  // Through GL too, so both sides see the same float transforms.
  return AsSet(CaptureTriangles([&] {
    glBegin(GL_TRIANGLES);
    for (const Triangle& tri : expected) {
      for (const FeedbackVertex& v : tri) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
      }
    }
    glEnd();
  }));
}

TEST_F(SurfaceGl, DisplayListsHoldTheStripsOfEveryDirection) {
  VolumePtr v = RandomVolume(14, 12, 10, 0.55, 4242);
  for (bool textured : {false, true}) {
    OGLcuberille surface;
    surface.textured = textured;
    surface.SetRenderMethod(TRISTRIP_DISPLIST);
    surface.SetVoxSpace(v.get());
    for (int d = 0; d < 6; ++d) {
      ASSERT_NE(surface.displayLists[d], 0u);
      const auto got = AsSet(CaptureTriangles([&] {
        glTexCoord2f(0, 0);
        glCallList(surface.displayLists[d]);
      }));
      const auto want = TrianglesOfStrips(reference::BuildStrips(*v, d, textured));
      EXPECT_EQ(got.size(), want.size()) << "direction " << d;
      EXPECT_TRUE(got == want) << "direction " << d << (textured ? " textured" : "");
      // Each list sets its own normal.
      glNormal3f(0, 0, 0);
      glCallList(surface.displayLists[d]);
      GLfloat normal[4];
      glGetFloatv(GL_CURRENT_NORMAL, normal);
      EXPECT_EQ(normal[0], surface.normals[d][0]);
      EXPECT_EQ(normal[1], surface.normals[d][1]);
      EXPECT_EQ(normal[2], surface.normals[d][2]);
    }
  }
}

// Runs cross the bricks' sides along x and z, and the volume's border
// voxels have faces along the run axis: the bricks' lists together hold the
// strips of the whole volume, no face twice. Quarter-size voxels (exact in
// floats) keep the volume within the capture's reach.
TEST_F(SurfaceGl, BrickListsTogetherHoldTheStripsOfTheWholeVolume) {
  VolumePtr v = RandomVolume(70, 12, 66, 0.55, 77);
  OGLcuberille surface;
  for (float& edge : surface.voxelSize) edge = 0.25f;
  surface.SetRenderMethod(TRISTRIP_DISPLIST);
  surface.SetVoxSpace(v.get());
  for (int d = 0; d < 6; ++d) {
    const auto got = AsSet(CaptureTriangles([&] {
      glTexCoord2f(0, 0);
      glCallList(surface.displayLists[d]);
    }));
    const auto want = TrianglesOfStrips(reference::BuildStrips(*v, d, false), 0.25f);
    EXPECT_GT(want.size(), 1000u) << "direction " << d;
    EXPECT_TRUE(got == want) << "direction " << d << ": " << got.size() << " triangles, "
                             << want.size() << " wanted";
  }
  surface.SetRenderMethod(QUADS);
}

TEST_F(SurfaceGl, QuadArraysDrawEveryQuadFacingOut) {
  VolumePtr v = RandomVolume(12, 11, 13, 0.5, 99);
  OGLcuberille surface;
  surface.SetVoxSpace(v.get());
  surface.SetTexturing(1);
  for (int d = 0; d < 6; ++d) {
    surface.visibleMask = 1 << d;
    const auto triangles = CaptureTriangles([&] { (surface.*surface.drawRoutine)(); });
    ASSERT_EQ(triangles.size(), 2u * surface.quadLists[d].quadCount) << d;
    std::multiset<std::tuple<float, float, float, float, float>> corners;
    for (std::uint32_t q = 0; q < surface.quadLists[d].quadCount; ++q)
      for (const Vertex& c : surface.quadLists[d].quads[q].corners)
        corners.insert({c.x, c.y, c.z, c.s, c.t});
    for (const Triangle& t : triangles) {
      for (const FeedbackVertex& fv : t)
        EXPECT_TRUE(corners.count({fv.x, fv.y, fv.z, fv.s, fv.t})) << d;
      const float ux = t[1].x - t[0].x, uy = t[1].y - t[0].y, uz = t[1].z - t[0].z;
      const float vx = t[2].x - t[0].x, vy = t[2].y - t[0].y, vz = t[2].z - t[0].z;
      const float n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
      EXPECT_GT(n[0] * surface.normals[d][0] + n[1] * surface.normals[d][1] +
                    n[2] * surface.normals[d][2],
                0);
    }
  }
  surface.SetTexturing(0);
}

TEST_F(SurfaceGl, MethodSwitchesKeepOnlyTheGeometryInUse) {
  VolumePtr v = RandomVolume(10, 10, 10, 0.5, 7);
  OGLcuberille surface;
  surface.SetVoxSpace(v.get());
  std::uint32_t counts[6];
  for (int d = 0; d < 6; ++d) counts[d] = surface.quadLists[d].quadCount;
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawQuads);

  surface.SetRenderMethod(TRISTRIP_DISPLIST);
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawDisplayLists);
  std::uint32_t lists[6];
  for (int d = 0; d < 6; ++d) {
    EXPECT_EQ(surface.quadLists[d].quads, nullptr);
    EXPECT_EQ(surface.quadLists[d].quadCount, counts[d]);
    EXPECT_TRUE(glIsList(surface.displayLists[d]));
    lists[d] = surface.displayLists[d];
  }

  surface.SetRenderMethod(QUADS);
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawQuads);
  for (int d = 0; d < 6; ++d) {
    EXPECT_FALSE(glIsList(lists[d])) << "list of direction " << d << " not deleted";
    EXPECT_EQ(surface.displayLists[d], 0u);
    EXPECT_NE(surface.quadLists[d].quads, nullptr);
    EXPECT_EQ(surface.quadLists[d].quadCount, counts[d]);
  }

  surface.SetRenderMethod(3);  // any method but QUADS is the strip method
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawDisplayLists);
  EXPECT_TRUE(glIsList(surface.displayLists[LEFT]));

  // Texturing recompiles the strips with texture coordinates.
  surface.visibleMask = 1 << UP;
  auto hasTextureCoordinates = [&] {
    const auto triangles = CaptureTriangles([&] {
      glTexCoord2f(0, 0);
      (surface.*surface.drawRoutine)();
    });
    for (const Triangle& t : triangles)
      for (const FeedbackVertex& fv : t)
        if (fv.s != 0) return true;
    return false;
  };
  EXPECT_FALSE(hasTextureCoordinates());
  surface.SetTexturing(1);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawDisplayLists);
  EXPECT_TRUE(hasTextureCoordinates());

  surface.SetRenderMethod(QUADS);
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawTexturedQuads);
  surface.SetTexturing(0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(surface.drawRoutine, &OGLcuberille::DrawQuads);
}

TEST_F(SurfaceGl, StripListsWithoutAVolumeAreEmpty) {
  OGLcuberille surface;
  EXPECT_EQ(surface.BuildStripLists(), 1);
  for (int d = 0; d < 6; ++d) {
    EXPECT_TRUE(glIsList(surface.displayLists[d]));
    EXPECT_TRUE(CaptureTriangles([&] { glCallList(surface.displayLists[d]); }).empty());
  }
  surface.SetRenderMethod(QUADS);
}

TEST_F(SurfaceGl, NoListNameStopsTheBuild) {
  VolumePtr v = MakeVolume(3, 3, 3, {{1, 1, 1}});
  OGLcuberille surface;
  surface.SetRenderMethod(TRISTRIP_DISPLIST);
  surface.SetVoxSpace(v.get());
  // Inside glBegin/glEnd OpenGL refuses to name a list: glGenLists gives 0.
  glBegin(GL_POINTS);
  const int result = surface.BuildStripLists();
  glEnd();
  while (glGetError() != GL_NO_ERROR) {
  }
  EXPECT_EQ(result, 0);
  // No direction keeps geometry of the build before: calling list 0 draws nothing.
  for (int d = 0; d < 6; ++d) {
    surface.visibleMask = 1 << d;
    EXPECT_TRUE(CaptureTriangles([&] { surface.DrawDisplayLists(); }).empty()) << d;
  }
  EXPECT_EQ(surface.BuildStripLists(), 1);
  surface.visibleMask = 1 << RIGHT;
  EXPECT_EQ(CaptureTriangles([&] { surface.DrawDisplayLists(); }).size(), 2u);
  surface.SetRenderMethod(QUADS);
}

// A unit cube at the origin seen along -z through an orthographic view,
// with distinct colours per direction.
class SurfacePixels : public SurfaceGl {
 protected:
  void SetUp() override {
    SurfaceGl::SetUp();
    volume = MakeVolume(3, 3, 3, {{1, 1, 1}});
    glViewport(0, 0, kPbufferSize, kPbufferSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glClearColor(0, 0, 1, 1);
  }
  void TearDown() override { glDisable(GL_DEPTH_TEST); }

  // Draws with the given method and returns the centre pixel.
  std::array<int, 3> Render(OGLcuberille& surface) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    (surface.*surface.drawRoutine)();
    glFinish();
    return PixelAt(kPbufferSize / 2, kPbufferSize / 2);
  }

  void Colour(OGLcuberille& s, int d, float r, float g, float b) {
    s.directionColors[d][0] = r;
    s.directionColors[d][1] = g;
    s.directionColors[d][2] = b;
  }

  VolumePtr volume;
};

TEST_F(SurfacePixels, MaskAndFastLightingDecideWhatIsDrawnInWhichColour) {
  using RGB = std::array<int, 3>;
  for (int method : {QUADS, TRISTRIP_DISPLIST}) {
    for (int textured : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "method " << method << " textured " << textured);
      OGLcuberille surface;
      surface.SetRenderMethod(method);
      surface.SetVoxSpace(volume.get());
      surface.SetTexturing(textured);
      glDisable(GL_TEXTURE_2D);  // no texture object here: colours only
      surface.fastLighting = 1;
      Colour(surface, FRONT, 1, 0, 0);
      Colour(surface, BACK, 0, 1, 0);
      surface.visibleMask = 63;
      EXPECT_EQ(Render(surface), (RGB{255, 0, 0}));
      surface.visibleMask = 63 & ~(1 << FRONT);
      EXPECT_EQ(Render(surface), (RGB{0, 255, 0}));
      surface.visibleMask = 0;
      EXPECT_EQ(Render(surface), (RGB{0, 0, 255}));
      surface.fastLighting = 0;
      surface.visibleMask = 63;
      glColor3f(1, 1, 0);
      EXPECT_EQ(Render(surface), (RGB{255, 255, 0}));  // current colour untouched
      surface.SetRenderMethod(QUADS);
    }
  }
}

TEST_F(SurfacePixels, OnlyTheVisibleDirectionsGetTheirColourInOrder) {
  for (int method : {QUADS, TRISTRIP_DISPLIST}) {
    OGLcuberille surface;
    surface.SetRenderMethod(method);
    surface.SetVoxSpace(volume.get());
    surface.fastLighting = 1;
    for (int d = 0; d < 6; ++d) Colour(surface, d, 0.1f * d, 0.5f, 0.5f);
    Colour(surface, LEFT, 1, 0, 0);
    Colour(surface, DOWN, 0, 1, 0);
    // Look at the cube from the lower left so LEFT and DOWN face the eye.
    glRotatef(-35, 1, 0, 0);
    glRotatef(35, 0, 1, 0);
    surface.visibleMask = (1 << LEFT) | (1 << DOWN);
    glColor3f(0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    (surface.*surface.drawRoutine)();
    glFinish();
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(current[0], 0.0f) << "the last colour set is DOWN's";
    EXPECT_EQ(current[1], 1.0f);
    int red = 0, green = 0, other = 0;
    for (int y = 0; y < kPbufferSize; y += 2) {
      for (int x = 0; x < kPbufferSize; x += 2) {
        const auto p = PixelAt(x, y);
        if (p == std::array<int, 3>{255, 0, 0})
          ++red;
        else if (p == std::array<int, 3>{0, 255, 0})
          ++green;
        else if (p != std::array<int, 3>{0, 0, 255})
          ++other;
      }
    }
    EXPECT_GT(red, 20) << "method " << method;
    EXPECT_GT(green, 20) << "method " << method;
    EXPECT_EQ(other, 0) << "method " << method;
    glLoadIdentity();
    surface.SetRenderMethod(QUADS);
  }
}

TEST_F(SurfacePixels, ReleasedArraysAreSkipped) {
  OGLcuberille surface;
  surface.SetVoxSpace(volume.get());
  surface.fastLighting = 1;
  Colour(surface, FRONT, 1, 0, 0);
  Colour(surface, BACK, 0, 1, 0);
  surface.visibleMask = 63;
  std::free(surface.quadLists[FRONT].quads);  // as after a failed build
  surface.quadLists[FRONT].quads = nullptr;
  EXPECT_EQ(Render(surface), (std::array<int, 3>{0, 255, 0}));
}

}  // namespace

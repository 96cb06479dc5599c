#include <gtest/gtest.h>

#include <vector>

#include "surface/ogl_cuberille.h"

namespace {

constexpr float kPass = 1792, kPolygon = 1795;

// A polygon of n vertices whose first vertex has colour (r, g, b).
void AddPolygon(std::vector<float>& out, int n, float r, float g, float b) {
  out.insert(out.end(), {kPolygon, static_cast<float>(n)});
  for (int v = 0; v < n; ++v)
    out.insert(out.end(), {1, 2, 3, v == 0 ? r : 9, v == 0 ? g : 9, v == 0 ? b : 9, 1});
}

// Walks exactly the values given (the sanitizer build catches any read past them).
std::int32_t Parse(OGLcuberille& s, const std::vector<float>& values) {
  std::vector<float> exact(values);
  exact.shrink_to_fit();
  return s.ParseFeedback(static_cast<int>(exact.size()), exact.data());
}

TEST(ParseFeedback, MarkersNameTheDirectionOfTheFollowingPolygons) {
  OGLcuberille s;
  std::vector<float> b = {kPass, 0};
  AddPolygon(b, 3, 0.1f, 0.2f, 0.3f);
  b.insert(b.end(), {kPass, 1, kPass, 2});  // RIGHT culled: no polygon
  AddPolygon(b, 9, 0.4f, 0.5f, 0.6f);       // DOWN clipped into nine vertices
  b.insert(b.end(), {kPass, 5});
  AddPolygon(b, 4, 0.7f, 0.8f, 0.9f);
  EXPECT_EQ(Parse(s, b), 1 | 4 | 32);
  EXPECT_EQ(s.directionColors[LEFT][0], 0.1f);
  EXPECT_EQ(s.directionColors[DOWN][2], 0.6f);
  EXPECT_EQ(s.directionColors[FRONT][1], 0.8f);
  EXPECT_EQ(s.directionColors[RIGHT][0], 0.0f);  // not visible: untouched
}

TEST(ParseFeedback, MalformedOutputIsWalkedSafely) {
  OGLcuberille s;
  EXPECT_EQ(s.ParseFeedback(0, nullptr), 0);
  EXPECT_EQ(s.ParseFeedback(-5, nullptr), 0);

  std::vector<float> beforeMarker;
  AddPolygon(beforeMarker, 3, 1, 1, 1);
  EXPECT_EQ(Parse(s, beforeMarker), 0) << "a polygon without a direction is skipped";

  std::vector<float> runsPastEnd = {kPass, 3};
  AddPolygon(runsPastEnd, 3, 1, 1, 1);
  runsPastEnd.resize(runsPastEnd.size() - 4);
  EXPECT_EQ(Parse(s, runsPastEnd), 0) << "a polygon cut by the end ends the walk";
  EXPECT_EQ(Parse(s, {kPass}), 0);
  EXPECT_EQ(Parse(s, {kPass, 2, kPolygon}), 0);

  std::vector<float> outOfRange = {kPass, 7};
  AddPolygon(outOfRange, 3, 1, 1, 1);
  outOfRange.insert(outOfRange.end(), {kPass, -1});
  AddPolygon(outOfRange, 3, 1, 1, 1);
  EXPECT_EQ(Parse(s, outOfRange), 0) << "only markers 0 to 5 name a direction";

  std::vector<float> otherTokens = {1, 2, 1793, kPass, 4};
  AddPolygon(otherTokens, 3, 0.5f, 0.5f, 0.5f);
  EXPECT_EQ(Parse(s, otherTokens), 16);
}

}  // namespace

#include "surface/strip_scan.h"

#include <gtest/gtest.h>

#include <vector>

#include "surface/bit_lines.h"
#include "surface_reference.h"
#include "test_volumes.h"

namespace {

using reference::Call;

struct RecordingSink {
  std::vector<Call> calls;
  void Normal(const float n[3]) { calls.push_back({'N', n[0], n[1], n[2]}); }
  void Color(const float rgb[3]) { calls.push_back({'C', rgb[0], rgb[1], rgb[2]}); }
  void Begin() { calls.push_back({'B'}); }
  void TexCoord(float s, float t) { calls.push_back({'T', s, t}); }
  void Vertex(float x, float y, float z) { calls.push_back({'V', x, y, z}); }
  void End() { calls.push_back({'E'}); }
};

template <FaceDirection D>
std::vector<Call> Record(const VOXSPACE* v, bool textured) {
  RecordingSink sink;
  surface::ScanStrips<D>(v, reference::kUnitSpacing, textured, sink);
  return sink.calls;
}

std::vector<Call> RecordAny(const VOXSPACE* v, int d, bool textured) {
  switch (d) {
    case LEFT:
      return Record<LEFT>(v, textured);
    case RIGHT:
      return Record<RIGHT>(v, textured);
    case DOWN:
      return Record<DOWN>(v, textured);
    case UP:
      return Record<UP>(v, textured);
    case BACK:
      return Record<BACK>(v, textured);
    default:
      return Record<FRONT>(v, textured);
  }
}

int StripCount(const std::vector<Call>& calls) {
  int n = 0;
  for (const Call& c : calls) n += c.kind == 'B';
  return n;
}

TEST(StripScan, CentreVoxelLeftList) {
  VolumePtr v = MakeVolume(3, 3, 3, {{1, 1, 1}});
  EXPECT_EQ(Record<LEFT>(v.get(), false), (std::vector<Call>{{'N', -1, 0, 0},
                                                             {'B'},
                                                             {'V', -0.5f, 0.5f, -0.5f},
                                                             {'V', -0.5f, -0.5f, -0.5f},
                                                             {'V', -0.5f, 0.5f, 0.5f},
                                                             {'V', -0.5f, -0.5f, 0.5f},
                                                             {'E'}}));
  for (int d = 0; d < 6; ++d) EXPECT_EQ(StripCount(RecordAny(v.get(), d, false)), 1) << d;
}

TEST(StripScan, RunOfThreeTextured) {
  VolumePtr v = MakeVolume(3, 3, 5, {{1, 1, 1}, {1, 1, 2}, {1, 1, 3}});
  EXPECT_EQ(Record<LEFT>(v.get(), true), (std::vector<Call>{{'N', -1, 0, 0},
                                                            {'B'},
                                                            {'T', 0, 1},
                                                            {'V', -0.5f, 0.5f, -1.5f},
                                                            {'T', 0, 0},
                                                            {'V', -0.5f, -0.5f, -1.5f},
                                                            {'T', 1, 1},
                                                            {'V', -0.5f, 0.5f, -0.5f},
                                                            {'T', 1, 0},
                                                            {'V', -0.5f, -0.5f, -0.5f},
                                                            {'T', 2, 1},
                                                            {'V', -0.5f, 0.5f, 0.5f},
                                                            {'T', 2, 0},
                                                            {'V', -0.5f, -0.5f, 0.5f},
                                                            {'T', 3, 1},
                                                            {'V', -0.5f, 0.5f, 1.5f},
                                                            {'T', 3, 0},
                                                            {'V', -0.5f, -0.5f, 1.5f},
                                                            {'E'}}));
  EXPECT_EQ(StripCount(Record<DOWN>(v.get(), false)), 3);
  EXPECT_EQ(StripCount(Record<BACK>(v.get(), false)), 1);
  EXPECT_EQ(StripCount(Record<FRONT>(v.get(), false)), 1);
}

TEST(StripScan, BorderVoxelsOnTheRunAxisJoinTheStrips) {
  // dimZ = 4, voxels (1,1,2) and (1,1,3): z = 3 is border, still in the LEFT strip.
  VolumePtr v = MakeVolume(3, 3, 4, {{1, 1, 2}, {1, 1, 3}});
  const auto calls = Record<LEFT>(v.get(), false);
  ASSERT_EQ(StripCount(calls), 1);
  EXPECT_EQ(calls.size(), 1u + 1u + 6u + 1u);  // normal, begin, six vertices, end
  EXPECT_EQ(calls.back().kind, 'E');
}

TEST(StripScan, NoVolumeEmitsNothingAndSmallDimensionsReadNothing) {
  RecordingSink sink;
  EXPECT_EQ(surface::ScanStrips<UP>(nullptr, reference::kUnitSpacing, false, sink), 0);
  EXPECT_TRUE(sink.calls.empty());
  // Cross axes below 3: only the normal; no byte of the (absent) buffer is read.
  VOXSPACE thin = {2, 2, 50, 8, 0, 0, nullptr};
  EXPECT_EQ(Record<LEFT>(&thin, false), (std::vector<Call>{{'N', -1, 0, 0}}));
  EXPECT_EQ(Record<FRONT>(&thin, false), (std::vector<Call>{{'N', 0, 0, 1}}));
}

TEST(BitLines, RunsAreFoundAcrossWordsAndUpToTheEnd) {
  auto runs = [](std::vector<int> set, std::size_t n) {
    std::vector<std::uint64_t> words(surface::WordsFor(n));
    for (int i : set) surface::SetBit(words.data(), static_cast<std::size_t>(i));
    std::vector<std::pair<std::size_t, std::size_t>> found;
    surface::ForEachRun(words.data(), n, [&](std::size_t start, std::size_t length) {
      found.push_back({start, length});
    });
    return found;
  };
  using Runs = std::vector<std::pair<std::size_t, std::size_t>>;
  EXPECT_EQ(runs({}, 0), Runs{});
  EXPECT_EQ(runs({}, 200), Runs{});
  EXPECT_EQ(runs({0}, 1), (Runs{{0, 1}}));
  EXPECT_EQ(runs({62, 63, 64, 65}, 130), (Runs{{62, 4}}));
  EXPECT_EQ(runs({63, 65, 127, 128}, 129), (Runs{{63, 1}, {65, 1}, {127, 2}}));
  std::vector<int> all;
  for (int i = 0; i < 128; ++i) all.push_back(i);
  EXPECT_EQ(runs(all, 128), (Runs{{0, 128}}));
  all.erase(all.begin() + 64);
  EXPECT_EQ(runs(all, 128), (Runs{{0, 64}, {65, 63}}));
}

TEST(StripScan, RandomVolumesMatchTheReferenceCallForCall) {
  // Long lines (runs across 64-bit words), partial blocks of sixteen x.
  const std::array<std::uint32_t, 3> shapes[] = {
      {3, 3, 3}, {5, 3, 1}, {20, 6, 7}, {9, 33, 18}, {40, 5, 40}, {70, 4, 130}, {130, 5, 66}};
  std::uint32_t seed = 500;
  for (const auto& shape : shapes) {
    for (double density : {0.3, 0.6, 0.95}) {
      VolumePtr v = RandomVolume(shape[0], shape[1], shape[2], density, seed++);
      for (int d = 0; d < 6; ++d) {
        for (bool textured : {false, true}) {
          const auto got = RecordAny(v.get(), d, textured);
          const auto want = reference::BuildStrips(*v, d, textured);
          EXPECT_EQ(got, want) << "direction " << d << (textured ? " textured " : " ") << shape[0]
                               << "x" << shape[1] << "x" << shape[2] << " " << density;
        }
      }
    }
  }
}

}  // namespace

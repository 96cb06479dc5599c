// Which volumes count as label volumes: atlases and masks do, scans do not,
// whatever their values were clipped to, unless a colour table or the
// header says otherwise.
#include "voxel/label_volume.h"

#include <gtest/gtest.h>

#include "test_volumes.h"

namespace {

enum class Content { kParcels, kScanValues, kClippedScan, kEmpty };

struct LabelCase {
  const char* name;
  Content content;
  VolumeFacts facts;
  bool colourTable;
  bool labels;
};

void PrintTo(const LabelCase& c, std::ostream* out) { *out << c.name; }

// 32^3: four slabs of one value each (parcels); values that vary voxel to
// voxel (a scan); a scan whose bright bulk was clipped to 255.
VolumePtr Make(Content content) {
  VolumePtr v = MakeVolume(32, 32, 32);
  if (content == Content::kEmpty) return v;
  for (std::uint32_t z = 2; z < 30; ++z)
    for (std::uint32_t y = 2; y < 30; ++y)
      for (std::uint32_t x = 2; x < 30; ++x) {
        const auto varying = static_cast<std::uint8_t>(1 + (x * 7 + y * 13 + z * 29) % 200);
        std::uint8_t value = static_cast<std::uint8_t>(10 + x / 8);
        if (content == Content::kScanValues) value = varying;
        if (content == Content::kClippedScan) value = z < 28 ? 255 : varying;
        VoxelAt(*v, x, y, z) = value;
      }
  return v;
}

constexpr VolumeFacts kWhole{};
VolumeFacts Facts(bool wholeValues, bool widerThanByte, bool labelIntent) {
  VolumeFacts facts;
  facts.wholeValues = wholeValues, facts.widerThanByte = widerThanByte;
  facts.labelIntent = labelIntent;
  return facts;
}
const VolumeFacts kWide = Facts(true, true, false);
const VolumeFacts kFloating = Facts(false, false, false);
const VolumeFacts kLabelIntent = Facts(false, false, true);

class LabelVolumes : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelVolumes, AreKnown) {
  const LabelCase& c = GetParam();
  const VolumePtr volume = Make(c.content);
  EXPECT_EQ(IsLabelVolume(*volume, c.facts, c.colourTable), c.labels);
}

const LabelCase kCases[] = {
    {"Parcels", Content::kParcels, kWhole, false, true},
    {"ParcelsFromFloats", Content::kParcels, kFloating, false, false},
    {"ScanValues", Content::kScanValues, kWhole, false, false},
    {"ClippedScan", Content::kClippedScan, kWide, false, false},
    {"ScanWithAColourTable", Content::kScanValues, kWhole, true, true},
    {"ScanWithLabelIntent", Content::kScanValues, kLabelIntent, false, true},
    {"Empty", Content::kEmpty, kWhole, false, false},
};

INSTANTIATE_TEST_SUITE_P(Volumes, LabelVolumes, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

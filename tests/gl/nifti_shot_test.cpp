// qarmel-shot opens NIfTI-1 files itself: a labelled scan and the CUB file
// cubconvert makes of it (--nonzero --keep-values, the viewer's rule) give
// the same shaded picture, so both read the same voxels in the same axis
// order; coloured by value, labels beyond a byte keep colours of their own.
// A damaged scan ends the program as any file it cannot load.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cub_bytes.h"
#include "image_compare.h"
#include "nifti_bytes.h"
#include "process.h"
#include "temp_dir.h"

namespace {

using std::chrono::seconds;

constexpr std::int16_t kDims[3] = {24, 18, 12};

// Labels of different values in a shape that no mirror or swap of the
// axes maps onto itself: a slab of label 1 along x, a column of 300 (kept
// as 255) rising in z at one corner, a bar of -7 (kept as 1) along y, and
// a lone block of label 42.
std::vector<std::int16_t> LabelledScan() {
  std::vector<std::int16_t> v(static_cast<std::size_t>(kDims[0]) * kDims[1] * kDims[2], 0);
  auto at = [&](int x, int y, int z) -> std::int16_t& {
    return v[x + kDims[0] * (y + kDims[1] * z)];
  };
  for (int z = 2; z < 5; ++z)
    for (int y = 3; y < 9; ++y)
      for (int x = 2; x < 22; ++x) at(x, y, z) = 1;
  for (int z = 2; z < 11; ++z)
    for (int y = 3; y < 6; ++y)
      for (int x = 18; x < 22; ++x) at(x, y, z) = 300;
  for (int z = 5; z < 7; ++z)
    for (int y = 9; y < 17; ++y)
      for (int x = 2; x < 5; ++x) at(x, y, z) = -7;
  for (int z = 7; z < 10; ++z)
    for (int y = 12; y < 15; ++y)
      for (int x = 9; x < 13; ++x) at(x, y, z) = 42;
  return v;
}

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NiftiShot : public ::testing::Test {
 protected:
  // Runs a program to its end; its exit code, -1 when the deadline passed.
  int Run(const std::vector<std::string>& argv) {
    LaunchOptions options;
    options.stdoutFile = dir.File("stdout.txt");
    options.stderrFile = dir.File("stderr.txt");
    return Process(argv, options).WaitForExit(seconds(60)).value_or(-1);
  }
  std::string Shot(const std::string& volume, const std::string& keys, const std::string& png) {
    const std::string out = dir.File(png);
    std::vector<std::string> argv = {QARMEL_SHOT,   volume,    "-o",         out,
                                     "--size",      "160x120", "--heading",  "120",
                                     "--elevation", "40",      "--distance", "18"};
    if (!keys.empty()) argv.insert(argv.end(), {"--keys", keys});
    EXPECT_EQ(Run(argv), 0) << ReadTextFile(dir.File("stderr.txt"));
    return out;
  }
  TempDir dir;
};

TEST_F(NiftiShot, ScanAndItsConvertedFileShowTheSamePicture) {
  NiftiFields fields;
  std::copy(std::begin(kDims), std::end(kDims), fields.dims);
  fields.datatype = 4, fields.bitpix = 16;  // DT_INT16
  const std::string scan = dir.Write("labels.nii.gz", Gzipped(MakeNifti(fields, LabelledScan())));
  const std::string cub = dir.File("labels.cub");
  ASSERT_EQ(Run({CUBCONVERT, scan, "-o", cub, "--nonzero", "--keep-values"}), 0)
      << ReadTextFile(dir.File("stderr.txt"));

  // Coloured by value ("k"), each label has a colour of its own: the colour
  // table's (300 here, beyond a byte), else the built-in colour of the label
  // counted round 1..255, as a CUB file of those counts shows them.
  const std::string table = "300 Pillar 10 200 30\n";
  dir.Write("labels.lut", std::vector<std::uint8_t>(table.begin(), table.end()));
  std::vector<std::uint8_t> counted;
  for (const std::int16_t label : LabelledScan())
    counted.push_back(label ? static_cast<std::uint8_t>(((label - 1) % 255 + 255) % 255 + 1) : 0);
  const std::string twin = dir.Write(
      "twin.cub",
      CubBytes().Magic().Header(kDims[0], kDims[1], kDims[2]).Data(counted).End().bytes());
  const std::string twinTable = "45 Pillar 10 200 30\n";
  dir.Write("twin.lut", std::vector<std::uint8_t>(twinTable.begin(), twinTable.end()));
  for (const std::string keys : {"", "k"}) {
    const std::vector<char> fromScan = FileBytes(Shot(scan, keys, "scan" + keys + ".png"));
    const std::vector<char> fromCub =
        FileBytes(Shot(keys.empty() ? cub : twin, keys, "cub" + keys + ".png"));
    ASSERT_FALSE(fromScan.empty()) << "keys \"" << keys << "\"";
    EXPECT_TRUE(fromScan == fromCub) << "the pictures differ, keys \"" << keys << "\"";

    const auto picture = ReadPng(dir.File("scan" + keys + ".png"));
    ASSERT_TRUE(picture);
    std::size_t shown = 0;
    for (std::uint8_t covered : Covered(picture->rgb)) shown += covered;
    EXPECT_GT(shown, picture->rgb.size() / 3 / 20) << "the volume hardly shows";
  }
}

TEST_F(NiftiShot, DamagedScansCannotBeLoaded) {
  NiftiFields fields;
  auto truncated = MakeNifti<std::uint8_t>(fields, std::vector<std::uint8_t>(64, 3));
  truncated.resize(truncated.size() - 20);
  fields.dims[1] = -4;
  const auto badDims = MakeNifti<std::uint8_t>(fields, std::vector<std::uint8_t>(64, 3));
  for (const std::string& path :
       {dir.Write("truncated.nii", truncated), dir.Write("dims.nii.gz", Gzipped(badDims))}) {
    EXPECT_EQ(Run({QARMEL_SHOT, path, "-o", dir.File("never.png")}), 1) << path;
    const std::string err = ReadTextFile(dir.File("stderr.txt"));
    const std::string last = "qarmel-shot: cannot load " + path + "\n";
    ASSERT_GT(err.size(), last.size()) << err;
    EXPECT_EQ(err.substr(err.size() - last.size()), last) << err;
    EXPECT_EQ(err.rfind("LoadNifti(): ", 0), 0u) << "no reason line: " << err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("never.png")));
  }
}

}  // namespace

// Scanner files are drawn the patient's way round: a head stored in any
// axis order and sense, under any header that says so, gives the pictures
// of the CUB file of the same voxels stored i to the patient's left, j
// superior, k posterior; that file shows the patient facing the viewer,
// head up, left on the screen's right; cubconvert keeps the picture; and
// the header's voxel size gives the volume its true proportions.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cub_writer.h"
#include "image_compare.h"
#include "nifti_bytes.h"
#include "process.h"
#include "scan_bytes.h"
#include "temp_dir.h"

namespace {

// The head in the axes it is drawn along: x to the patient's left, y
// superior, z posterior (from the face towards the back of the head).
constexpr int kOrientExtent[3] = {40, 44, 36};

enum : std::uint8_t { kOrientBody = 1, kOrientLeft = 2, kOrientFront = 3, kOrientTop = 4 };

// A body and three marks of different sizes, none on a mirror plane of
// the body: on the left side, on the face (towards the patient's right),
// on top (towards the back). No voxel lies on the volume's border.
struct OrientBox {
  int from[3], to[3];
  std::uint8_t label;
};
constexpr OrientBox kOrientBoxes[] = {
    {{6, 4, 6}, {34, 36, 30}, kOrientBody},
    {{34, 20, 10}, {38, 28, 16}, kOrientLeft},
    {{12, 14, 2}, {18, 24, 6}, kOrientFront},
    {{10, 36, 18}, {18, 42, 26}, kOrientTop},
};

std::uint8_t OrientLabelAt(const int (&at)[3]) {
  std::uint8_t label = 0;
  for (const OrientBox& box : kOrientBoxes) {
    bool inside = true;
    for (int a = 0; a < 3; ++a) inside = inside && at[a] >= box.from[a] && at[a] < box.to[a];
    if (inside) label = box.label;
  }
  return label;
}

// Where a storage axis runs, by its letter (R L A P S I): the drawn axis
// it lies along, whether it runs against it, its step in RAS space.
struct OrientStep {
  int drawn;
  bool reversed;
  double ras[3];
};
OrientStep OrientStepOf(char letter) {
  switch (letter) {
    case 'L':
      return {0, false, {-1, 0, 0}};
    case 'R':
      return {0, true, {1, 0, 0}};
    case 'S':
      return {1, false, {0, 0, 1}};
    case 'I':
      return {1, true, {0, 0, -1}};
    case 'P':
      return {2, false, {0, -1, 0}};
    default:  // 'A'
      return {2, true, {0, 1, 0}};
  }
}

struct OrientStored {
  ScanAxes axes;
  std::vector<std::uint8_t> voxels;  // i fastest
};

// The head stored along `order`, the letters of storage axes i, j and k
// ("LPS": i to the left, j posterior, k superior), 1 mm voxels.
OrientStored OrientStore(const std::string& order) {
  OrientStored s;
  OrientStep steps[3];
  for (int a = 0; a < 3; ++a) {
    steps[a] = OrientStepOf(order[a]);
    s.axes.dims[a] = static_cast<std::uint64_t>(kOrientExtent[steps[a].drawn]);
    std::copy(std::begin(steps[a].ras), std::end(steps[a].ras), s.axes.column[a]);
  }
  int index[3];
  for (index[2] = 0; index[2] < static_cast<int>(s.axes.dims[2]); ++index[2])
    for (index[1] = 0; index[1] < static_cast<int>(s.axes.dims[1]); ++index[1])
      for (index[0] = 0; index[0] < static_cast<int>(s.axes.dims[0]); ++index[0]) {
        int at[3];
        for (int a = 0; a < 3; ++a) {
          const int extent = kOrientExtent[steps[a].drawn];
          at[steps[a].drawn] = steps[a].reversed ? extent - 1 - index[a] : index[a];
        }
        s.voxels.push_back(OrientLabelAt(at));
      }
  return s;
}

// The reference: the head stored as the viewer draws a CUB file.
std::string OrientWriteCanonical(const TempDir& dir, const std::string& name) {
  const OrientStored s = OrientStore("LSP");
  CubVolume cub;
  cub.dimX = kOrientExtent[0], cub.dimY = kOrientExtent[1], cub.dimZ = kOrientExtent[2];
  cub.voxels = s.voxels;
  const std::string path = dir.File(name);
  EXPECT_EQ(WriteCubFile(path, cub), "");
  return path;
}

enum class OrientFormat {
  kNiftiQform,
  kNiftiSform,
  kNiftiBoth,  // the sform, and a qform that disagrees with it
  kNiftiBare,  // neither: i runs to the patient's right, j anterior, k superior
  kNrrdRas,
  kNrrdLpsGzip,
  kNrrdDetached,
  kMha,
  kMhd,
};

// Writes the head stored along `order` with the header that says so; the
// path of the file to open.
std::string OrientWriteScan(const TempDir& dir, OrientFormat format, const std::string& order) {
  const OrientStored s = OrientStore(order);
  NiftiFields nifti;
  for (int a = 0; a < 3; ++a) nifti.dims[a] = static_cast<std::int16_t>(s.axes.dims[a]);
  nifti.sformCode = 0;
  NrrdFields nrrd;
  nrrd.axes = s.axes;
  MetaImageFields meta;
  meta.axes = s.axes;
  switch (format) {
    case OrientFormat::kNiftiQform:
      SetNiftiQform(nifti, s.axes.column);
      return dir.Write("head.nii", MakeNifti(nifti, s.voxels));
    case OrientFormat::kNiftiBoth: {
      const double wrong[3][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, -1}};  // i R, j P, k I
      SetNiftiQform(nifti, wrong);
      SetNiftiSform(nifti, s.axes.column);
      return dir.Write("head.nii.gz", Gzipped(MakeNifti(nifti, s.voxels)));
    }
    case OrientFormat::kNiftiSform:
      SetNiftiSform(nifti, s.axes.column);
      return dir.Write("head.nii", MakeNifti(nifti, s.voxels));
    case OrientFormat::kNiftiBare:
      return dir.Write("head.nii", MakeNifti(nifti, s.voxels));
    case OrientFormat::kNrrdRas:
      return dir.Write("head.nrrd", MakeNrrd(nrrd, s.voxels));
    case OrientFormat::kNrrdLpsGzip:
      nrrd.lps = nrrd.gzip = true;
      return dir.Write("head.nrrd", MakeNrrd(nrrd, s.voxels));
    case OrientFormat::kNrrdDetached:
      nrrd.lps = true;
      nrrd.dataFile = "head.raw";
      dir.Write(nrrd.dataFile, NrrdData(nrrd, s.voxels));
      return dir.Write("head.nhdr", MakeNrrd(nrrd, s.voxels));
    case OrientFormat::kMha:
      return dir.Write("head.mha", MakeMetaImage(meta, s.voxels));
    case OrientFormat::kMhd:
      meta.dataFile = "head.raw";
      dir.Write(meta.dataFile, s.voxels);
      return dir.Write("head.mhd", MakeMetaImage(meta, s.voxels));
  }
  return {};
}

struct OrientView {
  const char* heading;
  const char* elevation;
};
constexpr OrientView kOrientFrontView{"0", "0"};
constexpr OrientView kOrientAboveView{"180", "270"};  // the nose towards the top
constexpr OrientView kOrientViews[] = {kOrientFrontView, kOrientAboveView};
constexpr int kOrientPicture = 160;

// Runs a program to its end in `dir`; its exit code, -1 past the deadline.
int OrientRun(const TempDir& dir, const std::vector<std::string>& argv) {
  LaunchOptions options;
  options.stdoutFile = dir.File("stdout.txt");
  options.stderrFile = dir.File("stderr.txt");
  return Process(argv, options).WaitForExit(std::chrono::seconds(60)).value_or(-1);
}

// The picture of `volume` from `view`, or none after a failure.
std::optional<PngImage> OrientShot(const TempDir& dir, const std::string& volume,
                                   const OrientView& view, const std::string& png,
                                   const std::string& keys = "", int size = kOrientPicture) {
  const std::string sizeText = std::to_string(size);
  std::vector<std::string> argv = {QARMEL_SHOT,   volume,        "-o",        dir.File(png),
                                   "--size",      sizeText,      "--heading", view.heading,
                                   "--elevation", view.elevation};
  if (!keys.empty()) argv.insert(argv.end(), {"--keys", keys});
  if (OrientRun(dir, argv) != 0) {
    ADD_FAILURE() << "qarmel-shot " << volume << ": " << ReadTextFile(dir.File("stderr.txt"));
    return std::nullopt;
  }
  return ReadPng(dir.File(png));
}

struct OrientCase {
  OrientFormat format;
  const char* name;
  const char* order;
};
std::ostream& operator<<(std::ostream& out, const OrientCase& c) {
  return out << c.name << "_" << c.order;
}

// Each format meets LPS (from DICOM converters), RAS and its mirror LAS
// (axial), LIP (coronal) and PIR (sagittal); the qform, with its
// quaternion and qfac, meets them all.
const OrientCase kOrientCases[] = {
    {OrientFormat::kNiftiQform, "NiftiQform", "LPS"},
    {OrientFormat::kNiftiQform, "NiftiQform", "RAS"},
    {OrientFormat::kNiftiQform, "NiftiQform", "LAS"},
    {OrientFormat::kNiftiQform, "NiftiQform", "LIP"},
    {OrientFormat::kNiftiQform, "NiftiQform", "PIR"},
    {OrientFormat::kNiftiSform, "NiftiSform", "LSP"},  // as drawn: the CUB file's own order
    {OrientFormat::kNiftiSform, "NiftiSform", "LAS"},
    {OrientFormat::kNiftiSform, "NiftiSform", "PIR"},
    {OrientFormat::kNiftiBoth, "NiftiSformOverQform", "LPS"},
    {OrientFormat::kNiftiBoth, "NiftiSformOverQform", "LIP"},
    {OrientFormat::kNiftiBare, "NiftiBare", "RAS"},
    {OrientFormat::kNrrdRas, "NrrdRas", "RAS"},
    {OrientFormat::kNrrdRas, "NrrdRas", "LIP"},
    {OrientFormat::kNrrdLpsGzip, "NrrdLpsGzip", "LPS"},
    {OrientFormat::kNrrdLpsGzip, "NrrdLpsGzip", "PIR"},
    {OrientFormat::kNrrdDetached, "NrrdDetached", "LAS"},
    {OrientFormat::kNrrdDetached, "NrrdDetached", "LIP"},
    {OrientFormat::kMha, "MetaImageMha", "LPS"},
    {OrientFormat::kMha, "MetaImageMha", "LIP"},
    {OrientFormat::kMhd, "MetaImageMhd", "RAS"},
    {OrientFormat::kMhd, "MetaImageMhd", "LAS"},
    {OrientFormat::kMhd, "MetaImageMhd", "PIR"},
};

// The reference's pictures, made once for the family.
struct OrientReference {
  OrientReference() {
    const std::string cub = OrientWriteCanonical(dir, "reference.cub");
    for (int v = 0; v < 2; ++v)
      pictures[v] = OrientShot(dir, cub, kOrientViews[v], "reference" + std::to_string(v) + ".png");
  }
  TempDir dir;
  std::optional<PngImage> pictures[2];
};

class OrientFormats : public ::testing::TestWithParam<OrientCase> {
 protected:
  static void SetUpTestSuite() { reference = std::make_unique<OrientReference>(); }
  static void TearDownTestSuite() { reference.reset(); }
  static std::unique_ptr<OrientReference> reference;
  TempDir dir;
};
std::unique_ptr<OrientReference> OrientFormats::reference;

TEST_P(OrientFormats, ScanShowsTheReferencePicture) {
  const OrientCase& c = GetParam();
  const std::string scan = OrientWriteScan(dir, c.format, c.order);
  for (int v = 0; v < 2; ++v) {
    const std::optional<PngImage>& expected = reference->pictures[v];
    ASSERT_TRUE(expected) << "no reference picture";
    const std::optional<PngImage> picture =
        OrientShot(dir, scan, kOrientViews[v], "scan" + std::to_string(v) + ".png");
    ASSERT_TRUE(picture);
    EXPECT_EQ(CountDifferentPixels(picture->rgb, expected->rgb, 0), 0u)
        << "heading " << kOrientViews[v].heading << ", elevation " << kOrientViews[v].elevation;
  }
}

INSTANTIATE_TEST_SUITE_P(Orientations, OrientFormats, ::testing::ValuesIn(kOrientCases),
                         [](const ::testing::TestParamInfo<OrientCase>& info) {
                           return std::string(info.param.name) + "_" + info.param.order;
                         });

// Where the pixels of a pure colour lie: their count and mean place.
struct OrientSpot {
  std::size_t pixels = 0;
  double x = 0, y = 0;  // from the left, from the top
};
OrientSpot OrientFindColour(const PngImage& image, int channel) {
  OrientSpot spot;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = &image.rgb[3 * (static_cast<std::size_t>(y) * image.width + x)];
      const int own = p[channel], other = std::max(p[(channel + 1) % 3], p[(channel + 2) % 3]);
      if (own <= 2 * other + kBlackLevel) continue;
      ++spot.pixels, spot.x += x, spot.y += y;
    }
  if (spot.pixels) spot.x /= spot.pixels, spot.y /= spot.pixels;
  return spot;
}

TEST(OrientationShot, ReferenceShowsThePatientsSidesWhereTheyBelong) {
  TempDir dir;
  const std::string cub = OrientWriteCanonical(dir, "head.cub");
  // Colours by value ("k") paint each mark in a colour of its own.
  dir.Write("head.lut", ScanTextBytes("2 left 255 0 0\n3 front 0 255 0\n4 top 0 0 255\n"));
  const auto front = OrientShot(dir, cub, kOrientFrontView, "front.png", "k");
  const auto above = OrientShot(dir, cub, kOrientAboveView, "above.png", "k");
  ASSERT_TRUE(front && above);
  const double middle = kOrientPicture / 2.0;
  const OrientSpot left = OrientFindColour(*front, 0), top = OrientFindColour(*front, 2);
  ASSERT_GT(left.pixels, 0u);
  ASSERT_GT(top.pixels, 0u);
  EXPECT_GT(left.x, middle) << "from the front, the patient's left is on the screen's right";
  EXPECT_LT(top.y, middle) << "from the front, the head's top is at the top";
  const OrientSpot leftAbove = OrientFindColour(*above, 0);
  const OrientSpot nose = OrientFindColour(*above, 1);
  ASSERT_GT(leftAbove.pixels, 0u);
  ASSERT_GT(nose.pixels, 0u);
  EXPECT_LT(leftAbove.x, middle) << "from above, the patient's left is on the screen's left";
  EXPECT_LT(nose.y, middle) << "from above, the face is towards the top";
}

TEST(OrientationShot, ConvertedScansShowTheSamePicture) {
  const OrientCase scans[] = {{OrientFormat::kNiftiQform, "nifti", "LIP"},
                              {OrientFormat::kNrrdLpsGzip, "nrrd", "PIR"},
                              {OrientFormat::kMha, "metaimage", "LAS"}};
  for (const OrientCase& c : scans) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string scan = OrientWriteScan(dir, c.format, c.order);
    const std::string cub = dir.File("converted.cub");
    ASSERT_EQ(OrientRun(dir, {CUBCONVERT, scan, "-o", cub}), 0)
        << ReadTextFile(dir.File("stderr.txt"));
    for (const OrientView& view : kOrientViews) {
      const auto fromScan = OrientShot(dir, scan, view, "scan.png");
      const auto fromCub = OrientShot(dir, cub, view, "cub.png");
      ASSERT_TRUE(fromScan && fromCub);
      EXPECT_LE(CountMaskDifferences(Covered(fromScan->rgb), Covered(fromCub->rgb)),
                kOrientPicture * kOrientPicture / 200)
          << "heading " << view.heading << ", elevation " << view.elevation;
    }
  }
}

// An 18 mm cube of 1 x 1 x 3 mm voxels (the 18 x 18 x 6 interior of a
// 20 x 20 x 8 scan, stored i to the left, j posterior, k superior) looks
// square from the front and from the side, its 3 mm axis upright in both.
TEST(OrientationShot, VoxelSizeGivesTheTrueProportions) {
  TempDir dir;
  NiftiFields fields;
  fields.dims[0] = 20, fields.dims[1] = 20, fields.dims[2] = 8;
  fields.sformCode = 0;
  const double columns[3][3] = {{-1, 0, 0}, {0, -1, 0}, {0, 0, 3}};
  SetNiftiQform(fields, columns);
  std::vector<std::uint8_t> voxels(20 * 20 * 8, 0);
  for (int k = 1; k < 7; ++k)
    for (int j = 1; j < 19; ++j)
      for (int i = 1; i < 19; ++i) voxels[i + 20 * (j + 20 * k)] = 1;
  const std::string scan = dir.Write("cube.nii", MakeNifti(fields, voxels));
  constexpr int kSize = 240;
  for (const OrientView& view : {kOrientFrontView, OrientView{"90", "0"}}) {
    SCOPED_TRACE(std::string("heading ") + view.heading);
    const auto picture = OrientShot(dir, scan, view, "cube.png", "", kSize);
    ASSERT_TRUE(picture);
    const std::vector<std::uint8_t> covered = Covered(picture->rgb);
    int left = kSize, right = -1, top = kSize, bottom = -1;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        if (covered[static_cast<std::size_t>(y) * kSize + x]) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, left) << "nothing shows";
    const int width = right - left + 1, height = bottom - top + 1;
    EXPECT_LE(std::abs(width - height), 0.02 * std::max(width, height))
        << width << " x " << height << " pixels";
  }
}

}  // namespace

// The NRRD reader on files the tests write: which files it takes for NRRD,
// where one marked voxel lands for each way of storing it, and the reason
// for each damaged file.
#include "voxel/nrrd_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "nifti_bytes.h"
#include "temp_dir.h"

namespace {

using NrrdBytes = std::vector<std::uint8_t>;

// A 3x4x5 volume, all 0 but storage voxel (0, 1, 3), which holds 7.
constexpr std::size_t kNrrdVoxels = 60, kNrrdMark = 0 + 3 * (1 + 4 * 3);
const std::string kNrrdCube = "NRRD0004\ndimension: 3\nsizes: 3 4 5\n";
const std::string kNrrdBytes = kNrrdCube + "type: uint8\n";

std::vector<double> NrrdMarked(std::size_t count = kNrrdVoxels, std::size_t mark = kNrrdMark) {
  std::vector<double> values(count, 0);
  values[mark] = 7;
  return values;
}

template <typename T>
NrrdBytes NrrdValues(const std::vector<double>& values, bool bigEndian = false) {
  NrrdBytes out;
  for (const double value : values) {
    const T stored = static_cast<T>(value);
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &stored, sizeof bytes);
    if (bigEndian) std::reverse(bytes, bytes + sizeof bytes);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
  }
  return out;
}

template <typename T>
std::vector<T> NrrdJoined(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Where the values go: after the header's blank line (as they are or
// gzipped, less `cut` bytes at the end), or in volume.raw beside a header
// scan.nhdr (a FIFO for kFifo).
enum class NrrdForm { kAttached, kGzipped, kDetached, kFifo };

struct NrrdStored {
  std::string header;
  NrrdBytes data;
  NrrdForm form = NrrdForm::kAttached;
  std::size_t cut = 0;
};

std::string NrrdWrite(const TempDir& dir, const NrrdStored& stored) {
  NrrdBytes data = stored.form == NrrdForm::kGzipped ? Gzipped(stored.data) : stored.data;
  data.resize(data.size() - std::min(stored.cut, data.size()));
  NrrdBytes header(stored.header.begin(), stored.header.end());
  if (stored.form == NrrdForm::kAttached || stored.form == NrrdForm::kGzipped)
    return dir.Write("scan.nrrd", NrrdJoined(header, data));
  if (stored.form == NrrdForm::kFifo)
    EXPECT_EQ(mkfifo(dir.File("volume.raw").c_str(), 0600), 0);
  else
    dir.Write("volume.raw", data);
  return dir.Write("scan.nhdr", header);
}

// The drawn volume: extents and voxels.
struct NrrdDrawn {
  std::uint32_t dims[3] = {0, 0, 0};
  std::vector<unsigned char> voxels;
};

std::string NrrdRead(const std::string& path, NrrdDrawn& drawn, VolumeFacts& facts) {
  return ReadNrrd(
      path, NonZeroLabel,
      [&drawn](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        drawn.dims[0] = x, drawn.dims[1] = y, drawn.dims[2] = z;
        drawn.voxels.assign(std::size_t{x} * y * z, 0xEE);
        return drawn.voxels.data();
      },
      facts);
}

// With RAS axes (i to the right, j anterior, k superior) the drawn
// volume is 3x5x4 and the mark lands at (2 - 0, k = 3, 3 - 1): drawn x
// runs to the patient's left, z to posterior.
struct NrrdGood {
  const char* name;
  NrrdStored stored;
  std::uint32_t drawn[6] = {3, 5, 4, 2, 3, 2};  // extents, then the mark's place
  double spacing[3] = {1, 1, 1};                // drawn voxel edges
};

void PrintTo(const NrrdGood& good, std::ostream* out) { *out << good.name; }

class GoodNrrd : public ::testing::TestWithParam<NrrdGood> {};

TEST_P(GoodNrrd, DrawsTheMarkedVoxelWhereThePatientAxesSay) {
  const std::uint32_t* want = GetParam().drawn;
  TempDir dir;
  NrrdDrawn drawn;
  VolumeFacts facts;
  ASSERT_EQ(NrrdRead(NrrdWrite(dir, GetParam().stored), drawn, facts), "");
  ASSERT_EQ(std::vector<std::uint32_t>(drawn.dims, drawn.dims + 3),
            std::vector<std::uint32_t>(want, want + 3));
  std::vector<unsigned char> expected(drawn.voxels.size(), 0);
  expected[want[3] + want[0] * (want[4] + std::size_t{want[1]} * want[5])] = 7;
  EXPECT_EQ(drawn.voxels, expected);
  for (int a = 0; a < 3; ++a) EXPECT_DOUBLE_EQ(facts.spacing[a], GetParam().spacing[a]) << a;
}

const NrrdBytes kNrrdData = NrrdValues<std::uint8_t>(NrrdMarked());
const std::string kNrrdIdentity = "space directions: (1,0,0) (0,1,0) (0,0,1)\n";

const NrrdGood kGoodNrrds[] = {
    {"RawCrlfCommentsAndMixedCase",
     {"NRRD0005\r\n# a comment\r\nDIMENSION: 3\r\nSizes: 3 4 5\r\nType: Unsigned Char\r\n"
      "Segment0_Name:=a: b\r\nEncoding: raw\r\nspace: right-anterior-superior\r\n"
      "Space Directions: ( 1, 0, 0 ) (0,1,0) (0,0,1)\r\nspace origin: (9,9,9)\r\n\r\n",
      kNrrdData}},
    {"Gzip",
     {kNrrdBytes + "encoding: gzip\nspace: RAS\n" + kNrrdIdentity + "\n", kNrrdData,
      NrrdForm::kGzipped}},
    {"DetachedWithLineAndByteSkip",
     {kNrrdBytes + "encoding: raw\ndata file: volume.raw\nline skip: 2\nbyte skip: 3\n",
      NrrdJoined(NrrdBytes{'P', '5', '\n', '\r', '\n', 1, 2, 3}, kNrrdData), NrrdForm::kDetached}},
    {"BigEndianInt16WithSpacings",
     {kNrrdCube + "type: short\nendian: big\nencoding: raw\nspacings: 2 3 4\n\n",
      NrrdValues<std::int16_t>(NrrdMarked(), true)},
     {3, 5, 4, 2, 3, 2},
     {2, 4, 3}},
    {"FloatEndingTheFileInLas",
     {kNrrdCube + "type: float\nendian: little\nencoding: raw\nbyte skip: -1\nspace: LAS\n" +
          kNrrdIdentity + "\n",
      NrrdJoined(NrrdBytes{1, 2, 3}, NrrdValues<float>(NrrdMarked()))},
     {3, 5, 4, 0, 3, 2}},
    {"LpsMirrorsRas",
     {kNrrdBytes + "encoding: raw\nspace: left-posterior-superior\n" + kNrrdIdentity + "\n",
      kNrrdData},
     {3, 5, 4, 0, 3, 1}},
    // i superior (2 mm), j right, k anterior.
    {"PermutedDirections",
     {kNrrdBytes + "encoding: raw\nspace: RAS\nspace directions: (0,0,2) (1,0,0) (0,1,0)\n\n",
      kNrrdData},
     {4, 3, 5, 2, 0, 1},
     {1, 2, 1}},
    {"SeriesShowsItsFirstVolume",
     {"NRRD0004\ndimension: 4\nsizes: 3 4 5 2\ntype: uint8\nencoding: raw\nspace: RAS\n"
      "space directions: (1,0,0) (0,1,0) (0,0,1) none\n\n",
      NrrdJoined(kNrrdData, NrrdBytes(kNrrdVoxels, 9))}},
    {"ThreeValuesPerVoxelShowTheFirst",
     {"NRRD0004\ndimension: 4\nsizes: 3 3 4 5\ntype: uint16\nendian: little\nencoding: gzip\n"
      "kinds: vector domain domain domain\nbyte skip: 2\n\n",
      NrrdValues<std::uint16_t>([] {
        std::vector<double> values(1 + 3 * kNrrdVoxels, 5);
        for (std::size_t v = 0; v < kNrrdVoxels; ++v) values[1 + 3 * v] = v == kNrrdMark ? 7 : 0;
        return values;
      }()),
      NrrdForm::kGzipped}},
    {"TwoDimensionsGiveOneSlice",
     {"NRRD0004\ndimension: 2\nsizes: 3 4\ntype: int8\nencoding: raw\n\n",
      NrrdValues<std::int8_t>(NrrdMarked(12, 3))},
     {3, 1, 4, 2, 0, 2}},
};

INSTANTIATE_TEST_SUITE_P(Forms, GoodNrrd, ::testing::ValuesIn(kGoodNrrds),
                         [](const ::testing::TestParamInfo<NrrdGood>& info) {
                           return info.param.name;
                         });

struct NrrdBad {
  const char* name;
  NrrdStored stored;
  const char* reason;  // words the reason holds
};

void PrintTo(const NrrdBad& bad, std::ostream* out) { *out << bad.name; }

class BadNrrd : public ::testing::TestWithParam<NrrdBad> {};

TEST_P(BadNrrd, GivesNoVolumeAndSaysWhy) {
  TempDir dir;
  const std::string path = NrrdWrite(dir, GetParam().stored);
  NrrdDrawn drawn;
  VolumeFacts facts;
  const std::string reason = NrrdRead(path, drawn, facts);
  EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
  EXPECT_NE(reason.find(dir.path()), std::string::npos) << reason;
}

const NrrdBad kBadNrrds[] = {
    {"GzipCutShort",
     {kNrrdBytes + "encoding: gzip\n\n", kNrrdData, NrrdForm::kGzipped, 12},
     "is cut short"},
    {"RawCutShort",
     {kNrrdBytes + "encoding: raw\n\n", kNrrdData, NrrdForm::kAttached, 1},
     "is cut short"},
    {"GzipClaimsMore",
     {"NRRD0004\ndimension: 3\nsizes: 1000 1000 1000\ntype: uint8\nencoding: gzip\n\n", kNrrdData,
      NrrdForm::kGzipped},
     "gzipped bytes can hold"},
    {"Bzip2",
     {kNrrdBytes + "encoding: bzip2\n\n", kNrrdData},
     "NRRD encoding bzip2 is not supported"},
    {"Block",
     {kNrrdCube + "type: block\nencoding: raw\n\n", kNrrdData},
     "unsupported NRRD type \"block\""},
    {"FiveDimensions",
     {"NRRD0004\ndimension: 5\nsizes: 3 4 5 1 1\ntype: uint8\nencoding: raw\n\n", kNrrdData},
     "5 dimensions"},
    {"MiddleAxisNotSpatial",
     {kNrrdBytes + "encoding: raw\nkinds: domain RGB-color domain\n\n", kNrrdData},
     "axis 2 of"},
    {"MissingDataFile",
     {kNrrdBytes + "encoding: raw\ndata file: absent.raw\n\n", kNrrdData},
     "the data file of"},
    {"DataFileIsAFifo",
     {kNrrdBytes + "encoding: raw\ndata file: volume.raw\n", kNrrdData, NrrdForm::kFifo},
     "not a regular file"},
    {"ListOfDataFiles",
     {kNrrdBytes + "encoding: raw\ndata file: LIST\nvolume.raw\n", kNrrdData, NrrdForm::kDetached},
     "list of files"},
    {"NoBlankLineNorDataFile",
     {kNrrdBytes + "encoding: raw\n", kNrrdData, NrrdForm::kDetached},
     "names no data file"},
    {"HeaderOverOneMiB",
     {kNrrdBytes + "#" + std::string(std::size_t{1} << 20, 'x') + "\nencoding: raw\n\n", kNrrdData},
     "longer than 1 MiB"},
};

INSTANTIATE_TEST_SUITE_P(Reasons, BadNrrd, ::testing::ValuesIn(kBadNrrds),
                         [](const ::testing::TestParamInfo<NrrdBad>& info) {
                           return info.param.name;
                         });

TEST(NrrdReader, KnowsNrrdByItsMagicOnly) {
  TempDir dir;
  auto file = [&dir](const std::string& name, const std::string& text) {
    return dir.Write(name, NrrdBytes(text.begin(), text.end()));
  };
  EXPECT_TRUE(IsNrrdFile(file("a.raw", "NRRD0001\n").c_str()));
  EXPECT_TRUE(IsNrrdFile(file("b.nhdr", kNrrdBytes).c_str()));
  EXPECT_FALSE(IsNrrdFile(file("c.nrrd", "NRRD000x\n").c_str()));
  EXPECT_FALSE(IsNrrdFile(file("d.nrrd", "NRRD000").c_str()));
  EXPECT_FALSE(IsNrrdFile(dir.path().c_str()));
  ASSERT_EQ(mkfifo(dir.File("pipe.nrrd").c_str(), 0600), 0);
  EXPECT_FALSE(IsNrrdFile(dir.File("pipe.nrrd").c_str()));

  NrrdDrawn drawn;
  VolumeFacts facts;
  EXPECT_NE(NrrdRead(file("e.nrrd", "NRRD00041\n"), drawn, facts).find("not a NRRD file"),
            std::string::npos);
}

}  // namespace

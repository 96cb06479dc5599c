// The MetaImage reader on files the tests write: which files it takes for
// MetaImage, where each stored voxel is drawn, and the reason for each
// file it refuses.
#include "voxel/metaimage_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "voxel/scan_samples.h"

namespace {

using MhaBytes = std::vector<std::uint8_t>;

MhaBytes MhaJoined(const std::string& text, const MhaBytes& data) {
  MhaBytes bytes(text.begin(), text.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

MhaBytes MhaCompressed(const MhaBytes& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  MhaBytes out(size);
  if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 6) != Z_OK)
    return {};
  out.resize(size);
  return out;
}

// One stored value of type T, in the machine's byte order or reversed.
template <typename T, bool kReversed = false>
MhaBytes MhaValue(double value) {
  const T stored = static_cast<T>(value);
  MhaBytes bytes(sizeof stored);
  std::memcpy(bytes.data(), &stored, sizeof stored);
  if (kReversed) std::reverse(bytes.begin(), bytes.end());
  return bytes;
}

// Where the data go: after the header, compressed after it, or in a file
// beside it after 16 bytes the header skips, or at that file's end.
enum MhaPlace { kMhaLocal, kMhaZlib, kMhaBeside, kMhaAtEnd };
const char* const kMhaDataLines[] = {
    "ElementDataFile = LOCAL\n", "CompressedData = True\nElementDataFile = LOCAL\n",
    "HeaderSize = 16\nElementDataFile = scan.raw\n", "HeaderSize = -1\nElementDataFile = scan.raw"};

// Where the marked voxel is stored (i fastest) and must be drawn (x
// fastest), with the drawn voxel edges.
struct MhaShape {
  std::uint64_t dims[3], marked[3];
  std::uint32_t drawnDims[3], drawnMarked[3];
  double spacing[3];
};

// Storage 2x3x4, voxel (1,0,2) marked. With the identity (LPS) axes i runs
// to the patient's left (drawn x), j posterior (drawn z), k superior (drawn
// y): drawn 2x4x3, the mark at (1,2,0).
constexpr MhaShape kMhaAsStored = {{2, 3, 4}, {1, 0, 2}, {2, 4, 3}, {1, 2, 0}, {1, 1, 1}};
// Spacing 0.5 2 3 along i, j, k: drawn x, z, y.
constexpr MhaShape kMhaSpaced = {{2, 3, 4}, {1, 0, 2}, {2, 4, 3}, {1, 2, 0}, {0.5, 3, 2}};
// i superior (drawn y), j left (drawn x), k posterior (drawn z).
constexpr MhaShape kMhaPermuted = {{2, 3, 4}, {1, 0, 2}, {3, 2, 4}, {0, 1, 2}, {1, 1, 1}};
// i from the left, j from posterior, k from superior: each drawn axis reversed.
constexpr MhaShape kMhaReversed = {{2, 3, 4}, {1, 0, 2}, {2, 4, 3}, {0, 1, 2}, {1, 1, 1}};
// A 2x3 slice: i left, j posterior, one voxel superior.
constexpr MhaShape kMhaSlice = {{2, 3, 1}, {1, 2, 0}, {2, 1, 3}, {1, 0, 2}, {1, 1, 1}};

// One marked voxel (value 6) among zeros; further channels hold 50 and
// further volumes 77, which must not show.
struct MhaGood {
  const char* name;
  const char* header;  // the lines before the data's
  MhaPlace place;
  MhaBytes (*value)(double);
  int channels, volumes;
  const MhaShape& shape;
};

void PrintTo(const MhaGood& c, std::ostream* out) { *out << c.name; }

std::string MhaWrite(const TempDir& dir, const MhaGood& c) {
  const std::uint64_t *dims = c.shape.dims, *marked = c.shape.marked;
  const std::uint64_t mark = marked[0] + dims[0] * (marked[1] + dims[1] * marked[2]);
  MhaBytes data;
  for (int volume = 0; volume < c.volumes; ++volume)
    for (std::uint64_t v = 0; v < dims[0] * dims[1] * dims[2]; ++v)
      for (int channel = 0; channel < c.channels; ++channel) {
        const MhaBytes value = c.value(channel > 0 ? 50 : volume > 0 ? 77 : v == mark ? 6 : 0);
        data.insert(data.end(), value.begin(), value.end());
      }
  const std::string header = std::string(c.header) + kMhaDataLines[c.place];
  if (c.place == kMhaZlib) data = MhaCompressed(data);
  if (c.place <= kMhaZlib) return dir.Write("scan.mha", MhaJoined(header, data));
  dir.Write("scan.raw", MhaJoined(std::string(16, 'x'), data));
  return dir.Write("scan.mhd", MhaJoined(header, {}));
}

struct MhaRead {
  std::string reason;
  std::uint32_t dims[3] = {};
  MhaBytes voxels;
  VolumeFacts facts;
};

MhaRead MhaLoad(const std::string& path) {
  MhaRead read;
  // Filled with a byte no voxel takes, so a voxel left unwritten shows.
  read.reason = ReadMetaImage(
      path, NonZeroLabel,
      [&read](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
        read.dims[0] = x, read.dims[1] = y, read.dims[2] = z;
        read.voxels.assign(std::size_t{x} * y * z, 0xAB);
        return read.voxels.data();
      },
      read.facts);
  return read;
}

class MhaGoodFile : public ::testing::TestWithParam<MhaGood> {};

TEST_P(MhaGoodFile, DrawsTheMarkedVoxelWhereThePatientAxesSay) {
  const MhaShape& shape = GetParam().shape;
  TempDir dir;
  const MhaRead read = MhaLoad(MhaWrite(dir, GetParam()));
  ASSERT_EQ(read.reason, "");
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(read.dims[a], shape.drawnDims[a]) << "axis " << a;
    EXPECT_DOUBLE_EQ(read.facts.spacing[a], shape.spacing[a]) << "axis " << a;
  }
  const std::uint32_t *dims = shape.drawnDims, *at = shape.drawnMarked;
  MhaBytes expected(read.voxels.size(), 0);
  expected.at(at[0] + std::size_t{dims[0]} * (at[1] + std::size_t{dims[1]} * at[2])) = 6;
  EXPECT_EQ(read.voxels, expected);
}

// clang-format off
const MhaGood kMhaGoodFiles[] = {
    {"LocalRaw", "ObjectType = Image\nNDims = 3\nDimSize = 2 3 4\nElementType = MET_UCHAR\n"
     "ElementSpacing = 0.5 2 3\n", kMhaLocal, MhaValue<std::uint8_t>, 1, 1, kMhaSpaced},
    {"Zlib", "ndims=3\ndimsize = 2 3 4\nelementtype = met_short\n", kMhaZlib,
     MhaValue<std::int16_t>, 1, 1, kMhaAsStored},
    {"BesideWithHeaderSize", "NDims = 3\r\nDimSize = 2 3 4\r\nElementType = MET_FLOAT\r\n",
     kMhaBeside, MhaValue<float>, 1, 1, kMhaAsStored},
    {"BesideAtTheEnd", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_DOUBLE\n", kMhaAtEnd,
     MhaValue<double>, 1, 1, kMhaAsStored},
    {"BigEndian", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_USHORT\n"
     "BinaryDataByteOrderMSB = True\n", kMhaLocal, MhaValue<std::uint16_t, true>, 1, 1,
     kMhaAsStored},
    {"Int64", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_LONG_LONG\n", kMhaLocal,
     MhaValue<std::int64_t>, 1, 1, kMhaAsStored},
    {"TwoChannels", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_LONG\n"
     "ElementNumberOfChannels = 2\n", kMhaLocal, MhaValue<std::int32_t>, 2, 1, kMhaAsStored},
    {"Series", "NDims = 4\nDimSize = 2 3 4 2\nElementType = MET_UCHAR\n", kMhaLocal,
     MhaValue<std::uint8_t>, 1, 2, kMhaAsStored},
    {"IdentityMatrix", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_UCHAR\n"
     "TransformMatrix = 1 0 0 0 1 0 0 0 1\nAnatomicalOrientation = LPS\n", kMhaLocal,
     MhaValue<std::uint8_t>, 1, 1, kMhaAsStored},
    {"PermutedMatrix", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_UCHAR\n"
     "Direction = 0 0 1 1 0 0 0 1 0\n", kMhaLocal, MhaValue<std::uint8_t>, 1, 1, kMhaPermuted},
    {"OrientationOnly", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_UCHAR\n"
     "AnatomicalOrientation = LPS\n", kMhaLocal, MhaValue<std::uint8_t>, 1, 1, kMhaReversed},
    {"Slice", "NDims = 2\nDimSize = 2 3\nElementType = MET_UCHAR\n", kMhaLocal,
     MhaValue<std::uint8_t>, 1, 1, kMhaSlice},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Layouts, MhaGoodFile, ::testing::ValuesIn(kMhaGoodFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// A file the reader must refuse: its header, the data after it, and words
// of the reason. "pipe.raw" beside it is a FIFO.
struct MhaBad {
  const char* name;
  std::string header;
  MhaBytes data;
  const char* words;
};

void PrintTo(const MhaBad& c, std::ostream* out) { *out << c.name; }

const std::string kMhaSmall = "NDims = 3\nDimSize = 2 3 4\nElementType = MET_UCHAR\n";
const std::string kMhaLocalLine = "ElementDataFile = LOCAL\n";
const std::string kMhaZlibLines = "CompressedData = True\n" + kMhaLocalLine;
const MhaBytes kMhaVoxels(24, 1);

MhaBytes MhaBadCheckValue() {
  MhaBytes bytes = MhaCompressed(kMhaVoxels);
  bytes[bytes.size() - 2] ^= 0xFF;
  return bytes;
}

// clang-format off
const MhaBad kMhaBadFiles[] = {
    {"Truncated", kMhaSmall + kMhaLocalLine, MhaBytes(23, 1), "is cut short"},
    {"BadZlib", kMhaSmall + kMhaZlibLines, MhaBadCheckValue(), "is damaged"},
    {"UnknownType", "NDims = 3\nDimSize = 2 3 4\nElementType = MET_STRING\n" + kMhaLocalLine,
     kMhaVoxels, "unsupported MetaImage element type MET_STRING"},
    {"Ascii", kMhaSmall + "BinaryData = False\n" + kMhaLocalLine, kMhaVoxels, "ASCII"},
    {"ClaimBeyondRaw", "NDims = 3\nDimSize = 200 200 200\nElementType = MET_UCHAR\n" +
     kMhaLocalLine, kMhaVoxels, "is cut short"},
    {"ClaimBeyondZlib", "NDims = 3\nDimSize = 1000 1000 1000\nElementType = MET_UCHAR\n" +
     kMhaZlibLines, MhaCompressed(kMhaVoxels), "compressed bytes can hold"},
    {"MissingDataFile", kMhaSmall + "ElementDataFile = absent.raw\n", {}, "the data file of"},
    {"FifoDataFile", kMhaSmall + "ElementDataFile = pipe.raw\n", {}, "not a regular file"},
    {"List", kMhaSmall + "ElementDataFile = LIST\n", {}, "LIST"},
    {"Pattern", kMhaSmall + "ElementDataFile = s%03d.raw 1 4 1\n", {}, "numbered"},
    {"FiveDims", "NDims = 5\nDimSize = 2 3 4 1 1\nElementType = MET_UCHAR\n" + kMhaLocalLine,
     kMhaVoxels, "bad dimensions"},
    {"NoDataLine", kMhaSmall, {}, "no ElementDataFile"},
};
// clang-format on

class MhaBadFile : public ::testing::TestWithParam<MhaBad> {};

TEST_P(MhaBadFile, GivesNoVolumeAndSaysWhy) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe.raw").c_str(), 0600), 0);
  const MhaRead read = MhaLoad(dir.Write("bad.mha", MhaJoined(GetParam().header, GetParam().data)));
  EXPECT_NE(read.reason.find(GetParam().words), std::string::npos) << read.reason;
  EXPECT_NE(read.reason.find(dir.path()), std::string::npos) << "names no file: " << read.reason;
}

INSTANTIATE_TEST_SUITE_P(Reasons, MhaBadFile, ::testing::ValuesIn(kMhaBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MetaImageReader, KnowsMetaImageByItsFirstLine) {
  TempDir dir;
  const auto known = [&dir](const std::string& text) {
    return IsMetaImageFile(dir.Write("file", MhaJoined(text, {})).c_str());
  };
  EXPECT_TRUE(known("ObjectType = Image\nNDims = 3\n"));
  EXPECT_TRUE(known("ndims=3"));
  EXPECT_TRUE(known("Comment = " + std::string(8000, 'c')));
  EXPECT_FALSE(known("ObjectType = Tube\nNDims = 3\n"));
  EXPECT_FALSE(known("Colour = red\nNDims = 3\n"));
  EXPECT_FALSE(known("NRRD0004\n"));
  EXPECT_FALSE(known(""));
  EXPECT_FALSE(IsMetaImageFile(dir.path().c_str()));
  EXPECT_FALSE(IsMetaImageFile(dir.File("missing.mha").c_str()));
  ASSERT_EQ(mkfifo(dir.File("pipe.mha").c_str(), 0600), 0);
  EXPECT_FALSE(IsMetaImageFile(dir.File("pipe.mha").c_str()));
}

}  // namespace

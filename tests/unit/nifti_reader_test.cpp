// The NIfTI-1 reader on files the tests write: which files it takes for
// NIfTI, the voxels the viewer gets, and the reason for each damaged file.
#include "voxel/nifti_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cub_bytes.h"
#include "nifti_bytes.h"
#include "temp_dir.h"
#include "voxel/file_axes.h"
#include "voxel/load_progress.h"
#include "voxel/voxel_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 4x4x4 voxels holding labels 0..3 in turn.
Bytes SmallNifti() {
  std::vector<std::uint8_t> labels(64);
  for (std::size_t i = 0; i < labels.size(); ++i) labels[i] = static_cast<std::uint8_t>(i % 4);
  return MakeNifti<std::uint8_t>({}, labels);
}

void Put16(Bytes& bytes, std::size_t at, std::int16_t value) { std::memcpy(&bytes[at], &value, 2); }
void PutFloat(Bytes& bytes, std::size_t at, float value) { std::memcpy(&bytes[at], &value, 4); }

Bytes Joined(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The bytes under a NIfTI-2 header's size and magic.
Bytes Nifti2(Bytes bytes) {
  const std::int32_t size = 540;
  std::memcpy(&bytes[0], &size, 4);
  std::memcpy(&bytes[4], "n+2\0\r\n\032\n", 8);
  return bytes;
}

TEST(NiftiReader, KnowsNiftiByContentNotByName) {
  TempDir dir;
  const Bytes nifti = SmallNifti();
  EXPECT_TRUE(IsNiftiFile(dir.Write("scan.data", nifti).c_str()));
  EXPECT_TRUE(IsNiftiFile(dir.Write("scan.nii", Gzipped(nifti)).c_str()));
  Bytes bigEndianSize = nifti;
  const std::uint8_t size348[4] = {0, 0, 1, 92};
  std::memcpy(bigEndianSize.data(), size348, 4);
  EXPECT_TRUE(IsNiftiFile(dir.Write("swapped.nii", bigEndianSize).c_str()));
  Bytes pair = nifti;
  std::memcpy(&pair[344], "ni1", 4);
  EXPECT_TRUE(IsNiftiFile(dir.Write("pair.hdr", pair).c_str()));

  Bytes otherMagic = nifti;
  std::memcpy(&otherMagic[344], "n+2", 4);
  EXPECT_FALSE(IsNiftiFile(dir.Write("other.nii", otherMagic).c_str()));
  const Bytes cub = CubBytes().Magic().Header(2, 2, 2).Data(CountingBytes(8)).End().bytes();
  EXPECT_FALSE(IsNiftiFile(dir.Write("small.cub", cub).c_str()));
  EXPECT_FALSE(IsNiftiFile(dir.Write("gzipped.cub", Gzipped(cub)).c_str()));
  EXPECT_FALSE(
      IsNiftiFile(dir.Write("short.nii", Bytes(nifti.begin(), nifti.begin() + 347)).c_str()));
  EXPECT_FALSE(IsNiftiFile(dir.path().c_str()));
  EXPECT_FALSE(IsNiftiFile(dir.File("missing.nii").c_str()));
  // A FIFO without a writer: refused at once instead of waited on.
  ASSERT_EQ(mkfifo(dir.File("pipe.nii").c_str(), 0600), 0);
  EXPECT_EQ(NiftiFileKind(dir.File("pipe.nii").c_str()), NiftiKind::kNone);

  EXPECT_EQ(NiftiFileKind(dir.Write("one.nii", Gzipped(nifti)).c_str()), NiftiKind::kNifti1);
  EXPECT_EQ(NiftiFileKind(dir.Write("two.nii", Nifti2(nifti)).c_str()), NiftiKind::kNifti2);
  EXPECT_EQ(NiftiFileKind(dir.Write("two.nii.gz", Gzipped(Nifti2(nifti))).c_str()),
            NiftiKind::kNifti2);
}

// Valid gzip files of more than one member: the header split across
// members, and an empty member at the end.
TEST(NiftiReader, ReadsEveryMemberOfAGzipFile) {
  const Bytes nifti = SmallNifti();
  const Bytes head(nifti.begin(), nifti.begin() + 100), rest(nifti.begin() + 100, nifti.end());
  const Bytes split = Joined(Gzipped(head), Gzipped(rest));
  const Bytes emptyLast = Joined(Gzipped(nifti), Gzipped({}));
  TempDir dir;
  for (const Bytes& bytes : {split, emptyLast}) {
    std::string reason;
    VolumeFacts facts;
    VOXSPACE* volume = LoadNifti(dir.Write("members.nii.gz", bytes).c_str(), reason, facts);
    ASSERT_NE(volume, nullptr) << reason;
    EXPECT_EQ(Bytes(volume->data, volume->data + 64), Bytes(nifti.end() - 64, nifti.end()));
    FreeVoxSpace(volume);
  }
}

TEST(NiftiReader, TheViewerKeepsNonZeroValuesAsLabels) {
  // Stored 0, 7, 300, -5 and 2 in turn, scaled by 2 and shifted by -4:
  // real values -4, 10, 596, -14 and 0.
  std::vector<std::int16_t> values(3 * 2 * 2);
  const std::int16_t pattern[5] = {0, 7, 300, -5, 2};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = pattern[i % 5];
  NiftiFields fields;
  fields.dims[0] = 3, fields.dims[1] = 2, fields.dims[2] = 2;
  fields.datatype = 4, fields.bitpix = 16, fields.slope = 2, fields.intercept = -4;
  TempDir dir;
  std::string reason;
  VolumeFacts facts;
  VOXSPACE* volume = LoadNifti(dir.Write("scan.nii.gz", Gzipped(MakeNifti(fields, values))).c_str(),
                               reason, facts);
  ASSERT_NE(volume, nullptr) << reason;
  EXPECT_EQ(volume->dimX, 3u);
  EXPECT_EQ(volume->dimY, 2u);
  EXPECT_EQ(volume->dimZ, 2u);
  EXPECT_EQ(volume->bitsPerVoxel, 8u);
  EXPECT_EQ(volume->dataSize, 12u);
  const std::uint8_t kept[5] = {1, 10, 255, 1, 0};
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(volume->data[i], kept[i % 5]) << "voxel " << i;
  FreeVoxSpace(volume);
}

// How a damaged header goes to the file: as it is, gzipped, or gzipped
// with one bit of the trailer's CRC or length word flipped.
using Packing = Bytes (*)(const Bytes&);
Bytes Plain(const Bytes& bytes) { return bytes; }
Bytes TrailerBitFlipped(const Bytes& bytes, std::size_t fromEnd) {
  Bytes packed = Gzipped(bytes);
  packed[packed.size() - fromEnd] ^= 1;
  return packed;
}
Bytes WrongCrc(const Bytes& bytes) { return TrailerBitFlipped(bytes, 8); }
Bytes WrongLength(const Bytes& bytes) { return TrailerBitFlipped(bytes, 4); }
Bytes TrailerMissing(const Bytes& bytes) {
  Bytes packed = Gzipped(bytes);
  packed.resize(packed.size() - 8);
  return packed;
}

struct Damage {
  const char* name;
  std::function<void(Bytes&)> apply;
  Packing pack;
  const char* reason;  // words the reason holds
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedNifti : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedNifti, GivesNoVolumeAndSaysWhy) {
  Bytes bytes = SmallNifti();
  GetParam().apply(bytes);
  TempDir dir;
  const std::string path = dir.Write("damaged.nii", GetParam().pack(bytes));
  std::string reason;
  VolumeFacts facts;
  VOXSPACE* volume = LoadNifti(path.c_str(), reason, facts);
  EXPECT_EQ(volume, nullptr);
  FreeVoxSpace(volume);
  EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
  EXPECT_NE(reason.find(path), std::string::npos) << "the reason names no file: " << reason;
}

// Seven dimensions of 32767 make more values than 64 bits count; gzipped,
// the file's length cannot refuse them, the volume's size must.
void HugeDims(Bytes& b) {
  Put16(b, 40, 7);
  for (int d = 1; d <= 7; ++d) Put16(b, 40 + 2 * d, 32767);
}

// 1625^3 voxels: a header a few dozen gzipped bytes cannot honestly hold.
void HugeClaim(Bytes& b) {
  for (int d = 1; d <= 3; ++d) Put16(b, 40 + 2 * d, 1625);
}

const Damage kDamages[] = {
    {"Truncated", [](Bytes& b) { b.resize(b.size() - 10); }, Plain, "is cut short"},
    {"TruncatedGzipped", [](Bytes& b) { b.resize(b.size() - 10); }, Gzipped, "is cut short"},
    {"HeaderOnly", [](Bytes& b) { b.resize(348); }, Plain, "is cut short"},
    {"GzipTrailerMissing", [](Bytes&) {}, TrailerMissing, "is cut short"},
    {"TooShortForAHeader", [](Bytes& b) { b.resize(300); }, Plain, "too short"},
    {"WrongHeaderSize", [](Bytes& b) { b[0] = 123; }, Plain, "wrong header size"},
    {"TwoFilePair", [](Bytes& b) { std::memcpy(&b[344], "ni1", 4); }, Plain, "not a single-file"},
    {"ZeroDimension", [](Bytes& b) { Put16(b, 44, 0); }, Plain, "bad dimensions"},
    {"NegativeDimension", [](Bytes& b) { Put16(b, 42, -4); }, Plain, "bad dimensions"},
    {"RankAboveSeven", [](Bytes& b) { Put16(b, 40, 8); }, Plain, "bad dimensions"},
    {"DataInsideTheHeader", [](Bytes& b) { PutFloat(b, 108, 100); }, Plain, "bad header"},
    {"UndefinedType", [](Bytes& b) { Put16(b, 70, 3); }, Plain, "not a readable"},
    {"ComplexType", [](Bytes& b) { Put16(b, 70, 32); }, Plain, "unsupported NIfTI data type 32"},
    {"HugeDimsGzipped", HugeDims, Gzipped, "larger than a CUB file can hold"},
    {"ClaimBeyondInflation", HugeClaim, Gzipped, "gzipped bytes can hold"},
    {"FarDataOffsetGzipped", [](Bytes& b) { PutFloat(b, 108, 1e12f); }, Gzipped,
     "gzipped bytes can hold"},
    {"WrongCrc", [](Bytes&) {}, WrongCrc, "is damaged: CRC"},
    {"WrongLengthWord", [](Bytes&) {}, WrongLength, "is damaged: gzip length word"},
    {"Nifti2", [](Bytes& b) { b = Nifti2(b); }, Plain, "NIfTI-2 is not supported"},
};

INSTANTIATE_TEST_SUITE_P(Reasons, DamagedNifti, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                           return info.param.name;
                         });

}  // namespace

namespace {

// Both kinds of reader say how far they have read, ending at the whole.
TEST(LoadProgress, ReadersReportUpToTheWholeVolume) {
  TempDir dir;
  const std::string cub = dir.Write(
      "in.cub",
      CubBytes().Magic().Header(4, 4, 4).Data(std::vector<std::uint8_t>(64, 1)).End().bytes());
  const std::string nifti =
      dir.Write("in.nii.gz", Gzipped(MakeNifti(NiftiFields{}, std::vector<std::uint8_t>(64, 1))));
  for (const std::string& path : {cub, nifti}) {
    std::vector<double> shares;
    SetLoadProgressListener([&shares](double share) { shares.push_back(share); });
    VolumeFacts facts;
    VOXSPACE* volume = LoadVoxelFile(path.c_str(), facts);
    SetLoadProgressListener(nullptr);
    ASSERT_NE(volume, nullptr) << path;
    FreeVoxSpace(volume);
    ASSERT_FALSE(shares.empty()) << path;
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end())) << path;
    EXPECT_EQ(shares.back(), 1.0) << path;
  }
}

// Where a voxel lies in the patient, as each format's header places the
// volume (an origin and the axes; LPS headers mirror x and y), for the
// title: voxel (1, 2, 3) of 2 x 3 x 4; none for a volume not placed.
TEST(PatientPlace, EachFormatsOriginAndAxesPlaceTheVoxel) {
  TempDir dir;
  const std::vector<std::uint8_t> voxels(24, 1);
  const auto withData = [&](const std::string& header) {
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), voxels.begin(), voxels.end());
    return bytes;
  };
  NiftiFields sform, qform, bare;
  for (NiftiFields* f : {&sform, &qform, &bare}) f->dims[0] = 2, f->dims[1] = 3, f->dims[2] = 4;
  sform.srow[0][3] = 5, sform.srow[1][3] = 6, sform.srow[2][3] = 7;
  const NiftiColumns identity = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  SetNiftiQform(qform, identity);
  qform.sformCode = 0, qform.qoffset[0] = -10, qform.qoffset[1] = 0.04f, qform.qoffset[2] = 2.25f;
  bare.sformCode = 0;
  const std::pair<std::string, std::string> cases[] = {
      {dir.Write("sform.nii", MakeNifti(sform, voxels)), "R4 A3 S9"},
      {dir.Write("qform.nii", MakeNifti(qform, voxels)), "L9 A2 S5.3"},
      {dir.Write("bare.nii", MakeNifti(bare, voxels)), ""},
      {dir.Write("lps.nrrd", withData("NRRD0004\ndimension: 3\nsizes: 2 3 4\ntype: uint8\n"
                                      "encoding: raw\nspace: LPS\nspace directions: (1,0,0) "
                                      "(0,1,0) (0,0,1)\nspace origin: (10,20,30)\n\n")),
       "L11 P22 S33"},
      {dir.Write("lps.mha",
                 withData("ObjectType = Image\nNDims = 3\nDimSize = 2 3 4\n"
                          "ElementType = MET_UCHAR\nTransformMatrix = 1 0 0 0 1 0 0 0 1\n"
                          "Offset = 10 20 30\nElementDataFile = LOCAL\n")),
       "L11 P22 S33"},
  };
  for (const auto& [path, place] : cases) {
    SCOPED_TRACE(path);
    VolumeFacts facts;
    VOXSPACE* volume = LoadVoxelFile(path.c_str(), facts);
    ASSERT_NE(volume, nullptr);
    const std::uint32_t dims[3] = {volume->dimX, volume->dimY, volume->dimZ};
    FreeVoxSpace(volume);
    const std::uint32_t file[3] = {1, 2, 3};
    EXPECT_EQ(PatientPlace(FileAxesOf(facts, dims), file), place);
  }
}

}  // namespace

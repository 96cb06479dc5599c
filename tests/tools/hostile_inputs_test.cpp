// Hostile and damaged inputs through the programs that take them. Each row
// is a file made here, a command line, and what must come of it within a
// generous deadline: the exit code, a piece of the message on standard
// error, and a ceiling on the program's peak resident memory (the offscreen
// context alone takes about 100 MB).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "cub_bytes.h"
#include "nifti_bytes.h"
#include "process.h"
#include "temp_dir.h"

namespace {

using std::chrono::seconds;

std::vector<std::uint8_t> SmallCub() {
  return CubBytes().Magic().Header(4, 4, 4).Data(std::vector<std::uint8_t>(64, 1)).End().bytes();
}

// A NIfTI header that claims 1625^3 voxels of one byte, and none of them.
std::vector<std::uint8_t> HugeClaimNifti() {
  NiftiFields fields;
  fields.dims[0] = fields.dims[1] = fields.dims[2] = 1625;
  return MakeNifti<std::uint8_t>(fields, {});
}

// Makers of the input files; each returns the path to give the program.
using Maker = std::string (*)(TempDir&);

std::string Missing(TempDir& dir) { return dir.File("missing.cub"); }
std::string Directory(TempDir& dir) {
  mkdir(dir.File("folder.cub").c_str(), 0755);
  return dir.File("folder.cub");
}
std::string Fifo(TempDir& dir) {
  mkfifo(dir.File("pipe.nii").c_str(), 0644);
  return dir.File("pipe.nii");
}
std::string Small(TempDir& dir) { return dir.Write("small.cub", SmallCub()); }
// 4x4x4 raw bytes, with a FIFO beside them to write to.
std::string RawWithPipe(TempDir& dir) {
  mkfifo(dir.File("pipe.cub").c_str(), 0644);
  return dir.Write("cube.raw", std::vector<std::uint8_t>(64, 150));
}
std::string DashNamed(TempDir& dir) { return dir.Write("-x.cub", SmallCub()); }
std::string HeaderOnlyCub(TempDir& dir) {
  return dir.Write("empty.cub", CubBytes().Magic().Header(1625, 1625, 1625).End().bytes());
}
// A gzip stream of a few dozen bytes that never ends, its last word
// claiming about 4 GiB: the header's claim must be refused before anything
// is allocated or inflated.
std::string UnendingGzip(TempDir& dir) {
  const std::vector<std::uint8_t> header = HugeClaimNifti();
  z_stream stream{};
  const int gzipWindow = 15 + 16;
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzipWindow, 8, Z_DEFAULT_STRATEGY);
  std::vector<std::uint8_t> bytes(deflateBound(&stream, header.size()) + 16);
  stream.next_in = const_cast<Bytef*>(header.data());
  stream.avail_in = static_cast<uInt>(header.size());
  stream.next_out = bytes.data();
  stream.avail_out = static_cast<uInt>(bytes.size());
  deflate(&stream, Z_SYNC_FLUSH);
  bytes.resize(stream.total_out);
  deflateEnd(&stream);
  for (std::uint8_t b : {0x00, 0x00, 0x00, 0xFF, 0xFF}) bytes.push_back(b);
  return dir.Write("unending.nii.gz", bytes);
}
// A complete stream whose length word was changed.
std::string ForgedLengthWord(TempDir& dir) {
  std::vector<std::uint8_t> bytes =
      Gzipped(MakeNifti<std::uint8_t>({}, std::vector<std::uint8_t>(64)));
  bytes[bytes.size() - 1] ^= 0x40;
  return dir.Write("forged.nii.gz", bytes);
}
std::string MultiMember(TempDir& dir) {
  const std::vector<std::uint8_t> nifti =
      MakeNifti<std::uint8_t>({}, std::vector<std::uint8_t>(64, 1));
  std::vector<std::uint8_t> bytes = Gzipped({nifti.begin(), nifti.begin() + 100});
  for (const auto& member : {Gzipped({nifti.begin() + 100, nifti.end()}), Gzipped({})})
    bytes.insert(bytes.end(), member.begin(), member.end());
  return dir.Write("members.nii.gz", bytes);
}
std::string Nifti2(TempDir& dir) {
  std::vector<std::uint8_t> bytes(544, 0);
  const std::int32_t size = 540;
  std::memcpy(&bytes[0], &size, 4);
  std::memcpy(&bytes[4], "n+2\0\r\n\032\n", 8);
  return dir.Write("two.nii", bytes);
}
std::string FarDataOffset(TempDir& dir) {
  std::vector<std::uint8_t> bytes = MakeNifti<std::uint8_t>({}, std::vector<std::uint8_t>(64, 1));
  const float offset = 1e12f;
  std::memcpy(&bytes[108], &offset, 4);
  return dir.Write("far.nii.gz", Gzipped(bytes));
}
// NRRD and MetaImage headers that claim 1625^3 voxels: raw with no data,
// compressed with a few bytes of it, or with their data in a FIFO.
std::string TextWithData(TempDir& dir, const char* name, const std::string& header,
                         const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  return dir.Write(name, bytes);
}
const char kHugeNrrd[] = "NRRD0004\ntype: uchar\ndimension: 3\nsizes: 1625 1625 1625\n";
std::string HugeRawNrrd(TempDir& dir) {
  return TextWithData(dir, "huge.nrrd", std::string(kHugeNrrd) + "encoding: raw\n\n", {1, 2, 3});
}
std::string HugeGzipNrrd(TempDir& dir) {
  return TextWithData(dir, "huge.nrrd", std::string(kHugeNrrd) + "encoding: gzip\n\n",
                      Gzipped(std::vector<std::uint8_t>(64, 1)));
}
std::string NrrdWithFifoData(TempDir& dir) {
  mkfifo(dir.File("data.raw").c_str(), 0644);
  return TextWithData(dir, "pipe.nhdr",
                      std::string(kHugeNrrd) + "encoding: raw\ndata file: data.raw\n", {});
}
// Raw values that happen to start as a gzip stream does.
std::string RawLikeGzipNrrd(TempDir& dir) {
  std::vector<std::uint8_t> values(64, 0);
  values[0] = 0x1F, values[1] = 0x8B;
  return TextWithData(dir, "gz.nrrd",
                      "NRRD0004\ntype: uchar\ndimension: 3\nsizes: 4 4 4\nencoding: raw\n\n",
                      values);
}
const char kHugeMetaImage[] =
    "ObjectType = Image\nNDims = 3\nDimSize = 1625 1625 1625\nElementType = MET_UCHAR\n";
std::string HugeZlibMetaImage(TempDir& dir) {
  std::vector<std::uint8_t> packed(128);
  uLongf length = packed.size();
  const std::vector<std::uint8_t> zeros(64, 0);
  compress2(packed.data(), &length, zeros.data(), zeros.size(), 9);
  packed.resize(length);
  return TextWithData(
      dir, "huge.mha",
      std::string(kHugeMetaImage) + "CompressedData = True\nElementDataFile = LOCAL\n", packed);
}
std::string MetaImageWithFifoData(TempDir& dir) {
  mkfifo(dir.File("data.raw").c_str(), 0644);
  return TextWithData(dir, "pipe.mhd", std::string(kHugeMetaImage) + "ElementDataFile = data.raw\n",
                      {});
}
// 50 x 50 x 3 voxels of 1000 x 1000 x 1 mm: in cubes of 1 mm, 48 002 x
// 48 002 x 3 voxels, more than a CUB file holds.
std::string NeedleVoxels(TempDir& dir) {
  NiftiFields fields;
  fields.dims[0] = fields.dims[1] = 50, fields.dims[2] = 3;
  fields.srow[0][0] = -1000, fields.srow[2][1] = 1000;
  return dir.Write("needles.nii",
                   MakeNifti<std::uint8_t>(fields, std::vector<std::uint8_t>(7500, 1)));
}
// Axes 20 degrees off the patient's, about the superior axis.
std::string ObliqueNifti(TempDir& dir) {
  NiftiFields fields;
  const float c = 0.9396926f, s = 0.3420201f;
  fields.srow[0][0] = -c, fields.srow[0][2] = s;
  fields.srow[1][0] = s, fields.srow[1][2] = c;
  return dir.Write("oblique.nii",
                   MakeNifti<std::uint8_t>(fields, std::vector<std::uint8_t>(64, 1)));
}

// A colour table of 1 GiB beside a small volume (sparse: no disk used).
std::string HugePalette(TempDir& dir) {
  const std::string volume = Small(dir);
  std::ofstream(volume + ".lut") << "1 skin 255 0 0\n";
  if (truncate((volume + ".lut").c_str(), off_t{1} << 30) != 0) return "";
  return volume;
}

// An input that claims more than it holds, or that is refused, may cost
// at most this much beyond its true voxel bytes (none here).
constexpr long kCeilingKilobytes = 256 * 1024;
// Under AddressSanitizer the shadow of a large allocation counts too, so
// the ceiling is checked in the optimised build only.
#if defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

constexpr const char* kShot = QARMEL_SHOT;
constexpr const char* kConvert = CUBCONVERT;

struct HostileCase {
  const char* name;
  const char* program;
  Maker make;
  std::vector<std::string> args;  // IN is the made file, OUT/ the scratch folder
  int exitCode;
  const char* message;  // a piece of standard error
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class HostileInput : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, EndsInTimeWithItsMessageAndBoundedMemory) {
  const HostileCase& c = GetParam();
  TempDir dir;
  const std::string input = c.make(dir);
  ASSERT_FALSE(input.empty());
  std::vector<std::string> argv = {c.program};
  for (const std::string& arg : c.args) {
    if (arg == "IN") {
      argv.push_back(input);
    } else if (arg.rfind("OUT/", 0) == 0) {
      argv.push_back(dir.File(arg.substr(4)));
    } else {
      argv.push_back(arg);
    }
  }
  LaunchOptions options;
  options.stdoutFile = dir.File("stdout.txt");
  options.stderrFile = dir.File("stderr.txt");
  Process program(argv, options);
  const auto code = program.WaitForExit(seconds(30));
  ASSERT_TRUE(code) << "still running after 30 s";
  const std::string errors = ReadTextFile(dir.File("stderr.txt"));
  EXPECT_EQ(*code, c.exitCode) << errors;
  EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
  if (!kSanitized) {
    EXPECT_LE(program.PeakKilobytes(), kCeilingKilobytes);
  }
}

// clang-format off
const HostileCase kCases[] = {
    {"missing", kShot, Missing, {"IN", "-o", "OUT/x.png"}, 1, "No such file"},
    {"directory", kShot, Directory, {"IN", "-o", "OUT/x.png"}, 1, "Is a directory"},
    {"fifo", kShot, Fifo, {"IN", "-o", "OUT/x.png"}, 1, "not a regular file"},
    {"fifo_convert", kConvert, Fifo, {"IN", "-o", "OUT/x.cub"}, 1, "not a regular file"},
    {"fifo_output", kConvert, RawWithPipe, {"IN", "--raw", "4x4x4", "-o", "OUT/pipe.cub"}, 1, "no program reads"},
    {"header_only_cub", kShot, HeaderOnlyCub, {"IN", "-o", "OUT/x.png"}, 0, ""},
    {"unending_gzip_convert", kConvert, UnendingGzip, {"IN", "-o", "OUT/x.cub"}, 1, "gzipped bytes can hold"},
    {"unending_gzip_shot", kShot, UnendingGzip, {"IN", "-o", "OUT/x.png"}, 1, "gzipped bytes can hold"},
    {"forged_length_word", kConvert, ForgedLengthWord, {"IN", "-o", "OUT/x.cub"}, 1, "is damaged: gzip length word"},
    {"far_data_offset", kConvert, FarDataOffset, {"IN", "-o", "OUT/x.cub"}, 1, "gzipped bytes can hold"},
    {"multi_member_gzip", kShot, MultiMember, {"IN", "-o", "OUT/x.png"}, 0, ""},
    {"nifti2", kShot, Nifti2, {"IN", "-o", "OUT/x.png"}, 1, "NIfTI-2 is not supported"},
    {"empty_range", kConvert, RawWithPipe, {"IN", "--raw", "4x4x4", "-o", "OUT/x.cub", "--range", "200:100"}, 1, "LO is above HI"},
    {"huge_palette", kShot, HugePalette, {"IN", "-o", "OUT/x.png"}, 0, "colour table ignored"},
    {"full_disk", kShot, Small, {"IN", "-o", "/dev/full"}, 1, "No space left on device"},
    {"dash_named", kShot, DashNamed, {"-o", "OUT/x.png", "--", "IN"}, 0, ""},
    {"nrrd_huge_raw", kShot, HugeRawNrrd, {"IN", "-o", "OUT/x.png"}, 1, "is cut short"},
    {"nrrd_huge_gzip", kConvert, HugeGzipNrrd, {"IN", "-o", "OUT/x.cub"}, 1, "gzipped bytes can hold"},
    {"nrrd_fifo_data", kShot, NrrdWithFifoData, {"IN", "-o", "OUT/x.png"}, 1, "not a regular file"},
    {"nrrd_raw_like_gzip", kShot, RawLikeGzipNrrd, {"IN", "-o", "OUT/x.png"}, 0, ""},
    {"metaimage_huge_zlib", kShot, HugeZlibMetaImage, {"IN", "-o", "OUT/x.png"}, 1, "compressed bytes can hold"},
    {"metaimage_fifo_data", kConvert, MetaImageWithFifoData, {"IN", "-o", "OUT/x.cub"}, 1, "not a regular file"},
    {"needle_voxels", kConvert, NeedleVoxels, {"IN", "-o", "OUT/x.cub"}, 1, "larger than a CUB file can hold"},
    {"oblique_axes", kShot, ObliqueNifti, {"IN", "-o", "OUT/x.png"}, 0, "20.00 degrees"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Programs, HostileInput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

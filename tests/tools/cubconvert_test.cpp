// cubconvert on NIfTI and raw files written by the test: what it selects,
// what it writes, how it makes voxels cubes, and how it refuses bad input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "nifti_bytes.h"
#include "platform/headless/headless_control.h"
#include "process.h"
#include "temp_dir.h"
#include "voxel/cub_reader.h"

namespace {

using std::chrono::seconds;

// A written file's voxels, read back with the viewer's own reader.
std::vector<std::uint8_t> LoadedVoxels(const std::string& path) {
  platform::headless::SetMessageBoxEcho(false);
  VOXSPACE* v = LoadCub(path.c_str());
  platform::headless::SetMessageBoxEcho(true);
  if (!v) return {};
  std::vector<std::uint8_t> bytes(v->data, v->data + v->dataSize);
  FreeVoxSpace(v);
  return bytes;
}

struct ToolRun {
  int code;
  std::string out, err;
};

class CubConvert : public ::testing::Test {
 protected:
  ToolRun Convert(std::vector<std::string> args, const std::string& workingDirectory = {}) {
    args.insert(args.begin(), CUBCONVERT);
    LaunchOptions o;
    o.workingDirectory = workingDirectory;
    o.stdoutFile = dir.File("out.txt");
    o.stderrFile = dir.File("err.txt");
    const auto code = Process(args, o).WaitForExit(seconds(60));
    return {code.value_or(-1), ReadTextFile(dir.File("out.txt")),
            ReadTextFile(dir.File("err.txt"))};
  }
  std::vector<std::uint8_t> Voxels(const std::string& path) { return LoadedVoxels(path); }
  std::string Gzip(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.File(name);
    gzFile file = gzopen(path.c_str(), "wb");
    gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
    gzclose(file);
    return path;
  }
  TempDir dir;
};

// A 4x4x4 volume whose 2x2x2 core holds `core` and the rest `rest`.
template <typename T>
std::vector<T> Core(T core, T rest) {
  std::vector<T> v(64, rest);
  for (int z = 1; z < 3; ++z)
    for (int y = 1; y < 3; ++y)
      for (int x = 1; x < 3; ++x) v[x + 4 * (y + 4 * z)] = core;
  return v;
}

std::vector<std::uint8_t> CoreMask(std::uint8_t value) { return Core<std::uint8_t>(value, 0); }

TEST_F(CubConvert, Uint8NiftiPlainAndGzipped) {
  const auto nifti = MakeNifti<std::uint8_t>({}, Core<std::uint8_t>(5, 0));
  const std::string plain = dir.Write("a.nii", nifti);
  ToolRun r = Convert({plain, "-o", dir.File("a.cub")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("a.cub")), CoreMask(1));
  EXPECT_NE(r.out.find("4 x 4 x 4, 8 solid voxels, 24 exposed faces"), std::string::npos) << r.out;

  r = Convert({Gzip("b.nii.gz", nifti), "-o", dir.File("b.cub"), "--keep-values"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("b.cub")), CoreMask(5));
}

TEST_F(CubConvert, ScaledInt16AndFloat32) {
  // Stored 10 in the core, 2 elsewhere; real value = 2 * stored - 10: 10 and -6.
  NiftiFields f;
  f.datatype = 4, f.bitpix = 16, f.slope = 2, f.intercept = -10;
  ToolRun r = Convert({dir.Write("s.nii", MakeNifti<std::int16_t>(f, Core<std::int16_t>(10, 2))),
                       "-o", dir.File("s.cub"), "--threshold", "0", "--keep-values"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("s.cub")), CoreMask(10));

  NiftiFields g;
  g.datatype = 16, g.bitpix = 32;
  r = Convert({dir.Write("f.nii", MakeNifti<float>(g, Core<float>(1.0f, 2.5f))), "-o",
               dir.File("f.cub"), "--range", "0.5:1.5"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("f.cub")), CoreMask(1));
}

TEST_F(CubConvert, LabelsAndRawInput) {
  std::vector<std::uint8_t> labels(64, 0);
  labels[21] = 3, labels[22] = 7, labels[42] = 9;
  ToolRun r = Convert({dir.Write("l.nii", MakeNifti<std::uint8_t>({}, labels)), "-o",
                       dir.File("l.cub"), "--label", "3,7", "--keep-values"});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto v = Voxels(dir.File("l.cub"));
  ASSERT_EQ(v.size(), 64u);
  EXPECT_EQ(v[21], 3);
  EXPECT_EQ(v[22], 7);
  EXPECT_EQ(v[42], 0);

  // Raw unsigned 16-bit, big-endian: the core holds 300 (bytes 01 2C).
  std::vector<std::uint8_t> raw;
  for (std::uint16_t value : Core<std::uint16_t>(300, 0)) {
    raw.push_back(static_cast<std::uint8_t>(value >> 8));
    raw.push_back(static_cast<std::uint8_t>(value));
  }
  r = Convert({dir.Write("r.raw", raw), "--raw", "4x4x4", "--type", "u16", "--endian", "big", "-o",
               dir.File("r.cub"), "--threshold", "256", "--keep-values"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("r.cub")), CoreMask(255));  // clamped
}

// Before converting, the values are told: their range, Otsu's threshold
// and ten histogram lines; --threshold auto takes that threshold, and a
// threshold above every value is an error unless --allow-empty.
TEST_F(CubConvert, ValuesAreToldAndAnEmptySelectionIsAnError) {
  std::vector<std::int16_t> values = Core<std::int16_t>(900, 100);
  values[0] = 0;
  NiftiFields int16;
  int16.datatype = 4, int16.bitpix = 16;
  const std::string input = dir.Write("v.nii", MakeNifti<std::int16_t>(int16, values));
  ToolRun r = Convert({input, "-o", dir.File("auto.cub"), "--threshold", "auto"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("values: 0 to 900; 63 other than 0, from 100 to 900\nOtsu threshold: "),
            std::string::npos)
      << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '#'), 40 + 6) << "bars for 55 and 8 values";
  EXPECT_EQ(Voxels(dir.File("auto.cub")), CoreMask(1));

  for (const bool allowed : {false, true}) {
    std::vector<std::string> args = {input, "-o", dir.File("none.cub"), "--threshold", "901"};
    if (allowed) args.push_back("--allow-empty");
    r = Convert(args);
    EXPECT_EQ(r.code, allowed ? 0 : 1);
    EXPECT_EQ(std::filesystem::exists(dir.File("none.cub")), allowed);
    if (!allowed) {
      EXPECT_EQ(r.err, "cubconvert: no voxel selected: values range from 0 to 900\n");
    }
  }
}

TEST_F(CubConvert, BadInputEndsWith1AndWritesNothing) {
  NiftiFields wrongSize;
  wrongSize.headerSize = 123;
  // 1 km wide voxels: in 1 mm cubes, 48002 x 48002 x 3 of them.
  NiftiFields wide;
  wide.dims[0] = wide.dims[1] = 50, wide.dims[2] = 3;
  wide.srow[0][0] = -1000, wide.srow[2][1] = 1000;
  auto cut = MakeNifti<std::uint8_t>({}, Core<std::uint8_t>(1, 0));
  cut.resize(cut.size() - 10);
  const std::string fifo = dir.File("pipe.raw");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{dir.Write("bad.nii", MakeNifti<std::uint8_t>(wrongSize, Core<std::uint8_t>(1, 0)))},
       "is not a NIfTI-1, NRRD or MetaImage file"},
      {{dir.Write("wide.nii", MakeNifti<std::uint8_t>(wide, std::vector<std::uint8_t>(7500)))},
       "larger than a CUB file can hold"},
      {{dir.Write("cut.nii", cut)}, "is cut short"},
      {{dir.Write("short.raw", std::vector<std::uint8_t>(10)), "--raw", "4x4x4", "--type", "u8"},
       "the layout needs 64"},
      {{dir.File("missing.nii")}, "cannot open"},
      {{dir.File("x.nii"), "--threshold", "abc"}, "--threshold needs a number"},
      {{dir.File("x.nii"), "--range", "200:100"}, "--range 200:100: LO is above HI"},
      {{fifo, "--raw", "4x4x4", "--type", "u8"}, "not a regular file"},
  };
  for (const auto& [args, message] : cases) {
    std::vector<std::string> full = args;
    full.push_back("-o");
    full.push_back(dir.File("out.cub"));
    const ToolRun r = Convert(full);
    EXPECT_EQ(r.code, 1) << args[0];
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.rfind("cubconvert: ", 0), 0u) << r.err;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      EXPECT_NE(entry.path().filename().string().rfind("out.cub", 0), 0u) << entry.path();
  }
}

TEST_F(CubConvert, DashDashPrecedesAnInputThatLooksLikeAnOption) {
  dir.Write("-x.nii", MakeNifti<std::uint8_t>({}, Core<std::uint8_t>(1, 0)));
  const ToolRun r = Convert({"--", "-x.nii", "-o", "out.cub"}, dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("out.cub")), CoreMask(1));
}

// A 20 x 20 x 8 scan of 1 x 1 x 3 mm voxels (its sform's k column 3 mm
// long), stored in the drawn order, with `fill` inside a one-voxel border.
constexpr int kThickSide = 20, kThickSlices = 8, kThickSlice = kThickSide * kThickSide;

std::vector<std::uint8_t> ThickSliceVoxels(std::uint8_t (*fill)(int, int, int)) {
  std::vector<std::uint8_t> v(std::size_t{kThickSlice} * kThickSlices, 0);
  for (int z = 1; z < kThickSlices - 1; ++z)
    for (int y = 1; y < kThickSide - 1; ++y)
      for (int x = 1; x < kThickSide - 1; ++x)
        v[x + kThickSide * (y + kThickSide * z)] = fill(x, y, z);
  return v;
}

std::vector<std::uint8_t> ThickSliceNifti(const std::vector<std::uint8_t>& voxels) {
  NiftiFields f;
  f.dims[0] = f.dims[1] = kThickSide, f.dims[2] = kThickSlices;
  f.srow[1][2] = -3;
  return MakeNifti(f, voxels);
}

// The scan in 1 mm cubes: the outer slices once, each interior one thrice.
std::vector<std::uint8_t> ThickSliceCubes(const std::vector<std::uint8_t>& voxels) {
  std::vector<std::uint8_t> out;
  const int slices = 3 * (kThickSlices - 2) + 2;
  for (int z = 0; z < slices; ++z) {
    const int from = z == 0 ? 0 : z == slices - 1 ? kThickSlices - 1 : 1 + (z - 1) / 3;
    out.insert(out.end(), voxels.begin() + from * kThickSlice,
               voxels.begin() + (from + 1) * kThickSlice);
  }
  return out;
}

std::uint8_t ThickSolid(int, int, int) { return 1; }
std::uint8_t ThickChecker(int x, int y, int z) { return 1 + (x + y + z) % 2; }

struct GridCase {
  const char* name;
  std::uint8_t (*fill)(int, int, int);
  bool keepGrid;
  const char* extents;  // of the written file
  const char* note;     // on the summary
};

void PrintTo(const GridCase& c, std::ostream* out) { *out << c.name; }

const GridCase kGridCases[] = {
    {"SolidResampled", ThickSolid, false, "20 x 20 x 20",
     "resampled 20 x 20 x 8 voxels of 1 x 1 x 3 mm to 20 x 20 x 20 voxels of 1 mm"},
    {"SolidKeptGrid", ThickSolid, true, "20 x 20 x 8",
     "kept the grid of 1 x 1 x 3 mm voxels (a CUB file has no voxel size: the viewer will draw "
     "them as cubes)"},
    {"TwoLabelsResampled", ThickChecker, false, "20 x 20 x 20", "to 20 x 20 x 20 voxels of 1 mm"},
};

class ThickSlices : public CubConvert, public ::testing::WithParamInterface<GridCase> {};

TEST_P(ThickSlices, BecomeCubesWithTheBorderKeptOuter) {
  const GridCase& c = GetParam();
  const std::vector<std::uint8_t> voxels = ThickSliceVoxels(c.fill);
  std::vector<std::string> args = {dir.Write("thick.nii", ThickSliceNifti(voxels)), "-o",
                                   dir.File("thick.cub"), "--keep-values"};
  if (c.keepGrid) args.push_back("--keep-grid");
  const ToolRun r = Convert(args);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Voxels(dir.File("thick.cub")), c.keepGrid ? voxels : ThickSliceCubes(voxels));
  EXPECT_NE(r.out.find(c.note), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(dir.File("thick.cub") + ": " + c.extents + ","), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Grids, ThickSlices, ::testing::ValuesIn(kGridCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Where -o may point. Renaming a temporary file over a FIFO or a device
// would replace the node, so those are written directly; a link to a
// regular file keeps pointing at the new file.
struct Target {
  const char* name;
  std::function<std::string(TempDir&)> make;  // the -o argument
  int code;
  const char* message;  // a piece of standard error
  std::function<void(TempDir&)> check;
};

void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

std::string FifoTarget(TempDir& dir) {
  mkfifo(dir.File("sink").c_str(), 0600);
  return dir.File("sink");
}

bool IsFifo(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
}

const Target kTargets[] = {
    {"StandardOutput", [](TempDir&) { return std::string("-"); }, 0, "standard output: 4 x 4 x 4",
     [](TempDir& dir) { EXPECT_EQ(LoadedVoxels(dir.File("out.txt")), CoreMask(1)); }},
    {"FifoNobodyReads", FifoTarget, 1, "no program reads the FIFO",
     [](TempDir& dir) { EXPECT_TRUE(IsFifo(dir.File("sink"))); }},
    {"Directory", [](TempDir& dir) { return dir.path(); }, 1, "Is a directory", nullptr},
    {"LinkToANullDevice",
     [](TempDir& dir) {
       symlink("/dev/null", dir.File("null").c_str());
       return dir.File("null");
     },
     0, "",
     [](TempDir& dir) {
       EXPECT_TRUE(std::filesystem::is_symlink(dir.File("null")));
       EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
     }},
    {"LinkToARegularFile",
     [](TempDir& dir) {
       dir.Write("real.cub", {1, 2, 3});
       symlink(dir.File("real.cub").c_str(), dir.File("link.cub").c_str());
       return dir.File("link.cub");
     },
     0, "",
     [](TempDir& dir) {
       EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.cub")));
       EXPECT_EQ(LoadedVoxels(dir.File("real.cub")), CoreMask(1));
     }},
};

class OutputTarget : public CubConvert, public ::testing::WithParamInterface<Target> {};

TEST_P(OutputTarget, IsWrittenOrRefusedInPlace) {
  const std::string input = dir.Write("in.nii", MakeNifti<std::uint8_t>({}, CoreMask(1)));
  const ToolRun r = Convert({input, "-o", GetParam().make(dir)});
  EXPECT_EQ(r.code, GetParam().code) << r.err;
  EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
  if (GetParam().check) GetParam().check(dir);
}

INSTANTIATE_TEST_SUITE_P(Targets, OutputTarget, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

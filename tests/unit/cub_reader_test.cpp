#include "voxel/cub_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cub_bytes.h"
#include "platform/headless/headless_control.h"
#include "platform/winapi.h"
#include "temp_dir.h"

using platform::headless::ClearMessageBoxJournal;
using platform::headless::MessageBoxJournal;

namespace {

using Boxes = std::vector<std::string>;  // box texts, in order

struct Loaded {
  VOXSPACE* volume;
  Boxes boxes;
};

Loaded LoadBytes(const std::vector<std::uint8_t>& bytes) {
  TempDir dir;
  ClearMessageBoxJournal();
  VOXSPACE* volume = LoadCub(dir.Write("in.cub", bytes).c_str());
  Boxes boxes;
  for (const auto& box : MessageBoxJournal()) {
    // Every box of the reader is captioned with its function, OK only, no owner.
    EXPECT_TRUE(box.caption == "LoadCub()" || box.caption == "ReadDAT1chunk()") << box.caption;
    EXPECT_EQ(box.flags, MB_OK);
    EXPECT_EQ(box.owner, nullptr);
    boxes.push_back(box.text);
  }
  return {volume, boxes};
}

const std::vector<std::uint8_t> kVoxels64 = CountingBytes(64);

struct ReaderCase {
  const char* name;
  std::vector<std::uint8_t> file;
  Boxes boxes;
  bool yieldsVolume;
};

std::vector<ReaderCase> ReaderCases() {
  const auto good = [] { return CubBytes().Magic().Header(4, 4, 4); };
  return {
      {"complete file", good().Data(kVoxels64).End().bytes(), {}, true},
      {"no ENDF",
       good().Data(kVoxels64).bytes(),
       {"unexpected end of file found", "error in file"},
       true},
      {"unknown chunk between header and data",
       good().Chunk("XYZ9", {1, 2, 3}).Data(kVoxels64).End().bytes(),
       {"skipped unknown chunk"},
       true},
      {"unknown chunk of size 0 before the header",
       CubBytes().Magic().Chunk("NOTE", {}).Header(4, 4, 4).Data(kVoxels64).End().bytes(),
       {"skipped unknown chunk"},
       true},
      {"header size field 0",
       CubBytes().Magic().Header(4, 4, 4, 8, 0).Data(kVoxels64).End().bytes(),
       {},
       true},
      {"header size field 100",
       CubBytes().Magic().Header(4, 4, 4, 8, 100).Data(kVoxels64).End().bytes(),
       {},
       true},
      {"only magic and ENDF", CubBytes().Magic().End().bytes(), {}, false},
      {"header without data", good().End().bytes(), {}, true},
      {"data one byte short of dataSize",
       good().Data(CountingBytes(63)).End().bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      {"data body cut by the end of the file",
       good().Data(kVoxels64).Cut(10).bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      {"file ends inside the data size word",
       good().Raw("DAT1").Raw("\x40").bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      {"data before any header",
       CubBytes().Magic().Data(kVoxels64).End().bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      // Byte counts that the 32-bit product of the header words gets wrong.
      {"1024^3 voxels with an empty DAT1",
       CubBytes().Magic().Header(1024, 1024, 1024).Data({}).End().bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      {"65536x65536x1 voxels with an empty DAT1",
       CubBytes().Magic().Header(65536, 65536, 1).Data({}).End().bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      {"2^32 + 64 bytes with a DAT1 of the low word's 64",
       CubBytes().Magic().Header(64, 67108865, 1).Data(kVoxels64).End().bytes(),
       {"corrupt voxel data", "error in file"},
       false},
      {"unknown chunk running past the end",
       good().Data(kVoxels64).Raw("JUNK").Word(1000).bytes(),
       {"skipped unknown chunk", "error in file"},
       true},
      {"file ends inside an unknown chunk's size word",
       good().Data(kVoxels64).Raw("JUNK").Raw("\x01\x02").bytes(),
       {"skipped unknown chunk", "error in file"},
       true},
      {"empty file", {}, {"not a cub file"}, false},
      {"short magic", CubBytes().Raw("CUB").bytes(), {"not a cub file"}, false},
      {"wrong magic",
       CubBytes().Raw("CUB2").Header(4, 4, 4).Data(kVoxels64).End().bytes(),
       {"not a cub file"},
       false},
      {"header cut short, no earlier header",
       CubBytes().Magic().Raw("HEA1").Word(24).Word(4).Word(4).bytes(),
       {"unexpected end of file found", "error in file"},
       false},
      {"tag cut short",
       good().Data(kVoxels64).Raw("EN").bytes(),
       {"unexpected end of file found", "error in file"},
       true},
  };
}

std::size_t OpenDescriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++n;
  return n;
}

TEST(CubReader, FailureTable) {
  const std::size_t descriptorsBefore = OpenDescriptors();
  for (const ReaderCase& c : ReaderCases()) {
    SCOPED_TRACE(c.name);
    Loaded result = LoadBytes(c.file);
    EXPECT_EQ(result.boxes, c.boxes);
    EXPECT_EQ(result.volume != nullptr, c.yieldsVolume);
    FreeVoxSpace(result.volume);
  }
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << "a path left its file open";
}

TEST(CubReader, VoxelsArriveInFileOrder) {
  Loaded result = LoadBytes(CubBytes().Magic().Header(4, 4, 4).Data(kVoxels64).End().bytes());
  ASSERT_NE(result.volume, nullptr);
  EXPECT_FALSE(IsVoxSpaceUnfilled(result.volume));
  EXPECT_EQ(result.volume->dimX, 4u);
  EXPECT_EQ(result.volume->dataSize, 64u);
  EXPECT_EQ(std::vector<std::uint8_t>(result.volume->data, result.volume->data + 64), kVoxels64);
  FreeVoxSpace(result.volume);
}

TEST(CubReader, HeaderWithoutDataGivesAnAllZeroVolumeOfTheTrueSize) {
  struct HeaderOnly {
    std::uint32_t dimX, dimY, dimZ, bits;
    std::uint64_t dataSize;
  };
  const HeaderOnly cases[] = {
      {2, 3, 4, 8, 24}, {3, 1, 1, 0x80000001u, 805306368},  // the 32-bit bit count would wrap
  };
  for (const HeaderOnly& c : cases) {
    SCOPED_TRACE(c.bits);
    Loaded result =
        LoadBytes(CubBytes().Magic().Header(c.dimX, c.dimY, c.dimZ, c.bits).End().bytes());
    ASSERT_NE(result.volume, nullptr);
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(IsVoxSpaceUnfilled(result.volume)) << "the mirror and census would walk it";
    ASSERT_EQ(result.volume->dataSize, c.dataSize);  // before reading its last byte
    const std::size_t head = c.dataSize < 64 ? c.dataSize : 64;
    EXPECT_EQ(std::vector<std::uint8_t>(result.volume->data, result.volume->data + head),
              std::vector<std::uint8_t>(head, 0));
    EXPECT_EQ(result.volume->data[c.dataSize - 1], 0);
    FreeVoxSpace(result.volume);
  }
}

TEST(CubReader, ASecondHeaderReplacesTheFirstVolume) {
  // The first volume is released (the sanitizer build reports a leak
  // otherwise); the second, which no DAT1 filled, is all zeros.
  Loaded result = LoadBytes(
      CubBytes().Magic().Header(2, 2, 2).Data(CountingBytes(8)).Header(4, 4, 4).End().bytes());
  ASSERT_NE(result.volume, nullptr);
  EXPECT_EQ(result.volume->dimX, 4u);
  EXPECT_TRUE(IsVoxSpaceUnfilled(result.volume));
  EXPECT_TRUE(result.boxes.empty());
  FreeVoxSpace(result.volume);

  // A second header cut short by the end of the file leaves the first volume.
  result = LoadBytes(CubBytes()
                         .Magic()
                         .Header(2, 2, 2)
                         .Data(CountingBytes(8))
                         .Raw("HEA1")
                         .Word(24)
                         .Word(9)
                         .bytes());
  ASSERT_NE(result.volume, nullptr);
  EXPECT_EQ(result.volume->dimX, 2u);
  EXPECT_EQ(result.volume->data[7], 8);
  EXPECT_FALSE(IsVoxSpaceUnfilled(result.volume)) << "its data was read";
  EXPECT_EQ(result.boxes, (Boxes{"unexpected end of file found", "error in file"}));
  FreeVoxSpace(result.volume);
}

TEST(CubReader, HeaderThatCannotBeAllocatedFailsTheDataThatFollows) {
  TempDir dir;
  ClearMessageBoxJournal();
  const std::string path = dir.Write(
      "huge.cub",
      CubBytes().Magic().Header(1u << 20, 1u << 20, 1u << 20).Data(kVoxels64).End().bytes());
  EXPECT_EQ(LoadCub(path.c_str()), nullptr);
  const auto& boxes = MessageBoxJournal();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, "Dromb - error");
  EXPECT_EQ(boxes[1].text, "corrupt voxel data");
  EXPECT_EQ(boxes[2].text, "error in file");
}

TEST(CubReader, FilesThatCannotBeOpenedGiveNoBoxButTheReasonOnStandardError) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe.cub").c_str(), 0644), 0);  // would block an ordinary open
  ASSERT_EQ(symlink(dir.File("loop.cub").c_str(), dir.File("loop.cub").c_str()), 0);
  const std::pair<std::string, const char*> cases[] = {
      {dir.File("missing.cub"), "No such file or directory"},
      {dir.path(), "Is a directory"},
      {dir.File("pipe.cub"), "not a regular file"},
      {dir.File("loop.cub"), "Too many levels of symbolic links"},
  };
  const std::size_t descriptorsBefore = OpenDescriptors();
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    ClearMessageBoxJournal();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadCub(path.c_str()), nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "LoadCub(): cannot open " + path + ": " + reason + "\n");
    EXPECT_TRUE(MessageBoxJournal().empty());
  }
  EXPECT_EQ(LoadCub(nullptr), nullptr);
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

TEST(CubReader, ChunkHelpers) {
  EXPECT_EQ(ReadHEA1chunk(nullptr, 24, nullptr), 0);

  TempDir dir;
  const std::string path = dir.Write("body", CountingBytes(100));
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(SkipChunk(file, 0), 1);
  EXPECT_EQ(SkipChunk(file, 99), 1);
  EXPECT_EQ(std::fgetc(file), 100);  // exactly 99 bytes were passed over
  EXPECT_EQ(SkipChunk(file, 1), 0);  // the end comes first

  std::rewind(file);
  VOXSPACE* volume = InitVoxSpace(2, 2, 2, 8);
  EXPECT_EQ(ReadDAT1chunk(file, 8, nullptr), 0);
  EXPECT_EQ(ReadDAT1chunk(file, 9, volume), 0);
  EXPECT_EQ(std::ftell(file), 0);  // a size mismatch reads nothing
  EXPECT_EQ(ReadDAT1chunk(file, 8, volume), 1);
  EXPECT_EQ(volume->data[7], 8);

  ClearMessageBoxJournal();
  volume->compressed = 1;
  EXPECT_EQ(ReadDAT1chunk(file, 8, volume), 0);
  ASSERT_EQ(MessageBoxJournal().size(), 1u);
  EXPECT_EQ(MessageBoxJournal()[0].text, "cannot read compressed file");
  EXPECT_EQ(MessageBoxJournal()[0].caption, "ReadDAT1chunk()");
  FreeVoxSpace(volume);
  std::fclose(file);
}

}  // namespace

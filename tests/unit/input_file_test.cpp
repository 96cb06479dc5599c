#include "app/input_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "cub_bytes.h"
#include "nifti_bytes.h"
#include "platform/common/command_line.h"
#include "platform/headless/headless_control.h"
#include "platform/winapi.h"
#include "temp_dir.h"

namespace headless = platform::headless;

namespace {

std::vector<std::uint8_t> SmallCub() {
  return CubBytes().Magic().Header(2, 2, 2).Data(CountingBytes(8)).End().bytes();
}

class InputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ClearMessageBoxJournal();
    headless::ScriptOpenFileDialog(std::nullopt);
    inputPath[0] = inputFileName[0] = '\0';
    theVolume = nullptr;
  }
  void TearDown() override {
    FreeVoxSpace(theVolume);
    theVolume = nullptr;
  }
  TempDir dir;
};

std::string ExeDirectoryFor(const std::string& commandLine) {
  platform::SetProcessCommandLine(commandLine);
  char directory[kExeDirectorySize] = "stale";
  GetExeDirectory(directory);
  return directory;
}

TEST_F(InputFileTest, ExeDirectoryFromTheCommandLine) {
  EXPECT_EQ(ExeDirectoryFor("/opt/qarmel/qarmel head.cub"), "/opt/qarmel/");
  EXPECT_EQ(ExeDirectoryFor("/opt/qarmel/qarmel"), "/opt/qarmel/");
  EXPECT_EQ(ExeDirectoryFor("\"/opt/qarmel/qarmel\" head.cub"), "/opt/qarmel/");
  // A quoted program path keeps its blanks: the directory ends at the closing quote.
  EXPECT_EQ(ExeDirectoryFor("\"/home/a b/bin/qarmel\" /data/x y.cub"), "/home/a b/bin/");
  EXPECT_EQ(ExeDirectoryFor("qarmel head.cub"), "");
  EXPECT_EQ(ExeDirectoryFor("/qarmel"), "/");
  EXPECT_EQ(ExeDirectoryFor(""), "");
  // A directory that does not fit its buffer is left empty rather than cut.
  const auto directory = [](std::size_t length) { return std::string("/").append(length, 'd'); };
  EXPECT_EQ(ExeDirectoryFor(directory(300) + "/qarmel"), "");
  EXPECT_EQ(ExeDirectoryFor(directory(253) + "/qarmel"), directory(253) + "/");
}

TEST_F(InputFileTest, ArgumentTextNamesThePath) {
  const std::string path = dir.Write("head.cub", SmallCub());
  ASSERT_EQ(GetInputFile(("\"" + path + "\"").c_str()), 1);
  EXPECT_STREQ(inputPath, path.c_str());
  EXPECT_STREQ(inputFileName, "head.cub");
  ASSERT_NE(theVolume, nullptr);
  EXPECT_EQ(theVolume->dimX, 2u);
  FreeVoxSpace(theVolume);

  // Blanks belong to the path, quoted or not.
  const std::string spaced = dir.Write("my head.cub", SmallCub());
  ASSERT_EQ(GetInputFile(spaced.c_str()), 1);
  EXPECT_STREQ(inputFileName, "my head.cub");
  FreeVoxSpace(theVolume);

  // No directory: relative to the current directory, the whole text is the name.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const int loaded = GetInputFile("head.cub");
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(loaded, 1);
  EXPECT_STREQ(inputPath, "head.cub");
  EXPECT_STREQ(inputFileName, "head.cub");
  EXPECT_TRUE(headless::MessageBoxJournal().empty());
}

TEST_F(InputFileTest, LoadFailuresEndTheProcessWithCode1) {
  const std::string path = dir.Write("bad.cub", CubBytes().Raw("JUNK").bytes());
  EXPECT_EXIT(GetInputFile(path.c_str()), ::testing::ExitedWithCode(1),
              "LoadCub\\(\\): not a cub file\nTesmir error: cannot load " + path + "\n");
  // A file that cannot be opened: the system's reason on stderr, then the
  // caller's box, for a missing file, a directory and the empty path.
  const struct {
    std::string path, reason;
  } unopenable[] = {{dir.File("none.cub"), "No such file or directory"},
                    {dir.path(), "Is a directory"},
                    {"", "No such file or directory"}};
  for (const auto& u : unopenable) {
    EXPECT_EXIT(GetInputFile(u.path.empty() ? "\"" : u.path.c_str()), ::testing::ExitedWithCode(1),
                "^LoadCub\\(\\): cannot open " + u.path + ": " + u.reason +
                    "\nTesmir error: cannot load " + u.path + "\n$");
  }
  // Text after the closing quote: only the first and last characters go.
  EXPECT_EXIT(GetInputFile(("\"" + path + "\" x").c_str()), ::testing::ExitedWithCode(1),
              "cannot load " + path + "\" \n");
}

TEST_F(InputFileTest, PathsLongerThanTheBufferAreRefusedNotCut) {
  // The cut path names a real, valid file: it must not be loaded in place
  // of the one asked for.
  const std::string longDir = dir.path() + "/" + std::string(200, 'a');
  ASSERT_EQ(mkdir(longDir.c_str(), 0755), 0);
  const std::string full = longDir + "/" + std::string(100, 'b') + ".cub";
  const std::string cut = full.substr(0, kInputPathSize - 1);
  std::FILE* decoy = std::fopen(cut.c_str(), "wb");
  ASSERT_NE(decoy, nullptr);
  const auto bytes = SmallCub();
  std::fwrite(bytes.data(), 1, bytes.size(), decoy);
  std::fclose(decoy);
  EXPECT_EXIT(GetInputFile(full.c_str()), ::testing::ExitedWithCode(1),
              "^Tesmir error: cannot load " + cut + "\n$");
}

TEST_F(InputFileTest, DialogAnswersFillBothBuffers) {
  const std::string path = dir.Write("chosen.cub", SmallCub());
  headless::ScriptOpenFileDialog(path);
  ASSERT_EQ(GetInputFile(""), 1);
  EXPECT_STREQ(inputPath, path.c_str());
  EXPECT_STREQ(inputFileName, "chosen.cub");
  ASSERT_NE(theVolume, nullptr);

  const auto call = headless::LastOpenFileDialogCall();
  ASSERT_TRUE(call.has_value());
  EXPECT_EQ(call->record.lStructSize, 76u);
  EXPECT_EQ(call->record.hwndOwner, nullptr);
  EXPECT_EQ(call->record.hInstance, nullptr);
  static const char kList[] =
      "Cub files (*.CUB)\0*.cub\0All files (*.*)\0*.*\0NIfTI files\0*.nii;*.nii.gz\0"
      "NRRD files\0*.nrrd;*.nhdr\0MetaImage files\0*.mha;*.mhd\0";
  EXPECT_EQ(call->filterList, std::string(kList, sizeof kList - 1));  // up to the list's final NUL
  EXPECT_EQ(call->record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(call->record.nFilterIndex, 0u);
  EXPECT_EQ(call->proposedFile, "");
  EXPECT_EQ(call->record.nMaxFile, 260u);
  EXPECT_EQ(call->record.nMaxFileTitle, 512u);
  EXPECT_EQ(call->record.lpstrInitialDir, nullptr);
  EXPECT_EQ(call->title, "Open cuberille space");
  EXPECT_EQ(call->record.Flags, 0x1000u);
  EXPECT_EQ(call->defaultExtension, "cub");
  EXPECT_TRUE(headless::MessageBoxJournal().empty());
}

TEST_F(InputFileTest, CancelledOrRefusedDialogReturns0) {
  std::strcpy(inputFileName, "stale");
  EXPECT_EQ(GetInputFile(nullptr), 0);
  EXPECT_STREQ(inputFileName, "");
  EXPECT_EQ(theVolume, nullptr);

  // A typed name that does not exist is refused like a cancel.
  headless::ScriptOpenFileDialog(dir.File("typed-but-missing.cub"));
  EXPECT_EQ(GetInputFile(""), 0);
  EXPECT_EQ(theVolume, nullptr);
  EXPECT_TRUE(headless::MessageBoxJournal().empty());
}

TEST_F(InputFileTest, NiftiFilesLoadAndDamagedOnesEndTheProcess) {
  const auto labels = MakeNifti<std::uint8_t>({}, CountingBytes(64));
  const std::string path = dir.Write("labels.nii.gz", Gzipped(labels));
  ASSERT_EQ(GetInputFile(path.c_str()), 1);
  ASSERT_NE(theVolume, nullptr);
  EXPECT_EQ(theVolume->dimZ, 4u);
  EXPECT_EQ(theVolume->data[63], 64);
  EXPECT_TRUE(headless::MessageBoxJournal().empty());

  auto cut = labels;
  cut.resize(cut.size() - 1);
  const std::string damaged = dir.Write("cut.nii", cut);
  EXPECT_EXIT(GetInputFile(damaged.c_str()), ::testing::ExitedWithCode(1),
              "^LoadNifti\\(\\): the voxel data of " + damaged +
                  " is cut short\nTesmir error: cannot load " + damaged + "\n$");
}

TEST_F(InputFileTest, DialogFileThatFailsToLoadEndsTheProcess) {
  const std::string path = dir.Write("broken.cub", CubBytes().Magic().bytes());
  headless::ScriptOpenFileDialog(path);
  EXPECT_EXIT(
      GetInputFile(""), ::testing::ExitedWithCode(1),
      "unexpected end of file found\nLoadCub\\(\\): error in file\nTesmir error: cannot load " +
          path + "\n");
}

TEST_F(InputFileTest, WinMainEndsWith0WhenTheDialogIsCancelled) {
  platform::SetProcessCommandLine("/opt/q/qarmel");
  char args[] = "";
  EXPECT_EQ(WinMain(nullptr, nullptr, args, 10), 0);
  ASSERT_EQ(headless::MessageBoxJournal().size(), 1u);
  const auto& box = headless::MessageBoxJournal()[0];
  EXPECT_EQ(box.text, "GetInputFile() failed");
  EXPECT_EQ(box.caption, "WinMain()");
  EXPECT_EQ(box.flags, MB_OK);
  EXPECT_STREQ(exeDirectory, "/opt/q/");
}

}  // namespace

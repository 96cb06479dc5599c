#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/common/child_process.h"
#include "platform/common/command_line.h"
#include "platform/common/file_dialog.h"
#include "platform/winapi.h"
#include "temp_dir.h"

namespace {

TEST(CommandLine, ProgramPathThenArgumentsJoinedByBlanks) {
  const char* args[] = {"my", "data/head.cub"};
  platform::CommandLine line = platform::BuildCommandLine("/usr/lib/qarmel/qarmel", 2, args);
  EXPECT_EQ(line.full, "/usr/lib/qarmel/qarmel my data/head.cub");
  EXPECT_EQ(line.arguments, "my data/head.cub");

  line = platform::BuildCommandLine("/home/a b/qarmel", 1, args);
  EXPECT_EQ(line.full, "\"/home/a b/qarmel\" my");

  line = platform::BuildCommandLine("/bin/qarmel", 0, nullptr);
  EXPECT_EQ(line.full, "/bin/qarmel");
  EXPECT_EQ(line.arguments, "");

  platform::SetProcessCommandLine("x y");
  EXPECT_STREQ(GetCommandLineA(), "x y");
}

TEST(CommandLine, RunningExecutableIsAnAbsolutePath) {
  const std::string path = platform::RunningExecutablePath("fallback");
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_NE(path.find("unit_tests"), std::string::npos);
}

const char kFilters[] = "Cub files (*.CUB)\0*.cub\0All files (*.*)\0*.*\0";

OPENFILENAMEA RecordWith(char* path, DWORD pathSize, char* title, DWORD titleSize) {
  OPENFILENAMEA record = {};
  record.lpstrFilter = kFilters;
  record.lpstrFile = path;
  record.nMaxFile = pathSize;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = titleSize;
  record.lpstrTitle = "Open cuberille space";
  record.Flags = OFN_FILEMUSTEXIST;
  return record;
}

TEST(FileDialog, FiltersBecomeChooserArguments) {
  const auto filters = platform::ParseFilterList(kFilters);
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].name, "Cub files (*.CUB)");
  EXPECT_EQ(filters[0].patterns, std::vector<std::string>{"*.cub"});
  EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*.*"});
  const auto images = platform::ParseFilterList("Images\0*.bmp;*.png\0");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].patterns, (std::vector<std::string>{"*.bmp", "*.png"}));

  char path[260] = "", title[512] = "";
  OPENFILENAMEA record = RecordWith(path, 260, title, 512);
  EXPECT_EQ(
      platform::ZenityArguments(record, "/data/"),
      (std::vector<std::string>{
          "zenity", "--file-selection", "--title=Open cuberille space", "--filename=/data/",
          "--file-filter=Cub files (*.CUB) | *.cub *.CUB", "--file-filter=All files (*.*) | *.*"}));
  record.nFilterIndex = 2;  // the second filter in force comes first
  EXPECT_EQ(
      platform::KdialogArguments(record, "/data/"),
      (std::vector<std::string>{"kdialog", "--title", "Open cuberille space", "--getopenfilename",
                                "/data/", "*.*|All files (*.*)\n*.cub *.CUB|Cub files (*.CUB)"}));
}

TEST(FileDialog, StartPathIsTheProposedFileOrTheCurrentDirectory) {
  char path[260] = "", title[512] = "";
  OPENFILENAMEA record = RecordWith(path, 260, title, 512);
  const std::string start = platform::DialogStartPath(record);
  EXPECT_EQ(start.front(), '/');
  EXPECT_EQ(start.back(), '/');
  std::strcpy(path, "/abs/file.cub");
  EXPECT_EQ(platform::DialogStartPath(record), "/abs/file.cub");
  std::strcpy(path, "rel.cub");
  EXPECT_EQ(platform::DialogStartPath(record), start + "rel.cub");
}

TEST(FileDialog, AnswersAreCheckedAgainstTheRecord) {
  TempDir dir;
  const std::string file = dir.Write("vol.ume.cub", {1});
  char path[260] = "", title[512] = "";
  OPENFILENAMEA record = RecordWith(path, 260, title, 512);
  ASSERT_EQ(platform::StoreChosenPath(record, file), TRUE);
  EXPECT_EQ(std::string(path), file);
  EXPECT_STREQ(title, "vol.ume.cub");
  EXPECT_EQ(record.nFileOffset, file.size() - 11);
  EXPECT_EQ(record.nFileExtension, file.size() - 3);

  // The path must fit with its terminator; so must the file name.
  char small[8] = "keep";
  OPENFILENAMEA tight = RecordWith(small, 8, title, 512);
  EXPECT_EQ(platform::StoreChosenPath(tight, file), FALSE);
  EXPECT_STREQ(small, "keep");
  char shortTitle[11] = "keep";
  OPENFILENAMEA tightTitle = RecordWith(path, 260, shortTitle, 11);
  EXPECT_EQ(platform::StoreChosenPath(tightTitle, file), FALSE);
  EXPECT_STREQ(shortTitle, "keep");

  // A name that does not exist, or a directory, is refused when the file must exist.
  EXPECT_EQ(platform::StoreChosenPath(record, dir.File("missing.cub")), FALSE);
  EXPECT_EQ(platform::StoreChosenPath(record, dir.path()), FALSE);
  record.Flags = 0;
  EXPECT_EQ(platform::StoreChosenPath(record, dir.File("missing")), TRUE);
  EXPECT_EQ(record.nFileExtension, std::strlen(path));  // no extension: the terminator
  EXPECT_EQ(platform::StoreChosenPath(record, ""), FALSE);
}

TEST(FileDialog, NamesWithoutAnExtensionTakeTheDefaultOne) {
  TempDir dir;
  dir.Write("head.cub", {1});
  dir.Write("both", {1});
  dir.Write("both.cub", {1});
  dir.Write("vol.x.cub", {1});
  ASSERT_EQ(mkdir(dir.File("in.d").c_str(), 0755), 0);
  dir.Write("in.d/head.cub", {1});
  const size_t headSize = dir.File("head").size();
  struct Case {
    const char* typed;
    const char* defaultExtension;
    DWORD pathSize, titleSize;
    const char* stored;  // nullptr: refused
  };
  const Case cases[] = {
      {"head", "cub", 260, 512, "head.cub"},
      {"in.d/head", "cub", 260, 512, "in.d/head.cub"},  // a dot in a folder is no extension
      {"both", "cub", 260, 512, "both"},                // a file by the typed name wins
      {"head.cub", "cub", 260, 512, "head.cub"},
      {"vol.x", "cub", 260, 512, nullptr},  // has an extension already
      {"none", "cub", 260, 512, nullptr},
      {"head", nullptr, 260, 512, nullptr},
      {"head", "", 260, 512, nullptr},
      // The name with its extension must fit both buffers.
      {"head", "cub", static_cast<DWORD>(headSize + 1), 512, nullptr},
      {"head", "cub", static_cast<DWORD>(headSize + 5), 512, "head.cub"},
      {"head", "cub", 260, 5, nullptr},
      {"head", "cub", 260, 9, "head.cub"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " ." +
                 (c.defaultExtension ? c.defaultExtension : "(none)") + " in " +
                 std::to_string(c.pathSize) + "/" + std::to_string(c.titleSize));
    char path[260] = "keep", title[512] = "keep";
    OPENFILENAMEA record = RecordWith(path, c.pathSize, title, c.titleSize);
    record.lpstrDefExt = c.defaultExtension;
    const BOOL stored = platform::StoreChosenPath(record, dir.File(c.typed));
    if (!c.stored) {
      EXPECT_EQ(stored, FALSE);
      EXPECT_STREQ(path, "keep");
      EXPECT_STREQ(title, "keep");
      continue;
    }
    ASSERT_EQ(stored, TRUE);
    EXPECT_EQ(std::string(path), dir.File(c.stored));
    EXPECT_STREQ(title, std::strrchr(c.stored, '/') ? std::strrchr(c.stored, '/') + 1 : c.stored);
    EXPECT_STREQ(path + record.nFileExtension, std::strchr(c.stored, '.') ? "cub" : "");
  }
}

TEST(ChildProcess, CollectsOutputAndExitStatus) {
  platform::ChildResult echo = platform::RunChildProcess({"printf", "%s\\n", "a b; $(x)"});
  EXPECT_TRUE(echo.started);
  EXPECT_EQ(echo.exitStatus, 0);
  EXPECT_EQ(echo.output, "a b; $(x)\n");  // no shell ever sees the text

  platform::ChildResult failing = platform::RunChildProcess({"false"});
  EXPECT_TRUE(failing.started);
  EXPECT_EQ(failing.exitStatus, 1);

  EXPECT_FALSE(platform::RunChildProcess({"qarmel-no-such-program"}).started);
  EXPECT_FALSE(platform::RunChildProcess({}).started);
}

}  // namespace

#include "app/input_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/common/terminal_progress.h"
#include "platform/winapi.h"
#include "surface/label_palette.h"
#include "voxel/label_volume.h"
#include "voxel/load_progress.h"
#include "voxel/scan_file.h"
#include "voxel/voxel_file.h"

namespace {

// The program path of the command line: up to the closing quote when it is
// quoted (quoted paths hold blanks), else up to the first blank.
std::string_view ProgramPath(std::string_view commandLine) {
  if (!commandLine.empty() && commandLine.front() == '"') {
    commandLine.remove_prefix(1);
    return commandLine.substr(0, commandLine.find('"'));
  }
  return commandLine.substr(0, commandLine.find(' '));
}

// Copies as much of `text` as fits, always terminated; false when it was cut.
bool CopyText(std::string_view text, char* buffer, std::size_t size) {
  const std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length == text.size();
}

// The path named by the argument text: the text itself, or without its
// first and last characters when it starts with a double quote.
std::string_view PathFromArguments(std::string_view argumentText) {
  if (!argumentText.empty() && argumentText.front() == '"') {
    argumentText.remove_prefix(1);
    if (!argumentText.empty()) argumentText.remove_suffix(1);
  }
  return argumentText;
}

void SetInputFileName() {
  const char* slash = std::strrchr(inputPath, '/');
  CopyText(slash ? slash + 1 : inputPath, inputFileName, sizeof inputFileName);
}

[[noreturn]] void FailToLoad() {
  char text[kInputPathSize + 32];
  std::snprintf(text, sizeof text, "cannot load %s", inputPath);
  // An odd caption, but this box's own: users and their scripts know the
  // box by it, so it stays.
  MessageBoxA(nullptr, text, "Tesmir error", MB_OK);
  std::exit(1);
}

int LoadInputFile() {
  if (!LoadVolumeFile(inputPath)) FailToLoad();
  return 1;
}

}  // namespace

bool LoadVolumeFile(const char* path, VolumeFacts* factsOut) {
  VolumeFacts facts;
  const char* slash = std::strrchr(path, '/');
  {
    // On a terminal, a load of over a second shows a bar on stderr.
    platform::TerminalProgress bar(std::string("loading ") + (slash ? slash + 1 : path));
    SetLoadProgressListener([&bar](double share) { bar.Update(share); });
    sourceValues.Clear();
    volumeValues = {};
    KeepSourceValues(&sourceValues);
    theVolume = LoadVoxelFile(path, facts);
    KeepSourceValues(nullptr);
    SetLoadProgressListener(nullptr);
  }
  if (theVolume) {
    appSettings.intensityScan = ScanFileKind(path) != ScanKind::kNone &&
                                !IsLabelVolume(*theVolume, facts, !PaletteFileFor(path).empty());
    labelBytes =
        appSettings.intensityScan ? LabelBytes{} : MapLabelsToBytes(*theVolume, sourceValues);
    theSurface.SetVoxelSpacing(facts.spacing);
    const std::uint32_t dims[3] = {theVolume->dimX, theVolume->dimY, theVolume->dimZ};
    fileAxes = FileAxesOf(facts, dims);
  }
  if (factsOut) *factsOut = facts;
  return theVolume != nullptr;
}

void UseVolumeColours(const char* path) {
  labelPalette = PaletteForVolume(path);
  theSurface.SetLabelColors(ColoursOfBytes(labelPalette, labelBytes).rgb);
}

void GetExeDirectory(char (&directory)[kExeDirectorySize]) {
  const std::string_view program = ProgramPath(GetCommandLineA());
  const std::size_t slash = program.rfind('/');
  directory[0] = '\0';
  if (slash == std::string_view::npos) return;
  if (!CopyText(program.substr(0, slash + 1), directory, sizeof directory)) directory[0] = '\0';
}

int GetInputFile(const char* argumentText) {
  const std::string_view arguments = argumentText ? argumentText : "";
  if (arguments.empty()) {
    if (!ChooseInputFile(inputFileName, inputPath)) {
      inputFileName[0] = '\0';
      return 0;
    }
    return LoadInputFile();
  }
  const bool whole = CopyText(PathFromArguments(arguments), inputPath, sizeof inputPath);
  SetInputFileName();
  if (!whole) FailToLoad();  // never open a file named by a cut path
  return LoadInputFile();
}

int ChooseInputFile(char (&fileNameOut)[kInputFileNameSize], char (&pathOut)[kInputPathSize]) {
  static const char filters[] =
      "Cub files (*.CUB)\0*.cub\0All files (*.*)\0*.*\0NIfTI files\0*.nii;*.nii.gz\0"
      "NRRD files\0*.nrrd;*.nhdr\0MetaImage files\0*.mha;*.mhd\0";
  OPENFILENAMEA record = {};
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400;
  record.lpstrFilter = filters;
  record.lpstrFile = pathOut;
  record.nMaxFile = kInputPathSize;
  record.lpstrFileTitle = fileNameOut;
  record.nMaxFileTitle = kInputFileNameSize;
  record.lpstrTitle = "Open cuberille space";
  record.Flags = OFN_FILEMUSTEXIST;
  record.lpstrDefExt = "cub";
  return GetOpenFileNameA(&record);
}

// The entry routine: the input file and its colours, the window and its
// first frame, then the main loop.
#include "app/app_state.h"
#include "app/first_build.h"
#include "app/input_file.h"
#include "app/main_loop.h"
#include "platform/winapi.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR argumentText,
                   int showCommand) {
  GetExeDirectory(exeDirectory);
  if (!GetInputFile(argumentText)) {
    MessageBoxA(nullptr, "GetInputFile() failed", "WinMain()", MB_OK);
    return 0;
  }
  UseVolumeColours(inputPath);
  OpenMainWindow(instance, showCommand);
  ShowFirstFrameWhileBuilding();
  return RunMainLoop();
}

// The entry routine: find the executable's directory, choose and load the
// input file. The window and the main loop build on this.
#include "app/app_state.h"
#include "app/input_file.h"
#include "platform/winapi.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previousInstance*/, LPSTR argumentText,
                   int /*showCommand*/) {
  GetExeDirectory(exeDirectory);
  if (!GetInputFile(argumentText)) {
    MessageBoxA(nullptr, "GetInputFile() failed", "WinMain()", MB_OK);
    return 0;
  }
  FreeVoxSpace(theVolume);
  theVolume = nullptr;
  return 0;
}

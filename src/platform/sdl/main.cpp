// SDL backend: the process entry point.
// Builds the Win32 command line from argv (the program path as the system
// reports it, so the executable's directory is right however it was
// started) and hands the argument text to WinMain.
#include <string>

#include "platform/common/command_line.h"
#include "platform/common/huge_pages.h"
#include "platform/winapi.h"

namespace {
int processInstance;  // its address serves as the instance handle
}  // namespace

int main(int argc, char** argv) {
  platform::RestartWithHugePages(argv);
  const std::string program = platform::RunningExecutablePath(argc > 0 ? argv[0] : "qarmel");
  platform::CommandLine commandLine =
      platform::BuildCommandLine(program, argc > 1 ? argc - 1 : 0, argv + 1);
  platform::SetProcessCommandLine(commandLine.full);
  return WinMain(reinterpret_cast<HINSTANCE>(&processInstance), nullptr,
                 commandLine.arguments.data(), SW_SHOWDEFAULT);
}

// The process command line in its Win32 form. Linux hands a program its
// arguments as a vector; the program is written against one text, so the
// backends join them here once at start-up.
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct CommandLine {
  std::string full;       // what GetCommandLineA returns
  std::string arguments;  // WinMain's argument text: everything after the program path
};

// Joins the program path (quoted when it holds a blank) and the arguments
// (each as it is, separated by single blanks).
CommandLine BuildCommandLine(std::string_view programPath, int argumentCount,
                             const char* const* arguments);

// The path the system reports for the running executable (/proc/self/exe);
// `fallback` (normally argv[0]) when it cannot be read.
std::string RunningExecutablePath(const char* fallback);

// Makes `full` the text that GetCommandLineA returns from now on.
void SetProcessCommandLine(std::string full);

}  // namespace platform

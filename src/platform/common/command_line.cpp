#include "platform/common/command_line.h"

#include <unistd.h>

#include <climits>
#include <vector>

#include "platform/winapi.h"

namespace platform {
namespace {

// Kept as a vector so GetCommandLineA can hand out a writable, NUL-terminated text.
std::vector<char>& ProcessCommandLine() {
  static std::vector<char> text(1, '\0');
  return text;
}

}  // namespace

CommandLine BuildCommandLine(std::string_view programPath, int argumentCount,
                             const char* const* arguments) {
  CommandLine result;
  for (int i = 0; i < argumentCount; ++i) {
    if (i > 0) result.arguments += ' ';
    result.arguments += arguments[i];
  }
  const bool quote = programPath.find(' ') != std::string_view::npos;
  if (quote) result.full += '"';
  result.full += programPath;
  if (quote) result.full += '"';
  if (argumentCount > 0) {
    result.full += ' ';
    result.full += result.arguments;
  }
  return result;
}

std::string RunningExecutablePath(const char* fallback) {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) {
    return fallback ? fallback : "";
  }
  return std::string(buffer.data(), static_cast<size_t>(length));
}

void SetProcessCommandLine(std::string full) {
  std::vector<char>& text = ProcessCommandLine();
  text.assign(full.begin(), full.end());
  text.push_back('\0');
}

}  // namespace platform

LPSTR GetCommandLineA() { return platform::ProcessCommandLine().data(); }

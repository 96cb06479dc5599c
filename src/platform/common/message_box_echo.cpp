#include "platform/common/message_box_echo.h"

#include <cstdio>

namespace platform {

void EchoMessageBox(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
}

}  // namespace platform

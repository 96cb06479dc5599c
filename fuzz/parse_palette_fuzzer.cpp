// Feeds arbitrary text to the palette file parser: every line must be read
// or reported, and no colour written outside the table.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "surface/label_palette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  LabelPalette palette = BuiltInPalette();
  int reported = 0, lastLine = 0;
  const int read = ParsePalette(text, palette, [&](int line, const std::string&) {
    if (line <= lastLine) std::abort();  // once per line, in order
    lastLine = line;
    ++reported;
  });
  if (read < 0 || reported < 0 || read + reported > static_cast<int>(size) + 1) std::abort();
  return 0;
}

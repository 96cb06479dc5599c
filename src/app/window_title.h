// The window title: "Qarmel NAME  LETTERS" and, after the letters, the
// short state fields of features in use (a blank before each).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/winapi.h"

// The title is built in a buffer of this many bytes, its end included.
constexpr std::size_t kTitleSize = 256;
// A state field shows at most this many bytes; a longer one is cut.
constexpr std::size_t kTitleFieldCap = 40;
// Bytes of the file name kept before state fields give way.
constexpr std::size_t kTitleNameFloor = 48;

// Room goes first to the letters, which always fit (two bytes per key of
// the table). A long file name is cut first, at a character boundary,
// down to kTitleNameFloor bytes; past that, state fields are left out from
// the last, and only then is the name cut further. The result is valid
// UTF-8 when the name is, and shorter than kTitleSize.
std::string ComposeTitle(std::string_view fileName, std::string_view letters,
                         std::span<const std::string> fields);

// The blank-and-letter of every setting that is on, in the key table's order.
std::string TitleLetters();

void UpdateWindowTitle(HWND window);

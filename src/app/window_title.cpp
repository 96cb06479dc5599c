#include "app/window_title.h"

#include <algorithm>
#include <vector>

#include "app/app_state.h"
#include "app/key_table.h"
#include "app/view_keys.h"

namespace {

constexpr std::string_view kProgram = "Qarmel ";
constexpr std::string_view kNameEnd = "  ";

// Bytes in the UTF-8 character that starts with this byte (a byte no
// character starts with counts as one).
std::size_t CharacterSize(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xC0 && lead < 0xE0) return 2;
  return 1;
}

// The longest start of `text` of at most `room` bytes that does not end
// inside a UTF-8 character, so that the title stays valid for the desktop.
std::string_view Shown(std::string_view text, std::size_t room) {
  if (text.size() <= room) return text;
  // The last character kept starts at most three bytes before the cut.
  for (std::size_t lead = room; lead > 0 && room - lead < 4;) {
    const auto byte = static_cast<unsigned char>(text[--lead]);
    if ((byte & 0xC0) != 0x80)
      return text.substr(0, lead + CharacterSize(byte) > room ? lead : room);
  }
  return text.substr(0, room);
}

}  // namespace

std::string ComposeTitle(std::string_view fileName, std::string_view letters,
                         std::span<const std::string> fields) {
  const std::size_t room = kTitleSize - 1 - kProgram.size() - kNameEnd.size() - letters.size();
  std::vector<std::string_view> shownFields;
  std::size_t fieldBytes = 0;
  for (const std::string& field : fields) {
    shownFields.push_back(Shown(field, kTitleFieldCap));
    fieldBytes += 1 + shownFields.back().size();
  }
  const std::size_t nameFloor = std::min(fileName.size(), kTitleNameFloor);
  while (!shownFields.empty() && (fieldBytes > room || room - fieldBytes < nameFloor)) {
    fieldBytes -= 1 + shownFields.back().size();
    shownFields.pop_back();
  }
  std::string title(kProgram);
  title += Shown(fileName, room - fieldBytes);
  title += kNameEnd;
  title += letters;
  for (std::string_view field : shownFields) (title += ' ') += field;
  return title;
}

std::string TitleLetters() {
  std::string letters;
  for (const KeyCommand& command : KeyCommands())
    if (command.titleLetter != '\0' && command.isOn()) (letters += ' ') += command.titleLetter;
  return letters;
}

void UpdateWindowTitle(HWND window) {
  std::vector<std::string> fields;
  for (std::string field : {CutField(), LabelField(), ThresholdField(), cursorPick.field})
    if (!field.empty()) fields.push_back(std::move(field));
  SetWindowTextA(window, ComposeTitle(inputFileName, TitleLetters(), fields).c_str());
}

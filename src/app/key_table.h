// Every single-character command of the viewer, in one table: the key,
// what it does, what it redraws, its title letter and its help line.
// OnChar dispatches through it, the title takes its letters from it and
// the help box its added lines. Adding a key is one row and its handler.
#pragma once

#include <span>

#include "platform/winapi.h"

enum class KeyRedraw {
  kNone,           // boxes, quitting, camera step: nothing on screen changes
  kFrame,          // Display() right after the change
  kFrameAndTitle,  // Display(), then the title again
  kTitleOnly,      // the title again; a surface asked for brings its own frame
};

struct KeyCommand {
  WPARAM key;  // the typed character (upper and lower case differ)
  void (*run)(HWND window);
  KeyRedraw redraw;
  // Shown in the title as a blank and this letter while isOn() says so;
  // '\0' for keys the title does not show.
  char titleLetter;
  bool (*isOn)();
  // For keys beyond the classic help text: their line, ending in a line
  // break, placed after the fps line where a reader looks for toggles.
  // nullptr for keys the classic text covers or leaves out.
  const char* helpLine;
};

// Rows with a title letter come in the title's order.
std::span<const KeyCommand> KeyCommands();

// The row bound to `key`, or nullptr.
const KeyCommand* FindKeyCommand(WPARAM key);

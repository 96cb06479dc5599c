// Finds windows on the test's X display and sends them real key presses
// (xwininfo and xdotool), always waiting for a condition with a deadline.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The id of a top-level window with exactly this title, if there is one.
std::optional<std::string> FindWindow(const std::string& title);

// Polls for the window until the deadline, and returns it once it is mapped
// (it takes the focus and keys only then).
std::optional<std::string> WaitForWindow(
    const std::string& title, std::chrono::milliseconds deadline = std::chrono::seconds(30));

// Waits until the window is mapped, gives it the focus, then presses the key
// (an xdotool key name).
bool PressKey(const std::string& windowId, const std::string& key);

// Waits for the window with this title, then presses the key in it.
bool PressKeyIn(const std::string& title, const std::string& key);

bool HaveDisplay();

// The window's current title, or empty.
std::string WindowTitle(const std::string& windowId);

// The id of the window that has the keyboard focus (decimal), or empty.
std::string FocusedWindow();

// Polls the title until it equals `title`.
bool WaitForTitle(const std::string& windowId, const std::string& title,
                  std::chrono::milliseconds deadline = std::chrono::seconds(30));

// Runs xdotool with the arguments; true when it succeeded.
bool Xdotool(const std::vector<std::string>& arguments);

// Moves the pointer to the screen's far corner, away from any window the
// tests open (a viewer's title shows the voxel under the pointer).
bool ParkPointer();

// The id of the first top-level window whose title starts with `prefix`,
// once it is mapped.
std::optional<std::string> WaitForWindowStartingWith(
    const std::string& prefix, std::chrono::milliseconds deadline = std::chrono::seconds(30));

// Finds windows on the test's X display and sends them real key presses
// (xwininfo and xdotool), always waiting for a condition with a deadline.
#pragma once

#include <chrono>
#include <optional>
#include <string>

// The id of a top-level window with exactly this title, if there is one.
std::optional<std::string> FindWindow(const std::string& title);

// Polls for the window until the deadline.
std::optional<std::string> WaitForWindow(const std::string& title,
                                         std::chrono::milliseconds deadline = std::chrono::seconds(30));

// Gives the window the focus, then presses the key (an xdotool key name).
bool PressKey(const std::string& windowId, const std::string& key);

// Waits for the window with this title, then presses the key in it.
bool PressKeyIn(const std::string& title, const std::string& key);

bool HaveDisplay();

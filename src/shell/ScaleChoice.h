#pragma once

#include <QString>

#include <optional>

// The window's scale as the player chose it: 1 to 4 times the designed size.
constexpr int MaxWindowScale = 4;

// A scale written as a whole number from 1 to MaxWindowScale; anything else is none.
std::optional<int> ScaleFromText(const QString& text);

// The scale the window had when the player last changed it, kept under "window/scale" in the
// preferences; none when never changed. A value that is no scale is named on the terminal and
// left out.
std::optional<int> RememberedScale();
void RememberScale(int scale);

// The scale the window opens at: the one asked for on the command line, else the remembered
// one, else 1.
int StartingScale(std::optional<int> asked);

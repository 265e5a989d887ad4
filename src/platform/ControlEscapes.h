#pragma once

#include <string>
#include <string_view>

// Text read from a file (a track's name, a song in the training record) as a terminal or a
// one-line log may show it: every control character (C0, DEL and, in UTF-8, C1) written as an
// escape, \n, \r, \t, \x1b or \u009b, so that a name can neither start a line nor move the
// cursor, change colours or clear the screen. Everything else passes unchanged.
std::string EscapeControls(std::string_view utf8);

// Untrusted text (an argument, a file name, TERM) as every message of the
// program shows it: on one line, doing nothing to the terminal that shows
// it, and short.
#pragma once

#include <string>
#include <string_view>

namespace novemra {

// How many characters of a text a message shows before an ellipsis.
constexpr std::size_t kShownLength = 40;

// The text as a message shows it: strict UTF-8 passes (no overlong forms,
// no surrogates, nothing above U+10FFFF); control characters (C0, DEL,
// C1) are written as \n, \t, \r or \xHH per byte, bidirectional controls
// (U+061C, U+200E/F, U+202A-E, U+2066-9) as \u followed by four hex digits,
// and any byte that is not part of valid UTF-8 as \xHH. Cut to
// kShownLength characters and an ellipsis.
std::string shownText(std::string_view text);

// A path as a message shows it: as shownText, but a long one keeps its
// end, where the file's name is ("…/puzzles/hard.txt").
std::string shownPath(std::string_view path);

// "N cells; a puzzle has 81", with "1 cell" for one.
std::string cellCountText(int cells);

}  // namespace novemra

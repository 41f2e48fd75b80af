// Turning the bytes a terminal sends for one key press into the key's
// character, the way the program wants to see keys.
#pragma once

#include <string_view>

namespace novemra {

// The character of the first key in bytes, or 0 for a key without one:
// - Backspace is 8 whether the terminal sends 8, 127 or its erase character;
// - Enter is 13 (the terminal sends CR when input CR translation is off);
// - an escape sequence (arrows, function keys, Alt with a key) is 0, while
//   a lone ESC is the Escape key, 27;
// - bytes outside 7-bit ASCII (UTF-8 characters) are 0.
// bytes must not be empty.
char decodeFirstKey(std::string_view bytes, char eraseCharacter);

}  // namespace novemra

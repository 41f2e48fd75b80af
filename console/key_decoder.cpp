#include "console/key_decoder.hpp"

#include "console/console_terminal.hpp"

namespace novemra {

namespace {
constexpr char kEscape = 27;
constexpr char kDelete = 127;

// Only a control character can be the erase key; a printable one would
// swallow an ordinary key.
bool isControl(char ch) {
    return ch > 0 && ch < 0x20;
}
}  // namespace

char decodeFirstKey(std::string_view bytes, char eraseCharacter) {
    const char first = bytes.front();
    if (first == kEscape) {
        return bytes.size() == 1 ? kEscape : 0;
    }
    if (first == kDelete || first == kBackspaceKey ||
        (isControl(eraseCharacter) && first == eraseCharacter)) {
        return kBackspaceKey;
    }
    if (static_cast<unsigned char>(first) >= 0x80) {
        return 0;
    }
    return first;
}

}  // namespace novemra

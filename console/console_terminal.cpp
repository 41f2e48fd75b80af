#include "console/console_terminal.hpp"

#include <charconv>

namespace novemra {

std::string_view PrintItem::render(Digits& digits) const {
    if (!isNumber_) {
        return text_;
    }
    char* end = std::to_chars(digits, digits + sizeof digits - 1, number_).ptr;
    *end++ = ' ';
    return {digits, static_cast<std::size_t>(end - digits)};
}

}  // namespace novemra

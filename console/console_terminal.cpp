#include "console/console_terminal.hpp"

#include <charconv>

namespace novemra {

void PrintItem::appendTo(std::string& out) const {
    if (!isNumber_) {
        out.append(text_);
        return;
    }
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number_);
    out.append(digits, result.ptr);
    out.push_back(' ');
}

}  // namespace novemra

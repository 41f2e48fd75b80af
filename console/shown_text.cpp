#include "console/shown_text.hpp"

#include <algorithm>
#include <cstdint>

#include "puzzle/grid.hpp"

namespace novemra {

namespace {

constexpr char kHex[] = "0123456789abcdef";

struct Decoded {
    std::size_t length = 0;  // 0: not valid UTF-8 here
    std::uint32_t code = 0;
};

// The UTF-8 sequence at text[at], checked strictly: the second byte's range
// depends on the lead, which rules out overlong forms, surrogates and code
// points above U+10FFFF.
Decoded decodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0FU;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07U;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {};
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return {};
        }
        code = code << 6 | (byte(at + i) & 0x3FU);
    }
    return {length, code};
}

bool isBidirectionalControl(std::uint32_t code) {
    return code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

void appendByteEscape(std::string& shown, unsigned char ch) {
    switch (ch) {
        case '\n':
            shown += "\\n";
            break;
        case '\t':
            shown += "\\t";
            break;
        case '\r':
            shown += "\\r";
            break;
        default:
            shown += "\\x";
            shown.push_back(kHex[ch >> 4]);
            shown.push_back(kHex[ch & 0xF]);
    }
}

// The text with every control escaped, cut to limit characters and an
// ellipsis.
std::string escaped(std::string_view text, std::size_t limit) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        if (characters == limit) {
            shown += "\u2026";
            break;
        }
        const auto ch = static_cast<unsigned char>(text[at]);
        if (ch >= 0x20 && ch < 0x7F) {
            shown.push_back(static_cast<char>(ch));
            ++at;
            continue;
        }
        const Decoded decoded = ch >= 0x80 ? decodeUtf8(text, at) : Decoded{};
        if (decoded.length == 0 || decoded.code < 0xA0) {
            // A control character (C0, DEL, or C1 however it is written)
            // or a stray byte: written so that it does nothing.
            const std::size_t bytes = decoded.length == 0 ? 1 : decoded.length;
            for (std::size_t i = 0; i < bytes; ++i) {
                appendByteEscape(shown, static_cast<unsigned char>(text[at + i]));
            }
            at += bytes;
            continue;
        }
        if (isBidirectionalControl(decoded.code)) {
            shown += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                shown.push_back(kHex[(decoded.code >> shift) & 0xFU]);
            }
        } else {
            shown.append(text.substr(at, decoded.length));
        }
        at += decoded.length;
    }
    return shown;
}

}  // namespace

std::string shownText(std::string_view text) {
    return escaped(text, kShownLength);
}

std::string shownPath(std::string_view path) {
    const std::string whole = escaped(path, std::string::npos);
    // Counted from the end in characters of the escaped form (a UTF-8
    // sequence is one), never starting inside an escape such as \x1b.
    std::size_t start = whole.size();
    std::size_t characters = 0;
    while (start > 0 && characters < kShownLength) {
        --start;
        if ((static_cast<unsigned char>(whole[start]) & 0xC0) != 0x80) {
            ++characters;
        }
    }
    if (start == 0) {
        return whole;
    }
    const std::size_t escape = whole.rfind('\\', start);
    if (escape != std::string::npos && start - escape < 6) {
        start = escape;
    }
    return "\u2026" + whole.substr(start);
}

std::string cellCountText(int cells) {
    return std::to_string(cells) + (cells == 1 ? " cell" : " cells") + "; a puzzle has " +
           std::to_string(kCellCount);
}

}  // namespace novemra

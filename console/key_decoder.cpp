#include "console/key_decoder.hpp"

#include "console/console_terminal.hpp"

namespace novemra {

namespace {

constexpr char kEscape = 27;
constexpr char kDelete = 127;
constexpr char kBell = 7;
constexpr std::string_view kPasteStart = "\x1b[200~";
constexpr std::string_view kPasteEnd = "\x1b[201~";
constexpr std::size_t kMouseReportBytes = 3;

// Only a control character can be the erase key; a printable one would
// swallow an ordinary key.
bool isControl(char ch) {
    return ch > 0 && ch < 0x20;
}

bool inRange(char ch, int low, int high) {
    const auto code = static_cast<unsigned char>(ch);
    return code >= low && code <= high;
}

// Where the escape sequence starting at bytes[0] (an ESC) ends: its length
// when complete, 0 when it may go on.
std::size_t escapeSequenceLength(std::string_view bytes) {
    if (bytes.size() < 2) {
        return 0;
    }
    const char kind = bytes[1];
    if (kind == '[') {
        if (bytes.substr(0, kPasteStart.size()) == kPasteStart) {
            const std::size_t end = bytes.find(kPasteEnd, kPasteStart.size());
            return end == std::string_view::npos ? 0 : end + kPasteEnd.size();
        }
        // Parameters and intermediates, then one final byte.
        for (std::size_t at = 2; at < bytes.size(); ++at) {
            if (inRange(bytes[at], 0x20, 0x3F)) {
                continue;
            }
            if (!inRange(bytes[at], 0x40, 0x7E)) {
                return at;  // broken off: the sequence ends before this byte
            }
            if (bytes[at] == 'M' && at == 2) {
                // An X10 mouse report: three raw bytes follow.
                return bytes.size() >= 3 + kMouseReportBytes ? 3 + kMouseReportBytes : 0;
            }
            return at + 1;
        }
        return 0;
    }
    if (kind == 'O') {
        return bytes.size() >= 3 ? 3 : 0;
    }
    if (kind == ']' || kind == 'P' || kind == '_' || kind == '^' || kind == 'X') {
        // A control string, ended by ST (ESC \) or, for OSC, BEL.
        for (std::size_t at = 2; at < bytes.size(); ++at) {
            if (bytes[at] == kBell && kind == ']') {
                return at + 1;
            }
            if (bytes[at] == kEscape) {
                if (at + 1 == bytes.size()) {
                    return 0;
                }
                if (bytes[at + 1] == '\\') {
                    return at + 2;
                }
            }
        }
        return 0;
    }
    if (kind == kEscape) {
        // Alt with a key that sends a sequence itself.
        const std::size_t rest = escapeSequenceLength(bytes.substr(1));
        return rest == 0 ? 0 : rest + 1;
    }
    return 2;  // Alt with a key
}

// The length of a UTF-8 character from its lead byte; 1 for anything else.
std::size_t utf8Length(char lead) {
    if (inRange(lead, 0xC0, 0xDF)) {
        return 2;
    }
    if (inRange(lead, 0xE0, 0xEF)) {
        return 3;
    }
    if (inRange(lead, 0xF0, 0xF7)) {
        return 4;
    }
    return 1;
}

}  // namespace

void KeyDecoder::feed(std::string_view bytes) {
    buffer_.append(bytes);
}

std::size_t KeyDecoder::completeLength() const {
    if (buffer_.empty()) {
        return 0;
    }
    if (buffer_[0] == kEscape) {
        return escapeSequenceLength(buffer_);
    }
    const std::size_t length = utf8Length(buffer_[0]);
    if (length == 1) {
        return 1;
    }
    // A character ends early at a byte that cannot continue it.
    for (std::size_t at = 1; at < length; ++at) {
        if (at == buffer_.size()) {
            return 0;
        }
        if (!inRange(buffer_[at], 0x80, 0xBF)) {
            return at;
        }
    }
    return length;
}

InputEvent KeyDecoder::eventOf(std::string_view bytes) const {
    InputEvent event;
    if (bytes.starts_with(kPasteStart)) {
        event.kind = InputEvent::Kind::Paste;
        bytes.remove_prefix(kPasteStart.size());
        if (bytes.ends_with(kPasteEnd)) {
            bytes.remove_suffix(kPasteEnd.size());
        }
        event.text = std::string(bytes);
        return event;
    }
    const char first = bytes.front();
    if (first == kEscape) {
        event.key = bytes.size() == 1 ? kEscape : 0;
    } else if (first == kDelete || first == kBackspaceKey ||
               (isControl(eraseCharacter_) && first == eraseCharacter_)) {
        event.key = kBackspaceKey;
    } else if (static_cast<unsigned char>(first) >= 0x80) {
        event.key = 0;
    } else {
        event.key = first;
    }
    return event;
}

std::optional<InputEvent> KeyDecoder::take(bool noMoreBytes) {
    while (!buffer_.empty()) {
        std::size_t length = completeLength();
        if (length == 0) {
            if (!noMoreBytes) {
                return std::nullopt;
            }
            length = buffer_.size();
        }
        const InputEvent event = eventOf(std::string_view(buffer_).substr(0, length));
        buffer_.erase(0, length);
        if (dropFirst_) {
            dropFirst_ = false;
            continue;
        }
        return event;
    }
    return std::nullopt;
}

void KeyDecoder::discard() {
    for (;;) {
        const std::size_t length = completeLength();
        if (length == 0) {
            // Empty, or a sequence that may go on: its rest is not keys.
            dropFirst_ = !buffer_.empty();
            return;
        }
        buffer_.erase(0, length);
    }
}

}  // namespace novemra

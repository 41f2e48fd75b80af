#include "console/key_decoder.hpp"

#include <algorithm>

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
// when complete, 0 when it may go on. The unbounded kinds (pastes, control
// strings, parameters) resume at scanned, which is moved on past every
// byte that cannot end the sequence, so bytes arriving a few at a time are
// each looked at once.
std::size_t escapeSequenceLength(std::string_view bytes, std::size_t& scanned) {
    if (bytes.size() < 2) {
        return 0;
    }
    const char kind = bytes[1];
    if (kind == '[') {
        if (bytes.starts_with(kPasteStart)) {
            const std::size_t from = std::max(scanned, kPasteStart.size());
            const std::size_t end = bytes.find(kPasteEnd, from);
            if (end != std::string_view::npos) {
                return end + kPasteEnd.size();
            }
            // The end mark may have begun in the last few bytes.
            const std::size_t keep = kPasteEnd.size() - 1;
            scanned = std::max(from, bytes.size() > keep ? bytes.size() - keep : 0);
            return 0;
        }
        // Parameters and intermediates, then one final byte.
        for (std::size_t at = std::max<std::size_t>(scanned, 2); at < bytes.size(); ++at) {
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
        // An opening that could still become the paste mark is not scanned
        // past, so that it is recognised when it is whole.
        scanned = bytes.size() < kPasteStart.size() ? 0 : bytes.size();
        return 0;
    }
    if (kind == 'O') {
        return bytes.size() >= 3 ? 3 : 0;
    }
    if (kind == ']' || kind == 'P' || kind == '_' || kind == '^' || kind == 'X') {
        // A control string, ended by ST (ESC \) or, for OSC, BEL.
        for (std::size_t at = std::max<std::size_t>(scanned, 2); at < bytes.size(); ++at) {
            if (bytes[at] == kBell && kind == ']') {
                return at + 1;
            }
            if (bytes[at] == kEscape) {
                if (at + 1 == bytes.size()) {
                    scanned = at;
                    return 0;
                }
                if (bytes[at + 1] == '\\') {
                    return at + 2;
                }
            }
        }
        scanned = bytes.size();
        return 0;
    }
    if (kind == kEscape) {
        // Alt with a key that sends a sequence itself; a third ESC means the
        // first one was the Escape key on its own, so a run of them is a run
        // of Escape keys.
        if (bytes.size() < 3) {
            return 0;
        }
        if (bytes[2] == kEscape) {
            return 1;
        }
        std::size_t innerScanned = scanned > 0 ? scanned - 1 : 0;
        const std::size_t rest = escapeSequenceLength(bytes.substr(1), innerScanned);
        scanned = innerScanned + 1;
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
    if (buffer_.size() - start_ > kMaxOpenSequence && completeLength() == 0) {
        // A sequence that has not ended after this many bytes: keep its
        // start, and from the rest only what its end may still begin in.
        // Scanning goes on from the cut, so no end is found across it.
        const std::size_t cut = start_ + kMaxOpenSequence / 2;
        const std::size_t tail = std::min(kPasteEnd.size(), buffer_.size() - cut);
        buffer_.erase(cut, buffer_.size() - cut - tail);
        scanned_ = kMaxOpenSequence / 2;
    }
}

std::size_t KeyDecoder::completeLength() {
    const std::string_view held = std::string_view(buffer_).substr(start_);
    if (held.empty()) {
        return 0;
    }
    if (held[0] == kEscape) {
        return escapeSequenceLength(held, scanned_);
    }
    const std::size_t length = utf8Length(held[0]);
    if (length == 1) {
        return 1;
    }
    // A character ends early at a byte that cannot continue it.
    for (std::size_t at = 1; at < length; ++at) {
        if (at == held.size()) {
            return 0;
        }
        if (!inRange(held[at], 0x80, 0xBF)) {
            return at;
        }
    }
    return length;
}

void KeyDecoder::consume(std::size_t length) {
    start_ += length;
    scanned_ = 0;
    // Taken bytes are dropped in bulk, so taking every event costs time in
    // proportion to the bytes, not to their square.
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
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
    while (waitingForMore()) {
        std::size_t length = completeLength();
        if (length == 0) {
            if (!noMoreBytes) {
                return std::nullopt;
            }
            length = buffer_.size() - start_;
        }
        const InputEvent event = eventOf(std::string_view(buffer_).substr(start_, length));
        consume(length);
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
            dropFirst_ = waitingForMore();
            return;
        }
        consume(length);
    }
}

}  // namespace novemra

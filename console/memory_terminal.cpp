#include "console/memory_terminal.hpp"

namespace novemra {

void MemoryTerminal::setColour(int foreground, int background) {
    screen_.setAttribute(makeAttribute(foreground, background));
}

void MemoryTerminal::clear() {
    ++clearCount_;
    // The window's size is read here only, as on the real terminal.
    screen_.clear(windowWidth_, windowHeight_);
    screen_.forgetChanges();
}

void MemoryTerminal::locate(int row, int column) {
    screen_.locate(row, column);
}

void MemoryTerminal::print(std::initializer_list<PrintItem> items, LineEnd lineEnd) {
    ++printCount_;
    screen_.print(items, lineEnd);
    screen_.forgetChanges();
}

std::string MemoryTerminal::pollKey(std::string* pasted) {
    ++pollCount_;
    if (pasted != nullptr) {
        pasted->clear();
    }
    if (onPoll_) {
        onPoll_(*this);
    }
    if (pending_.empty()) {
        return {};
    }
    return takePending(pasted);
}

std::string MemoryTerminal::takePending(std::string* pasted) {
    const KeyEvent event = pending_.front();
    pending_.pop_front();
    switch (event.kind) {
        case KeyEvent::Kind::Press:
            // A key press takes everything typed ahead with it.
            pending_.clear();
            return event.ch == 0 ? std::string() : std::string(1, event.ch);
        case KeyEvent::Kind::Resize:
            // The picture keeps its size until the next clear.
            windowWidth_ = event.width;
            windowHeight_ = event.height;
            return "";
        case KeyEvent::Kind::Release:
            return "";
        case KeyEvent::Kind::Paste:
            pending_.clear();
            if (pasted != nullptr) {
                *pasted = event.text;
            }
            return event.text.empty() ? std::string() : std::string(1, event.text.front());
    }
    return "";
}

bool MemoryTerminal::waitForInput() {
    ++waitCount_;
    if (!pending_.empty()) {
        return true;
    }
    if (!script_.empty()) {
        pending_.push_back(script_.front());
        script_.pop_front();
        return true;
    }
    // Nobody will type any more: behave as a terminal that has gone away.
    starved_ = true;
    closed_ = true;
    return false;
}

void MemoryTerminal::queueKeys(std::string_view keys) {
    for (const char ch : keys) {
        queue(KeyEvent::press(ch));
    }
}

void MemoryTerminal::scriptKeys(std::string_view keys) {
    for (const char ch : keys) {
        script(KeyEvent::press(ch));
    }
}

std::string MemoryTerminal::line(int row) const {
    std::string text = screen_.lineText(row);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string MemoryTerminal::screenText() const {
    std::string text;
    int lastNonEmpty = 0;
    for (int row = 1; row <= screen_.height(); ++row) {
        if (!line(row).empty()) {
            lastNonEmpty = row;
        }
    }
    for (int row = 1; row <= lastNonEmpty; ++row) {
        text += line(row);
        text += '\n';
    }
    return text;
}

}  // namespace novemra

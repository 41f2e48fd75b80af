#include "console/screen_buffer.hpp"

#include <algorithm>

namespace novemra {

namespace {
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
}  // namespace

ScreenBuffer::ScreenBuffer(int width, int height)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      cells_(static_cast<std::size_t>(width_ * height_)) {}

void ScreenBuffer::clear() {
    const Cell blank{' ', attribute_};
    if (std::any_of(cells_.begin(), cells_.end(), [&](const Cell& c) { return c != blank; })) {
        std::fill(cells_.begin(), cells_.end(), blank);
        everythingChanged_ = true;
    }
    cursorLine_ = 0;
    cursorColumn_ = 0;
}

void ScreenBuffer::locate(int row, int column) {
    cursorLine_ = std::clamp(row - 1, 0, height_ - 1);
    cursorColumn_ = std::clamp(column - 1, 0, width_ - 1);
}

namespace {
bool isPlain(char ch) {
    const auto code = static_cast<unsigned char>(ch);
    return code >= 0x20 && code < 0x7F;
}
}  // namespace

void ScreenBuffer::write(std::string_view text) {
    // Most writes are a few plain characters that fit on the line: compare
    // them with the cells in one pass and only note the ones that differ.
    if (static_cast<int>(text.size()) < width_ - cursorColumn_ &&
        std::all_of(text.begin(), text.end(), isPlain)) {
        Cell* cell = &at(cursorLine_, cursorColumn_);
        for (const char ch : text) {
            if (cell->ch != ch || cell->attribute != attribute_) {
                *cell = Cell{ch, attribute_};
                noteChange(cursorLine_, cursorColumn_);
            }
            ++cell;
            ++cursorColumn_;
        }
        return;
    }
    for (const char ch : text) {
        if (ch == kCarriageReturn) {
            cursorColumn_ = 0;
        } else if (ch == kLineFeed) {
            lineFeed();
        } else {
            putChar(ch);
        }
    }
}

void ScreenBuffer::print(std::initializer_list<PrintItem> items, LineEnd lineEnd) {
    PrintItem::Digits digits;
    for (const PrintItem& item : items) {
        write(item.render(digits));
    }
    if (lineEnd == LineEnd::Yes) {
        write("\r\n");
    }
}

void ScreenBuffer::putChar(char ch) {
    // Only printable ASCII reaches a cell: a control character or a byte of
    // a multi-byte sequence would move or confuse a real terminal's cursor,
    // so it takes a cell as a blank instead.
    if (!isPlain(ch)) {
        ch = ' ';
    }
    Cell& target = at(cursorLine_, cursorColumn_);
    const Cell wanted{ch, attribute_};
    if (target != wanted) {
        target = wanted;
        noteChange(cursorLine_, cursorColumn_);
    }
    if (++cursorColumn_ == width_) {
        cursorColumn_ = 0;
        lineFeed();
    }
}

void ScreenBuffer::lineFeed() {
    if (cursorLine_ + 1 < height_) {
        ++cursorLine_;
        return;
    }
    // On the last line: every line moves up one, and a blank line in the
    // current attribute comes in at the bottom.
    std::move(cells_.begin() + width_, cells_.end(), cells_.begin());
    std::fill(cells_.end() - width_, cells_.end(), Cell{' ', attribute_});
    everythingChanged_ = true;
}

void ScreenBuffer::noteChange(int line, int column) {
    if (everythingChanged_) {
        return;
    }
    if (!changedRuns_.empty()) {
        ChangedRun& last = changedRuns_.back();
        if (last.line == line && last.endColumn == column) {
            last.endColumn = column + 1;
            return;
        }
    }
    changedRuns_.push_back({line, column, column + 1});
}

void ScreenBuffer::forgetChanges() {
    changedRuns_.clear();
    everythingChanged_ = false;
}

void ScreenBuffer::resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    std::vector<Cell> resized(static_cast<std::size_t>(width * height), Cell{' ', attribute_});
    for (int line = 0; line < std::min(height, height_); ++line) {
        for (int column = 0; column < std::min(width, width_); ++column) {
            resized[static_cast<std::size_t>(line * width + column)] = at(line, column);
        }
    }
    cells_ = std::move(resized);
    width_ = width;
    height_ = height;
    cursorLine_ = std::min(cursorLine_, height_ - 1);
    cursorColumn_ = std::min(cursorColumn_, width_ - 1);
    everythingChanged_ = true;
}

std::string ScreenBuffer::lineText(int row) const {
    std::string text;
    text.reserve(static_cast<std::size_t>(width_));
    for (int column = 1; column <= width_; ++column) {
        text.push_back(cell(row, column).ch);
    }
    return text;
}

}  // namespace novemra

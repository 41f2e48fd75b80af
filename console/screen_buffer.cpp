#include "console/screen_buffer.hpp"

#include <algorithm>

namespace novemra {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

bool isPlain(char ch) {
    const auto code = static_cast<unsigned char>(ch);
    return code >= 0x20 && code < 0x7F;
}

}  // namespace

ScreenBuffer::ScreenBuffer(int width, int height)
    : width_(std::clamp(width, 1, kMaxScreenWidth)),
      height_(std::clamp(height, 1, kMaxScreenHeight)),
      lines_(static_cast<std::size_t>(height_)) {}

void ScreenBuffer::clear() {
    clear(width_, height_);
}

void ScreenBuffer::clear(int width, int height) {
    width = std::clamp(width, 1, kMaxScreenWidth);
    height = std::clamp(height, 1, kMaxScreenHeight);
    const bool alreadyBlank =
        width == width_ && height == height_ &&
        std::all_of(lines_.begin(), lines_.end(), [this](const Line& line) {
            return line.fill == attribute_ &&
                   std::all_of(line.cells.begin(), line.cells.end(), [this](const Cell& c) {
                       return c == Cell{' ', attribute_};
                   });
        });
    if (!alreadyBlank) {
        lines_.assign(static_cast<std::size_t>(height), Line{{}, attribute_});
        width_ = width;
        height_ = height;
        everythingChanged_ = true;
    }
    cursorLine_ = 0;
    cursorColumn_ = 0;
}

void ScreenBuffer::locate(int row, int column) {
    cursorLine_ = std::clamp(row - 1, 0, height_ - 1);
    cursorColumn_ = std::clamp(column - 1, 0, width_ - 1);
}

bool ScreenBuffer::set(int line, int column, Cell wanted) {
    std::vector<Cell>& cells = lines_[static_cast<std::size_t>(line)].cells;
    const auto index = static_cast<std::size_t>(column);
    if (index < cells.size()) {
        if (cells[index] == wanted) {
            return false;
        }
        cells[index] = wanted;
        return true;
    }
    const Cell blank{' ', lines_[static_cast<std::size_t>(line)].fill};
    if (wanted == blank) {
        return false;
    }
    cells.resize(index + 1, blank);
    cells[index] = wanted;
    return true;
}

void ScreenBuffer::write(std::string_view text) {
    // Most writes are a few plain characters that fit on the line: compare
    // them with the cells in one pass and only note the ones that differ.
    if (static_cast<int>(text.size()) < width_ - cursorColumn_ &&
        std::all_of(text.begin(), text.end(), isPlain)) {
        std::vector<Cell>& cells = lines_[static_cast<std::size_t>(cursorLine_)].cells;
        if (static_cast<std::size_t>(cursorColumn_) + text.size() <= cells.size()) {
            // Within the cells the line already stores: compare in place.
            Cell* cell = cells.data() + cursorColumn_;
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
            if (set(cursorLine_, cursorColumn_, Cell{ch, attribute_})) {
                noteChange(cursorLine_, cursorColumn_);
            }
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
    if (set(cursorLine_, cursorColumn_, Cell{ch, attribute_})) {
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
    std::rotate(lines_.begin(), lines_.begin() + 1, lines_.end());
    lines_.back() = Line{{}, attribute_};
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

std::string ScreenBuffer::lineText(int row) const {
    std::string text;
    text.reserve(static_cast<std::size_t>(width_));
    for (int column = 1; column <= width_; ++column) {
        text.push_back(cell(row, column).ch);
    }
    return text;
}

}  // namespace novemra

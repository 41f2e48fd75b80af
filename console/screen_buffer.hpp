// An in-memory picture of a text screen: characters with colour attributes,
// a cursor, and the rules for writing text (CR, LF, wrap at the right edge,
// scroll at the bottom). Both terminals keep one; the real terminal also
// reads back which cells a write changed, so that it sends only those.
//
// A line stores only the cells that were written up to its last one; the
// rest of it is blank in the line's fill attribute. So a screen costs memory
// in proportion to its text, not its size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/console_terminal.hpp"

namespace novemra {

// A colour attribute: low four bits foreground, high four bits background.
using Attribute = std::uint8_t;

constexpr Attribute makeAttribute(int foreground, int background) {
    return static_cast<Attribute>(((background & 0xF) << 4) | (foreground & 0xF));
}

// Light grey on black, what a fresh screen shows before any colour is set.
constexpr Attribute kDefaultAttribute = makeAttribute(7, 0);

struct Cell {
    char ch = ' ';
    Attribute attribute = kDefaultAttribute;
    bool operator==(const Cell&) const = default;
};

// A run of cells on one line, 0-based, that a write changed.
struct ChangedRun {
    int line = 0;
    int firstColumn = 0;
    int endColumn = 0;  // one past the last changed column
};

// The largest screen the program keeps a picture of. A window reported as
// larger (a terminal can claim 65535 x 65535) shows this much of it.
constexpr int kMaxScreenWidth = 1000;
constexpr int kMaxScreenHeight = 1000;

class ScreenBuffer {
  public:
    ScreenBuffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    void setAttribute(Attribute attribute) { attribute_ = attribute; }
    Attribute attribute() const { return attribute_; }

    // Blanks every cell in the current attribute; cursor to the top left.
    void clear();
    // The same, and the screen takes the given size (kept within limits).
    void clear(int width, int height);
    // Moves the cursor to the 1-based position, kept inside the screen.
    void locate(int row, int column);
    // Writes text at the cursor.
    void write(std::string_view text);
    // Writes the items of one print, then CR LF when asked.
    void print(std::initializer_list<PrintItem> items, LineEnd lineEnd);

    // 1-based position of the cursor.
    int cursorRow() const { return cursorLine_ + 1; }
    int cursorColumn() const { return cursorColumn_ + 1; }

    Cell cell(int row, int column) const {
        const Line& line = lines_[static_cast<std::size_t>(row - 1)];
        const auto index = static_cast<std::size_t>(column - 1);
        return index < line.cells.size() ? line.cells[index] : Cell{' ', line.fill};
    }
    // The cells stored for a 0-based line (those up to its last written
    // one), and the attribute of the blanks after them.
    const std::vector<Cell>& storedCells(int line) const {
        return lines_[static_cast<std::size_t>(line)].cells;
    }
    Attribute fill(int line) const { return lines_[static_cast<std::size_t>(line)].fill; }
    // The characters of a 1-based screen line, as wide as the screen.
    std::string lineText(int row) const;

    // What changed since the last call to forgetChanges: the runs of cells
    // whose character or attribute differ, or "everything" after a scroll
    // or a clear that changed anything.
    const std::vector<ChangedRun>& changedRuns() const { return changedRuns_; }
    bool everythingChanged() const { return everythingChanged_; }
    bool hasChanges() const { return everythingChanged_ || !changedRuns_.empty(); }
    void forgetChanges();
    void markEverythingChanged() { everythingChanged_ = true; }

  private:
    struct Line {
        std::vector<Cell> cells;
        Attribute fill = kDefaultAttribute;
    };

    // Puts the cell at the 0-based position; true when it changed.
    bool set(int line, int column, Cell wanted);
    void putChar(char ch);
    void lineFeed();
    void noteChange(int line, int column);

    int width_;
    int height_;
    std::vector<Line> lines_;
    Attribute attribute_ = kDefaultAttribute;
    int cursorLine_ = 0;
    int cursorColumn_ = 0;
    std::vector<ChangedRun> changedRuns_;
    bool everythingChanged_ = false;
};

}  // namespace novemra

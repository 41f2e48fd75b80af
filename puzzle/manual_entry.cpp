#include "puzzle/manual_entry.hpp"

#include "console/grid_picture.hpp"
#include "console/keyboard.hpp"
#include "puzzle/puzzle_text.hpp"

namespace novemra {

namespace {

constexpr std::string_view kQuitKey = "x";

// The entry position walking the 81 cells in reading order, with the cell
// under it holding the entry cursor.
class Entry {
  public:
    Entry(PuzzleState& puzzle, ConsoleTerminal& terminal) : puzzle_(puzzle), terminal_(terminal) {
        puzzle_.currentSlot = kFirstSlot;
        show();
    }

    // Stores the value (0 a blank, 1..9 a given) in the cell and moves on.
    // True when that was the 81st cell: the last cell keeps showing the
    // cursor until the next draw.
    bool accept(int value) {
        grid().set(row_, column_, value);
        if (value == kBlank) {
            appendBlank(puzzle_, row_, column_);
        }
        if (row_ == kGridSize && column_ == kGridSize) {
            return true;
        }
        if (++column_ > kGridSize) {
            column_ = 1;
            ++row_;
        }
        show();
        return false;
    }

    // Steps back one cell, dropping what was typed there.
    void back() {
        if (row_ == 1 && column_ == 1) {
            return;
        }
        grid().set(row_, column_, kBlank);
        if (--column_ == 0) {
            column_ = kGridSize;
            --row_;
        }
        if (grid().at(row_, column_) == kBlank) {
            // The cell was typed as a blank: take it off the list again.
            puzzle_.currentSlot = previousSlot(puzzle_.currentSlot);
            puzzle_.blanks.set(puzzle_.currentSlot, 0);
        }
        show();
    }

  private:
    // Draws the grid with the entry cursor in the current cell, and keeps
    // the terminal's cursor there, so a window shorter than the picture
    // shows the cell being typed.
    void show() {
        grid().set(row_, column_, kEntryCursor);
        drawGrid(grid(), terminal_);
        locateCell(terminal_, row_, column_);
    }

    Grid& grid() { return puzzle_.grid; }

    PuzzleState& puzzle_;
    ConsoleTerminal& terminal_;
    int row_ = 1;
    int column_ = 1;
};

// The value a typed key gives a cell, or -1 when the key is not a digit.
int typedValue(const std::string& key) {
    return key.size() == 1 && key[0] >= '0' && key[0] <= '9' ? key[0] - '0' : -1;
}

}  // namespace

Flow enterPuzzle(PuzzleState& puzzle, ConsoleTerminal& terminal, std::string& answer) {
    Entry entry(puzzle, terminal);
    std::string pasted;
    for (;;) {
        if (waitForKey(terminal, answer, &pasted) == Flow::Quit) {
            return Flow::Quit;
        }
        if (!pasted.empty()) {
            // A paste is taken as its characters typed one by one; what
            // follows the 81st cell is dropped.
            for (const char ch : pasted) {
                if (const int value = cellValue(ch); value >= 0 && entry.accept(value)) {
                    return Flow::Continue;
                }
            }
            continue;
        }
        if (answer == kQuitKey) {
            return Flow::Quit;
        }
        if (const int value = typedValue(answer); value >= 0) {
            if (entry.accept(value)) {
                return Flow::Continue;
            }
        } else if (answer[0] == kBackspaceKey) {
            entry.back();
        }
    }
}

}  // namespace novemra

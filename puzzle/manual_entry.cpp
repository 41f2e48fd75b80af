#include "puzzle/manual_entry.hpp"

#include "console/grid_picture.hpp"
#include "console/keyboard.hpp"

namespace novemra {

namespace {

constexpr std::string_view kQuitKey = "x";

bool isDigitKey(const std::string& key) {
    return key.size() == 1 && key[0] >= '0' && key[0] <= '9';
}

}  // namespace

Flow enterPuzzle(PuzzleState& puzzle, ConsoleTerminal& terminal, std::string& answer) {
    Grid& grid = puzzle.grid;
    puzzle.currentSlot = kFirstSlot;
    int row = 1;
    int column = 1;
    grid.set(row, column, kEntryCursor);
    drawGrid(grid, terminal);
    for (;;) {
        if (waitForKey(terminal, answer) == Flow::Quit || answer == kQuitKey) {
            return Flow::Quit;
        }
        if (isDigitKey(answer)) {
            const int value = answer[0] - '0';
            grid.set(row, column, value);
            if (value == kBlank) {
                appendBlank(puzzle, row, column);
            }
            if (row == kGridSize && column == kGridSize) {
                // The last cell keeps showing the cursor until the next draw.
                return Flow::Continue;
            }
            if (++column > kGridSize) {
                column = 1;
                ++row;
            }
            grid.set(row, column, kEntryCursor);
            drawGrid(grid, terminal);
        } else if (answer[0] == kBackspaceKey && !(row == 1 && column == 1)) {
            grid.set(row, column, kBlank);
            if (--column == 0) {
                column = kGridSize;
                --row;
            }
            if (grid.at(row, column) == kBlank) {
                // The cell was typed as a blank: take it off the list again.
                puzzle.currentSlot = previousSlot(puzzle.currentSlot);
                puzzle.blanks.set(puzzle.currentSlot, 0);
            }
            grid.set(row, column, kEntryCursor);
            drawGrid(grid, terminal);
        }
    }
}

}  // namespace novemra

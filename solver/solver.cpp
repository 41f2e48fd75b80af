#include "solver/solver.hpp"

#include "console/grid_picture.hpp"

namespace novemra {

namespace {

constexpr int kDelayOuterSteps = 500;
constexpr int kDelayInnerSteps = 100000;
constexpr std::string_view kQuitKey = "x";

// First row (or column) of the 3x3 box that holds the given row (or column).
constexpr int boxOrigin(int index) {
    if (index < 4) {
        return 1;
    }
    return index < 7 ? 4 : 7;
}

// True when the digit may go into (row, column): it is not yet in the row,
// the column or the box. The three tests run in this order and each stops
// at the first equal digit.
bool fits(const Grid& grid, int row, int column, int digit) {
    for (int k = 1; k <= kGridSize; ++k) {
        if (grid.at(row, k) == digit) {
            return false;
        }
    }
    for (int k = 1; k <= kGridSize; ++k) {
        if (grid.at(k, column) == digit) {
            return false;
        }
    }
    const int originRow = boxOrigin(row);
    const int originColumn = boxOrigin(column);
    for (int boxRow = originRow; boxRow <= originRow + 2; ++boxRow) {
        for (int boxColumn = originColumn; boxColumn <= originColumn + 2; ++boxColumn) {
            if (grid.at(boxRow, boxColumn) == digit) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

void slowModeDelay(SpeedMode speed) {
    if (speed == SpeedMode::Fast) {
        return;
    }
    for (int outer = 1; outer <= kDelayOuterSteps; ++outer) {
        for (int inner = 1; inner <= kDelayInnerSteps; ++inner) {
            // An empty statement the optimiser must treat as having an
            // effect on the counter, so every counting step runs.
            asm volatile("" : "+r"(inner));
        }
    }
}

bool givensClash(const PuzzleState& puzzle) {
    // Listed cells hold 0 before the search, so every digit in the grid is a
    // given; each is tested against the rest as the search tests a trial.
    Grid grid = puzzle.grid;
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            const int digit = grid.at(row, column);
            if (digit < 1 || digit > kGridSize) {
                continue;
            }
            grid.set(row, column, kBlank);
            const bool clash = !fits(grid, row, column, digit);
            grid.set(row, column, digit);
            if (clash) {
                return true;
            }
        }
    }
    return false;
}

SolveRun solvePuzzle(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                     SlowDelay delay) {
    SolveRun run;
    if (givensClash(puzzle)) {
        puzzle.status = SolveStatus::Unsolvable;
        return run;
    }
    const bool drawing = speed != SpeedMode::ExtraFast;
    Grid& grid = puzzle.grid;
    puzzle.currentSlot = kFirstSlot;
    for (;;) {
        const CellCode code = puzzle.blanks.at(puzzle.currentSlot);
        if (code == 0) {
            puzzle.status = SolveStatus::Solved;
            return run;
        }
        const int row = cellRow(code);
        const int column = cellColumn(code);

        // Resume just above the cell's value: 0 when reached going forward,
        // the last digit tried when reached by stepping back.
        int digit = grid.at(row, column) + 1;
        while (digit <= kGridSize && !fits(grid, row, column, digit)) {
            ++digit;
        }

        if (digit <= kGridSize) {
            grid.set(row, column, digit);
            ++run.placements;
            if (drawing) {
                drawGrid(grid, terminal);
                delay(speed);
            }
            puzzle.currentSlot = nextSlot(puzzle.currentSlot);
            if (drawing) {
                drawGrid(grid, terminal);
            }
            continue;
        }

        grid.set(row, column, kBlank);
        ++run.stepsBack;
        puzzle.currentSlot = previousSlot(puzzle.currentSlot);
        if (puzzle.currentSlot < kFirstSlot) {
            puzzle.status = SolveStatus::Unsolvable;
            return run;
        }
        if (terminal.pollKey() == kQuitKey || terminal.closed()) {
            run.flow = Flow::Quit;
            return run;
        }
    }
}

}  // namespace novemra

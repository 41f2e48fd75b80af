#include "scanning_search.hpp"

namespace novemra::bench {

namespace {

constexpr int boxOrigin(int index) {
    if (index < 4) {
        return 1;
    }
    return index < 7 ? 4 : 7;
}

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

SolveRun scanningSearch(PuzzleState& puzzle) {
    SolveRun run;
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
        int digit = grid.at(row, column) + 1;
        while (digit <= kGridSize && !fits(grid, row, column, digit)) {
            ++digit;
        }
        if (digit <= kGridSize) {
            grid.set(row, column, digit);
            ++run.placements;
            puzzle.currentSlot = nextSlot(puzzle.currentSlot);
            continue;
        }
        grid.set(row, column, kBlank);
        ++run.stepsBack;
        puzzle.currentSlot = previousSlot(puzzle.currentSlot);
        if (puzzle.currentSlot < kFirstSlot) {
            puzzle.status = SolveStatus::Unsolvable;
            return run;
        }
    }
}

}  // namespace novemra::bench

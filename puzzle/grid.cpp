#include "puzzle/grid.hpp"

namespace novemra {

void resetPuzzle(PuzzleState& puzzle) {
    puzzle.grid.fill(kBlank);
    puzzle.blanks.clear();
    puzzle.currentSlot = kFirstSlot;
    puzzle.status = SolveStatus::NotSolved;
}

void appendBlank(PuzzleState& puzzle, int row, int column) {
    puzzle.blanks.set(puzzle.currentSlot, cellCode(row, column));
    puzzle.currentSlot = nextSlot(puzzle.currentSlot);
}

}  // namespace novemra

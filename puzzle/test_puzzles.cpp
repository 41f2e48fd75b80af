#include "puzzle/test_puzzles.hpp"

#include "console/grid_picture.hpp"

namespace novemra {

namespace {

// clang-format off
constexpr std::array<StoredPuzzle, 4> kTestPuzzleTable = {{
    {   // easy: 38 givens
        0, 0, 4, 0, 0, 8, 0, 5, 7,
        0, 0, 2, 0, 0, 5, 0, 0, 3,
        5, 1, 0, 0, 7, 0, 0, 8, 4,
        0, 2, 6, 0, 1, 0, 3, 7, 0,
        0, 5, 8, 3, 6, 0, 0, 0, 0,
        0, 0, 0, 8, 2, 9, 0, 6, 0,
        4, 0, 0, 7, 0, 0, 8, 3, 2,
        2, 0, 0, 6, 9, 0, 7, 0, 5,
        0, 0, 0, 4, 8, 0, 0, 9, 0,
    },
    {   // difficult: 32 givens
        6, 5, 8, 0, 0, 0, 2, 4, 0,
        0, 0, 2, 6, 8, 0, 0, 9, 5,
        0, 0, 0, 2, 5, 4, 8, 6, 3,
        0, 9, 0, 0, 0, 5, 0, 0, 1,
        0, 8, 0, 0, 2, 0, 4, 3, 0,
        0, 4, 3, 0, 0, 0, 0, 0, 0,
        0, 0, 5, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 1, 6, 2, 9, 0, 0,
        0, 0, 0, 0, 3, 0, 6, 0, 0,
    },
    {   // hard: 23 givens
        2, 0, 0, 0, 0, 1, 0, 0, 0,
        0, 3, 0, 0, 9, 4, 0, 6, 0,
        0, 0, 5, 0, 0, 0, 3, 0, 0,
        0, 9, 0, 1, 0, 0, 0, 0, 0,
        0, 0, 0, 5, 0, 0, 0, 2, 0,
        0, 0, 7, 0, 2, 9, 0, 0, 4,
        0, 5, 0, 0, 6, 3, 0, 4, 0,
        8, 0, 0, 0, 0, 0, 0, 0, 7,
        0, 0, 0, 2, 0, 0, 0, 0, 0,
    },
    {   // xtreme: 28 givens
        0, 0, 0, 1, 7, 0, 0, 8, 2,
        0, 5, 0, 0, 0, 8, 0, 0, 0,
        0, 0, 2, 0, 0, 0, 0, 7, 0,
        0, 0, 5, 0, 2, 7, 8, 0, 0,
        7, 0, 0, 5, 0, 4, 0, 6, 0,
        9, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 4, 0,
        2, 6, 9, 0, 0, 1, 7, 3, 0,
        0, 7, 3, 9, 0, 0, 6, 0, 0,
    },
}};
// clang-format on

}  // namespace

const StoredPuzzle& storedPuzzle(TestLevel level) {
    // Anything outside 1..4 cannot be produced by the level question, which
    // starts from easy; treat it as easy rather than read out of bounds.
    const auto index = static_cast<std::int32_t>(level) - 1;
    return kTestPuzzleTable[index >= 0 && index < 4 ? static_cast<std::size_t>(index) : 0];
}

void fillTestPuzzle(PuzzleState& puzzle, TestLevel level) {
    fillPuzzle(puzzle, storedPuzzle(level));
}

void fillPuzzle(PuzzleState& puzzle, const StoredPuzzle& values) {
    puzzle.currentSlot = kFirstSlot;
    std::size_t next = 0;
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            const std::int32_t value = values[next++];
            puzzle.grid.set(row, column, value);
            if (value == kBlank) {
                appendBlank(puzzle, row, column);
            }
        }
    }
}

void loadTestPuzzle(PuzzleState& puzzle, TestLevel level, ConsoleTerminal& terminal) {
    fillTestPuzzle(puzzle, level);
    drawGrid(puzzle.grid, terminal);
}

}  // namespace novemra

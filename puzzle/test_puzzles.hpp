// The four stored test puzzles and their loading into the puzzle state.
#pragma once

#include <array>
#include <cstdint>

#include "console/console_terminal.hpp"
#include "puzzle/grid.hpp"

namespace novemra {

enum class TestLevel : std::int32_t { Easy = 1, Difficult = 2, Hard = 3, Xtreme = 4 };

// 81 values row by row, column 1 first; 0 is a blank.
using StoredPuzzle = CellValues;

const StoredPuzzle& storedPuzzle(TestLevel level);

// Writes the level's puzzle into the grid and lists its blank cells from
// slot 11 on, in reading order. Expects a reset puzzle state: only the
// slots of the blanks are written, and the next slot's 0 ends the list.
void fillTestPuzzle(PuzzleState& puzzle, TestLevel level);
// The same for any puzzle held as 81 values.
void fillPuzzle(PuzzleState& puzzle, const StoredPuzzle& values);

// Fills the level's puzzle and draws it.
void loadTestPuzzle(PuzzleState& puzzle, TestLevel level, ConsoleTerminal& terminal);

}  // namespace novemra

// Depth-first backtracking over the blank list, drawn live on the screen.
#pragma once

#include <cstdint>

#include "console/console_terminal.hpp"
#include "console/flow.hpp"
#include "puzzle/grid.hpp"

namespace novemra {

enum class SpeedMode : std::int32_t { ExtraFast = -1, Fast = 0, Slow = 1 };

// How a search went: whether the user ended the program during it, and how
// many digits it placed and how many times it stepped back.
struct SolveRun {
    Flow flow = Flow::Continue;
    std::int64_t placements = 0;
    std::int64_t stepsBack = 0;
};

// True when two given digits (cells the blank list does not name) share a
// row, column or box.
bool givensClash(const PuzzleState& puzzle);

// Holds a new digit on screen in slow mode: 500 x 100000 counting steps that
// really run. Reads no clock; returns at once in fast mode.
void slowModeDelay(SpeedMode speed);

// The wait after each placed digit; tests that run many searches swap in
// one that does not count.
using SlowDelay = void (*)(SpeedMode);

// Fills the listed blank cells so that no digit repeats in a row, column or
// box, trying digits in ascending order and backing up when none fits. Sets
// the status to Solved or Unsolvable. A puzzle whose givens already clash
// is Unsolvable at once: no filling of its blanks can make it a Sudoku. In
// fast and slow mode the grid is drawn twice per placed digit; in slow mode
// each new digit is also held on screen by the delay. At every step back
// that stays inside the list the keyboard is polled once, and "x" ends the
// program (Flow::Quit, status untouched); the grid and the slot pointer are
// then the search's state.
SolveRun solvePuzzle(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                     SlowDelay delay = slowModeDelay);

}  // namespace novemra

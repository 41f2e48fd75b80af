// Depth-first backtracking over the blank list, drawn live on the screen.
#pragma once

#include <cstdint>

#include "console/console_terminal.hpp"
#include "console/flow.hpp"
#include "puzzle/grid.hpp"

namespace novemra {

enum class SpeedMode : std::int32_t { ExtraFast = -1, Fast = 0, Slow = 1 };

// How a search went: whether the user ended the program during it, and how
// many digits it placed and how many times it stepped back. When the walk
// was cut short and the answer found directly, the counts are those of the
// part walked.
struct SolveRun {
    Flow flow = Flow::Continue;
    std::int64_t placements = 0;
    std::int64_t stepsBack = 0;
    bool answeredDirectly = false;
};

// Steps back the ordered walk takes in extra fast mode before the answer is
// found directly; a puzzle that needs more has a walk far longer.
constexpr std::int64_t kWalkedStepsBack = 256;

// True when two given digits (cells the blank list does not name) share a
// row, column or box.
bool givensClash(const PuzzleState& puzzle);

// Holds a new digit on screen in slow mode: 500 x 100000 counting steps that
// really run. Reads no clock; returns at once in fast mode.
void slowModeDelay(SpeedMode speed);

// The wait after each placed digit; tests that run many searches swap in
// one that does not count.
using SlowDelay = void (*)(SpeedMode);

// The ordered walk: fills the listed blank cells so that no digit repeats in
// a row, column or box, trying digits in ascending order and backing up when
// none fits. Sets
// the status to Solved or Unsolvable. A puzzle whose givens already clash
// is Unsolvable at once: no filling of its blanks can make it a Sudoku. In
// fast and slow mode the grid is drawn twice per placed digit; in slow mode
// each new digit is also held on screen by the delay. At every step back
// that stays inside the list the keyboard is polled once, and "x" ends the
// program (Flow::Quit, status untouched); the grid and the slot pointer are
// then the search's state. With a step-back limit, a walk that reaches it
// stops there with the status untouched.
SolveRun searchInOrder(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                       SlowDelay delay = slowModeDelay, std::int64_t stepBackLimit = -1);

// Solves the puzzle as the run loop shows it. Fast and slow mode draw the
// ordered walk step by step. Extra fast mode draws nothing, so it walks
// only the first kWalkedStepsBack steps back (polling for "x" at each) and
// then finds the walk's end directly: the same grid, slot and status, in
// microseconds instead of what may be hours.
SolveRun solvePuzzle(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                     SlowDelay delay = slowModeDelay);

}  // namespace novemra

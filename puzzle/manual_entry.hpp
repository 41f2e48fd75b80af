// Typing a puzzle in, one key per cell, in reading order.
#pragma once

#include <string>

#include "console/console_terminal.hpp"
#include "console/flow.hpp"
#include "puzzle/grid.hpp"

namespace novemra {

// Walks the 81 cells with a visible cursor ("> "). A digit fills the cell
// and moves on; "0" leaves it blank and lists it for the solver; Backspace
// steps back one cell and drops what was typed there; "x" ends the program
// (Flow::Quit); every other key is ignored. Each key read is stored in
// answer. Expects a reset puzzle state.
Flow enterPuzzle(PuzzleState& puzzle, ConsoleTerminal& terminal, std::string& answer);

}  // namespace novemra

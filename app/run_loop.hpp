// The program's one control loop: one solving run per pass.
#pragma once

#include <string_view>

#include "app/program_state.hpp"
#include "console/console_terminal.hpp"
#include "print/print_spooler.hpp"

namespace novemra {

constexpr std::string_view kDataSourcePrompt = " Use Test data or Help [y,n or h]? ";
constexpr std::string_view kLevelPrompt = " Easy,Difficult,Hard, Xtreme (e,d,h,x)? ";
constexpr std::string_view kSpeedPrompt = " Extra fast, Fast or Slow [e,f or s]? ";
constexpr std::string_view kSolvedLine = "*** Sudoku Solved ***";
constexpr std::string_view kUnsolvableLine = "--- Sudoku Unsolvable ---";
constexpr std::string_view kHardCopyPrompt = " Do you want a hard copy (y,n)? ";
constexpr std::string_view kRunAgainPrompt = " Run again [y or n]? ";

// The level an answer to the level question chooses; unknown keys mean easy.
TestLevel levelForAnswer(std::string_view answer);
// The speed an answer to the speed question chooses; unknown keys mean fast.
SpeedMode speedForAnswer(std::string_view answer);

// Runs puzzle after puzzle until the user declines to run again, presses
// "x" during entry or solving, or the terminal goes away. Always returns
// normally; the caller ends the process with status 0.
void runProgram(ProgramState& state, ConsoleTerminal& terminal, PrintSpooler& spooler,
                SlowDelay delay = slowModeDelay);

}  // namespace novemra

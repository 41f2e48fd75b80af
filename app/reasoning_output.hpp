// --explain and --rate: each given puzzle reasoned through as a person
// would, written without the terminal.
#pragma once

#include <cstdio>

#include "app/command_line.hpp"

namespace novemra {

// For each given puzzle in turn: with --explain, one line a step and then
// the solution as nine lines of digits (a blank line between puzzles); with
// --rate, one line "LEVEL SCORE TECHNIQUE". A puzzle with several
// solutions or none gets one line saying which. Returns the exit status as
// --solve does: 0, 1 when any was unsolvable, 2 for bad input or answers
// that could not be written (named on err).
int reasonWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err);

}  // namespace novemra

// --generate: puzzles made and written one a line, without the terminal.
#pragma once

#include <cstdio>

#include "app/command_line.hpp"

namespace novemra {

// The most puzzles of other levels made in a row before --generate gives
// up on the level asked for.
constexpr int kAttemptsPerPuzzle = 50'000;

// Writes the puzzles to out as they are made (81 characters, '.' for a
// blank), with progress on err when err is a terminal. Ends with 0 when
// all were made; 1 when the level was not reached within
// attemptsPerPuzzle attempts; 130 when interrupted (Ctrl-C), after the
// puzzles already made; 2 when they could not be written.
int generateWithoutScreen(const CommandLine::Generate& options, std::FILE* out, std::FILE* err,
                          int attemptsPerPuzzle = kAttemptsPerPuzzle);

}  // namespace novemra

// Puzzles given on the command line or in a file, read before the terminal
// is touched, and the solve without a screen (--solve).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.hpp"
#include "puzzle/test_puzzles.hpp"

namespace novemra {

// Every puzzle the command line gives, in order: the puzzle argument, or
// each one in the file. False, with the line for standard error in error,
// when the file cannot be read or is not a whole number of puzzles; then
// nothing is kept.
bool readGivenPuzzles(const CommandLine& command, std::vector<StoredPuzzle>& puzzles,
                      std::string& error);

// Solves each given puzzle as it is read, with the answer the screen's
// search ends with, and writes one line for each to out: its solution as 81
// digits (the first in reading order when there are several, which err
// names), or "unsolvable". Returns the exit status: 0 when every puzzle was solved, 1
// when any was unsolvable, 2 when the input was bad (named on err).
struct PuzzleAnswer {
    bool solved = false;
    bool severalSolutions = false;
};

// The line --solve writes for one puzzle, ended by a line feed.
PuzzleAnswer answerPuzzle(const StoredPuzzle& given, std::string& line);

int solveWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err);

}  // namespace novemra

// Everything the program keeps between its steps, owned by the run loop.
#pragma once

#include <optional>
#include <string>

#include "app/given_puzzles.hpp"
#include "puzzle/grid.hpp"
#include "puzzle/test_puzzles.hpp"
#include "solver/solver.hpp"

namespace novemra {

struct ProgramState {
    PuzzleState puzzle;
    // The last key read: one character, or empty.
    std::string answer;
    bool useTestData = false;
    TestLevel level = TestLevel::Easy;
    SpeedMode speed = SpeedMode::Fast;
    // Puzzles given on the command line, read one at a time: a run takes
    // nextGiven when there is one, and "y" to run again reads the one after;
    // once they are used up the runs ask as usual.
    GivenPuzzles given;
    std::optional<StoredPuzzle> nextGiven;
    // The line for standard error when a puzzle read after the first was
    // bad; the program ends, and says so once the terminal is restored.
    std::string endError;
};

}  // namespace novemra

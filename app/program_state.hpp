// Everything the program keeps between its steps, owned by the run loop.
#pragma once

#include <string>
#include <vector>

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
    // Puzzles given on the command line: each run takes the next one until
    // they are used up; then the runs ask as usual.
    std::vector<StoredPuzzle> givenPuzzles;
    std::size_t nextGiven = 0;
};

}  // namespace novemra

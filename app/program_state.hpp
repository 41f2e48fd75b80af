// Everything the program keeps between its steps, owned by the run loop.
#pragma once

#include <string>

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
};

}  // namespace novemra

// A puzzle solved as a person would: at every step the simplest technique
// that moves, each step in words; and the rating that follows from the
// techniques it needed.
#pragma once

#include <string>
#include <vector>

#include "puzzle/grid.hpp"
#include "reason/step.hpp"

namespace novemra::reason {

struct Explanation {
    enum class Outcome { Solved, SeveralSolutions, Unsolvable };
    Outcome outcome = Outcome::Solved;
    // For Unsolvable: why, as "r4c7 has no candidate left".
    std::string unsolvable;
    std::vector<Step> steps;
    CellValues solution{};

    // The rating: the hardest technique used decides the level; every
    // round of a technique adds its weight to the score.
    Level level = Level::Easy;
    int score = 0;
    Technique hardest = Technique::FullHouse;
    // Steps that a technique proposed but the solution contradicts: always
    // 0 unless a technique is wrong; such steps are left out.
    int rejected = 0;
    // The explanation stopped where the next step needed a technique above
    // the level asked for: level and hardest name that technique.
    bool stoppedAbove = false;
};

// Explains the puzzle (81 values, 0 a blank). Each round tries the
// techniques simplest first and applies every instance of the first that
// moves, all found on the same board, so that the rating is the same for
// every relabelling, row, column, band and stack swap and transposition of
// the puzzle. When none moves, a trial places the solution's digits in the
// cells whose digit unlocks the most singles.
// With stopAbove, it stops at the first step that needs a technique of a
// higher level (for a generator that wants puzzles of one level).
Explanation explain(const CellValues& puzzle, Level stopAbove = Level::Extreme);

}  // namespace novemra::reason

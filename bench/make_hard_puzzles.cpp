// Writes the benchmark's file of hard puzzles to standard output: seeded
// rearrangements (digit relabelling, row and column swaps within bands and
// stacks, band and stack swaps, transposition) of 17-given puzzles and of
// the two typed-in puzzles the ordered walk finds hardest. Each one is
// checked to have exactly one solution, and none is written twice.
//
//   novemra_make_hard_puzzles [COUNT] > bench/hard_puzzles.txt
#include <cstdio>
#include <set>
#include <string>
#include <string_view>

#include "solver/first_solution.hpp"
#include "support/puzzle_builder.hpp"
#include "support/rearrange.hpp"

namespace {

constexpr std::string_view kBases[] = {
    "100000000000400000000009000000008001000000703009600004006030000024000080000010050",
    novemra::testing::kSeventeenGivens,
    novemra::testing::kAgainstBruteForce,
    "000000010400000000020000000000050604008000300001090000300400200050100000000807000",
    "000000012000035000000600070700000300000400800100000000000120000080000040050000600",
    "000000012003600000000007000410020000000500300700000600280000040000300500000000000",
    "000000012008030000000000040120500000000004700060000000507000300000620000000100000",
    "000000012040050000000009000070600400000100000000000050000087500601000300200000000",
    "000000013000030080070000000000206000030000900000010000600500204000400700100000000",
};

bool hasOneSolution(const std::string& text) {
    novemra::PuzzleState puzzle = novemra::testing::puzzleFrom(text);
    const novemra::FirstSolution answer = novemra::solveFirstInOrder(puzzle);
    return puzzle.status == novemra::SolveStatus::Solved && !answer.severalSolutions;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::stoi(argv[1]) : 1200;
    novemra::testing::SeededRandom random(1200);
    std::set<std::string> written;
    std::printf(
        "# %d hard puzzles with one solution each: rearrangements of 17-given\n"
        "# puzzles and of two that the ordered walk finds hardest.\n"
        "# Made by bench/make_hard_puzzles.cpp.\n",
        count);
    for (int index = 0; static_cast<int>(written.size()) < count; ++index) {
        const std::string_view base = kBases[static_cast<std::size_t>(index) % std::size(kBases)];
        const std::string puzzle = novemra::testing::rearranged(base, random);
        if (!hasOneSolution(puzzle)) {
            std::fprintf(stderr, "not one solution: %s\n", puzzle.c_str());
            return 1;
        }
        if (written.insert(puzzle).second) {
            std::printf("%s\n", puzzle.c_str());
        }
    }
    return 0;
}

// The first two solutions in reading order, against a plain depth-first
// search that lists them in that order.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "app/check_output.hpp"
#include "solver/first_solution.hpp"
#include "support/reasoning.hpp"

namespace novemra {
namespace {

// Depth first over the blanks in reading order, digits ascending: the
// first `wanted` solutions, in that order.
void plainSearch(CellValues& grid, int from, std::size_t wanted, std::vector<CellValues>& found) {
    while (from < kCellCount && grid[static_cast<std::size_t>(from)] != 0) {
        ++from;
    }
    if (from == kCellCount) {
        found.push_back(grid);
        return;
    }
    const int row = from / 9;
    const int column = from % 9;
    for (int digit = 1; digit <= 9 && found.size() < wanted; ++digit) {
        bool fits = true;
        for (int k = 0; k < 9 && fits; ++k) {
            const int boxCell = (row / 3 * 3 + k / 3) * 9 + column / 3 * 3 + k % 3;
            fits = grid[static_cast<std::size_t>(row * 9 + k)] != digit &&
                   grid[static_cast<std::size_t>(k * 9 + column)] != digit &&
                   grid[static_cast<std::size_t>(boxCell)] != digit;
        }
        if (fits) {
            grid[static_cast<std::size_t>(from)] = digit;
            plainSearch(grid, from + 1, wanted, found);
            grid[static_cast<std::size_t>(from)] = 0;
        }
    }
}

TEST(SecondSolution, IsTheNextInReadingOrderAndTheNamedCellsAreWhereTheTwoDiffer) {
    testing::SeededRandom random(34);
    int compared = 0;
    for (int made = 0; made < 400; ++made) {
        // A solution with 40 to 55 givens taken away: mostly several.
        CellValues puzzle = generate::randomSolution(random);
        std::array<int, 81> order{};
        std::iota(order.begin(), order.end(), 0);
        random.shuffle(order);
        const int blanks = 40 + random.below(16);
        for (int i = 0; i < blanks; ++i) {
            puzzle[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = 0;
        }
        std::vector<CellValues> expected;
        CellValues grid = puzzle;
        plainSearch(grid, 0, 2, expected);
        if (expected.size() < 2) {
            continue;
        }
        CellValues first{};
        SolveStatus status = SolveStatus::NotSolved;
        ASSERT_TRUE(solveFirstInReadingOrder(puzzle, first, status).severalSolutions);
        ASSERT_EQ(first, expected[0]) << testing::textOf(puzzle);
        const CellValues second = secondInReadingOrder(puzzle, first);
        ASSERT_EQ(second, expected[1]) << testing::textOf(puzzle);
        EXPECT_EQ(differingCells(first, second).size() % 5, 4U);  // "rNcN" a cell, spaced
        ++compared;
    }
    EXPECT_GE(compared, 200);
}

}  // namespace
}  // namespace novemra

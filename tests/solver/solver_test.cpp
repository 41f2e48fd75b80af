#include "solver/solver.hpp"

#include <gtest/gtest.h>

#include <chrono>

#include "console/memory_terminal.hpp"
#include "puzzle/test_puzzles.hpp"
#include "solver/first_solution.hpp"
#include "support/level_names.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::puzzleFrom;
using testing::rowDigits;

// True when no digit repeats in any row, column or box and no cell is blank.
bool isCompleteSolution(const Grid& grid) {
    for (int i = 1; i <= 9; ++i) {
        unsigned rowSeen = 0;
        unsigned columnSeen = 0;
        unsigned boxSeen = 0;
        for (int j = 1; j <= 9; ++j) {
            const int boxRow = (i - 1) / 3 * 3 + (j - 1) / 3 + 1;
            const int boxColumn = (i - 1) % 3 * 3 + (j - 1) % 3 + 1;
            rowSeen |= 1U << grid.at(i, j);
            columnSeen |= 1U << grid.at(j, i);
            boxSeen |= 1U << grid.at(boxRow, boxColumn);
        }
        if (rowSeen != 0x3FE || columnSeen != 0x3FE || boxSeen != 0x3FE) {
            return false;
        }
    }
    return true;
}

struct LevelCounts {
    TestLevel level;
    std::int64_t placements;
    std::int64_t stepsBack;
};

// What CTest shows after the test's name.
void PrintTo(const LevelCounts& counts, std::ostream* out) {
    *out << testing::levelName(counts.level);
}

class StoredPuzzleSearch : public ::testing::TestWithParam<LevelCounts> {};

TEST_P(StoredPuzzleSearch, SolvesWithTheExpectedNumberOfSteps) {
    const LevelCounts& expected = GetParam();
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, expected.level);
    const Grid givens = puzzle.grid;
    MemoryTerminal terminal;

    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);

    EXPECT_EQ(run.flow, Flow::Continue);
    EXPECT_EQ(puzzle.status, SolveStatus::Solved);
    EXPECT_EQ(run.placements, expected.placements);
    EXPECT_EQ(run.stepsBack, expected.stepsBack);
    EXPECT_TRUE(isCompleteSolution(puzzle.grid));
    for (int row = 1; row <= 9; ++row) {
        for (int column = 1; column <= 9; ++column) {
            if (givens.at(row, column) != 0) {
                EXPECT_EQ(puzzle.grid.at(row, column), givens.at(row, column));
            }
        }
    }
    // The keyboard is looked at once per step back, and nothing is drawn.
    EXPECT_EQ(terminal.pollCount(), expected.stepsBack);
    EXPECT_EQ(terminal.printCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, StoredPuzzleSearch,
                         ::testing::Values(LevelCounts{TestLevel::Easy, 98, 55},
                                           LevelCounts{TestLevel::Difficult, 448, 399},
                                           LevelCounts{TestLevel::Hard, 6021, 5963},
                                           LevelCounts{TestLevel::Xtreme, 15436, 15383}),
                         testing::LevelParamName());

// Whenever the keyboard is looked at, the grid and the slot pointer are the
// search's state: the listed cells up to the slot hold digits that clash
// nowhere (the one at the slot the digit it goes on from), the rest are
// blank. "x" can end the search at any of these moments.
TEST(Solver, AtEveryPollTheGridAndSlotAreTheSearchState) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Xtreme);
    MemoryTerminal terminal;
    std::string broken;
    terminal.onPoll([&](MemoryTerminal& t) {
        for (BlankSlot slot = kFirstSlot; puzzle.blanks.at(slot) != 0 && broken.empty();
             slot = nextSlot(slot)) {
            const CellCode code = puzzle.blanks.at(slot);
            const int value = puzzle.grid.at(cellRow(code), cellColumn(code));
            const bool onPath = slot <= puzzle.currentSlot;
            if (onPath ? (value < 1 || value > 9) : value != kBlank) {
                broken.append("slot ").append(std::to_string(slot));
            }
        }
        if (broken.empty() && givensClash(puzzle)) {
            broken = "digits clash";
        }
        if (!broken.empty()) {
            broken.append(" at poll ").append(std::to_string(t.pollCount()));
            t.close();
        }
    });
    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(broken, "");
    EXPECT_EQ(run.stepsBack, 15383);
}

// The two typed-in puzzles that work the search hardest: tens of millions
// of steps, each counted exactly, so a faster way of finding the next digit
// must still make the very same search.
struct LongSearch {
    const char* name;
    std::string_view puzzle;
    std::int64_t placements;
    std::int64_t stepsBack;
};

void PrintTo(const LongSearch& search, std::ostream* out) {
    *out << search.name;
}

class LongSearchCounts : public ::testing::TestWithParam<LongSearch> {};

TEST_P(LongSearchCounts, AreExact) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "tens of millions of steps are too slow under the sanitizers";
#endif
    const LongSearch& expected = GetParam();
    PuzzleState puzzle = puzzleFrom(expected.puzzle);
    MemoryTerminal terminal;
    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(puzzle.status, SolveStatus::Solved);
    EXPECT_TRUE(isCompleteSolution(puzzle.grid));
    EXPECT_EQ(run.placements, expected.placements);
    EXPECT_EQ(run.stepsBack, expected.stepsBack);
    EXPECT_EQ(terminal.pollCount(), expected.stepsBack);

    // Found directly, the walk's end is the same.
    PuzzleState direct = puzzleFrom(expected.puzzle);
    solveFirstInOrder(direct);
    EXPECT_EQ(direct.grid, puzzle.grid);
    EXPECT_EQ(direct.currentSlot, puzzle.currentSlot);
}

INSTANTIATE_TEST_SUITE_P(TypedIn, LongSearchCounts,
                         ::testing::Values(LongSearch{"seventeen_givens", testing::kSeventeenGivens,
                                                      26'590'293, 26'590'229},
                                           LongSearch{"against_brute_force",
                                                      testing::kAgainstBruteForce, 69'175'316,
                                                      69'175'252}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Solver, FillsAnEmptyGridInOrder) {
    PuzzleState puzzle = puzzleFrom(std::string(81, '0'));
    ASSERT_EQ(puzzle.currentSlot, kLastListSlot);
    MemoryTerminal terminal;

    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);

    EXPECT_EQ(puzzle.status, SolveStatus::Solved);
    EXPECT_EQ(run.placements, 391);
    EXPECT_EQ(run.stepsBack, 310);
    const char* rows[] = {"123456789", "456789123", "789123456", "214365897", "365897214",
                          "897214365", "531642978", "642978531", "978531642"};
    for (int row = 1; row <= 9; ++row) {
        EXPECT_EQ(rowDigits(puzzle.grid, row), rows[row - 1]);
    }
}

TEST(Solver, NoBlanksIsSolvedAtOnceWithoutDrawingOrPolling) {
    PuzzleState puzzle = puzzleFrom(testing::kSolvedSudoku);
    MemoryTerminal terminal;
    const SolveRun run = solvePuzzle(puzzle, SpeedMode::Fast, terminal);
    EXPECT_EQ(puzzle.status, SolveStatus::Solved);
    EXPECT_EQ(run.placements, 0);
    EXPECT_EQ(terminal.printCount(), 0);
    EXPECT_EQ(terminal.pollCount(), 0);
}

// 81 blanks with the given digits at the given reading-order indexes.
std::string givensAt(std::initializer_list<std::pair<int, char>> givens) {
    std::string cells(81, '0');
    for (const auto& [index, digit] : givens) {
        cells[static_cast<std::size_t>(index)] = digit;
    }
    return cells;
}

TEST(Solver, ClashingGivensAreUnsolvableEvenWhenTheBlanksCouldBeFilled) {
    MemoryTerminal terminal;

    // No blank at all, every cell a 5: not a Sudoku, so not "solved".
    PuzzleState full = puzzleFrom(std::string(81, '5'));
    solvePuzzle(full, SpeedMode::Fast, terminal);
    EXPECT_EQ(full.status, SolveStatus::Unsolvable);

    // Two 7s in one box; the search alone would fill every blank around
    // them. The grid stays as typed, and nothing is drawn or polled.
    PuzzleState boxClash = puzzleFrom(givensAt({{0, '7'}, {10, '7'}}));
    const Grid typed = boxClash.grid;
    const SolveRun run = solvePuzzle(boxClash, SpeedMode::Fast, terminal);
    EXPECT_EQ(boxClash.status, SolveStatus::Unsolvable);
    EXPECT_EQ(boxClash.grid, typed);
    EXPECT_EQ(run.placements, 0);
    EXPECT_EQ(terminal.printCount(), 0);
    EXPECT_EQ(terminal.pollCount(), 0);

    // Clashes in a row and in a column are found as well.
    EXPECT_TRUE(givensClash(puzzleFrom(givensAt({{0, '3'}, {8, '3'}}))));
    EXPECT_TRUE(givensClash(puzzleFrom(givensAt({{0, '4'}, {72, '4'}}))));
    EXPECT_FALSE(givensClash(puzzleFrom(givensAt({{0, '1'}, {1, '2'}, {80, '3'}}))));
}

TEST(Solver, FirstCellWithoutAnyDigitIsUnsolvableAfterOneStepBack) {
    // Cell (1,1) sees 1..8 in its row and 9 in its column.
    PuzzleState puzzle = puzzleFrom(
        "012345678"
        "900000000"
        "000000000"
        "000000000"
        "000000000"
        "000000000"
        "000000000"
        "000000000"
        "000000000");
    MemoryTerminal terminal;
    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(puzzle.status, SolveStatus::Unsolvable);
    EXPECT_EQ(run.stepsBack, 1);
    EXPECT_EQ(puzzle.currentSlot, 9);
    EXPECT_EQ(terminal.pollCount(), 0);
}

TEST(Solver, UnsolvableSearchLeavesThePuzzleAsLoaded) {
    // The last cell of row 1 can only be 9, which its column already holds
    // further down, so the search must undo everything it tried.
    PuzzleState puzzle = puzzleFrom(
        "12345678."
        "........."
        "........9"
        "........."
        "........."
        "........."
        "........."
        "........."
        "1........");
    const Grid loaded = puzzle.grid;
    MemoryTerminal terminal;
    searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(puzzle.status, SolveStatus::Unsolvable);
    EXPECT_EQ(puzzle.grid, loaded);
}

TEST(Solver, FastModeDrawsTwicePerPlacement) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Easy);
    MemoryTerminal terminal;
    const SolveRun run = solvePuzzle(puzzle, SpeedMode::Fast, terminal);
    // One picture is 133 prints: 4 header lines, per grid row a start, nine
    // cells, three bars and a line end, and 3 more separators.
    constexpr long kPrintsPerPicture = 4 + 9 * 14 + 3;
    EXPECT_EQ(run.placements, 98);
    EXPECT_EQ(terminal.printCount(), 196 * kPrintsPerPicture);
    EXPECT_EQ(terminal.line(5), "    |6 9 4 |1 3 8 |2 5 7 |");
}

TEST(SlowModeDelay, ReallyCounts) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    slowModeDelay(SpeedMode::Slow);
    const auto slow = Clock::now() - start;
    // 50,000,000 counting steps take well over 5 ms on any machine; an
    // optimised-away loop takes microseconds.
    EXPECT_GE(slow, std::chrono::milliseconds(5));
}

}  // namespace
}  // namespace novemra

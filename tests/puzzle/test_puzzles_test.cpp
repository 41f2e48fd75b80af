#include "puzzle/test_puzzles.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "console/memory_terminal.hpp"
#include "support/level_names.hpp"

namespace novemra {
namespace {

// The codes listed from slot 11 on, up to the 0 that ends the list.
std::vector<CellCode> listedCodes(const PuzzleState& puzzle) {
    std::vector<CellCode> codes;
    forEachListed(puzzle.blanks, [&codes](BlankSlot, CellCode code) { codes.push_back(code); });
    return codes;
}

struct LoadExpectation {
    TestLevel level;
    std::size_t blanks;
    std::vector<CellCode> first;
    std::vector<CellCode> last;
    BlankSlot finalPointer;
};

// What CTest shows after the test's name.
void PrintTo(const LoadExpectation& expected, std::ostream* out) {
    *out << testing::levelName(expected.level);
}

class LoadedLevel : public ::testing::TestWithParam<LoadExpectation> {};

TEST_P(LoadedLevel, ListsItsBlanksInReadingOrder) {
    const LoadExpectation& expected = GetParam();
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, expected.level);

    const std::vector<CellCode> codes = listedCodes(puzzle);
    ASSERT_EQ(codes.size(), expected.blanks);
    EXPECT_EQ(std::vector<CellCode>(codes.begin(), codes.begin() + expected.first.size()),
              expected.first);
    EXPECT_EQ(std::vector<CellCode>(codes.end() - expected.last.size(), codes.end()),
              expected.last);
    EXPECT_EQ(puzzle.currentSlot, expected.finalPointer);
    EXPECT_EQ(puzzle.blanks.at(puzzle.currentSlot), 0);

    // Every listed cell is blank in the grid and every unlisted one a digit.
    for (const CellCode code : codes) {
        EXPECT_EQ(puzzle.grid.at(cellRow(code), cellColumn(code)), kBlank);
    }
    std::size_t blankCells = 0;
    for (int row = 1; row <= 9; ++row) {
        for (int column = 1; column <= 9; ++column) {
            blankCells += puzzle.grid.at(row, column) == kBlank ? 1 : 0;
        }
    }
    EXPECT_EQ(blankCells, expected.blanks);
}

INSTANTIATE_TEST_SUITE_P(
    AllLevels, LoadedLevel,
    ::testing::Values(
        LoadExpectation{TestLevel::Easy, 43, {11, 12, 14, 15, 17}, {96, 97, 99}, 58},
        LoadExpectation{TestLevel::Difficult, 49, {14, 15, 16, 19, 21}, {96, 98, 99}, 65},
        LoadExpectation{TestLevel::Hard, 58, {12, 13, 14, 15, 17}, {97, 98, 99}, 75},
        LoadExpectation{TestLevel::Xtreme, 53, {11, 12, 13, 16, 17}, {96, 98, 99}, 69}),
    testing::LevelParamName());

TEST(StoredPuzzles, GivensBreakNoRule) {
    for (const TestLevel level :
         {TestLevel::Easy, TestLevel::Difficult, TestLevel::Hard, TestLevel::Xtreme}) {
        const StoredPuzzle& values = storedPuzzle(level);
        auto value = [&](int row, int column) { return values[(row - 1) * 9 + (column - 1)]; };
        for (int row = 1; row <= 9; ++row) {
            for (int column = 1; column <= 9; ++column) {
                const int digit = value(row, column);
                if (digit == 0) {
                    continue;
                }
                for (int other = 1; other <= 9; ++other) {
                    EXPECT_FALSE(other != column && value(row, other) == digit);
                    EXPECT_FALSE(other != row && value(other, column) == digit);
                }
            }
        }
    }
}

TEST(LoadTestPuzzle, LoadingTwiceChangesNothingButTheScreen) {
    MemoryTerminal terminal;
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    loadTestPuzzle(puzzle, TestLevel::Hard, terminal);
    const PuzzleState once = puzzle;
    const std::string screenOnce = terminal.screenText();

    loadTestPuzzle(puzzle, TestLevel::Hard, terminal);

    EXPECT_EQ(puzzle.grid, once.grid);
    EXPECT_EQ(puzzle.blanks, once.blanks);
    EXPECT_EQ(puzzle.currentSlot, once.currentSlot);
    EXPECT_EQ(terminal.screenText(), screenOnce);
    EXPECT_EQ(terminal.line(5), "    |2     |    1 |      |");
}

}  // namespace
}  // namespace novemra

#include "puzzle/puzzle_text.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

struct Outcome {
    std::vector<std::string> puzzles;  // each as 81 digits
    std::string error;
};

// Every puzzle in the text, read as a stream.
Outcome readAll(const std::string& text) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(
        fmemopen(const_cast<char*>(text.data()), text.size(), "r"), &std::fclose);
    PuzzleReader reader(in.get());
    Outcome outcome;
    StoredPuzzle puzzle{};
    for (;;) {
        const PuzzleReader::Result result = reader.next(puzzle);
        if (result != PuzzleReader::Result::Puzzle) {
            if (result == PuzzleReader::Result::Error) {
                outcome.error = reader.error();
            }
            return outcome;
        }
        std::string digits;
        for (const int value : puzzle) {
            digits.push_back(static_cast<char>('0' + value));
        }
        outcome.puzzles.push_back(digits);
    }
}

const std::string kSolved(testing::kSolvedSudoku);

TEST(PuzzleReader, ReadsLinesGridsAndSeveralOnALineSkippingCommentsAndNoise) {
    std::string grid;
    for (int row = 0; row < 9; ++row) {
        grid += "| " + kSolved.substr(static_cast<std::size_t>(row) * 9, 9) + " |\r\n";
        if (row % 3 == 2) {
            grid += "+-------+\n";
        }
    }
    // A megabyte of comment and of skipped characters is streamed past.
    const std::string text =
        std::string("# ").append(1 << 20, '7').append("\n").append(1 << 20, 'a') + kSolved +
        "\n\n" + grid + kSolved + kSolved + "\n";
    const Outcome outcome = readAll(text);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.puzzles, std::vector<std::string>(4, kSolved));
}

TEST(PuzzleReader, APuzzleShortOfCellsIsNamedByItsFirstLine) {
    const std::string shortOne = kSolved.substr(1);
    // At the end of the text.
    EXPECT_EQ(readAll(kSolved + "\n\n" + shortOne + "\n").error,
              "line 3: 80 cells; a puzzle has 81");
    // Followed by a whole one, whose first cell would have completed it.
    EXPECT_EQ(readAll("#\n" + shortOne + "\n" + kSolved + "\n").error,
              "line 2: 80 cells; a puzzle has 81");
}

TEST(PuzzleText, AnArgumentMustHoldExactly81Cells) {
    int cells = 0;
    EXPECT_TRUE(puzzleFromText(kSolved, cells));
    EXPECT_FALSE(puzzleFromText(kSolved + "1", cells));
    EXPECT_EQ(cells, 82);
    EXPECT_FALSE(puzzleFromText("--colour", cells));
    EXPECT_EQ(cells, 0);
}

}  // namespace
}  // namespace novemra

#include "puzzle/puzzle_text.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

struct Outcome {
    std::vector<std::string> puzzles;  // each as 81 digits
    std::string error;
    bool readFailed = false;
};

// Every puzzle read from fd.
Outcome readAllFrom(int fd) {
    PuzzleReader reader(fd);
    Outcome outcome;
    StoredPuzzle puzzle{};
    for (;;) {
        const PuzzleReader::Result result = reader.next(puzzle);
        if (result != PuzzleReader::Result::Puzzle) {
            if (result == PuzzleReader::Result::Error) {
                outcome.error = reader.error();
                outcome.readFailed = reader.readFailed();
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

// Every puzzle in the text, read as a stream from a file in memory.
Outcome readAll(const std::string& text) {
    const int fd = ::memfd_create("puzzles", MFD_CLOEXEC);
    EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::lseek(fd, 0, SEEK_SET);
    Outcome outcome = readAllFrom(fd);
    ::close(fd);
    return outcome;
}

const std::string kSolved(testing::kSolvedSudoku);
// Another puzzle: the solved grid with its first row blank.
const std::string kOther = std::string(9, '0') + kSolved.substr(9);

std::string nineLineGrid(const std::string& cells) {
    std::string grid;
    for (int row = 0; row < 9; ++row) {
        grid += "| " + cells.substr(static_cast<std::size_t>(row) * 9, 9) + " |\r\n";
        if (row % 3 == 2 && row < 8) {
            grid += "+-------+\n";
        }
    }
    return grid;
}

// Nine rows with '.' for a blank; with separators, as .ss files draw them
// ("..1|.2.|3.." and a dashed line between bands).
std::string savedGrid(const std::string& cells, bool separators) {
    std::string grid;
    for (std::size_t row = 0; row < 9; ++row) {
        for (std::size_t column = 0; column < 9; ++column) {
            const char ch = cells[row * 9 + column];
            grid += ch == '0' ? '.' : ch;
            if (separators && (column == 2 || column == 5)) {
                grid += '|';
            }
        }
        grid += '\n';
        if (separators && (row == 2 || row == 5)) {
            grid += "---+---+---\n";
        }
    }
    return grid;
}

struct ReadCase {
    const char* name;
    std::string text;
    std::vector<std::string> puzzles;
    std::string error;
};

void PrintTo(const ReadCase& readCase, std::ostream* out) {
    *out << readCase.name;
}

class PuzzleFiles : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PuzzleFiles, AreReadAsCollectionsWriteThem) {
    const ReadCase& expected = GetParam();
    const Outcome outcome = readAll(expected.text);
    EXPECT_EQ(outcome.error, expected.error);
    EXPECT_EQ(outcome.puzzles, expected.puzzles);
}

std::string withoutLastLineEnd(std::string text) {
    text.resize(text.size() - 2);  // "\r\n"
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PuzzleFiles,
    ::testing::Values(
        // A megabyte of comment and of skipped characters is streamed past.
        ReadCase{"comments_and_noise",
                 std::string("# ").append(1 << 20, '7').append("\n").append(1 << 20, 'a') +
                     kSolved + "\n\n" + nineLineGrid(kOther),
                 {kSolved, kOther},
                 ""},
        // What follows 81 cells on their line is not a puzzle: a rating, a
        // comment, the solution column of a CSV file, a second puzzle.
        ReadCase{"ratings_and_comments_after_a_puzzle",
                 kOther + " # 17 clues\n" + kOther + "\t4.5\n" + kOther + kSolved + "\n",
                 {kOther, kOther, kOther},
                 ""},
        // A label or id before the puzzle is not cells: the field of 81
        // cells is the puzzle (id-first CSV with id 0, numbered lists,
        // titles); with two such fields, the first.
        ReadCase{"id_first_csv",
                 "id,puzzle,solution,clues,difficulty\n0," + kOther + "," + kSolved +
                     ",17,2.3\n12," + kOther + "," + kSolved + ",17,0\n",
                 {kOther, kOther},
                 ""},
        // A header naming the puzzle column decides between two fields of
        // 81 cells, whatever their order.
        ReadCase{"csv_puzzle_column_named_in_the_header",
                 "solutions,\"Quizzes\"\n" + kSolved + "," + kOther + "\n",
                 {kOther},
                 ""},
        ReadCase{"numbered_and_titled",
                 "1. " + kOther + "\nPuzzle 12: " + kSolved + "\n",
                 {kOther, kSolved},
                 ""},
        // Rows spaced out on one line: no field of 81, so the line's cells.
        ReadCase{"spaced_rows_on_one_line",
                 kOther.substr(0, 9) + " " + kOther.substr(9, 36) + " " + kOther.substr(45) + "\n",
                 {kOther},
                 ""},
        // The forms other programs save puzzles in: SadMan's .sdk with its
        // tags, Simple Sudoku's .ss grid, an OpenSudoku XML export, and
        // Debian's sudoku with a '%' title holding digits.
        ReadCase{"sdk_ss_opensudoku_and_titled",
                 "#ASomebody 2\n#D12 clues\n[Puzzle]\n" + savedGrid(kOther, false) +
                     savedGrid(kOther, true) + "<opensudoku><game created=\"1262349091\" data=\"" +
                     kOther + "\" state=\"0\"/></opensudoku>\n%hard 12\n" +
                     savedGrid(kSolved, false),
                 {kOther, kOther, kOther, kSolved},
                 ""},
        ReadCase{"csv_with_a_header",
                 "quizzes,solutions\n" + kOther + "," + kSolved + "\n",
                 {kOther},
                 ""},
        ReadCase{"byte_order_mark_before_a_comment",
                 "\xEF\xBB\xBF# 1 2 3\n" + kOther + "\n",
                 {kOther},
                 ""},
        // The end of the file may come right after the last cell.
        ReadCase{
            "grid_without_a_last_line_end", withoutLastLineEnd(nineLineGrid(kOther)), {kOther}, ""},
        ReadCase{"line_without_a_line_end", kSolved, {kSolved}, ""},
        // CR alone (old Mac files), LF and CR LF all end a line, and CR LF
        // only one: the short puzzle is named by its own line.
        ReadCase{"carriage_returns_alone_end_lines",
                 kSolved + "\r" + kOther + "\r" + kSolved + "\r",
                 {kSolved, kOther, kSolved},
                 ""},
        ReadCase{"mixed_line_ends_counted_once",
                 kSolved + "\r\n" + kOther + "\r\r" + kSolved.substr(1) + "\n",
                 {kSolved, kOther},
                 "line 4: 80 cells; a puzzle has 81"},
        // A puzzle spread over lines must end where a line ends; it is
        // named by the line it began on.
        ReadCase{"short_line_then_a_whole_one",
                 "#\n" + kSolved.substr(1) + "\n" + kSolved + "\n",
                 {},
                 "line 2: 80 cells; a puzzle has 81"},
        ReadCase{"short_puzzle_at_the_end",
                 kSolved + "\n\n" + kSolved.substr(1) + "\n",
                 {kSolved},
                 "line 3: 80 cells; a puzzle has 81"},
        // Nine cells on each line of a grid: a row of 10 and one of 8 are
        // named, not read as one shifted puzzle.
        ReadCase{"grid_with_a_long_row_and_a_short_one",
                 "# grid\n" + kOther.substr(0, 9) + "\n" + kOther.substr(9, 10) + "\n" +
                     kOther.substr(19, 8) + "\n" + kOther.substr(27) + "\n",
                 {},
                 "line 3: 10 cells; a puzzle has 81"},
        ReadCase{"one_cell_at_the_end",
                 kSolved + "\n5\n",
                 {kSolved},
                 "line 2: 1 cell; a puzzle has 81"}),
    [](const auto& info) { return std::string(info.param.name); });

// A descriptor that cannot be read is an error, never the end of the puzzles.
TEST(PuzzleReader, AReadErrorIsNotTheEnd) {
    const int directory = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(directory, 0);
    const Outcome outcome = readAllFrom(directory);
    ::close(directory);
    EXPECT_TRUE(outcome.readFailed);
    EXPECT_EQ(outcome.error, std::strerror(EISDIR));
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

// Puzzles written as text, as people keep them: one per line
// ("0164000002000090..."), or as a 9-line grid with or without separators.
// '1'-'9' are givens, '0' and '.' blanks, and every other character is
// skipped; every 81 cells make one puzzle.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "puzzle/grid.hpp"
#include "puzzle/test_puzzles.hpp"

namespace novemra {

// The value a character gives a cell: 0 a blank, 1..9 a given; -1 for a
// character that is skipped.
int cellValue(char ch);

// The one puzzle a text holds, or none when it does not hold exactly 81
// cells (cells then says how many it holds).
std::optional<StoredPuzzle> puzzleFromText(std::string_view text, int& cells);

// Reads puzzles from a file descriptor as it goes, in memory that does not
// grow with the length of a line or of what is skipped. Lines that start
// with '#' (after a UTF-8 byte-order mark on the first line) are comments.
// A line holding 81 cells or more is one puzzle: the first of its fields
// (parted by blanks, commas or semicolons) that holds exactly 81 cells, so
// that an id or label before it ("0,PUZZLE,...", "1. PUZZLE") is not read
// as cells (in a CSV file whose header names a "puzzle" or "quizzes"
// column, that column's); or, when no field holds 81, the line's first 81
// cells. The
// rest of the line (a rating, a comment, the solution column of a CSV file)
// is ignored. A puzzle may also be spread over lines, such as a 9-line
// grid, with nine cells on each.
class PuzzleReader {
  public:
    // Runs before every read that may wait for input (to send answers that
    // are ready, or to wait for the input while answering the user); false
    // stops the reading.
    using BeforeRead = std::function<bool()>;

    // Reads from fd, which stays the caller's.
    explicit PuzzleReader(int fd, BeforeRead beforeRead = nullptr)
        : fd_(fd), beforeRead_(std::move(beforeRead)) {}
    void setBeforeRead(BeforeRead beforeRead) { beforeRead_ = std::move(beforeRead); }

    // Stopped: beforeRead said to stop; next() may be called again.
    enum class Result { Puzzle, End, Error, Stopped };
    // The next puzzle into puzzle; End after the last one; Error when the
    // text is not a whole number of puzzles or cannot be read (see error()).
    Result next(StoredPuzzle& puzzle);
    // For Error: "line 3: 80 cells; a puzzle has 81", or, when readFailed(),
    // the reason the descriptor could not be read.
    const std::string& error() const { return error_; }
    bool readFailed() const { return readFailed_; }
    // The line the last puzzle read began on.
    std::int64_t puzzleLine() const { return startLine_; }

  private:
    // The next byte, or -1 at the end or on a read error.
    int get();
    Result fail(std::int64_t line, int cells);

    int fd_;
    BeforeRead beforeRead_;
    bool stopped_ = false;
    std::array<char, 1 << 16> buffer_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool readFailed_ = false;
    int readErrno_ = 0;
    // Bytes of a leading byte-order mark matched so far; -1 once the text
    // has shown it has none.
    int markMatched_ = 0;
    std::string error_;

    std::int64_t line_ = 1;
    bool atLineStart_ = true;
    // The last byte ended a line with CR: an LF now ends no other.
    bool afterCarriageReturn_ = false;
    // The rest of the line is skipped: a comment, or what follows a puzzle
    // that the line held whole.
    bool skippingLine_ = false;

    // The puzzle being read: its cells, the line it began on, and how many
    // cells it had before line_.
    StoredPuzzle cells_{};
    int count_ = 0;
    std::int64_t startLine_ = 0;
    int cellsBeforeLine_ = 0;
    // A complete puzzle that began on an earlier line, held until its line
    // ends: more cells on that line mean it was not what it seemed (a line
    // of 80 cells followed by one of 81).
    bool completeUntilLineEnd_ = false;

    // The fields of the line: the one being read, and the first that held
    // exactly 81 cells. A puzzle whole on its line waits for the line's end
    // to choose between that field and its first 81 cells.
    StoredPuzzle field_{};
    int fieldCount_ = 0;
    StoredPuzzle chosenField_{};
    bool fieldChosen_ = false;
    bool wholeOnLine_ = false;

    // A CSV file's puzzle column, named "puzzle" or "quizzes" in its
    // header; -1 when there is none. The commas so far on this line, and
    // the start of a line without cells, kept to read a header from.
    int puzzleColumn_ = -1;
    int commas_ = 0;
    int lineCellsSeen_ = 0;
    std::string headerText_;
    StoredPuzzle columnField_{};
    bool columnChosen_ = false;

    void endField();
    void readHeader();
    // The puzzle a line that held one whole gives, and a fresh line state.
    void takeWholeLine(StoredPuzzle& puzzle);
};

}  // namespace novemra

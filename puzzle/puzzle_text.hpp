// Puzzles written as text, as people keep them: one per line
// ("0164000002000090..."), or as a 9-line grid with or without separators.
// '1'-'9' are givens, '0' and '.' blanks, and every other character is
// skipped; every 81 cells make one puzzle.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "puzzle/grid.hpp"
#include "puzzle/test_puzzles.hpp"

namespace novemra {

constexpr int kPuzzleCells = kGridSize * kGridSize;

// The value a character gives a cell: 0 a blank, 1..9 a given; -1 for a
// character that is skipped.
int cellValue(char ch);

// The one puzzle a text holds, or none when it does not hold exactly 81
// cells (cells then says how many it holds).
std::optional<StoredPuzzle> puzzleFromText(std::string_view text, int& cells);

// Reads puzzles from a stream as it goes: what it keeps does not grow with
// the length of a line or of what is skipped. Lines that start with '#' are
// comments.
class PuzzleReader {
  public:
    // Reads from in, which stays the caller's.
    explicit PuzzleReader(std::FILE* in) : in_(in) {}

    enum class Result { Puzzle, End, Error };
    // The next puzzle into puzzle; End after the last one; Error when the
    // text is not a whole number of puzzles (see error()) or cannot be read.
    Result next(StoredPuzzle& puzzle);
    // For Error: "line 3: 80 cells; a puzzle has 81", or the reason the
    // stream could not be read.
    const std::string& error() const { return error_; }
    // The line the last puzzle read began on.
    int puzzleLine() const { return startLine_; }

  private:
    // The next character, or EOF.
    int get();
    Result fail(int line, int cells);

    std::FILE* in_;
    std::string error_;
    int line_ = 1;
    bool atLineStart_ = true;
    bool inComment_ = false;
    int cellsOnLine_ = 0;

    // The puzzle being read: its cells, the line it began on, whether it
    // began with its line, and how many cells it had before line_.
    StoredPuzzle cells_{};
    int count_ = 0;
    int startLine_ = 0;
    bool startedWithLine_ = false;
    int cellsBeforeLine_ = 0;
    // A complete puzzle that began with an earlier line, held until its
    // line ends: more cells on that line mean it was not what it seemed
    // (a line of 80 cells followed by one of 81).
    bool holding_ = false;
};

}  // namespace novemra

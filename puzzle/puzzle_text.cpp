#include "puzzle/puzzle_text.hpp"

#include <cerrno>
#include <cstring>

namespace novemra {

namespace {

// In a puzzle written as text a dot is a blank too, as most puzzle sites
// write one.
constexpr char kDotBlank = '.';
constexpr char kComment = '#';

}  // namespace

int cellValue(char ch) {
    if (ch == kDotBlank) {
        return kBlank;
    }
    return ch >= '0' && ch <= '9' ? ch - '0' : -1;
}

std::optional<StoredPuzzle> puzzleFromText(std::string_view text, int& cells) {
    StoredPuzzle puzzle{};
    cells = 0;
    for (const char ch : text) {
        const int value = cellValue(ch);
        if (value < 0) {
            continue;
        }
        if (cells < kPuzzleCells) {
            puzzle[static_cast<std::size_t>(cells)] = value;
        }
        ++cells;
    }
    if (cells != kPuzzleCells) {
        return std::nullopt;
    }
    return puzzle;
}

int PuzzleReader::get() {
    return std::getc(in_);
}

PuzzleReader::Result PuzzleReader::fail(int line, int cells) {
    error_ = "line " + std::to_string(line) + ": " + std::to_string(cells) +
             " cells; a puzzle has " + std::to_string(kPuzzleCells);
    return Result::Error;
}

PuzzleReader::Result PuzzleReader::next(StoredPuzzle& puzzle) {
    for (;;) {
        const int ch = get();
        if (ch == EOF) {
            if (std::ferror(in_) != 0) {
                error_ = std::strerror(errno);
                return Result::Error;
            }
            if (holding_) {
                holding_ = false;
                count_ = 0;
                puzzle = cells_;
                return Result::Puzzle;
            }
            return count_ == 0 ? Result::End : fail(startLine_, count_);
        }
        if (ch == '\n') {
            ++line_;
            atLineStart_ = true;
            inComment_ = false;
            cellsOnLine_ = 0;
            cellsBeforeLine_ = count_;
            if (holding_) {
                holding_ = false;
                count_ = 0;
                puzzle = cells_;
                return Result::Puzzle;
            }
            continue;
        }
        if (inComment_ || (atLineStart_ && ch == kComment)) {
            inComment_ = true;
            continue;
        }
        atLineStart_ = false;
        const int value = cellValue(static_cast<char>(ch));
        if (value < 0) {
            continue;
        }
        if (holding_) {
            // The puzzle ended inside this line, though it began with an
            // earlier one: that line held too few cells.
            return fail(startLine_, cellsBeforeLine_);
        }
        if (count_ == 0) {
            startLine_ = line_;
            startedWithLine_ = cellsOnLine_ == 0;
            cellsBeforeLine_ = 0;
        }
        ++cellsOnLine_;
        cells_[static_cast<std::size_t>(count_++)] = value;
        if (count_ < kPuzzleCells) {
            continue;
        }
        if (startedWithLine_ && startLine_ < line_) {
            holding_ = true;  // until its line ends
            continue;
        }
        count_ = 0;
        puzzle = cells_;
        return Result::Puzzle;
    }
}

}  // namespace novemra

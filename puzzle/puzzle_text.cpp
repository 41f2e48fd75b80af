#include "puzzle/puzzle_text.hpp"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "console/shown_text.hpp"

namespace novemra {

namespace {

// In a puzzle written as text a dot is a blank too, as most puzzle sites
// write one.
constexpr char kDotBlank = '.';
constexpr char kComment = '#';
// How much of a line without cells is kept to read a CSV header from.
constexpr std::size_t kHeaderLength = 512;
// Debian's sudoku program starts a saved puzzle's title line with '%'.
constexpr char kTitle = '%';

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
        if (cells < kCellCount) {
            puzzle[static_cast<std::size_t>(cells)] = value;
        }
        ++cells;
    }
    if (cells != kCellCount) {
        return std::nullopt;
    }
    return puzzle;
}

int PuzzleReader::get() {
    if (position_ == end_) {
        if (atEnd_ || readFailed_) {
            return -1;
        }
        if (beforeRead_ && !beforeRead_()) {
            stopped_ = true;
            return -1;
        }
        ssize_t count = 0;
        do {
            count = ::read(fd_, buffer_.data(), buffer_.size());
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            atEnd_ = count == 0;
            readFailed_ = count < 0;
            readErrno_ = errno;
            return -1;
        }
        position_ = 0;
        end_ = static_cast<std::size_t>(count);
    }
    return static_cast<unsigned char>(buffer_[position_++]);
}

PuzzleReader::Result PuzzleReader::fail(std::int64_t line, int cells) {
    error_ = "line " + std::to_string(line) + ": " + cellCountText(cells);
    return Result::Error;
}

void PuzzleReader::endField() {
    if (fieldCount_ == kCellCount && !fieldChosen_) {
        chosenField_ = field_;
        fieldChosen_ = true;
    }
    if (fieldCount_ == kCellCount && commas_ == puzzleColumn_) {
        columnField_ = field_;
        columnChosen_ = true;
    }
    fieldCount_ = 0;
}

void PuzzleReader::readHeader() {
    // "id,puzzle,solution,clues,difficulty": the puzzle column's index.
    int column = 0;
    std::string name;
    const auto endName = [&] {
        if (name == "puzzle" || name == "quizzes") {
            puzzleColumn_ = column;
        }
        name.clear();
        ++column;
    };
    for (const char ch : headerText_) {
        if (ch == ',') {
            endName();
        } else if (ch != ' ' && ch != '"' && ch != '\r') {
            name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
        }
    }
    endName();
}

void PuzzleReader::takeWholeLine(StoredPuzzle& puzzle) {
    endField();
    puzzle = columnChosen_ ? columnField_ : fieldChosen_ ? chosenField_ : cells_;
    fieldChosen_ = false;
    columnChosen_ = false;
    commas_ = 0;
    lineCellsSeen_ = 0;
    headerText_.clear();
    wholeOnLine_ = false;
    count_ = 0;
}

PuzzleReader::Result PuzzleReader::next(StoredPuzzle& puzzle) {
    static constexpr std::array<int, 3> kByteOrderMark{0xEF, 0xBB, 0xBF};
    for (;;) {
        const int ch = get();
        if (ch < 0) {
            if (stopped_) {
                // What was read so far stays, for a later call to go on.
                stopped_ = false;
                return Result::Stopped;
            }
            if (readFailed_) {
                error_ = std::strerror(readErrno_);
                return Result::Error;
            }
            if (completeUntilLineEnd_) {
                if (count_ - cellsBeforeLine_ != kGridSize) {
                    return fail(line_, count_ - cellsBeforeLine_);
                }
                completeUntilLineEnd_ = false;
                count_ = 0;
                puzzle = cells_;
                return Result::Puzzle;
            }
            if (wholeOnLine_) {
                takeWholeLine(puzzle);
                return Result::Puzzle;
            }
            return count_ == 0 ? Result::End : fail(startLine_, count_);
        }
        if (markMatched_ >= 0) {
            // A byte-order mark leaves the first line's start where it is,
            // so a comment there is still a comment.
            if (markMatched_ < 3 && ch == kByteOrderMark[static_cast<std::size_t>(markMatched_)]) {
                ++markMatched_;
                continue;
            }
            markMatched_ = -1;
        }
        // CR, LF and CR LF each end a line (old Mac files end them with CR
        // alone).
        if (ch == '\n' && afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            continue;
        }
        afterCarriageReturn_ = ch == '\r';
        if (ch == '\n' || ch == '\r') {
            ++line_;
            atLineStart_ = true;
            skippingLine_ = false;
            if (wholeOnLine_) {
                takeWholeLine(puzzle);
                return Result::Puzzle;
            }
            endField();
            fieldChosen_ = false;
            columnChosen_ = false;
            if (lineCellsSeen_ == 0 && headerText_.find(',') != std::string::npos) {
                readHeader();
            }
            lineCellsSeen_ = 0;
            commas_ = 0;
            headerText_.clear();
            // A puzzle spread over lines has nine cells on each: a grid
            // with a long row and a short one is two bad rows, not one
            // shifted puzzle.
            const int lineCells = count_ - cellsBeforeLine_;
            if (count_ > 0 && lineCells != 0 && lineCells != kGridSize) {
                return fail(line_ - 1, lineCells);
            }
            cellsBeforeLine_ = count_;
            if (completeUntilLineEnd_) {
                completeUntilLineEnd_ = false;
                count_ = 0;
                puzzle = cells_;
                return Result::Puzzle;
            }
            continue;
        }
        if (skippingLine_) {
            continue;
        }
        if (atLineStart_ && (ch == kComment || ch == kTitle)) {
            skippingLine_ = true;
            continue;
        }
        atLineStart_ = false;
        const int value = cellValue(static_cast<char>(ch));
        if (value < 0) {
            // Fields part at blanks, CSV separators, and the quotes and
            // equals signs of an XML attribute (<game data="..."/>).
            if (ch == ' ' || ch == '\t' || ch == ',' || ch == ';' || ch == '"' || ch == '=') {
                endField();
            }
            commas_ += ch == ',' ? 1 : 0;
            if (lineCellsSeen_ == 0 && headerText_.size() < kHeaderLength) {
                headerText_.push_back(static_cast<char>(ch));
            }
            continue;
        }
        ++lineCellsSeen_;
        // Counted to one past 81: a field longer than a puzzle is none.
        if (fieldCount_ < kCellCount) {
            field_[static_cast<std::size_t>(fieldCount_)] = value;
        }
        fieldCount_ = std::min(fieldCount_ + 1, kCellCount + 1);
        if (wholeOnLine_) {
            continue;  // only the fields matter now
        }
        if (completeUntilLineEnd_) {
            // The puzzle ended inside this line, though it began on an
            // earlier one: that line held too few cells.
            return fail(startLine_, cellsBeforeLine_);
        }
        if (count_ == 0) {
            startLine_ = line_;
            cellsBeforeLine_ = 0;
        }
        cells_[static_cast<std::size_t>(count_++)] = value;
        if (count_ < kCellCount) {
            continue;
        }
        if (startLine_ < line_) {
            completeUntilLineEnd_ = true;  // until its line ends
            continue;
        }
        // One line, one puzzle: which field it is shows at the line's end.
        wholeOnLine_ = true;
    }
}

}  // namespace novemra

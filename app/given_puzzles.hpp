// Puzzles given on the command line or in a file, read one at a time as
// they are needed, and the solve without a screen (--solve).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/command_line.hpp"
#include "puzzle/puzzle_text.hpp"
#include "puzzle/test_puzzles.hpp"

namespace novemra {

// The puzzles the command line gives: the puzzle argument, or each one in
// the file, in order. Holds the open file (closed when it goes) and one
// reader's buffer, however long the file.
class GivenPuzzles {
  public:
    GivenPuzzles();
    ~GivenPuzzles();
    GivenPuzzles(const GivenPuzzles&) = delete;
    GivenPuzzles& operator=(const GivenPuzzles&) = delete;

    // Takes what the command line gives; with nothing given, next() is End
    // at once. False, with the line for standard error in error, when the
    // file cannot be opened.
    bool open(const CommandLine& command, std::string& error);
    // Runs before each read of the file that may wait, given the descriptor
    // the puzzles come from; false stops that read (next() is then
    // Stopped). Null: nothing runs.
    void setBeforeRead(std::function<bool(int fd)> beforeRead);
    // Where the puzzles come from: "standard input", or the file's name.
    const std::string& label() const { return label_; }

    enum class Result { Puzzle, End, Error, Stopped };
    // The next puzzle. Error, with the line for standard error in error,
    // when the file cannot be read, is not a whole number of puzzles, or
    // holds none at all.
    Result next(StoredPuzzle& puzzle, std::string& error);

    // The last puzzle's place for a message, "puzzles.txt line 3", or ""
    // for the puzzle argument.
    std::string lastPlace() const;

    // When the puzzles come from the same regular file that fd writes to
    // (same device and inode, as cat checks), the line that refuses it;
    // otherwise "".
    std::string sameFileAs(int fd) const;

  private:
    // A descriptor this object opened, closed when it goes.
    class OwnedFd {
      public:
        OwnedFd() = default;
        OwnedFd(const OwnedFd&) = delete;
        OwnedFd& operator=(const OwnedFd&) = delete;
        ~OwnedFd();
        void reset(int fd);

      private:
        int fd_ = -1;
    };

    std::optional<StoredPuzzle> argument_;
    OwnedFd owned_;
    int fd_ = -1;
    std::string label_;
    std::unique_ptr<PuzzleReader> reader_;
    bool anyRead_ = false;
};

// True when fd has something to read now (or its end, or an error, which
// the read then reports): a read of it will not wait.
bool readableNow(int fd);

struct PuzzleAnswer {
    bool solved = false;
    bool severalSolutions = false;
    // The answer's digits, when solved.
    CellValues solution{};
};

// The line --solve writes for one puzzle, ended by a line feed: the answer
// the screen's search ends with.
PuzzleAnswer answerPuzzle(const StoredPuzzle& given, std::string& line);

// Solves each given puzzle as it is read and writes one line for each to
// out: its solution as 81 digits (the first in reading order when there are
// several, which err names), or "unsolvable". Answers that are ready go out
// before the input is waited for. Returns the exit status: 0 when every
// puzzle was solved, 1 when any was unsolvable, 2 when the input was bad
// or an answer could not be written (named on err; nothing more is read).
int solveWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err);

}  // namespace novemra

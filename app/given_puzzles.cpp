#include "app/given_puzzles.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/check_output.hpp"
#include "app/each_puzzle.hpp"
#include "solver/first_solution.hpp"

namespace novemra {

namespace {

std::string cannotRead(const std::string& label, const std::string& reason) {
    return "novemra: cannot read " + label + ": " + reason;
}

}  // namespace

GivenPuzzles::OwnedFd::~OwnedFd() {
    reset(-1);
}

void GivenPuzzles::OwnedFd::reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

GivenPuzzles::GivenPuzzles() = default;
GivenPuzzles::~GivenPuzzles() = default;

bool GivenPuzzles::open(const CommandLine& command, std::string& error) {
    if (command.puzzle) {
        argument_ = command.puzzle;
        return true;
    }
    if (!command.file) {
        return true;
    }
    if (*command.file == "-") {
        label_ = "standard input";
        fd_ = STDIN_FILENO;
        // Keystrokes are no puzzle file: refused at once, as tools that
        // read data from standard input do, rather than waiting silently.
        if (::isatty(fd_) != 0) {
            error =
                "novemra: standard input is a terminal; give -f a file, or pipe the puzzles "
                "in (novemra -f - < FILE)";
            return false;
        }
    } else {
        label_ = shownPath(*command.file);
        fd_ = ::open(command.file->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) {
            error = cannotRead(label_, std::strerror(errno));
            return false;
        }
        owned_.reset(fd_);
    }
    reader_ = std::make_unique<PuzzleReader>(fd_);
    return true;
}

GivenPuzzles::Result GivenPuzzles::next(StoredPuzzle& puzzle, std::string& error) {
    if (argument_) {
        puzzle = *argument_;
        argument_.reset();
        return Result::Puzzle;
    }
    if (!reader_) {
        return Result::End;
    }
    switch (reader_->next(puzzle)) {
        case PuzzleReader::Result::Puzzle:
            anyRead_ = true;
            return Result::Puzzle;
        case PuzzleReader::Result::End:
            if (anyRead_) {
                return Result::End;
            }
            error = "novemra: no puzzle in " + label_;
            return Result::Error;
        case PuzzleReader::Result::Stopped:
            return Result::Stopped;
        case PuzzleReader::Result::Error:
            break;
    }
    if (reader_->readFailed()) {
        error = cannotRead(label_, reader_->error());
    } else {
        error = "novemra: " + label_ + " " + reader_->error();
    }
    return Result::Error;
}

bool readableNow(int fd) {
    pollfd input{fd, POLLIN, 0};
    return ::poll(&input, 1, 0) != 0;
}

void GivenPuzzles::setBeforeRead(std::function<bool(int fd)> beforeRead) {
    if (!reader_) {
        return;
    }
    if (!beforeRead) {
        reader_->setBeforeRead(nullptr);
        return;
    }
    reader_->setBeforeRead([this, beforeRead = std::move(beforeRead)] { return beforeRead(fd_); });
}

std::string GivenPuzzles::sameFileAs(int fd) const {
    struct stat input {};
    struct stat output {};
    if (fd_ < 0 || ::fstat(fd_, &input) != 0 || ::fstat(fd, &output) != 0 ||
        !S_ISREG(output.st_mode) || input.st_dev != output.st_dev ||
        input.st_ino != output.st_ino) {
        return "";
    }
    // Answers appended to the file they are read from would be read back
    // as puzzles until the disk is full.
    return "novemra: " + label_ + ": input file is output file";
}

std::string GivenPuzzles::lastPlace() const {
    if (!reader_) {
        return "";
    }
    return label_ + " line " + std::to_string(reader_->puzzleLine());
}

PuzzleAnswer answerPuzzle(const StoredPuzzle& given, std::string& line) {
    StoredPuzzle solution{};
    SolveStatus status = SolveStatus::NotSolved;
    const FirstSolution first = solveFirstInReadingOrder(given, solution, status);
    line.clear();
    if (status != SolveStatus::Solved) {
        line = "unsolvable\n";
        return {};
    }
    line.resize(solution.size() + 1);
    for (std::size_t cell = 0; cell < solution.size(); ++cell) {
        line[cell] = static_cast<char>('0' + solution[cell]);
    }
    line.back() = '\n';
    return {true, first.severalSolutions, solution};
}

int solveWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err) {
    return replyToEachPuzzle(
        command, out, err,
        [](const StoredPuzzle& puzzle, PuzzleReply& reply) {
            const PuzzleAnswer answer = answerPuzzle(puzzle, reply.text);
            if (!answer.solved) {
                reply.outcome = PuzzleReply::Outcome::NoSolution;
            } else if (answer.severalSolutions) {
                // Solved all the same; the note names where the next
                // solution in order differs from this one.
                reply.note =
                    "several solutions; the first two differ at " +
                    differingCells(answer.solution, secondInReadingOrder(puzzle, answer.solution));
            }
        },
        0);
}

}  // namespace novemra

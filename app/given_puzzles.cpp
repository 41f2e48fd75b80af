#include "app/given_puzzles.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/check_output.hpp"
#include "solver/first_solution.hpp"

namespace novemra {

namespace {

constexpr int kExitUnsolvable = 1;
constexpr int kExitTrouble = 2;

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

bool GivenPuzzles::open(const CommandLine& command, std::string& error,
                        std::function<void()> beforeRead) {
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
        label_ = shownText(*command.file);
        fd_ = ::open(command.file->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) {
            error = cannotRead(label_, std::strerror(errno));
            return false;
        }
        owned_.reset(fd_);
    }
    reader_ = std::make_unique<PuzzleReader>(fd_, std::move(beforeRead));
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
            error = "novemra: " + label_ + ": no puzzle in it";
            return Result::Error;
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
    return {true, first.severalSolutions};
}

int solveWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err) {
    // The first failed write ends the run: answers that cannot be delivered
    // are not worth computing, and a lost answer must not look like success.
    int writeError = 0;
    const auto sendAnswers = [&] {
        if (writeError == 0 && std::fflush(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    };
    const auto finish = [&](int status) {
        sendAnswers();
        if (writeError != 0) {
            std::fprintf(err, "novemra: cannot write the answers: %s\n", std::strerror(writeError));
            return kExitTrouble;
        }
        return status;
    };

    GivenPuzzles given;
    std::string error;
    if (!given.open(command, error, sendAnswers)) {
        std::fprintf(err, "%s\n", error.c_str());
        return kExitTrouble;
    }
    if (const std::string same = given.sameFileAs(::fileno(out)); !same.empty()) {
        std::fprintf(err, "%s\n", same.c_str());
        return kExitTrouble;
    }
    bool anyUnsolvable = false;
    std::string line;
    StoredPuzzle puzzle{};
    while (writeError == 0) {
        const GivenPuzzles::Result result = given.next(puzzle, error);
        if (result == GivenPuzzles::Result::End) {
            break;
        }
        if (result == GivenPuzzles::Result::Error) {
            // The answers so far go out first, then the reason.
            sendAnswers();
            std::fprintf(err, "%s\n", error.c_str());
            return finish(kExitTrouble);
        }
        const PuzzleAnswer answer = answerPuzzle(puzzle, line);
        anyUnsolvable = anyUnsolvable || !answer.solved;
        errno = 0;
        if (std::fputs(line.c_str(), out) < 0 || std::ferror(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
            break;
        }
        if (answer.severalSolutions) {
            // After the answer it is about, on the other stream, with the
            // cells where the next solution in order differs.
            sendAnswers();
            const std::string place = given.lastPlace();
            CellValues first{};
            SolveStatus status = SolveStatus::NotSolved;
            solveFirstInReadingOrder(puzzle, first, status);
            const std::string cells = differingCells(first, secondInReadingOrder(puzzle, first));
            std::fprintf(err, "novemra: %s%sseveral solutions; the first two differ at %s\n",
                         place.c_str(), place.empty() ? "the puzzle has " : ": ", cells.c_str());
        }
    }
    return finish(anyUnsolvable ? kExitUnsolvable : 0);
}

}  // namespace novemra

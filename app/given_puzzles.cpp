#include "app/given_puzzles.hpp"

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include "puzzle/puzzle_text.hpp"
#include "solver/first_solution.hpp"

namespace novemra {

namespace {

constexpr int kExitUnsolvable = 1;
constexpr int kExitBadInput = 2;

// The puzzle file named on the command line, open for reading: standard
// input for "-". Closed when it goes.
class PuzzleSource {
  public:
    explicit PuzzleSource(const std::string& name) {
        if (name == "-") {
            label_ = "standard input";
            in_ = stdin;
            return;
        }
        label_ = name;
        owned_.reset(std::fopen(name.c_str(), "r"));
        if (!owned_) {
            error_ = "novemra: cannot read " + name + ": " + std::strerror(errno);
        }
        in_ = owned_.get();
    }

    bool opened() const { return in_ != nullptr; }
    std::FILE* stream() const { return in_; }
    const std::string& openError() const { return error_; }
    // "novemra: puzzles.txt line 3: 80 cells; a puzzle has 81".
    std::string readError(const PuzzleReader& reader) const {
        return "novemra: " + label_ + " " + reader.error();
    }
    std::string emptyError() const { return "novemra: " + label_ + ": no puzzle in it"; }
    const std::string& label() const { return label_; }

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string label_;
    std::string error_;
    std::unique_ptr<std::FILE, Closer> owned_;
    std::FILE* in_ = nullptr;
};

// Where a puzzle came from, to name it on standard error: the file's label
// and the line it began on, or no label for the puzzle argument.
struct PuzzleOrigin {
    std::string_view label;
    int line = 0;
};

// Calls take with each puzzle the command line gives, as it is read.
// False with error set when the input is bad.
bool forEachGivenPuzzle(const CommandLine& command,
                        const std::function<void(const StoredPuzzle&, const PuzzleOrigin&)>& take,
                        std::string& error) {
    if (command.puzzle) {
        take(*command.puzzle, PuzzleOrigin{});
        return true;
    }
    if (!command.file) {
        return true;
    }
    PuzzleSource source(*command.file);
    if (!source.opened()) {
        error = source.openError();
        return false;
    }
    PuzzleReader reader(source.stream());
    StoredPuzzle puzzle{};
    bool any = false;
    for (;;) {
        switch (reader.next(puzzle)) {
            case PuzzleReader::Result::Puzzle:
                any = true;
                take(puzzle, PuzzleOrigin{source.label(), reader.puzzleLine()});
                continue;
            case PuzzleReader::Result::Error:
                error = source.readError(reader);
                return false;
            case PuzzleReader::Result::End:
                if (!any) {
                    error = source.emptyError();
                    return false;
                }
                return true;
        }
    }
}

}  // namespace

bool readGivenPuzzles(const CommandLine& command, std::vector<StoredPuzzle>& puzzles,
                      std::string& error) {
    std::vector<StoredPuzzle> read;
    if (!forEachGivenPuzzle(
            command,
            [&read](const StoredPuzzle& puzzle, const PuzzleOrigin&) { read.push_back(puzzle); },
            error)) {
        return false;
    }
    puzzles = std::move(read);
    return true;
}

PuzzleAnswer answerPuzzle(const StoredPuzzle& given, std::string& line) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillPuzzle(puzzle, given);
    // The answer the screen's search ends with, found directly.
    const FirstSolution first = solveFirstInOrder(puzzle);
    line.clear();
    if (puzzle.status != SolveStatus::Solved) {
        line = "unsolvable\n";
        return {};
    }
    for (int row = 1; row <= kGridSize; ++row) {
        for (int column = 1; column <= kGridSize; ++column) {
            line.push_back(static_cast<char>('0' + puzzle.grid.at(row, column)));
        }
    }
    line.push_back('\n');
    return {true, first.severalSolutions};
}

int solveWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err) {
    bool anyUnsolvable = false;
    std::string line;
    std::string error;
    const bool read = forEachGivenPuzzle(
        command,
        [&](const StoredPuzzle& given, const PuzzleOrigin& origin) {
            const PuzzleAnswer answer = answerPuzzle(given, line);
            anyUnsolvable = anyUnsolvable || !answer.solved;
            std::fputs(line.c_str(), out);
            if (answer.severalSolutions) {
                // After the answer it is about, on the other stream.
                std::fflush(out);
                if (origin.label.empty()) {
                    std::fputs("novemra: the puzzle has several solutions\n", err);
                } else {
                    std::fprintf(err, "novemra: %.*s line %d: several solutions\n",
                                 static_cast<int>(origin.label.size()), origin.label.data(),
                                 origin.line);
                }
            }
        },
        error);
    if (std::fflush(out) != 0 && read) {
        std::fprintf(err, "novemra: cannot write the answers: %s\n", std::strerror(errno));
        return kExitBadInput;
    }
    if (!read) {
        std::fprintf(err, "%s\n", error.c_str());
        return kExitBadInput;
    }
    return anyUnsolvable ? kExitUnsolvable : 0;
}

}  // namespace novemra

#include "app/check_output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/given_puzzles.hpp"
#include "solver/digit_search.hpp"
#include "solver/first_solution.hpp"

namespace novemra {

namespace {

constexpr int kExitUnsolvable = 1;
constexpr int kExitTrouble = 2;
constexpr int kExitSeveral = 3;

std::string cellName(std::size_t cell) {
    std::string name = "r0c0";
    name[1] = static_cast<char>('1' + cell / kGridSize);
    name[3] = static_cast<char>('1' + cell % kGridSize);
    return name;
}

}  // namespace

std::string differingCells(const CellValues& first, const CellValues& second) {
    std::string cells;
    for (std::size_t cell = 0; cell < first.size(); ++cell) {
        if (first[cell] != second[cell]) {
            if (!cells.empty()) {
                cells += ' ';
            }
            cells += cellName(cell);
        }
    }
    return cells;
}

int checkWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err) {
    int writeError = 0;
    const auto flush = [&] {
        if (writeError == 0 && std::fflush(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    };
    GivenPuzzles given;
    std::string error;
    if (!given.open(command, error, flush)) {
        std::fprintf(err, "%s\n", error.c_str());
        return kExitTrouble;
    }
    if (const std::string same = given.sameFileAs(::fileno(out)); !same.empty()) {
        std::fprintf(err, "%s\n", same.c_str());
        return kExitTrouble;
    }
    bool anyUnsolvable = false;
    bool anySeveral = false;
    StoredPuzzle puzzle{};
    int status = 0;
    while (writeError == 0) {
        const GivenPuzzles::Result result = given.next(puzzle, error);
        if (result == GivenPuzzles::Result::End) {
            break;
        }
        if (result == GivenPuzzles::Result::Error) {
            flush();
            std::fprintf(err, "%s\n", error.c_str());
            status = kExitTrouble;
            break;
        }
        CellValues first{};
        SolveStatus solved = SolveStatus::NotSolved;
        const FirstSolution answer = solveFirstInReadingOrder(puzzle, first, solved);
        std::string line;
        if (solved != SolveStatus::Solved) {
            line = "unsolvable\n";
            anyUnsolvable = true;
        } else if (!answer.severalSolutions) {
            line = "unique\n";
        } else {
            anySeveral = true;
            const std::string cells = differingCells(first, secondInReadingOrder(puzzle, first));
            if (command.countLimit == 0) {
                line = "several: " + cells + "\n";
            } else {
                CellValues any{};
                const int count =
                    countCompletions(puzzle, static_cast<int>(command.countLimit), any).completions;
                line = "several: " + std::to_string(count) +
                       (count >= command.countLimit ? " or more" : "") +
                       " solutions; first two differ at " + cells + "\n";
            }
        }
        errno = 0;
        if (std::fputs(line.c_str(), out) < 0 || std::ferror(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    }
    flush();
    if (writeError != 0) {
        std::fprintf(err, "novemra: cannot write the answers: %s\n", std::strerror(writeError));
        return kExitTrouble;
    }
    if (status != 0) {
        return status;
    }
    return anyUnsolvable ? kExitUnsolvable : anySeveral ? kExitSeveral : 0;
}

}  // namespace novemra

#include "app/check_output.hpp"

#include "app/each_puzzle.hpp"
#include "reason/board.hpp"
#include "solver/digit_search.hpp"
#include "solver/first_solution.hpp"

namespace novemra {

namespace {

constexpr int kExitSeveral = 3;

}  // namespace

std::string differingCells(const CellValues& first, const CellValues& second) {
    std::string cells;
    for (std::size_t cell = 0; cell < first.size(); ++cell) {
        if (first[cell] != second[cell]) {
            if (!cells.empty()) {
                cells += ' ';
            }
            cells += reason::cellName(static_cast<int>(cell));
        }
    }
    return cells;
}

int checkWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err) {
    const long limit = command.countLimit;
    return replyToEachPuzzle(
        command, out, err,
        [limit](const StoredPuzzle& puzzle, PuzzleReply& reply) {
            CellValues first{};
            SolveStatus solved = SolveStatus::NotSolved;
            const FirstSolution answer = solveFirstInReadingOrder(puzzle, first, solved);
            if (solved != SolveStatus::Solved) {
                reply.outcome = PuzzleReply::Outcome::NoSolution;
                reply.text = "unsolvable\n";
                return;
            }
            if (!answer.severalSolutions) {
                reply.text = "unique\n";
                return;
            }
            reply.outcome = PuzzleReply::Outcome::Several;
            const std::string cells = differingCells(first, secondInReadingOrder(puzzle, first));
            if (limit == 0) {
                reply.text = "several: " + cells + "\n";
                return;
            }
            CellValues any{};
            const int count = countCompletions(puzzle, static_cast<int>(limit), any).completions;
            reply.text = "several: " + std::to_string(count) + (count >= limit ? " or more" : "") +
                         " solutions; first two differ at " + cells + "\n";
        },
        kExitSeveral);
}

}  // namespace novemra

#include "app/reasoning_output.hpp"

#include <string>

#include "app/each_puzzle.hpp"
#include "reason/explainer.hpp"

namespace novemra {

namespace {

// The lines for one puzzle; false when it has no solution.
bool reasonedLines(const StoredPuzzle& puzzle, CommandLine::Reasoning reasoning,
                   std::string& text) {
    const reason::Explanation explanation = reason::explain(puzzle);
    switch (explanation.outcome) {
        case reason::Explanation::Outcome::Unsolvable:
            text += "unsolvable: " + explanation.unsolvable + "\n";
            return false;
        case reason::Explanation::Outcome::SeveralSolutions:
            text += "several solutions\n";
            return true;
        case reason::Explanation::Outcome::Solved:
            break;
    }
    if (reasoning == CommandLine::Reasoning::Rate) {
        text += std::string(reason::levelName(explanation.level)) + " " +
                std::to_string(explanation.score) + " " +
                std::string(reason::techniqueInfo(explanation.hardest).name) + "\n";
        return true;
    }
    for (const reason::Step& step : explanation.steps) {
        text += reason::stepLine(step) + "\n";
    }
    for (int row = 0; row < kGridSize; ++row) {
        for (int column = 0; column < kGridSize; ++column) {
            text.push_back(static_cast<char>(
                '0' + explanation.solution[static_cast<std::size_t>(row * kGridSize + column)]));
        }
        text.push_back('\n');
    }
    return true;
}

}  // namespace

int reasonWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err) {
    const CommandLine::Reasoning reasoning = command.reasoning;
    // A blank line between the explanations of two puzzles.
    const std::string_view between = reasoning == CommandLine::Reasoning::Explain ? "\n" : "";
    return replyToEachPuzzle(
        command, out, err,
        [reasoning](const StoredPuzzle& puzzle, PuzzleReply& reply) {
            if (!reasonedLines(puzzle, reasoning, reply.text)) {
                reply.outcome = PuzzleReply::Outcome::NoSolution;
            }
        },
        0, between);
}

}  // namespace novemra

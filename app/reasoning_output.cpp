#include "app/reasoning_output.hpp"

#include <cerrno>
#include <cstring>
#include <string>

#include "app/given_puzzles.hpp"
#include "reason/explainer.hpp"

namespace novemra {

namespace {

constexpr int kExitUnsolvable = 1;
constexpr int kExitTrouble = 2;

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
    bool first = true;
    StoredPuzzle puzzle{};
    std::string text;
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
        text.clear();
        if (command.reasoning == CommandLine::Reasoning::Explain && !first) {
            text += "\n";
        }
        first = false;
        anyUnsolvable = !reasonedLines(puzzle, command.reasoning, text) || anyUnsolvable;
        errno = 0;
        if (std::fputs(text.c_str(), out) < 0 || std::ferror(out) != 0) {
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
    return anyUnsolvable ? kExitUnsolvable : 0;
}

}  // namespace novemra

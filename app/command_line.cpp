#include "app/command_line.hpp"

#include <string_view>

#include "puzzle/puzzle_text.hpp"

namespace novemra {

namespace {

constexpr const char* kUsage =
    "Usage: novemra [PUZZLE | -f FILE]\n"
    "       novemra --solve (PUZZLE | -f FILE)\n"
    "       novemra --help | --version\n"
    "Watch a backtracking search solve Sudoku in the terminal.\n"
    "\n"
    "Run without arguments: pick a stored puzzle or type or paste one in,\n"
    "choose a speed and watch the search; every question takes one key.\n"
    "\n"
    "A PUZZLE is 81 cells in reading order: 1-9 a given, 0 or . a blank;\n"
    "every other character is skipped. For example:\n"
    "  novemra 000000010400000000020000000000050407008000300001090000300400200050100000000806000\n"
    "\n"
    "  -f, --file FILE  puzzles from FILE (- for standard input), one per line\n"
    "                   or as 9-line grids; lines starting with # are comments.\n"
    "                   Each run takes the next one; the keys still come from\n"
    "                   the terminal:  novemra -f - < puzzles.txt\n"
    "      --solve      no screen: print each solution as 81 digits, or\n"
    "                   'unsolvable', one line a puzzle; status 1 if any was\n"
    "                   unsolvable:  novemra --solve -f puzzles.txt\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Bad input is named on standard error with status 2.\n"
    "See novemra(6) for the keys, printing and the terminal.\n";

CommandLine refuse(std::string line) {
    CommandLine result;
    result.action = CommandLine::Action::Refuse;
    result.error = "novemra: " + std::move(line) + "\n";
    return result;
}

constexpr const char* kOneSource = "one puzzle or one file at a time; try 'novemra --help'";

CommandLine unknown(std::string_view argument) {
    return refuse("unknown argument '" + std::string(argument) + "'; try 'novemra --help'");
}

}  // namespace

CommandLine readCommandLine(std::span<const char* const> arguments) {
    CommandLine result;
    std::span<const char* const> rest = arguments.empty() ? arguments : arguments.subspan(1);
    auto word = [](const char* text) { return std::string_view(text == nullptr ? "" : text); };

    if (!rest.empty()) {
        const std::string_view first = word(rest[0]);
        const bool help = first == "--help" || first == "-h";
        const bool version = first == "--version" || first == "-V";
        if (help || version) {
            if (rest.size() > 1) {
                return unknown(word(rest[1]));
            }
            result.action = help ? CommandLine::Action::Help : CommandLine::Action::Version;
            return result;
        }
    }

    for (std::size_t at = 0; at < rest.size(); ++at) {
        const std::string_view argument = word(rest[at]);
        if (argument == "--solve") {
            result.solveOnly = true;
            continue;
        }
        const bool sourceGiven = result.puzzle.has_value() || result.file.has_value();
        if (argument == "-f" || argument == "--file") {
            if (at + 1 == rest.size()) {
                return refuse(std::string(argument) +
                              " needs a file name (- for standard input); try 'novemra --help'");
            }
            if (sourceGiven) {
                return refuse(kOneSource);
            }
            result.file = std::string(word(rest[++at]));
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            return unknown(argument);
        }
        int cells = 0;
        std::optional<StoredPuzzle> puzzle = puzzleFromText(argument, cells);
        if (cells == 0) {
            return unknown(argument);  // neither an option nor a puzzle
        }
        if (!puzzle) {
            return refuse("puzzle '" + std::string(argument) + "': " + std::to_string(cells) +
                          " cells; a puzzle has " + std::to_string(kPuzzleCells));
        }
        if (sourceGiven) {
            return refuse(kOneSource);
        }
        result.puzzle = *puzzle;
    }
    if (result.solveOnly && !result.puzzle && !result.file) {
        return refuse("--solve needs a puzzle or -f FILE; try 'novemra --help'");
    }
    return result;
}

const char* usageText() {
    return kUsage;
}

}  // namespace novemra

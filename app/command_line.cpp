#include "app/command_line.hpp"

#include <string_view>

namespace novemra {

namespace {

constexpr const char* kUsage =
    "Usage: novemra [--help | --version]\n"
    "Watch a backtracking search solve Sudoku in the terminal.\n"
    "\n"
    "Run without arguments: pick a stored puzzle or type or paste one in,\n"
    "choose a speed and watch the search; every question takes one key.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "See novemra(6) for the keys, printing and the terminal.\n";

}  // namespace

CommandLine readCommandLine(std::span<const char* const> arguments) {
    CommandLine result;
    if (arguments.size() <= 1) {
        return result;
    }
    const std::string_view first = arguments[1] == nullptr ? "" : arguments[1];
    if (arguments.size() == 2 && (first == "--help" || first == "-h")) {
        result.action = CommandLine::Action::Help;
    } else if (arguments.size() == 2 && (first == "--version" || first == "-V")) {
        result.action = CommandLine::Action::Version;
    } else {
        // Name the first argument that is not understood on its own.
        const bool known =
            first == "--help" || first == "-h" || first == "--version" || first == "-V";
        const std::string_view unknown =
            known && arguments[2] != nullptr ? std::string_view(arguments[2]) : first;
        result.action = CommandLine::Action::Refuse;
        result.error =
            "novemra: unknown argument '" + std::string(unknown) + "'; try 'novemra --help'\n";
    }
    return result;
}

const char* usageText() {
    return kUsage;
}

}  // namespace novemra

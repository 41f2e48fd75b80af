// What the program does with its arguments before it touches the terminal.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "puzzle/test_puzzles.hpp"

namespace novemra {

constexpr const char* kVersionLine = "novemra 1.2\n";

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // For Refuse: the line for standard error.
    std::string error;
    // Where the puzzles to start with come from: one given as an argument,
    // or a file ("-": standard input). Neither: the program asks as usual.
    std::optional<StoredPuzzle> puzzle;
    std::optional<std::string> file;
    // --solve: answer on standard output, without the terminal.
    bool solveOnly = false;
};

// Reads argv[1..]: none runs the program; --help or -h and --version or -V,
// each alone, answer and end; a puzzle, -f FILE and --solve are read as the
// usage says; anything else is refused.
CommandLine readCommandLine(std::span<const char* const> arguments);

// The short usage printed for --help.
const char* usageText();

}  // namespace novemra

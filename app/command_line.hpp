// What the program does with its arguments before it touches the terminal.
#pragma once

#include <span>
#include <string>

namespace novemra {

constexpr const char* kVersionLine = "novemra 1.2\n";

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // For Refuse: the line for standard error.
    std::string error;
};

// Reads argv[1..]: none runs the program, --help or -h and --version or -V
// answer and end, anything else is refused.
CommandLine readCommandLine(std::span<const char* const> arguments);

// The short usage printed for --help.
const char* usageText();

}  // namespace novemra

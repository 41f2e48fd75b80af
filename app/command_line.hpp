// What the program does with its arguments before it touches the terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "console/shown_text.hpp"
#include "generate/generator.hpp"
#include "puzzle/test_puzzles.hpp"

namespace novemra {

constexpr const char* kVersionLine = "novemra 1.2\n";
constexpr long kDefaultCountLimit = 1000;
// The most threads --jobs takes.
constexpr int kMaxJobs = 1024;

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
    // --explain and --rate: the steps a person would take, or the
    // puzzle's level, on standard output, without the terminal.
    enum class Reasoning { None, Explain, Rate };
    Reasoning reasoning = Reasoning::None;
    // --check: whether each puzzle has one solution, none or several, and
    // with --count how many, up to countLimit.
    bool check = false;
    long countLimit = 0;
    // --generate [N]: make N puzzles, of --level (any when not given), with
    // --symmetry, from --seed (a fresh one when not given, named on
    // standard error with --verbose).
    struct Generate {
        long count = 1;
        std::optional<reason::Level> level;
        generate::Symmetry symmetry = generate::Symmetry::None;
        std::optional<std::uint64_t> seed;
        bool verbose = false;
    };
    std::optional<Generate> generate;
    // --jobs N: how many threads answer a batch without a screen; 0 when
    // not given (every processor the program may run on).
    int jobs = 0;
};

// Reads argv[1..] with the usual option forms (-fFILE, --file=FILE, "--"
// ending the options): none runs the program; --help or -h anywhere answers
// with the usage; otherwise anything not understood is refused, and
// --version or -V answers with the version; a puzzle, -f FILE and --solve
// are read as the usage says.
CommandLine readCommandLine(std::span<const char* const> arguments);

// The short usage printed for --help.
const char* usageText();

}  // namespace novemra

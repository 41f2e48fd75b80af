#include "app/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace novemra {
namespace {

// One argument vector (without the program's name) and what comes of it.
struct Arguments {
    const char* name;
    std::vector<const char*> words;
    CommandLine::Action action;
    // For Refuse: the line for standard error; otherwise the source found.
    std::string expected;
};

void PrintTo(const Arguments& arguments, std::ostream* out) {
    *out << arguments.name;
}

constexpr const char* kPuzzle =
    "000000010400000000020000000000050407008000300001090000300400200050100000000806000";

std::string sourceOf(const CommandLine& command) {
    if (command.generate) {
        const CommandLine::Generate& making = *command.generate;
        return "generate " + std::to_string(making.count) + " " +
               (making.level ? std::string(reason::levelName(*making.level)) : "any") + " " +
               std::to_string(static_cast<int>(making.symmetry)) + " " +
               (making.seed ? std::to_string(*making.seed) : "fresh");
    }
    std::string source = command.solveOnly ? "solve " : command.check ? "check " : "";
    if (command.countLimit != 0) {
        source += "count " + std::to_string(command.countLimit) + " ";
    }
    if (command.jobs != 0) {
        source += "jobs " + std::to_string(command.jobs) + " ";
    }
    if (command.puzzle) {
        source += "puzzle";
    } else if (command.file) {
        source += "file " + *command.file;
    } else {
        source += "none";
    }
    return source;
}

class ReadCommandLine : public ::testing::TestWithParam<Arguments> {};

TEST_P(ReadCommandLine, GivesTheOutcome) {
    const Arguments& arguments = GetParam();
    std::vector<const char*> argv{"novemra"};
    argv.insert(argv.end(), arguments.words.begin(), arguments.words.end());
    const CommandLine command = readCommandLine(argv);
    ASSERT_EQ(command.action, arguments.action);
    if (command.action == CommandLine::Action::Refuse) {
        EXPECT_EQ(command.error, arguments.expected);
    } else if (command.action == CommandLine::Action::Run) {
        EXPECT_EQ(sourceOf(command), arguments.expected);
    }
}

using Action = CommandLine::Action;

INSTANTIATE_TEST_SUITE_P(
    Table, ReadCommandLine,
    ::testing::Values(
        Arguments{"nothing", {}, Action::Run, "none"},
        Arguments{"puzzle", {kPuzzle}, Action::Run, "puzzle"},
        Arguments{"file_joined", {"-fp.txt"}, Action::Run, "file p.txt"},
        Arguments{"file_long_equals", {"--file=p.txt"}, Action::Run, "file p.txt"},
        Arguments{"solve_file", {"--solve", "-f", "-"}, Action::Run, "solve file -"},
        Arguments{"dash_dash_ends_options", {"--", kPuzzle}, Action::Run, "puzzle"},
        Arguments{"help_anywhere", {"--bogus", "-h"}, Action::Help, ""},
        Arguments{"help_abbreviated", {"--he"}, Action::Help, ""},
        Arguments{"version", {"-V"}, Action::Version, ""},
        Arguments{"unknown_long",
                  {"--bogus"},
                  Action::Refuse,
                  "novemra: unknown argument '--bogus'; try 'novemra --help'\n"},
        Arguments{"unknown_short_inside_a_word",
                  {"-Vq"},
                  Action::Refuse,
                  "novemra: unknown argument '-q'; try 'novemra --help'\n"},
        // The value of a long option that takes none: named by the option,
        // never as getopt's internal code.
        Arguments{"solve_with_a_value",
                  {"--solve=1", kPuzzle},
                  Action::Refuse,
                  "novemra: option '--solve' takes no value; try 'novemra --help'\n"},
        Arguments{"abbreviation_with_a_value",
                  {"--sol=1", kPuzzle},
                  Action::Refuse,
                  "novemra: option '--solve' takes no value; try 'novemra --help'\n"},
        Arguments{"help_with_a_value",
                  {"--help=1"},
                  Action::Refuse,
                  "novemra: option '--help' takes no value; try 'novemra --help'\n"},
        Arguments{"file_without_name",
                  {"-f"},
                  Action::Refuse,
                  "novemra: -f needs a file name (- for standard input); try 'novemra "
                  "--help'\n"},
        Arguments{"two_sources",
                  {kPuzzle, "-f", "p.txt"},
                  Action::Refuse,
                  "novemra: one puzzle or one file at a time; try 'novemra --help'\n"},
        Arguments{"short_puzzle",
                  {"12345"},
                  Action::Refuse,
                  "novemra: puzzle '12345': 5 cells; a puzzle has 81\n"},
        Arguments{"solve_alone",
                  {"--solve"},
                  Action::Refuse,
                  "novemra: --solve needs a puzzle or -f FILE; try 'novemra --help'\n"},
        Arguments{"check_with_count",
                  {"--check", "--count=50", kPuzzle},
                  Action::Run,
                  "check count 50 puzzle"},
        Arguments{"count_default",
                  {"--count", "--check", "-f", "p"},
                  Action::Run,
                  "check count 1000 file p"},
        Arguments{"jobs_long_and_short",
                  {"--solve", "--jobs=3", "-j", "4", "-f", "p"},
                  Action::Run,
                  "solve jobs 4 file p"},
        Arguments{"jobs_zero",
                  {"--solve", "--jobs", "0", kPuzzle},
                  Action::Refuse,
                  "novemra: --jobs takes a number of threads from 1 to 1024, not '0'\n"},
        Arguments{"jobs_on_the_screen",
                  {"-j2", kPuzzle},
                  Action::Refuse,
                  "novemra: --jobs goes with --solve, --check, --explain or --rate; try 'novemra "
                  "--help'\n"},
        Arguments{"count_without_check",
                  {"--count", kPuzzle},
                  Action::Refuse,
                  "novemra: --count goes with --check; try 'novemra --help'\n"},
        Arguments{"generate_defaults", {"--generate"}, Action::Run, "generate 1 any 0 fresh"},
        Arguments{"generate_count_word",
                  {"--generate", "25", "--level", "hard"},
                  Action::Run,
                  "generate 25 hard 0 fresh"},
        Arguments{"generate_options",
                  {"--generate=3", "--symmetry=rotate90", "--seed", "7"},
                  Action::Run,
                  "generate 3 any 2 7"},
        Arguments{"generate_zero",
                  {"--generate", "0"},
                  Action::Refuse,
                  "novemra: --generate takes a number of puzzles from 1, not '0'\n"},
        Arguments{"level_unknown",
                  {"--generate", "--level", "fiendish"},
                  Action::Refuse,
                  "novemra: --level takes easy, medium, hard, unfair or extreme, not "
                  "'fiendish'\n"},
        Arguments{"level_without_generate",
                  {"--level", "hard"},
                  Action::Refuse,
                  "novemra: --level goes with --generate; try 'novemra --help'\n"},
        Arguments{"generate_with_a_puzzle",
                  {"--generate", kPuzzle},
                  Action::Refuse,
                  "novemra: --generate takes no puzzle; try 'novemra --help'\n"},
        Arguments{"two_modes",
                  {"--check", "--rate", kPuzzle},
                  Action::Refuse,
                  "novemra: one of --solve, --check, --explain, --rate and --generate at a time; "
                  "try 'novemra --help'\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace novemra

// The program's arguments, answered without touching the terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "e2e/program_steps.hpp"
#include "support/puzzle_builder.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::atFirstPrompt;
using testing::dump;
using testing::kProgram;
using testing::PtyProcess;
using testing::ShellSession;

// A puzzle that solves at once: a whole Sudoku with its first row blank.
const std::string kQuick = std::string(9, '0').append(testing::kSolvedSudoku.substr(9));
constexpr std::string_view kQuickSolved = testing::kSolvedSudoku;
constexpr std::string_view kSpeedQuestion = " Extra fast, Fast or Slow [e,f or s]?";

// A file of puzzles for one test, removed afterwards.
struct PuzzleFile {
    explicit PuzzleFile(const std::string& text)
        : path(std::filesystem::temp_directory_path() /
               ("novemra-puzzles-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                ".txt")) {
        std::ofstream(path) << text;
    }
    ~PuzzleFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
    static inline int counter = 0;
};

// Runs the program with the arguments, its output going to files, and
// checks that the terminal received nothing and kept its modes.
struct ArgumentRun {
    explicit ArgumentRun(std::vector<std::string> arguments)
        : shell(kProgram, options(std::move(arguments))) {
        status = shell.process().waitForExit();
    }
    static ShellSession::Options options(std::vector<std::string> arguments) {
        ShellSession::Options options;
        options.arguments = std::move(arguments);
        options.redirectOutput = true;
        return options;
    }
    ShellSession shell;
    std::optional<int> status;

    // The program's exit status as the shell recorded it.
    std::string exitLine() const { return status ? shell.exitLine() : "(still running)"; }

    void expectTerminalUntouched() {
        EXPECT_TRUE(shell.modesRestored());
        EXPECT_EQ(shell.process().bytesReceived(), 0U);
        EXPECT_FALSE(shell.process().screen().alternateScreen());
    }
};

// --help anywhere answers with the usage, whatever else is there.
TEST(CommandLine, HelpPrintsUsageAndExitsZero) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"foo", "--help"}, {"--help", "--version"}, {"--bogus", "-h"}}) {
        ArgumentRun run(arguments);
        ASSERT_EQ(run.exitLine(), "0\n") << arguments.front();
        EXPECT_EQ(run.shell.standardOutput().rfind("Usage: novemra", 0), 0U) << arguments.front();
        EXPECT_EQ(run.shell.standardError(), "") << arguments.front();
        run.expectTerminalUntouched();
    }
}

// Standard streams that cannot be used: output to a full disk, and input
// the shell closed. Each is a failure that says why.
TEST(CommandLine, StreamsThatCannotBeUsedFailAndSayWhy) {
    struct Case {
        std::vector<std::string> arguments;
        std::string prelude;
        std::string outputPath;
        std::string status;
        std::string error;
    };
    const std::string full = std::strerror(ENOSPC);
    for (const Case& c : std::vector<Case>{
             {{"--help"}, "", "/dev/full", "1\n", "cannot write the usage: " + full},
             {{"--version"}, "", "/dev/full", "1\n", "cannot write the version: " + full},
             {{"--solve", kQuick}, "", "/dev/full", "2\n", "cannot write the answers: " + full},
             {{"--solve", "-f", "-"},
              "exec <&-;",
              "",
              "2\n",
              std::string("cannot read standard input: ") + std::strerror(EBADF)}}) {
        ShellSession::Options options = ArgumentRun::options(c.arguments);
        options.prelude = c.prelude;
        options.outputPath = c.outputPath;
        ShellSession shell(kProgram, options);
        ASSERT_TRUE(shell.process().waitForExit().has_value());
        EXPECT_EQ(shell.exitLine(), c.status) << c.arguments.front();
        EXPECT_EQ(shell.standardError(), "novemra: " + c.error + "\n");
    }
}

TEST(CommandLine, VersionPrintsNameAndVersion) {
    for (const char* flag : {"--version", "-V"}) {
        ArgumentRun run({flag});
        ASSERT_EQ(run.exitLine(), "0\n") << flag;
        EXPECT_EQ(run.shell.standardOutput(), "novemra 1.2\n") << flag;
        EXPECT_EQ(run.shell.standardError(), "") << flag;
        run.expectTerminalUntouched();
    }
}

TEST(CommandLine, UnknownArgumentIsNamedOnOneLineWithStatusTwo) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"foo"}, {"--version", "foo"}, {"--color"}, {"--color=auto"}}) {
        ArgumentRun run(arguments);
        const std::string& unknown = arguments.back();
        ASSERT_EQ(run.exitLine(), "2\n") << unknown;
        EXPECT_EQ(run.shell.standardOutput(), "");
        EXPECT_EQ(run.shell.standardError(),
                  "novemra: unknown argument '" + unknown + "'; try 'novemra --help'\n");
        run.expectTerminalUntouched();
    }
}

TEST(CommandLine, SolveAnswersEachPuzzleOnALineWithoutTheTerminal) {
    // Solvable, unsolvable (no digit fits the first cell), clashing givens.
    // Built by appending: GCC 12 warns wrongly (-Wrestrict) about adding a
    // literal to a temporary string in optimised builds.
    const std::string unsolvable =
        std::string("023456789").append(9, '0').append("1").append(62, '0');
    const std::string clashing = std::string("55").append(79, '0');
    PuzzleFile file("# three\n" + kQuick + "\n" + unsolvable + "\n" + clashing + "\n");
    for (const auto& [arguments, out, status] :
         std::vector<std::tuple<std::vector<std::string>, std::string, std::string>>{
             {{"--solve", kQuick}, std::string(kQuickSolved) + "\n", "0\n"},
             {{"--solve", clashing}, "unsolvable\n", "1\n"},
             {{"--solve", "-f", file.path.string()},
              std::string(kQuickSolved) + "\nunsolvable\nunsolvable\n",
              "1\n"}}) {
        ArgumentRun run(arguments);
        ASSERT_EQ(run.exitLine(), status) << arguments.back();
        EXPECT_EQ(run.shell.standardOutput(), out);
        EXPECT_EQ(run.shell.standardError(), "");
        run.expectTerminalUntouched();
    }
}

// A puzzle with several solutions gets the one the screen's search ends
// with, and standard error says so; the status is as for any solved one.
TEST(CommandLine, SolveNamesAPuzzleWithSeveralSolutions) {
    // The empty grid; and a Sudoku less a rectangle of 6 7 / 7 6 in one
    // band, which has exactly two solutions.
    const std::string empty(81, '0');
    std::string twoWays(testing::kSolvedSudoku);
    for (const std::size_t cell : {3U, 4U, 30U, 31U}) {
        twoWays[cell] = '0';
    }
    PuzzleFile file("# two\n" + kQuick + "\n" + twoWays + "\n");
    const std::string emptyAnswer =
        "123456789456789123789123456214365897365897214897214365531642978642978531978531642\n";
    for (const auto& [arguments, out, error] :
         std::vector<std::tuple<std::vector<std::string>, std::string, std::string>>{
             {{"--solve", empty},
              emptyAnswer,
              "novemra: the puzzle has several solutions; the first two differ at r8c3 r8c6 "
              "r8c9 r9c3 r9c6 r9c9\n"},
             {{"--solve", "-f", file.path.string()},
              std::string(kQuickSolved) + "\n" + std::string(testing::kSolvedSudoku) + "\n",
              "novemra: " + file.path.string() +
                  " line 3: several solutions; the first two differ at r1c4 r1c5 r4c4 r4c5\n"}}) {
        ArgumentRun run(arguments);
        ASSERT_EQ(run.exitLine(), "0\n") << arguments.back();
        EXPECT_EQ(run.shell.standardOutput(), out);
        EXPECT_EQ(run.shell.standardError(), error);
        run.expectTerminalUntouched();
    }
}

// The usual option forms: --file=FILE, -fFILE, and "--" before a grid
// argument that starts with a dash.
TEST(CommandLine, StandardOptionFormsAreUnderstood) {
    PuzzleFile file(kQuick + "\n");
    const std::string path = file.path.string();
    const std::string dashedGrid = "-------\n" + kQuick;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--solve", "--file=" + path},
                                               {"--solve", "-f" + path},
                                               {"--solve", "--", dashedGrid},
                                               {"--file", path, "--solve"}}) {
        ArgumentRun run(arguments);
        ASSERT_EQ(run.exitLine(), "0\n") << arguments[1];
        EXPECT_EQ(run.shell.standardOutput(), std::string(kQuickSolved) + "\n");
        EXPECT_EQ(run.shell.standardError(), "");
    }
}

TEST(CommandLine, BadPuzzleInputIsNamedOnOneLineAndTouchesNothing) {
    PuzzleFile badFirst(kQuick.substr(1) + "\n" + kQuick + "\n");
    PuzzleFile shortLine(kQuick + "\n" + kQuick.substr(1) + "\n" + kQuick + "\n");
    PuzzleFile quick(kQuick + "\n");
    const std::string missing = "/nonexistent/puzzles.txt";
    const std::string oneSource = "one puzzle or one file at a time; try 'novemra --help'";
    for (const auto& [arguments, error] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"-f", missing}, "cannot read " + missing + ": No such file or directory"},
             {{"-f", "/"}, "cannot read /: Is a directory"},
             {{"-f", badFirst.path.string()},
              badFirst.path.string() + " line 1: 80 cells; a puzzle has 81"},
             {{"--solve", "-f", shortLine.path.string()},
              shortLine.path.string() + " line 2: 80 cells; a puzzle has 81"},
             {{"12345"}, "puzzle '12345': 5 cells; a puzzle has 81"},
             {{"5"}, "puzzle '5': 1 cell; a puzzle has 81"},
             // Shown on one line, escaped, and cut short.
             {{"\x1b[H\x1b[J\nrm"}, "unknown argument '\\x1b[H\\x1b[J\\nrm'; try 'novemra --help'"},
             {{std::string(100, '1')},
              "puzzle '" + std::string(40, '1') + "\u2026': 100 cells; a puzzle has 81"},
             // One source of puzzles at a time.
             {{kQuick, "-f", quick.path.string()}, oneSource},
             {{"-f", quick.path.string(), kQuick}, oneSource},
             {{"-f", quick.path.string(), "-f", quick.path.string()}, oneSource},
             {{kQuick, kQuick}, oneSource},
             {{"-f"}, "-f needs a file name (- for standard input); try 'novemra --help'"}}) {
        ArgumentRun run(arguments);
        ASSERT_EQ(run.exitLine(), "2\n") << error;
        EXPECT_EQ(run.shell.standardError(), "novemra: " + error + "\n");
        run.expectTerminalUntouched();
    }
}

// A puzzle argument starts the first run as if typed in; "y" to "Run
// again" then asks as usual.
TEST(CommandLine, APuzzleArgumentIsSolvedOnScreen) {
    PtyProcess p({kProgram, kQuick});
    ASSERT_TRUE(p.waitForLine(18, kSpeedQuestion)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(5), "    |      |      |      |");
    EXPECT_EQ(p.screen().line(6), "    |6 7 2 |1 9 5 |3 4 8 |");
    p.send("e");
    ASSERT_TRUE(p.waitForLine(18, "*** Sudoku Solved ***")) << dump(p.screen());
    EXPECT_EQ(p.screen().line(5), "    |5 3 4 |6 7 8 |9 1 2 |");
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
    p.send("y");
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
}

// A file's puzzles (one on a line, one as a grid), read from standard
// input, are taken in turn by "Run again"; the keys come from the terminal.
TEST(CommandLine, PuzzlesFromStandardInputAreTakenInTurn) {
    PuzzleFile file(kQuick +
                    "\n# a grid\n"
                    "2 . . | . . . | . . .\n"
                    ". . . | . . . | . . .\n. . . | . . . | . . .\n"
                    "------+-------+------\n"
                    ". . . | . . . | . . .\n. . . | . . . | . . .\n. . . | . . . | . . .\n"
                    "------+-------+------\n"
                    ". . . | . . . | . . .\n. . . | . . . | . . .\n. . . | . . . | . . 2\n");
    ShellSession::Options options;
    options.arguments = {"-f", "-"};
    options.prelude = "exec <" + file.path.string() + ";";
    ShellSession shell(kProgram, options);
    PtyProcess& p = shell.process();
    ASSERT_TRUE(p.waitForLine(18, kSpeedQuestion)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(6), "    |6 7 2 |1 9 5 |3 4 8 |");
    p.send("e");
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?")) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
    p.send("y");
    ASSERT_TRUE(p.waitForLine(18, kSpeedQuestion)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(5), "    |2     |      |      |");
    EXPECT_EQ(p.screen().line(15), "    |      |      |    2 |");
    p.send("e");
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?")) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
    p.send("y");
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
}

}  // namespace
}  // namespace novemra

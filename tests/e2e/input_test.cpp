// Where the puzzles come from: standard input that is a terminal is no
// puzzle file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/program_steps.hpp"
#include "support/puzzle_builder.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::dump;
using testing::kProgram;
using testing::PtyProcess;
using testing::ShellSession;

// A puzzle that solves at once: a whole Sudoku with its first row blank.
const std::string kQuick = std::string(9, '0').append(testing::kSolvedSudoku.substr(9));
constexpr std::string_view kSpeedQuestion = " Extra fast, Fast or Slow [e,f or s]?";

// With standard input the terminal, -f - is refused at once (status 2)
// instead of waiting with no prompt and taking keystrokes as cells.
TEST(Input, StandardInputThatIsATerminalIsRefusedAtOnce) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-f", "-"}, std::vector<std::string>{"--solve", "-f", "-"},
          std::vector<std::string>{"--rate", "-f", "-"}}) {
        ShellSession::Options options;
        options.arguments = arguments;
        options.redirectOutput = true;
        ShellSession shell(kProgram, options);
        ASSERT_TRUE(shell.waitUntilDone()) << arguments.front();
        EXPECT_EQ(shell.exitLine(), "2\n") << arguments.front();
        EXPECT_EQ(shell.standardError(),
                  "novemra: standard input is a terminal; give -f a file, or pipe the puzzles in "
                  "(novemra -f - < FILE)\n");
        EXPECT_EQ(shell.standardOutput(), "");
        EXPECT_TRUE(shell.modesRestored());
    }
}

// Answers appended to the file they are read from would be read back until
// the disk is full: refused before anything is written, as cat does.
TEST(Input, AnOutputThatIsTheInputFileIsRefused) {
    const std::string path = "/tmp/novemra-same-" + std::to_string(::getpid()) + ".txt";
    const std::string puzzle(testing::kSolvedSudoku);
    for (const char* mode : {"--solve", "--rate", "--explain"}) {
        { std::ofstream(path) << puzzle << "\n"; }
        // Bounded, so that a program that did read its own answers back
        // fails the test instead of filling the disk.
        const std::string command =
            "timeout 30 " + kProgram + " " + mode + " -f " + path + " >> " + path + " 2>/dev/null";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << mode;
        std::ifstream in(path);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(text, puzzle + "\n") << mode;
    }
    ::unlink(path.c_str());
}

// A file with no puzzle, and a file named where a puzzle goes, each get a
// line that says what to do.
TEST(Input, AnEmptyFileAndAFileGivenAsAPuzzleAreNamed) {
    const std::string path = "/tmp/novemra-empty-" + std::to_string(::getpid()) + ".txt";
    { std::ofstream(path) << "id,puzzle,solution\n"; }
    const std::string errors = path + ".err";
    const int empty =
        std::system((kProgram + " --solve -f " + path + " > /dev/null 2> " + errors).c_str());
    EXPECT_TRUE(WIFEXITED(empty) && WEXITSTATUS(empty) == 2);
    const int named =
        std::system((kProgram + " --solve " + path + " > /dev/null 2>> " + errors).c_str());
    EXPECT_TRUE(WIFEXITED(named) && WEXITSTATUS(named) == 2);
    std::ifstream in(errors);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(said, "novemra: no puzzle in " + path + "\nnovemra: '" + path +
                        "' is a file, not a puzzle; to read it, give -f " + path + "\n");
    ::unlink(path.c_str());
    ::unlink(errors.c_str());
}

// A file is read one puzzle at a time: a run starts while the rest has not
// even been written, and a bad puzzle further on ends the program at the
// run that would take it, named once the terminal is restored.
TEST(CommandLine, AFileIsReadAPuzzleAtATime) {
    const std::filesystem::path fifo =
        std::filesystem::temp_directory_path() / ("novemra-fifo-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Open for writing (and, so that opening waits for nobody, reading)
    // until the end: a program that read to the end would wait.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ShellSession::Options options;
    options.arguments = {"-f", fifo.string()};
    options.redirectOutput = true;
    ShellSession shell(kProgram, options);
    PtyProcess& p = shell.process();
    const std::string first = kQuick + "\n";
    ASSERT_EQ(::write(writer, first.data(), first.size()), static_cast<ssize_t>(first.size()));
    ASSERT_TRUE(p.waitForLine(18, kSpeedQuestion)) << dump(p.screen());
    p.send("e");
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?")) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
    const std::string bad = kQuick.substr(1) + "\n";
    ASSERT_EQ(::write(writer, bad.data(), bad.size()), static_cast<ssize_t>(bad.size()));
    ::close(writer);
    p.send("y");
    ASSERT_TRUE(p.waitForExit().has_value());
    std::filesystem::remove(fifo);
    EXPECT_EQ(shell.exitLine(), "2\n");
    EXPECT_EQ(shell.standardError(),
              "novemra: " + fifo.string() + " line 2: 80 cells; a puzzle has 81\n");
    EXPECT_TRUE(shell.modesRestored());
    EXPECT_FALSE(p.screen().alternateScreen());
}

// "y" to run again while the next puzzle has not come (a pipe or FIFO whose
// writer is slow): a line says the program waits for it, the screen keeps
// answering (fg repaints it), "x" ends the program, and the puzzle is taken
// when it comes.
enum class WhileWaiting { PressX, PuzzleComes, SuspendAndFg };

class WaitForTheNextPuzzle : public ::testing::TestWithParam<WhileWaiting> {};

TEST_P(WaitForTheNextPuzzle, SaysSoAndKeepsAnswering) {
    const std::filesystem::path fifo =
        std::filesystem::temp_directory_path() / ("novemra-wait-" + std::to_string(::getpid()));
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const bool fromAShell = GetParam() == WhileWaiting::SuspendAndFg;
    PtyProcess p(fromAShell ? testing::interactiveShell()
                            : std::vector<std::string>{kProgram, "-f", fifo.string()});
    if (fromAShell) {
        p.send("PS1='$ '; " + kProgram + " -f " + fifo.string() + "\r");
    }
    const std::string puzzle = kQuick + "\n";
    ASSERT_EQ(::write(writer, puzzle.data(), puzzle.size()), static_cast<ssize_t>(puzzle.size()));
    ASSERT_TRUE(p.waitForLine(18, kSpeedQuestion)) << dump(p.screen());
    p.send("e");
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?")) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?")) << dump(p.screen());
    p.send("y");
    const std::string waiting = " Waiting for the next puzzle from " + fifo.string() + "; x ends";
    ASSERT_TRUE(p.waitForLine(23, waiting)) << dump(p.screen());
    switch (GetParam()) {
        case WhileWaiting::PressX:
            p.send("x");
            EXPECT_TRUE(testing::exitedWith(p.waitForExit(), 0));
            EXPECT_FALSE(p.screen().alternateScreen());
            break;
        case WhileWaiting::PuzzleComes:
            ASSERT_EQ(::write(writer, puzzle.data(), puzzle.size()),
                      static_cast<ssize_t>(puzzle.size()));
            EXPECT_TRUE(p.waitForLine(18, kSpeedQuestion)) << dump(p.screen());
            break;
        case WhileWaiting::SuspendAndFg:
            ASSERT_TRUE(testing::suspendFromTheShell(p)) << dump(p.screen());
            p.send("fg\r");
            EXPECT_TRUE(p.waitUntil([&](const testing::VirtualTerminal& s) {
                return s.alternateScreen() && s.line(23) == waiting;
            })) << dump(p.screen());
            break;
    }
    ::close(writer);
    std::filesystem::remove(fifo);
}

INSTANTIATE_TEST_SUITE_P(Cases, WaitForTheNextPuzzle,
                         ::testing::Values(WhileWaiting::PressX, WhileWaiting::PuzzleComes,
                                           WhileWaiting::SuspendAndFg),
                         [](const auto& info) {
                             switch (info.param) {
                                 case WhileWaiting::PressX:
                                     return "PressX";
                                 case WhileWaiting::PuzzleComes:
                                     return "PuzzleComes";
                                 case WhileWaiting::SuspendAndFg:
                                     return "SuspendAndFg";
                             }
                             return "";
                         });

}  // namespace
}  // namespace novemra

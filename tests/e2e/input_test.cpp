// Where the puzzles come from: standard input that is a terminal is no
// puzzle file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/program_steps.hpp"
#include "support/puzzle_builder.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::kProgram;
using testing::ShellSession;

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

}  // namespace
}  // namespace novemra

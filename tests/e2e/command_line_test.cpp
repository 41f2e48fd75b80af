// The program's arguments, answered without touching the terminal.
#include <gtest/gtest.h>

#include "e2e/program_steps.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::kProgram;
using testing::ShellSession;

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

TEST(CommandLine, HelpPrintsUsageAndExitsZero) {
    for (const char* flag : {"--help", "-h"}) {
        ArgumentRun run({flag});
        ASSERT_EQ(run.exitLine(), "0\n") << flag;
        EXPECT_EQ(run.shell.standardOutput().rfind("Usage: novemra", 0), 0U) << flag;
        EXPECT_EQ(run.shell.standardError(), "") << flag;
        run.expectTerminalUntouched();
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
             {"foo"}, {"--help", "foo"}, {"--version", "foo"}, {"--color"}}) {
        ArgumentRun run(arguments);
        const std::string& unknown = arguments.size() == 2 ? arguments[1] : arguments[0];
        ASSERT_EQ(run.exitLine(), "2\n") << unknown;
        EXPECT_EQ(run.shell.standardOutput(), "");
        EXPECT_EQ(run.shell.standardError(),
                  "novemra: unknown argument '" + unknown + "'; try 'novemra --help'\n");
        run.expectTerminalUntouched();
    }
}

}  // namespace
}  // namespace novemra

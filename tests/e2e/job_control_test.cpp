// The program among the shell's jobs: what it puts back after a stop, and
// how it ends when no shell is left to bring it back.
#include <gtest/gtest.h>

#include <string>

#include "e2e/program_steps.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::atFirstPrompt;
using testing::dump;
using testing::kFirstPrompt;
using testing::PtyProcess;
using testing::VirtualTerminal;

// The interrupt key the shell reports once the program has ended: "^C",
// "^G", ...; empty when the shell never says.
std::string interruptKeyAfterwards(PtyProcess& p) {
    p.send("stty -a | tr ';' '\\n' | grep -o 'intr = ..' | sed 's/^/KEY:/'\r");
    std::string key;
    p.waitUntil([&](const VirtualTerminal& s) {
        const std::string text = s.text();
        const std::size_t at = text.find("KEY:intr = ");
        if (at != std::string::npos) {
            key = text.substr(at + 11, 2);
        }
        return !key.empty();
    });
    return key;
}

// The user changes a setting with stty while the program is stopped; the
// program's way out puts back that setting, not the one it started with.
// Under dash, which keeps no terminal settings of its own for its jobs, what
// the program puts back is what the user gets.
TEST(JobControl, SettingsChangedWhileStoppedAreTheOnesPutBack) {
    PtyProcess p({"/bin/dash", "-i"});
    ASSERT_GT(testing::startFromTheShell(p), 0) << dump(p.screen());
    ASSERT_TRUE(testing::suspendFromTheShell(p)) << dump(p.screen());
    p.send("stty intr '^G'\r");
    p.send("fg\r");
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.alternateScreen() && s.line(18) == kFirstPrompt;
    })) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(p.waitForLine(19, " Extra fast, Fast or Slow [e,f or s]?")) << dump(p.screen());
    p.send("f");
    ASSERT_TRUE(p.waitForLine(5, "    |>     |      |      |")) << dump(p.screen());
    p.send("x");
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) { return !s.alternateScreen(); }));
    EXPECT_EQ(interruptKeyAfterwards(p), "^G") << dump(p.screen());
}

// With no controlling terminal (setsid, su -c) but standard input and
// output on one, the program runs there; Ctrl-C, which the terminal would
// otherwise send to the shell's job waiting for it, ends the program as it
// does elsewhere: status 0.
TEST(JobControl, WithoutAControllingTerminalItRunsOnTheStandardStreams) {
    PtyProcess p({"setsid", "-w", testing::kProgram});
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
    p.send("\x03");
    EXPECT_TRUE(testing::exitedWith(p.waitForExit(), 0));
    EXPECT_FALSE(p.screen().alternateScreen()) << dump(p.screen());
}

// Under ulimit -n 4 the terminal's description cannot be opened: the
// message names the limit, not the terminal.
TEST(JobControl, TooFewDescriptorsAreNamedAsTheCause) {
    testing::ShellSession::Options options;
    options.arguments = {"-c", "ulimit -n 4; exec \"$0\"", testing::kProgram};
    testing::ShellSession shell("/bin/sh", options);
    ASSERT_TRUE(shell.waitUntilDone());
    EXPECT_NE(shell.process().screen().text().find(
                  "novemra: no file descriptor left to read the terminal's description (ulimit -n "
                  "is 4); raise the limit"),
              std::string::npos)
        << dump(shell.process().screen());
    EXPECT_EQ(shell.exitLine(), "1\n");
}

}  // namespace
}  // namespace novemra

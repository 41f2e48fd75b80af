// The program among the shell's jobs: what it puts back after a stop, and
// how it ends when no shell is left to bring it back.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <optional>
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
    // The shell's prompt after the program: typed before it, the question
    // would meet the program's modes, not the shell's.
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        if (s.alternateScreen()) {
            return false;
        }
        int last = s.rows();
        while (last > 1 && s.line(last).empty()) {
            --last;
        }
        return s.line(last) == "$" && s.line(last - 1).find("novemra") != std::string::npos;
    })) << dump(p.screen());
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

// A program in a process group no shell can bring back ends, with status
// 1 and a line saying why, rather than wait in the background for ever:
// started as (novemra &) in a subshell with job control, so it is in the
// background from the start; or started in the subshell's foreground job,
// whose end gives the terminal back to the shell without a signal to the
// program. The test process takes in its children's orphans, so it sees
// the status; it is in another session, so the group stays orphaned.
struct OrphanCase {
    const char* name;
    bool startsInTheForeground;
};

void PrintTo(const OrphanCase& orphanCase, std::ostream* out) {
    *out << orphanCase.name;
}

class OrphanedProgram : public ::testing::TestWithParam<OrphanCase> {};

TEST_P(OrphanedProgram, Ends) {
    const std::filesystem::path release =
        std::filesystem::temp_directory_path() / ("novemra-release-" + std::to_string(::getpid()));
    std::filesystem::remove(release);
    // The program's id goes to a file: on the screen the program's own
    // picture may cover it.
    const std::filesystem::path idFile =
        std::filesystem::temp_directory_path() / ("novemra-orphan-" + std::to_string(::getpid()));
    std::filesystem::remove(idFile);
    const std::string program = testing::kProgram + " & echo $! >'" + idFile.string() +
                                ".part'; mv '" + idFile.string() + ".part' '" + idFile.string() +
                                "'";
    const std::string subshell =
        GetParam().startsInTheForeground
            ? "(" + program + "; while [ ! -e '" + release.string() + "' ]; do sleep 0.05; done)"
            : "(set -m; " + program + ")";
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    PtyProcess p(testing::interactiveShell());
    p.send("PS1='$ '; " + subshell + "\r");
    pid_t pid = -1;
    ASSERT_TRUE(p.waitUntil([&](const VirtualTerminal&) {
        std::ifstream{idFile} >> pid;
        return pid > 0;
    })) << dump(p.screen());
    std::filesystem::remove(idFile);
    if (GetParam().startsInTheForeground) {
        ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
        std::ofstream{release};
    }
    std::optional<int> status;
    EXPECT_TRUE(p.waitUntil([&](const VirtualTerminal&) {
        int raw = 0;
        if (::waitpid(pid, &raw, WNOHANG) == pid) {
            status = raw;
        }
        return status.has_value();
    })) << dump(p.screen());
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    std::filesystem::remove(release);
    EXPECT_TRUE(testing::exitedWith(status, 1));
    EXPECT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return !s.alternateScreen() &&
               s.text().find(
                   "novemra: ended: left in the background with no shell to bring it "
                   "back") != std::string::npos;
    })) << dump(p.screen());
}

INSTANTIATE_TEST_SUITE_P(Cases, OrphanedProgram,
                         ::testing::Values(OrphanCase{"StartedInTheBackground", false},
                                           OrphanCase{"LeftByItsForegroundJob", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Under ulimit -n 4 the terminal's description cannot be opened: the
// message names the limit, not the terminal.
TEST(JobControl, TooFewDescriptorsAreNamedAsTheCause) {
    testing::ShellSession::Options options;
    // Descriptors the test's own runner passed down are closed first, so
    // that 0-2 and the terminal are all the program holds.
    options.arguments = {"-c", "exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-; ulimit -n 4; exec \"$0\"",
                         testing::kProgram};
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

// The terminal the program leaves behind, and the picture it keeps, under
// signals, backed-up output, resizes and terminals of other kinds.
#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "e2e/program_steps.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::atFirstPrompt;
using testing::dump;
using testing::kFirstPrompt;
using testing::kProgram;
using testing::PtyProcess;
using testing::ShellSession;
using testing::startTestPuzzle;
using testing::VirtualTerminal;
using namespace std::chrono_literals;

// The shell's record of a program ended by the signal.
std::string endedBy(int signal) {
    return std::to_string(128 + signal) + "\n";
}

void expectUserScreenBack(ShellSession& shell) {
    EXPECT_TRUE(shell.modesRestored());
    EXPECT_FALSE(shell.process().screen().alternateScreen());
    EXPECT_TRUE(shell.process().screen().cursorVisible());
}

TEST(Terminal, EverySignalThatEndsTheProgramRestoresItFirst) {
    for (const int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ,
                             SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPWR}) {
        ShellSession shell(kProgram);
        ASSERT_TRUE(atFirstPrompt(shell.process())) << strsignal(signal);
        ::kill(shell.programPid(), signal);
        ASSERT_TRUE(shell.waitUntilDone()) << strsignal(signal);
        EXPECT_EQ(shell.exitLine(), endedBy(signal)) << strsignal(signal);
        expectUserScreenBack(shell);
    }
}

TEST(Terminal, ASignalWhileOutputIsBackedUpStillRestores) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ShellSession shell(kProgram);
        PtyProcess& p = shell.process();
        ASSERT_TRUE(atFirstPrompt(p));
        ASSERT_TRUE(startTestPuzzle(p, 'x', 'f'));
        ASSERT_TRUE(p.waitForLine(20, ""));
        // A slow link: nobody reads the terminal for a while, so the
        // program's output queue fills up, to the last byte with the
        // repaint a resize brings.
        p.resize(29, 80);
        std::this_thread::sleep_for(200ms);
        ::kill(shell.programPid(), signal);
        ASSERT_TRUE(shell.waitUntilDone()) << strsignal(signal) << dump(p.screen());
        EXPECT_EQ(shell.exitLine(), signal == SIGINT ? "0\n" : endedBy(signal));
        expectUserScreenBack(shell);
    }
}

TEST(Terminal, StopAndContinueRepaintsLikeSuspendAndFg) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ::kill(p.pid(), SIGSTOP);
    p.scribble("\x1b[H\x1b[2Jsomething else was here");
    ::kill(p.pid(), SIGCONT);
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.line(1) == "      NOVEMRA v1.2" && s.line(18) == kFirstPrompt;
    })) << dump(p.screen());
}

TEST(Terminal, ShrinkAndGrowAtAPromptKeepsTheTextAndTheAnswerLines) {
    PtyProcess p({kProgram}, 24, 80);
    ASSERT_TRUE(atFirstPrompt(p));
    p.resize(10, 80);
    // The shorter window shows the prompt's line.
    ASSERT_TRUE(p.waitForLine(10, kFirstPrompt)) << dump(p.screen());
    p.resize(24, 80);
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.line(1) == "      NOVEMRA v1.2" && s.line(16) == "    ----------------------" &&
               s.line(18) == kFirstPrompt;
    })) << dump(p.screen());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) << dump(p.screen());
    EXPECT_EQ(p.screen().line(18), std::string(kFirstPrompt) + " y");
}

// Terminals whose terminfo entries carry padding and have no alternate
// screen: the padding never shows, and every way out leaves a clean screen
// in the default colours with the cursor at the top left.
TEST(Terminal, TerminalsWithoutAlternateScreenAreLeftClean) {
    for (const char* term : {"vt100", "linux"}) {
        for (const bool bySignal : {false, true}) {
            ShellSession::Options options;
            options.term = term;
            ShellSession shell(kProgram, options);
            PtyProcess& p = shell.process();
            ASSERT_TRUE(atFirstPrompt(p)) << term << dump(p.screen());
            EXPECT_EQ(p.screen().line(1), "      NOVEMRA v1.2") << term;
            if (bySignal) {
                ::kill(shell.programPid(), SIGTERM);
            } else {
                ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
                ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?")) << term;
                p.send("n");
                ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?")) << term;
                p.send("n");
            }
            ASSERT_TRUE(shell.waitUntilDone()) << term;
            // The shell writes from the top left of a cleared screen; it
            // reports a program ended by a signal first.
            const int doneRow = bySignal ? 2 : 1;
            ASSERT_TRUE(p.waitForLine(doneRow, "DONE")) << term << dump(p.screen());
            if (bySignal) {
                EXPECT_EQ(p.screen().line(1), "Terminated");
            }
            EXPECT_TRUE(shell.modesRestored()) << term;
            EXPECT_TRUE(p.screen().cursorVisible()) << term;
            for (int row = doneRow + 1; row <= p.screen().rows(); ++row) {
                EXPECT_EQ(p.screen().line(row), "") << term << " line " << row;
            }
            EXPECT_EQ(p.screen().cell(30, 80).background, -1) << term;
            EXPECT_EQ(p.screen().text().find("$<"), std::string::npos) << term;
        }
    }
}

}  // namespace
}  // namespace novemra

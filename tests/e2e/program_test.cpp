// The real program in a pseudo-terminal, read through an emulated terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "console/grid_picture.hpp"
#include "console/memory_terminal.hpp"
#include "e2e/program_steps.hpp"
#include "puzzle/test_puzzles.hpp"
#include "solver/solver.hpp"
#include "support/cups_sandbox.hpp"
#include "support/hostile_server.hpp"
#include "support/pty_process.hpp"
#include "support/shell_session.hpp"

namespace novemra {
namespace {

using testing::atFirstPrompt;
using testing::CupsSandbox;
using testing::dump;
using testing::exitedWith;
using testing::kFirstPrompt;
using testing::kProgram;
using testing::PtyProcess;
using testing::ShellSession;
using testing::startTestPuzzle;
using testing::VirtualTerminal;
using namespace std::chrono_literals;

TEST(Program, SolvesTheHardPuzzleAndRestoresTheTerminal) {
    ShellSession shell(kProgram);
    PtyProcess& p = shell.process();
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(1), "      NOVEMRA v1.2");
    EXPECT_EQ(p.screen().cell(5, 5).ch, '|');
    EXPECT_EQ(p.screen().cell(5, 5).foreground, 11);   // bright yellow
    EXPECT_EQ(p.screen().cell(30, 80).background, 4);  // blue, to the last cell
    EXPECT_TRUE(p.screen().alternateScreen());
    EXPECT_FALSE(p.screen().cursorVisible());

    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?"));
    p.send("h");
    ASSERT_TRUE(p.waitForLine(20, " Extra fast, Fast or Slow [e,f or s]?"));
    EXPECT_EQ(p.screen().line(5), "    |2     |    1 |      |");
    p.send("f");
    ASSERT_TRUE(p.waitForLine(18, "*** Sudoku Solved ***", 30s)) << dump(p.screen());
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
    EXPECT_EQ(p.screen().line(5), "    |2 6 9 |3 5 1 |4 7 8 |");
    EXPECT_EQ(p.screen().line(15), "    |9 4 3 |2 7 8 |5 1 6 |");
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
    p.send("n");

    ASSERT_TRUE(exitedWith(p.waitForExit(), 0));
    EXPECT_EQ(shell.exitLine(), "0\n");
    EXPECT_TRUE(shell.modesRestored());
    EXPECT_FALSE(p.screen().alternateScreen());
    EXPECT_TRUE(p.screen().cursorVisible());
    EXPECT_EQ(p.screen().line(1), "BEFORE-NOVEMRA");
    EXPECT_EQ(p.screen().line(2), "DONE");
}

TEST(Program, HardCopyGoesToTheDefaultPrinterAndTheRunGoesOn) {
    if (const std::string reason = CupsSandbox::unavailableReason(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
    p.send("y");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?", 15s)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(21), "");
    ASSERT_TRUE(cups.waitForJobs(1, 10s));
    const auto jobs = cups.jobs();
    ASSERT_EQ(jobs.size(), 1U);
    EXPECT_EQ(jobs[0].title, "job1");
    EXPECT_EQ(jobs[0].data.substr(0, 18), " *** Novemra ***\r\n");
    EXPECT_NE(jobs[0].data.find("    |694|138|257|\r\n"), std::string::npos) << jobs[0].data;
    EXPECT_EQ(std::count(jobs[0].data.begin(), jobs[0].data.end(), '\n'), 16);
    p.send("n");
    EXPECT_TRUE(exitedWith(p.waitForExit(), 0));
}

TEST(Program, PrintServerDemandingAPasswordGetsNoPromptAndTheRunGoesOn) {
    if (const std::string reason = CupsSandbox::unavailableReason(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    CupsSandbox cups({.requireAuthentication = true});
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
    const auto start = std::chrono::steady_clock::now();
    p.send("y");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?", 15s)) << dump(p.screen());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(p.screen().text().find("assword"), std::string::npos) << dump(p.screen());
    EXPECT_EQ(p.screen().line(21), "");
    p.send("n");
    EXPECT_TRUE(exitedWith(p.waitForExit(), 0));
    EXPECT_TRUE(cups.jobStates().empty());
}

// Ctrl-C once the job's request is on its way, over a slow link to the
// scheduler and over one that stalls the page and trickles its answer: the
// job is made whole or not at all, never left half-made.
TEST(Program, CtrlCDuringASlowHardCopyLeavesNoHalfMadeJob) {
    if (const std::string reason = CupsSandbox::unavailableReason(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    using Kind = testing::HostileServer::Kind;
    for (const auto& [kind, interval] :
         {std::pair{Kind::SlowProxy, 150ms}, std::pair{Kind::ProxyStallsDocument, 200ms}}) {
        CupsSandbox cups;
        ASSERT_TRUE(cups.running());
        cups.useFromHere();
        testing::HostileServer link(kind, interval, cups.socket());
        ::setenv("CUPS_SERVER", link.address().c_str(), 1);
        PtyProcess p({kProgram});
        ::setenv("CUPS_SERVER", cups.socket().c_str(), 1);
        ASSERT_TRUE(atFirstPrompt(p));
        ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
        ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
        p.send("y");
        // Once the job's request is on its way (after the lookup), the user
        // gives up on it.
        ASSERT_TRUE(
            p.waitUntil([&](const VirtualTerminal&) { return link.connectionsAccepted() >= 2; }));
        p.send("\x03");
        EXPECT_TRUE(exitedWith(p.waitForExit(), 0));
        EXPECT_TRUE(p.waitUntil([&](const VirtualTerminal&) { return cups.noHalfMadeJob(); }, 11s));
        EXPECT_LE(cups.jobStates().size(), 1U);
    }
}

// The program (or the command given) started with its hard copy going to
// a server that never answers, run to the hard copy, and "y" answered; the
// hard copy then waits on the server until its limit.
std::unique_ptr<PtyProcess> waitingOnAHardCopy(const testing::HostileServer& server,
                                               const std::vector<std::string>& command) {
    ::setenv("CUPS_SERVER", server.address().c_str(), 1);
    ::setenv("PRINTER", "somewhere", 1);
    auto p = std::make_unique<PtyProcess>(command);
    ::unsetenv("CUPS_SERVER");
    ::unsetenv("PRINTER");
    const bool asked = atFirstPrompt(*p) && startTestPuzzle(*p, 'e', 'e') &&
                       p->waitForLine(20, " Do you want a hard copy (y,n)?");
    if (!asked) {
        return nullptr;
    }
    p->send("y");
    const bool connected =
        p->waitUntil([&](const VirtualTerminal&) { return server.connectionsAccepted() > 0; });
    return connected ? std::move(p) : nullptr;
}

// Ending the program during a hard copy leaves the terminal to nobody: the
// hard copy goes on in a process that holds none of it, so a shell or an
// ssh logout does not wait for it. Also when the program may hold only a
// few descriptors (descriptors 3 to 7 are freed first: what the test runner
// leaves open would otherwise decide how many the program has).
TEST(Program, CtrlCDuringAHardCopyLeavesTheTerminalToNobody) {
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {kProgram},
             {"/bin/sh", "-c", "exec 3>&- 4>&- 5>&- 6>&- 7>&-; ulimit -n 8; exec " + kProgram}}) {
        testing::HostileServer silent(testing::HostileServer::Kind::Silent);
        const std::unique_ptr<PtyProcess> p = waitingOnAHardCopy(silent, command);
        ASSERT_NE(p, nullptr) << command.back();
        p->send("\x03");
        EXPECT_TRUE(exitedWith(p->waitForExit(), 0)) << command.back();
        EXPECT_TRUE(p->nobodyHoldsTheTerminal()) << command.back();
    }
}

// While a hard copy waits on its server (up to its time limit), a resize
// is answered at once: the question stays in view of a window made short.
TEST(Program, AResizeDuringAHardCopyIsAnsweredAtOnce) {
    testing::HostileServer silent(testing::HostileServer::Kind::Silent);
    const std::unique_ptr<PtyProcess> p = waitingOnAHardCopy(silent, {kProgram});
    ASSERT_NE(p, nullptr);
    p->resize(12, 80);
    ASSERT_TRUE(p->waitForLine(12, " Do you want a hard copy (y,n)?", 5s)) << dump(p->screen());
    // Still within the hard copy.
    EXPECT_EQ(p->screen().text().find("Run again"), std::string::npos) << dump(p->screen());
}

// Ctrl-Z and fg while a hard copy waits on its server: the screen comes
// back at once, not when the hard copy ends.
TEST(Program, FgDuringAHardCopyRepaintsAtOnce) {
    testing::HostileServer silent(testing::HostileServer::Kind::Silent);
    PtyProcess p(testing::interactiveShell());
    ASSERT_GT(testing::startFromTheShell(
                  p, "export CUPS_SERVER=" + silent.address() + " PRINTER=somewhere; "),
              0)
        << dump(p.screen());
    ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
    p.send("y");
    ASSERT_TRUE(
        p.waitUntil([&](const VirtualTerminal&) { return silent.connectionsAccepted() > 0; }));
    ASSERT_TRUE(testing::suspendFromTheShell(p));
    p.send("fg\r");
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?", 5s)) << dump(p.screen());
    // Still within the hard copy.
    EXPECT_EQ(p.screen().text().find("Run again"), std::string::npos) << dump(p.screen());
}

// A puzzle whose walk takes hours in fast mode (1.55 billion placements):
// once the speed is answered, the cleared question line stays cleared for
// as long as a test needs, however slowly a busy machine lets it read.
// The xtreme puzzle's walk ends in a fraction of a second, and a loaded
// test could read the clear and the end in one go and wait for ever.
constexpr const char* kEndlessWalk =
    "100000000000400000000009000000008001000000703009600004006030000024000080000010050";

bool solvingAtLength(PtyProcess& p) {
    if (!p.waitForLine(18, " Extra fast, Fast or Slow [e,f or s]?")) {
        return false;
    }
    p.send("f");
    return p.waitForLine(18, "");
}

TEST(Program, HangUpDuringAFastSolveEndsWithinASecond) {
    PtyProcess p({kProgram, kEndlessWalk});
    ASSERT_TRUE(solvingAtLength(p)) << dump(p.screen());
    p.hangUp();
    EXPECT_TRUE(p.waitForExit(1s).has_value());
}

TEST(Program, XAtAStepBackEndsTheSolveWithStatusZero) {
    ShellSession::Options options;
    options.arguments = {kEndlessWalk};
    ShellSession shell(kProgram, options);
    PtyProcess& p = shell.process();
    // Once the question line has been cleared the solver is running.
    ASSERT_TRUE(solvingAtLength(p)) << dump(p.screen());
    p.send("x");
    ASSERT_TRUE(exitedWith(p.waitForExit(), 0));
    EXPECT_EQ(shell.exitLine(), "0\n");
    EXPECT_TRUE(shell.modesRestored());
    EXPECT_EQ(p.screen().line(1), "BEFORE-NOVEMRA");
}

TEST(Program, TypedPuzzleHelpPageAndXDuringEntry) {
    ShellSession shell(kProgram);
    PtyProcess& p = shell.process();
    ASSERT_TRUE(atFirstPrompt(p));

    p.send("h");
    ASSERT_TRUE(p.waitForLine(26, "   Hit any key to exit Help")) << dump(p.screen());
    EXPECT_EQ(p.screen().line(1), "     *** Novemra v1.2 ***");
    p.send(" ");
    ASSERT_TRUE(atFirstPrompt(p));

    ASSERT_TRUE(testing::startTyping(p, 'e'));
    const std::string puzzle =
        "530070000600195000098000060800060003400803001700020006060000280000419005000080079";
    ASSERT_TRUE(testing::typeAllButTheLastKey(p, puzzle)) << dump(p.screen());
    p.send(std::string(1, puzzle.back()));
    ASSERT_TRUE(p.waitForLine(18, "*** Sudoku Solved ***")) << dump(p.screen());
    EXPECT_EQ(p.screen().line(5), "    |5 3 4 |6 7 8 |9 1 2 |");
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));

    p.send("y");
    ASSERT_TRUE(atFirstPrompt(p));
    p.send("n");
    ASSERT_TRUE(p.waitForLine(19, " Extra fast, Fast or Slow [e,f or s]?"));
    p.send("f");
    ASSERT_TRUE(p.waitForLine(5, "    |>     |      |      |"));
    p.send("4");
    ASSERT_TRUE(p.waitForLine(5, "    |4 >   |      |      |"));
    p.send("x");
    ASSERT_TRUE(exitedWith(p.waitForExit(), 0));
    EXPECT_TRUE(shell.modesRestored());
}

TEST(Program, CtrlCEndsWithStatusZeroAndRestores) {
    ShellSession shell(kProgram);
    PtyProcess& p = shell.process();
    ASSERT_TRUE(atFirstPrompt(p));
    p.send("\x03");
    ASSERT_TRUE(p.waitForLine(2, "DONE")) << dump(p.screen());
    EXPECT_EQ(shell.exitLine(), "0\n");
    EXPECT_TRUE(shell.modesRestored());
    EXPECT_FALSE(p.screen().alternateScreen());
    EXPECT_TRUE(p.screen().cursorVisible());
}

TEST(Program, HangUpEndsWithinASecond) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    p.hangUp();
    EXPECT_TRUE(p.waitForExit(1s).has_value());
}

TEST(Program, SuspendRestoresAndFgRepaints) {
    // An interactive shell with job control, as a user has.
    PtyProcess p({"/bin/bash", "--norc", "--noprofile", "-i"});
    p.send("PS1='$ '; '" + kProgram + "'\n");
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
    p.send("\x1a");  // Ctrl-Z
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return !s.alternateScreen() && s.text().find("Stopped") != std::string::npos;
    })) << dump(p.screen());
    EXPECT_TRUE(p.screen().cursorVisible());
    p.send("fg\n");
    // The whole screen is painted again, down to its last cell.
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.alternateScreen() && s.line(18) == kFirstPrompt && s.cell(30, 80).background == 4;
    })) << dump(p.screen());
    EXPECT_FALSE(p.screen().cursorVisible());
    EXPECT_EQ(p.screen().line(1), "      NOVEMRA v1.2");
    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?"));
    p.send("\x03");
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) { return !s.alternateScreen(); }));
}

TEST(Program, ShrinkAndGrowDuringAFastSolveEndsWithTheExactPicture) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTestPuzzle(p, 'x', 'f'));
    ASSERT_TRUE(p.waitForLine(20, ""));
    p.resize(10, 60);
    p.waitUntil([](const VirtualTerminal&) { return false; }, 50ms);  // some solving
    p.resize(28, 70);
    ASSERT_TRUE(p.waitForLine(18, "*** Sudoku Solved ***", 30s)) << dump(p.screen());
    // The same picture as a solve on the in-memory terminal, no fragments.
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Xtreme);
    MemoryTerminal expected(80, 30);
    solvePuzzle(puzzle, SpeedMode::ExtraFast, expected);
    drawGrid(puzzle.grid, expected);
    for (int row = 1; row <= kGridPictureLines; ++row) {
        EXPECT_EQ(p.screen().line(row), expected.line(row)) << "line " << row;
    }
    EXPECT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
    EXPECT_EQ(p.screen().cell(28, 70).background, 4);
}

// The window shows the left part of the picture, around the cursor's line:
// each prompt's start, and answers still work.
TEST(Program, TinyTerminalDoesNotBreak) {
    PtyProcess p({kProgram}, 5, 10);
    auto shows = [&p](std::string_view text) {
        return p.waitUntil(
            [text](const VirtualTerminal& s) { return s.text().find(text) != std::string::npos; });
    };
    ASSERT_TRUE(shows(" Use Test")) << dump(p.screen());
    p.send("y");
    ASSERT_TRUE(shows(" Easy,Diff")) << dump(p.screen());
    p.send("e");
    ASSERT_TRUE(shows(" Extra fas")) << dump(p.screen());
    p.send("e");
    ASSERT_TRUE(shows(" Do you wa")) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(shows(" Run again")) << dump(p.screen());
    p.send("n");
    ASSERT_TRUE(exitedWith(p.waitForExit(), 0));
}

// CI unpacks the Debian package and names its binary here.
TEST(Program, PackagedBinaryShowsTheFirstPrompt) {
    const char* packaged = std::getenv("NOVEMRA_PACKAGED_BINARY");
    if (packaged == nullptr) {
        GTEST_SKIP()
            << "NOVEMRA_PACKAGED_BINARY is not set (CI names the installed package's binary)";
    }
    PtyProcess p({packaged});
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
    p.send("\x03");
    EXPECT_TRUE(exitedWith(p.waitForExit(), 0));
}

TEST(Program, WithoutATerminalSaysSoAndExitsWithOne) {
    int errors[2];
    ASSERT_EQ(::pipe(errors), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();  // no controlling terminal from here on
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(errors[1], 2);
        ::execl(kProgram.c_str(), kProgram.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(errors[1]);
    std::string message;
    char buffer[256];
    ssize_t count = 0;
    while ((count = ::read(errors[0], buffer, sizeof buffer)) > 0) {
        message.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(errors[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("novemra: no terminal"), std::string::npos) << message;
}

}  // namespace
}  // namespace novemra

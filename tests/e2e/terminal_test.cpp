// The terminal the program leaves behind, and the picture it keeps, under
// signals, backed-up output, resizes and terminals of other kinds.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
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

// Checks the condition every millisecond without reading the terminal, so
// that the program's output stays backed up; false at the time limit.
bool waitWithoutReading(const std::function<bool()>& condition,
                        std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Blocked until the terminal takes more output: its queue is full.
bool blockedWriting(pid_t pid) {
    return testing::pollWait(pid) == testing::PollWait::ForAKey;
}

// True once the process has ended (gone, or a zombie no one reaped).
bool ended(pid_t pid);

// Starts the xtreme puzzle in fast mode and, from the speed answer on,
// stops reading the terminal, as a slow link would: true once the program
// has taken the answer and is waiting to write, its output queue full.
// (Waiting for the answer to be read first matters: a program still in
// its wait for that key looks just the same.)
bool startFastSolveAndBackUpItsOutput(PtyProcess& p, pid_t program) {
    p.send("y");
    if (!p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) {
        return false;
    }
    p.send("x");
    if (!p.waitForLine(20, " Extra fast, Fast or Slow [e,f or s]?")) {
        return false;
    }
    const long long before = testing::bytesReadBy(program);
    p.send("f");
    return waitWithoutReading(
        [&] { return testing::bytesReadBy(program) > before && blockedWriting(program); });
}

TEST(Terminal, ASignalWhileOutputIsBackedUpStillRestores) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ShellSession shell(kProgram);
        PtyProcess& p = shell.process();
        ASSERT_TRUE(atFirstPrompt(p));
        const pid_t program = shell.programPid();
        ASSERT_TRUE(startFastSolveAndBackUpItsOutput(p, program)) << strsignal(signal);
        ::kill(program, signal);
        ASSERT_TRUE(waitWithoutReading([&] { return ended(program); })) << strsignal(signal);
        // Only now is the terminal read: the restore got through the queue.
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

// Run as a window's own command there is no job-control shell to stop for
// (its process group is orphaned): Ctrl-Z does not stop the program, which
// keeps its terminal and answers the next key.
TEST(Terminal, CtrlZWithNoShellToStopForKeepsTheTerminal) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    p.send("\x1a");
    ASSERT_TRUE(p.waitUntilWaitingForInput());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) << dump(p.screen());
    EXPECT_EQ(p.screen().line(18), std::string(kFirstPrompt) + " y");
    EXPECT_TRUE(p.screen().alternateScreen());
    EXPECT_FALSE(p.screen().cursorVisible());
}

// Running again after bg, the program waits in the background, looking now
// and then whether it is in the foreground again: a poll with a time limit.
bool waitingInTheBackground(PtyProcess& p, pid_t program) {
    return p.waitUntil([&](const VirtualTerminal&) {
        return testing::pollWait(program) == testing::PollWait::WithTimeLimit;
    });
}

// Starts the program from the interactive shell in p and suspends it with
// Ctrl-Z; its process id, or -1 when it never got there.
pid_t startAndSuspendFromTheShell(PtyProcess& p) {
    const pid_t program = testing::startFromTheShell(p);
    return program > 0 && testing::suspendFromTheShell(p) ? program : -1;
}

bool ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string id;
    std::string name;
    std::string state;
    return !(stat >> id >> name >> state) || state == "Z";
}

// The state letter of a process (R, S, T, Z, ...); 0 when it is gone.
char processState(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string id;
    std::string name;
    std::string state;
    return stat >> id >> name >> state ? state[0] : '\0';
}

bool endsWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ended(pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    return ended(pid);
}

// Ctrl-Z, then bg: in the background the program leaves the shell's
// terminal alone; fg brings the picture back and keys work.
TEST(Terminal, InTheBackgroundAfterCtrlZAndBgTheTerminalIsTheShells) {
    PtyProcess p(testing::interactiveShell());
    const pid_t program = startAndSuspendFromTheShell(p);
    ASSERT_GT(program, 0) << dump(p.screen());
    p.send("bg\r");
    ASSERT_TRUE(waitingInTheBackground(p, program)) << dump(p.screen());
    EXPECT_FALSE(p.screen().alternateScreen()) << dump(p.screen());
    EXPECT_TRUE(p.screen().cursorVisible());
    EXPECT_EQ(p.screen().text().find("NOVEMRA"), std::string::npos) << dump(p.screen());
    EXPECT_EQ(::kill(program, 0), 0);

    p.send("fg\r");
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
    EXPECT_TRUE(p.screen().alternateScreen());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) << dump(p.screen());
}

// Every way out sends, after the last of its own drawing, bracketed paste
// off and a clear screen in the default colours before leaving the
// alternate screen: a screen that ignores the alternate screen (GNU screen
// without altscreen) is left clean, and the shell gets no paste marks.
TEST(Terminal, EveryWayOutTurnsPasteOffAndClearsBeforeLeavingTheAlternateScreen) {
    enum class Way { RunAgainNo, XDuringEntry, CtrlC, Terminate };
    for (const Way way : {Way::RunAgainNo, Way::XDuringEntry, Way::CtrlC, Way::Terminate}) {
        ShellSession shell(kProgram);
        PtyProcess& p = shell.process();
        ASSERT_TRUE(atFirstPrompt(p));
        switch (way) {
            case Way::RunAgainNo:
                ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
                ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
                p.send("n");
                ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
                p.send("n");
                break;
            case Way::XDuringEntry:
                ASSERT_TRUE(testing::startTyping(p, 'e'));
                p.send("x");
                break;
            case Way::CtrlC:
                p.send("\x03");
                break;
            case Way::Terminate:
                ::kill(shell.programPid(), SIGTERM);
                break;
        }
        ASSERT_TRUE(shell.waitUntilDone()) << static_cast<int>(way);
        const std::string& bytes = p.received();
        const std::size_t leave = bytes.rfind("\x1b[?1049l");
        ASSERT_NE(leave, std::string::npos) << static_cast<int>(way);
        const std::size_t pasteOff = bytes.rfind("\x1b[?2004l", leave);
        ASSERT_NE(pasteOff, std::string::npos) << static_cast<int>(way);
        EXPECT_GT(pasteOff, bytes.rfind("\x1b[?2004h")) << static_cast<int>(way);
        const std::size_t clear = bytes.find("\x1b[H\x1b[2J", pasteOff);
        EXPECT_LT(clear, leave) << static_cast<int>(way);
        EXPECT_LT(bytes.find("\x1b[m", pasteOff), clear) << static_cast<int>(way);
    }
}

// A window shorter than the picture from the start: nothing is drawn over
// the prompts, and once the window grows the whole picture is there.
TEST(Terminal, AWindowShorterThanThePictureAtStartKeepsTheLinesApart) {
    PtyProcess p({kProgram}, 10, 80);
    ASSERT_TRUE(p.waitForLine(10, kFirstPrompt)) << dump(p.screen());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(10, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) << dump(p.screen());
    p.resize(30, 80);
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.line(1) == "      NOVEMRA v1.2" && s.line(16) == "    ----------------------" &&
               s.line(18) == std::string(kFirstPrompt) + " y" &&
               s.line(19) == " Easy,Difficult,Hard, Xtreme (e,d,h,x)?";
    })) << dump(p.screen());
}

// Typing a puzzle in a short window shows the cell being typed.
TEST(Terminal, AShortWindowShowsTheCellBeingTyped) {
    PtyProcess p({kProgram}, 6, 80);
    p.send("n");
    ASSERT_TRUE(p.waitForLine(6, " Extra fast, Fast or Slow [e,f or s]?")) << dump(p.screen());
    p.send("e");
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.text().find("    |>     |      |      |") != std::string::npos;
    })) << dump(p.screen());
    p.send("4");
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.text().find("    |4 >   |      |      |") != std::string::npos;
    })) << dump(p.screen());
}

// A known terminal that cannot move its cursor gets one line on standard
// error and status 1, and the terminal is left as it was.
// Terminals whose entry cannot move the cursor are refused before anything
// is sent: one without the capability (dumb), and entries terminfo has but
// will not load for curses, a hard-copy and a generic one (as tty33 and lpr
// are), made here with tic. A name terminfo does not know at all is taken
// for an ANSI terminal.
TEST(Terminal, ATerminalThatCannotAddressTheCursorIsRefusedUntouched) {
    const std::filesystem::path entries =
        std::filesystem::temp_directory_path() / ("novemra-terminfo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(entries);
    const std::filesystem::path source = entries / "entries.src";
    std::ofstream(source) << "novemra-hardcopy|a printing terminal, hc, cols#72,\n"
                             "novemra-generic|a line of unknown kind, gn, cols#80,\n";
    ASSERT_EQ(
        std::system(
            ("tic -o " + entries.string() + " " + source.string() + " >/dev/null 2>&1").c_str()),
        0);
    for (const std::string term : {"dumb", "novemra-hardcopy", "novemra-generic"}) {
        ShellSession::Options options;
        options.term = term;
        options.prelude = "TERMINFO=" + entries.string() + "; export TERMINFO;";
        options.redirectOutput = true;
        ShellSession shell(kProgram, options);
        ASSERT_TRUE(shell.waitUntilDone()) << term;
        EXPECT_EQ(shell.exitLine(), "1\n") << term;
        const std::string error = shell.standardError();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_NE(error.find("TERM=" + term + ")"), std::string::npos) << error;
        EXPECT_TRUE(shell.modesRestored()) << term;
        EXPECT_EQ(shell.process().bytesReceived(), 0U) << term;
    }
    ShellSession::Options unknown;
    unknown.term = "novemra-unknown";
    ShellSession shell(kProgram, unknown);
    EXPECT_TRUE(atFirstPrompt(shell.process())) << dump(shell.process().screen());
    std::filesystem::remove_all(entries);
}

// A program in the background that no shell will send SIGHUP (disowned)
// still notices its terminal hang up, and ends.
TEST(Terminal, AHangUpReachesADisownedProgramInTheBackground) {
    PtyProcess p(testing::interactiveShell());
    const pid_t program = startAndSuspendFromTheShell(p);
    ASSERT_GT(program, 0) << dump(p.screen());
    p.send("bg; disown\r");
    ASSERT_TRUE(waitingInTheBackground(p, program)) << dump(p.screen());
    p.hangUp();
    EXPECT_TRUE(endsWithin(program, 10s));
}

// A search running in the background, disowned, notices within a second
// that its window has closed, and ends.
TEST(Terminal, AHangUpReachesADisownedSearchInTheBackground) {
    PtyProcess p(testing::interactiveShell());
    const pid_t program = testing::startFromTheShell(p);
    ASSERT_GT(program, 0) << dump(p.screen());
    // The xtreme puzzle in slow mode: minutes of searching.
    ASSERT_TRUE(startTestPuzzle(p, 'x', 's'));
    ASSERT_TRUE(p.waitForLine(20, "")) << dump(p.screen());
    ASSERT_TRUE(testing::suspendFromTheShell(p));
    p.send("bg; disown\r");
    ASSERT_TRUE(p.waitUntil([&](const VirtualTerminal&) { return processState(program) != 'T'; }));
    p.hangUp();
    EXPECT_TRUE(endsWithin(program, 10s));
}

// Started in the background, the program leaves the shell's terminal alone,
// its modes and its screen, until fg brings it to the foreground.
TEST(Terminal, StartedInTheBackgroundItTouchesNothingUntilFg) {
    PtyProcess p(testing::interactiveShell());
    p.send("PS1='$ '; " + kProgram + " &\r");
    pid_t program = -1;
    ASSERT_TRUE(p.waitUntil([&](const VirtualTerminal&) {
        program = testing::firstChildOf(p.pid());
        return program > 0;
    }));
    ASSERT_TRUE(waitingInTheBackground(p, program)) << dump(p.screen());
    const std::string& bytes = p.received();
    EXPECT_EQ(bytes.find("\x1b[?1049h"), std::string::npos);
    EXPECT_EQ(bytes.find("\x1b[2J"), std::string::npos);
    EXPECT_EQ(bytes.find('\x18'), std::string::npos);
    EXPECT_FALSE(p.screen().alternateScreen());
    p.send("fg\r");
    ASSERT_TRUE(atFirstPrompt(p)) << dump(p.screen());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) << dump(p.screen());
}

// A window resized while the program was stopped (the resize signal goes to
// the shell then) is measured again at fg: the question stays in view.
TEST(Terminal, AWindowResizedWhileStoppedIsMeasuredAtFg) {
    PtyProcess p(testing::interactiveShell());
    const pid_t program = startAndSuspendFromTheShell(p);
    ASSERT_GT(program, 0) << dump(p.screen());
    p.resize(12, 80);
    p.send("fg\r");
    // The picture's line 18, the question, on the window's last line.
    ASSERT_TRUE(p.waitForLine(12, kFirstPrompt)) << dump(p.screen());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(12, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) << dump(p.screen());
}

// Output backed up at Ctrl-Z: after bg, no rest of a frame reaches the
// shell's screen; the program waits for fg to repaint.
TEST(Terminal, AfterCtrlZAndBgNoRestOfAFrameReachesTheShell) {
    PtyProcess p(testing::interactiveShell());
    const pid_t program = testing::startFromTheShell(p);
    ASSERT_GT(program, 0) << dump(p.screen());
    ASSERT_TRUE(startFastSolveAndBackUpItsOutput(p, program));
    ASSERT_TRUE(testing::suspendFromTheShell(p));
    p.send("bg\r");
    // The search ends in the background, at the hard-copy question.
    ASSERT_TRUE(waitingInTheBackground(p, program)) << dump(p.screen());
    const std::string& bytes = p.received();
    const std::size_t leave = bytes.rfind("\x1b[?1049l");
    ASSERT_NE(leave, std::string::npos);
    EXPECT_FALSE(std::regex_search(bytes.substr(leave), std::regex("\x1b\\[[0-9]+;[0-9]+H")))
        << dump(p.screen());
    p.send("fg\r");
    EXPECT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?")) << dump(p.screen());
}

}  // namespace
}  // namespace novemra

#include "app/run_loop.hpp"

#include <gtest/gtest.h>

#include "console/memory_terminal.hpp"
#include "support/fake_spooler.hpp"

namespace novemra {
namespace {

using testing::FakeSpooler;

// The whole program on the in-memory terminal. Keys are typed one at a time,
// each when the program waits; when they run out the program finds its
// terminal gone and ends, and starved() says it was waiting for a key.
struct Session {
    MemoryTerminal terminal{80, 30};
    FakeSpooler spooler;
    ProgramState state;

    void run(std::string_view keys) {
        terminal.scriptKeys(keys);
        runProgram(state, terminal, spooler);
    }
};

constexpr Attribute kYellowOnBlue = 0x1E;

TEST(RunLoop, FirstScreenIsTheEmptyGridAndTheDataSourcePrompt) {
    Session session;
    session.run("");
    const MemoryTerminal& t = session.terminal;
    EXPECT_TRUE(t.starved());
    EXPECT_EQ(t.line(1), "      NOVEMRA v1.2");
    EXPECT_EQ(t.line(5), "    |      |      |      |");
    EXPECT_EQ(t.line(16), "    ----------------------");
    EXPECT_EQ(t.line(17), "");
    EXPECT_EQ(t.screen().lineText(18).substr(0, kDataSourcePrompt.size()), kDataSourcePrompt);
    // The prompt ends in a blank and the cursor waits right after it.
    EXPECT_EQ(t.screen().cursorRow(), 18);
    EXPECT_EQ(t.screen().cursorColumn(), static_cast<int>(kDataSourcePrompt.size()) + 1);
    for (int row = 1; row <= 30; ++row) {
        for (int column = 1; column <= 80; ++column) {
            ASSERT_EQ(t.screen().cell(row, column).attribute, kYellowOnBlue);
        }
    }
}

TEST(RunLoop, HardPuzzleInFastModeReportsSolvedOnLines18To22) {
    Session session;
    session.run("yhfnn");
    const MemoryTerminal& t = session.terminal;
    EXPECT_FALSE(t.starved());  // ended by "n" at the last question
    EXPECT_EQ(t.line(5), "    |2 6 9 |3 5 1 |4 7 8 |");
    EXPECT_EQ(t.line(15), "    |9 4 3 |2 7 8 |5 1 6 |");
    EXPECT_EQ(t.line(17), "");
    EXPECT_EQ(t.line(18), "*** Sudoku Solved ***");
    EXPECT_EQ(t.line(19), "");
    // The hard-copy answer is not echoed.
    EXPECT_EQ(t.line(20), " Do you want a hard copy (y,n)?");
    EXPECT_EQ(t.line(21), "");
    EXPECT_EQ(t.line(22), " Run again [y or n]?");
    EXPECT_TRUE(session.spooler.calls.empty());
    EXPECT_EQ(session.state.level, TestLevel::Hard);
}

TEST(RunLoop, AnswersAreEchoedAndTheSpeedPromptFollowsThem) {
    Session test;
    test.run("yd");  // stops at the speed question
    EXPECT_EQ(test.terminal.line(18), " Use Test data or Help [y,n or h]? y");
    EXPECT_EQ(test.terminal.line(19), " Easy,Difficult,Hard, Xtreme (e,d,h,x)? d");
    EXPECT_EQ(test.terminal.line(20), " Extra fast, Fast or Slow [e,f or s]?");
    // The difficult puzzle is on screen before the speed question.
    EXPECT_EQ(test.terminal.line(5), "    |6 5 8 |      |2 4   |");

    Session manual;
    manual.run("n");
    EXPECT_EQ(manual.terminal.line(18), " Use Test data or Help [y,n or h]? n");
    EXPECT_EQ(manual.terminal.line(19), " Extra fast, Fast or Slow [e,f or s]?");
}

TEST(RunLoop, UpperCaseYMeansTypingThePuzzleIn) {
    Session session;
    session.run("Yf");  // stops in entry
    EXPECT_FALSE(session.state.useTestData);
    EXPECT_EQ(session.terminal.line(5).substr(0, 7), "    |> ");
    EXPECT_EQ(session.terminal.line(18), "");  // the screen was cleared for entry
}

TEST(RunLoop, LevelAnswers) {
    EXPECT_EQ(levelForAnswer("e"), TestLevel::Easy);
    EXPECT_EQ(levelForAnswer("d"), TestLevel::Difficult);
    EXPECT_EQ(levelForAnswer("h"), TestLevel::Hard);
    EXPECT_EQ(levelForAnswer("x"), TestLevel::Xtreme);
    EXPECT_EQ(levelForAnswer("q"), TestLevel::Easy);
    EXPECT_EQ(levelForAnswer("D"), TestLevel::Easy);
}

TEST(RunLoop, SpeedAnswers) {
    EXPECT_EQ(speedForAnswer("e"), SpeedMode::ExtraFast);
    EXPECT_EQ(speedForAnswer("s"), SpeedMode::Slow);
    EXPECT_EQ(speedForAnswer("f"), SpeedMode::Fast);
    EXPECT_EQ(speedForAnswer("F"), SpeedMode::Fast);
    EXPECT_EQ(speedForAnswer("S"), SpeedMode::Fast);
}

TEST(RunLoop, XAtTheLevelQuestionChoosesXtremeAndDoesNotEnd) {
    Session session;
    session.run("yxenn");
    EXPECT_EQ(session.state.level, TestLevel::Xtreme);
    EXPECT_EQ(session.state.speed, SpeedMode::ExtraFast);
    EXPECT_EQ(session.terminal.line(18), "*** Sudoku Solved ***");
}

TEST(RunLoop, UnknownLevelKeyLoadsTheEasyPuzzle) {
    Session session;
    session.run("yq");
    EXPECT_EQ(session.state.level, TestLevel::Easy);
    EXPECT_EQ(session.terminal.line(5), "    |    4 |    8 |  5 7 |");
}

TEST(RunLoop, KeysPressedBeforeTheSpeedPromptAreDrained) {
    Session session;
    bool pressed = false;
    session.terminal.onPoll([&pressed](MemoryTerminal& t) {
        // Right after the level answer has been echoed, the user hits "s".
        if (!pressed && t.line(19).ends_with("? h")) {
            pressed = true;
            t.queueKeys("s");
        }
    });
    session.run("yhe");  // stops at the hard-copy question
    EXPECT_TRUE(pressed);
    EXPECT_EQ(session.state.speed, SpeedMode::ExtraFast);
}

TEST(RunLoop, HelpPageThenAnyKeyStartsTheRunOver) {
    Session session;
    session.run("h");  // stops on the help page
    EXPECT_EQ(session.terminal.line(1), "     *** Novemra v1.2 ***");
    EXPECT_EQ(session.terminal.line(26), "   Hit any key to exit Help");

    Session restarted;
    restarted.run("hx");  // "x" leaves help and does not end the program
    EXPECT_TRUE(restarted.terminal.starved());
    EXPECT_EQ(restarted.terminal.clearCount(), 3);
    EXPECT_EQ(restarted.terminal.line(1), "      NOVEMRA v1.2");
    EXPECT_EQ(restarted.terminal.line(5), "    |      |      |      |");
    EXPECT_EQ(restarted.terminal.line(18), " Use Test data or Help [y,n or h]?");
    EXPECT_EQ(restarted.terminal.line(26), "");
}

TEST(RunLoop, HardCopyOnlyForExactlyLowerCaseY) {
    Session yes;
    yes.run("yefyn");
    EXPECT_EQ(yes.spooler.calls.front(), "lookup");
    EXPECT_EQ(yes.spooler.calls.back(), "close");
    EXPECT_EQ(yes.terminal.line(21), "");
    EXPECT_EQ(yes.terminal.line(22), " Run again [y or n]?");

    Session upper;
    upper.run("yefYn");
    EXPECT_TRUE(upper.spooler.calls.empty());
    EXPECT_EQ(upper.terminal.line(22), " Run again [y or n]?");
}

TEST(RunLoop, FailedHardCopyIsSilent) {
    Session session;
    session.spooler.failOpen = true;
    session.run("yefyn");
    EXPECT_EQ(session.spooler.calls.size(), 2U);
    EXPECT_EQ(session.terminal.line(20), " Do you want a hard copy (y,n)?");
    EXPECT_EQ(session.terminal.line(21), "");
    EXPECT_EQ(session.terminal.line(22), " Run again [y or n]?");
}

TEST(RunLoop, RunAgainStartsFromAnEmptyGrid) {
    Session session;
    session.run("yefny");  // second run stops at its first question
    EXPECT_TRUE(session.terminal.starved());
    EXPECT_EQ(session.terminal.line(5), "    |      |      |      |");
    EXPECT_EQ(session.terminal.line(22), "");
    EXPECT_EQ(session.state.puzzle.status, SolveStatus::NotSolved);
}

TEST(RunLoop, XWhileSolvingEndsTheProgramAtOnce) {
    Session session;
    session.terminal.onPoll([](MemoryTerminal& t) {
        // Once the screen has been cleared for solving, "x" is held down.
        if (t.clearCount() == 2 && t.pendingCount() == 0) {
            t.queueKeys("x");
        }
    });
    session.run("yhe");
    EXPECT_FALSE(session.terminal.starved());
    EXPECT_EQ(session.state.puzzle.status, SolveStatus::NotSolved);
    EXPECT_EQ(session.terminal.line(18), "");
}

TEST(RunLoop, TypedPuzzleWithoutAnyFillReportsUnsolvable) {
    Session session;
    // Row 1 is 1..8 and a blank; row 2 ends with 9, so the blank has no digit.
    std::string keys = "ne";
    keys += "123456780";
    keys += "000000009";
    keys += std::string(63, '0');
    keys += "n";
    session.run(keys);
    const MemoryTerminal& t = session.terminal;
    EXPECT_FALSE(t.starved());
    EXPECT_EQ(t.line(5), "    |1 2 3 |4 5 6 |7 8   |");  // as typed
    EXPECT_EQ(t.line(6), "    |      |      |    9 |");
    EXPECT_EQ(t.line(18), "--- Sudoku Unsolvable ---");
    EXPECT_EQ(t.line(19), "");
    EXPECT_EQ(t.line(20), " Run again [y or n]?");
}

TEST(RunLoop, TypedPuzzleWithClashingGivensIsNotReportedSolved) {
    Session session;
    // Two 5s in row 1 and nothing else: the search could fill every blank
    // around them, but the result would not be a Sudoku.
    std::string keys = "ne55";
    keys += std::string(79, '0');
    keys += "n";
    session.run(keys);
    EXPECT_EQ(session.terminal.line(5), "    |5 5   |      |      |");
    EXPECT_EQ(session.terminal.line(18), "--- Sudoku Unsolvable ---");
    EXPECT_TRUE(session.spooler.calls.empty());
}

TEST(RunLoop, TypedPuzzleIsSolved) {
    Session session;
    std::string keys = "nf";
    keys += "530070000600195000098000060800060003400803001700020006060000280000419005000080079";
    keys += "nn";
    session.run(keys);
    EXPECT_EQ(session.terminal.line(5), "    |5 3 4 |6 7 8 |9 1 2 |");
    EXPECT_EQ(session.terminal.line(18), "*** Sudoku Solved ***");
}

TEST(RunLoop, XDuringEntryEndsWithTheGridAsLastDrawn) {
    Session session;
    session.run("nf12x");
    EXPECT_FALSE(session.terminal.starved());
    EXPECT_EQ(session.terminal.line(5).substr(0, 12), "    |1 2 > |");
}

}  // namespace
}  // namespace novemra

// Keys as real terminals send them: split sequences, long control strings,
// pastes, and a pasted puzzle answered at once.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "e2e/program_steps.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::atFirstPrompt;
using testing::dump;
using testing::exitedWith;
using testing::kFirstPrompt;
using testing::kProgram;
using testing::PtyProcess;
using testing::startTestPuzzle;
using testing::startTyping;
using testing::VirtualTerminal;
using namespace std::chrono_literals;

constexpr std::string_view kLevelPrompt = " Easy,Difficult,Hard, Xtreme (e,d,h,x)?";

std::string bracketed(std::string_view text) {
    return "\x1b[200~" + std::string(text) + "\x1b[201~";
}

TEST(Keys, AnArrowSplitAcrossReadsAnswersNothing) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    p.send("\x1b");
    std::this_thread::sleep_for(20ms);  // the rest comes later, as over a slow link
    p.send("[A");
    ASSERT_TRUE(p.waitUntilWaitingForInput());
    p.send("y");
    ASSERT_TRUE(p.waitForLine(19, kLevelPrompt)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(18), std::string(kFirstPrompt) + " y");
}

TEST(Keys, ALongControlStringAtRunAgainIsOneKeyWithoutCharacter) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTestPuzzle(p, 'e', 'e'));
    ASSERT_TRUE(p.waitForLine(20, " Do you want a hard copy (y,n)?"));
    p.send("n");
    ASSERT_TRUE(p.waitForLine(22, " Run again [y or n]?"));
    // 10 KB of "y" inside an operating-system command string, its second
    // half a little later, as a link delivers it: none of it is an answer.
    p.send("\x1b]52;c;" + std::string(5 * 1024, 'y'));
    std::this_thread::sleep_for(20ms);
    p.send(std::string(5 * 1024, 'y') + "\x07");
    ASSERT_TRUE(p.waitUntilWaitingForInput());
    p.send("n");
    EXPECT_TRUE(exitedWith(p.waitForExit(), 0)) << dump(p.screen());
}

TEST(Keys, APastedGridWithSeparatorsIsTypedInAndSolved) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTyping(p, 'e'));
    // The puzzle as a grid copied from a page: separators, spaces, dots
    // for blanks, CR LF line ends, and text after the 81st cell.
    std::string grid;
    const std::string_view digits = testing::kSolvedSudoku;
    for (int row = 0; row < 9; ++row) {
        if (row % 3 == 0) {
            grid += "+-------+-------+-------+\r\n";
        }
        for (int column = 0; column < 9; ++column) {
            grid += column % 3 == 0 ? "| " : "";
            // Every third cell is left blank for the search to fill.
            const char ch = digits[static_cast<std::size_t>(row * 9 + column)];
            grid += (row + column) % 3 == 0 ? '.' : ch;
            grid += ' ';
        }
        grid += "|\r\n";
    }
    grid += "+-------+-------+-------+\r\n1 2 3 x";
    p.send(bracketed(grid));
    ASSERT_TRUE(p.waitForLine(18, "*** Sudoku Solved ***")) << dump(p.screen());
    EXPECT_EQ(p.screen().line(5), "    |5 3 4 |6 7 8 |9 1 2 |");
    EXPECT_EQ(p.screen().line(15), "    |3 4 5 |2 8 6 |1 7 9 |");
}

TEST(Keys, APasteAtAQuestionIsOneKeyPress) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    p.send(bracketed("yhx"));
    ASSERT_TRUE(p.waitForLine(19, kLevelPrompt)) << dump(p.screen());
    EXPECT_EQ(p.screen().line(18), std::string(kFirstPrompt) + " y");
    p.send("d");
    ASSERT_TRUE(p.waitForLine(19, std::string(kLevelPrompt) + " d")) << dump(p.screen());
}

// Extra fast mode draws nothing while it searches, so it answers at once
// what the walk would take for ever to find: a puzzle whose givens do not
// clash but whose last cell has no digit left. ("x" during a long search is
// tested in fast mode, which still walks.)
TEST(Keys, APastedPuzzleWhoseWalkNeverEndsIsAnsweredInExtraFastMode) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTyping(p, 'e'));
    p.send(bracketed("000000009" + std::string(63, '0') + "123456780"));
    ASSERT_TRUE(p.waitForLine(18, "--- Sudoku Unsolvable ---")) << dump(p.screen());
    // The grid is the puzzle as typed.
    EXPECT_EQ(p.screen().line(5), "    |      |      |    9 |");
    EXPECT_EQ(p.screen().line(15), "    |1 2 3 |4 5 6 |7 8   |");
}

// A sequence cut short ends after a moment: Escape, then a digit typed
// later, is the Escape key and then the digit, not Alt with the digit.
TEST(Keys, AnEscapeCutShortTimesOutAndTheNextDigitCounts) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTyping(p, 'e'));
    const long long before = p.bytesRead();
    p.send("\x1b");
    // Read, then waiting without a time limit: the Escape has timed out.
    ASSERT_TRUE(p.waitUntilRead(before + 1));
    ASSERT_TRUE(p.waitUntilWaitingForInput());
    p.send("5");
    ASSERT_TRUE(p.waitForLine(5, "    |5 >   |      |      |")) << dump(p.screen());
}

// A megabyte of ESC (a stuck key, a binary paste) is a run of Escape keys:
// the program stays alive and takes the next digit.
TEST(Keys, AFloodOfEscapeBytesLeavesTheProgramAnswering) {
    PtyProcess p({kProgram});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTyping(p, 'e'));
    const long long before = p.bytesRead();
    constexpr long long kFlood = 1 << 20;
    p.send(std::string(kFlood, '\x1b'));
    // All of it read, then waiting without a time limit.
    ASSERT_TRUE(p.waitUntilRead(before + kFlood, 30s)) << dump(p.screen());
    ASSERT_TRUE(p.waitUntilWaitingForInput(30s)) << dump(p.screen());
    p.send("5");
    ASSERT_TRUE(p.waitForLine(5, "    |5 >   |      |      |")) << dump(p.screen());
    EXPECT_TRUE(p.screen().alternateScreen());
}

// A parent that leaves SIGIO blocked must not make "x" go unseen during a
// slow search.
TEST(Keys, XEndsASlowSearchWhenSigioWasBlockedAtStart) {
    PtyProcess p({kProgram}, 30, 80, "xterm-256color", {SIGIO});
    ASSERT_TRUE(atFirstPrompt(p));
    ASSERT_TRUE(startTestPuzzle(p, 'x', 's'));
    ASSERT_TRUE(p.waitUntil([](const VirtualTerminal& s) {
        return s.line(18).empty() && s.line(5) != "    |      |      |      |";
    }));
    p.send("x");
    ASSERT_TRUE(exitedWith(p.waitForExit(), 0)) << dump(p.screen());
}

}  // namespace
}  // namespace novemra

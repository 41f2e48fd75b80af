#include "app/help.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/memory_terminal.hpp"

namespace novemra {
namespace {

TEST(Help, PageIsShownWholeAndWaitsForAnyKey) {
    MemoryTerminal terminal(80, 30);
    std::string answer;
    terminal.scriptKeys("x");
    EXPECT_EQ(showHelp(terminal, answer), Flow::Continue);
    EXPECT_EQ(answer, "x");
    // Every line as the page has it; the second title line is the
    // program's own, indented by seven spaces.
    const std::vector<std::string> page = {"     *** Novemra v1.2 ***",
                                           "",
                                           "",
                                           "   Choose Test Data or fill manually",
                                           "   If Test Data chosen then choose :-",
                                           "   Easy, Difficult, Hard or Xtreme",
                                           "   Easy often solved in under 1 second",
                                           "   eXtreme may take a minute or two in",
                                           "   fast mode and a long time in slow mode.",
                                           "",
                                           "   Choose Extra fast,Fast or Slow speed",
                                           "   to see the changes more easily.",
                                           "   Extra fast solves any Sudoku in less",
                                           "   one second",
                                           "",
                                           "   If you have chosen to enter the data then :-",
                                           "   Enter each number and 0 for a blank square.",
                                           "   Backspace to go back 1 square.",
                                           "",
                                           "   If it is not a valid Sudoku then the program",
                                           "   will report 'not solvable.",
                                           "   Hit x at any time to end the program.",
                                           "",
                                           "   After getting a solution you can make a hard copy.",
                                           "",
                                           "   Hit any key to exit Help"};
    for (int row = 1; row <= static_cast<int>(page.size()); ++row) {
        if (row == 2) {
            EXPECT_EQ(terminal.line(2).find_first_not_of(' '), 7U);
            continue;
        }
        EXPECT_EQ(terminal.line(row), page[static_cast<std::size_t>(row - 1)]) << "line " << row;
    }
    EXPECT_EQ(terminal.screen().cursorRow(), 27);
}

TEST(Help, ShortTerminalScrollsThePage) {
    MemoryTerminal terminal(60, 20);
    std::string answer;
    terminal.scriptKeys(" ");
    showHelp(terminal, answer);
    // 26 lines and the line the cursor ends on: the first 7 scrolled away.
    EXPECT_EQ(terminal.line(19), "   Hit any key to exit Help");
    EXPECT_EQ(terminal.line(20), "");
    EXPECT_EQ(terminal.line(1), "   eXtreme may take a minute or two in");
}

}  // namespace
}  // namespace novemra

#include "app/help.hpp"

#include <gtest/gtest.h>

#include "console/memory_terminal.hpp"

namespace novemra {
namespace {

TEST(Help, PageKeepsItsIndentationAndWaitsForAnyKey) {
    MemoryTerminal terminal(80, 30);
    std::string answer;
    terminal.scriptKeys("x");
    EXPECT_EQ(showHelp(terminal, answer), Flow::Continue);
    EXPECT_EQ(answer, "x");
    EXPECT_EQ(terminal.line(1), "     *** Novemra v1.2 ***");
    EXPECT_EQ(terminal.line(2).substr(0, 8).find_first_not_of(' '), 7U);
    EXPECT_EQ(terminal.line(3), "");
    EXPECT_EQ(terminal.line(9), "   fast mode and a long time in slow mode.");
    EXPECT_EQ(terminal.line(14), "   one second");
    EXPECT_EQ(terminal.line(21), "   will report 'not solvable.");
    EXPECT_EQ(terminal.line(24), "   After getting a solution you can make a hard copy.");
    EXPECT_EQ(terminal.line(26), "   Hit any key to exit Help");
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

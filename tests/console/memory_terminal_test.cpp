#include "console/memory_terminal.hpp"

#include <gtest/gtest.h>

namespace novemra {
namespace {

TEST(PollKey, EmptyQueueGivesNothingAndRemovesNothing) {
    MemoryTerminal terminal;
    EXPECT_EQ(terminal.pollKey(), "");
    EXPECT_EQ(terminal.pendingCount(), 0U);
}

TEST(PollKey, AKeyPressDiscardsWhateverWasTypedAhead) {
    MemoryTerminal terminal;
    terminal.queueKeys("ab");
    EXPECT_EQ(terminal.pollKey(), "a");
    EXPECT_EQ(terminal.pollKey(), "");
}

TEST(PollKey, AReleaseGivesNothingAndKeepsTheKeyBehindIt) {
    MemoryTerminal terminal;
    terminal.queue(KeyEvent::release());
    terminal.queue(KeyEvent::press('y'));
    EXPECT_EQ(terminal.pollKey(), "");
    EXPECT_EQ(terminal.pollKey(), "y");
}

TEST(PollKey, AKeyWithoutCharacterGivesNothingAndDiscardsTheQueue) {
    MemoryTerminal terminal;
    terminal.queue(KeyEvent::keyWithoutCharacter());
    terminal.queueKeys("y");
    EXPECT_EQ(terminal.pollKey(), "");
    EXPECT_EQ(terminal.pollKey(), "");
}

TEST(PollKey, AResizeGivesNothingDiscardsNothingAndTakesEffectAtTheNextClear) {
    MemoryTerminal terminal(80, 30);
    terminal.queue(KeyEvent::resize(40, 10));
    terminal.queueKeys("Y");
    EXPECT_EQ(terminal.pollKey(), "");
    EXPECT_EQ(terminal.screen().width(), 80);
    EXPECT_EQ(terminal.pollKey(), "Y");
    terminal.clear();
    EXPECT_EQ(terminal.screen().width(), 40);
    EXPECT_EQ(terminal.screen().height(), 10);
}

TEST(PollKey, BackspaceComesBackAsCharacterEight) {
    MemoryTerminal terminal;
    terminal.queue(KeyEvent::press(kBackspaceKey));
    EXPECT_EQ(terminal.pollKey(), std::string(1, '\x08'));
}

TEST(WaitForInput, ScriptedKeysArriveOneWaitAtATime) {
    MemoryTerminal terminal;
    terminal.scriptKeys("ab");
    EXPECT_EQ(terminal.pollKey(), "");
    ASSERT_TRUE(terminal.waitForInput());
    EXPECT_EQ(terminal.pollKey(), "a");
    EXPECT_EQ(terminal.pollKey(), "");
    ASSERT_TRUE(terminal.waitForInput());
    EXPECT_EQ(terminal.pollKey(), "b");
    EXPECT_FALSE(terminal.waitForInput());
    EXPECT_TRUE(terminal.starved());
    EXPECT_TRUE(terminal.closed());
}

TEST(Print, IntegersTakeTheirDigitsAndOneBlank) {
    MemoryTerminal terminal;
    terminal.print({7}, LineEnd::No);
    terminal.print({"x"}, LineEnd::No);
    terminal.print({-1, "|", 42}, LineEnd::No);
    EXPECT_EQ(terminal.screen().lineText(1).substr(0, 10), "7 x-1 |42 ");
}

TEST(Print, LineEndAloneGoesToColumnOneOfTheNextLine) {
    MemoryTerminal terminal;
    terminal.locate(3, 7);
    terminal.printEmptyLine();
    EXPECT_EQ(terminal.screen().cursorRow(), 4);
    EXPECT_EQ(terminal.screen().cursorColumn(), 1);
}

TEST(Print, LocateThenPrintOverwritesTheStartOfTheLine) {
    MemoryTerminal terminal;
    terminal.locate(20, 1);
    terminal.printText("old text here");
    terminal.locate(20, 1);
    terminal.printText("new");
    EXPECT_EQ(terminal.line(20), "new text here");
}

TEST(SetColour, LaterTextAndClearsTakeTheColour) {
    MemoryTerminal terminal(10, 3);
    terminal.setColour(kColourBrightYellow, kColourBlue);
    terminal.clear();
    terminal.printText("A");
    EXPECT_EQ(terminal.screen().cell(1, 1), (Cell{'A', 30}));
    EXPECT_EQ(terminal.screen().cell(3, 10), (Cell{' ', 30}));
}

}  // namespace
}  // namespace novemra

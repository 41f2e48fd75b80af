#include "puzzle/manual_entry.hpp"

#include <gtest/gtest.h>

#include "console/memory_terminal.hpp"
#include "solver/solver.hpp"

namespace novemra {
namespace {

constexpr char kBackspace = 8;

// Entry on the in-memory terminal, keys typed one per wait.
struct Entry {
    MemoryTerminal terminal;
    PuzzleState puzzle;
    std::string answer;
    Flow flow = Flow::Continue;

    explicit Entry(std::string_view keys) {
        resetPuzzle(puzzle);
        terminal.scriptKeys(keys);
        flow = enterPuzzle(puzzle, terminal, answer);
    }
    int cell(int row, int column) const { return puzzle.grid.at(row, column); }
    CellCode slot(BlankSlot s) const { return puzzle.blanks.at(s); }
};

std::string backspaces(int count) {
    return std::string(static_cast<std::size_t>(count), kBackspace);
}

TEST(ManualEntry, EightyOneZerosListEveryCell) {
    Entry entry(std::string(81, '0'));
    EXPECT_EQ(entry.flow, Flow::Continue);
    for (BlankSlot s = kFirstSlot; s < kLastListSlot; s = nextSlot(s)) {
        ASSERT_EQ(entry.slot(s), s);
    }
    EXPECT_EQ(entry.slot(100), 0);
    EXPECT_EQ(entry.slot(101), 0);
    EXPECT_EQ(entry.puzzle.currentSlot, 101);
}

TEST(ManualEntry, EightyOneDigitsLeaveTheListEmpty) {
    std::string keys;
    for (int i = 0; i < 81; ++i) {
        keys.push_back(static_cast<char>('1' + i % 9));
    }
    Entry entry(keys);
    EXPECT_EQ(entry.puzzle.currentSlot, kFirstSlot);
    EXPECT_EQ(entry.slot(kFirstSlot), 0);
    EXPECT_EQ(entry.cell(9, 9), 9);
}

TEST(ManualEntry, LastCellKeepsShowingTheCursorUntilTheNextDraw) {
    Entry entry(std::string(81, '0'));
    EXPECT_EQ(entry.terminal.line(15), "    |      |      |    > |");
    // ...but the grid itself holds no cursor, so the solver never sees one.
    EXPECT_EQ(entry.cell(9, 9), 0);
}

TEST(ManualEntry, BackspaceAtTheFirstCellChangesAndDrawsNothing) {
    MemoryTerminal terminal;
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    std::string answer;
    terminal.script(KeyEvent::press(kBackspace));
    enterPuzzle(puzzle, terminal, answer);  // ends starved at (1,1)
    EXPECT_EQ(terminal.printCount(), 133);  // the first picture only
    EXPECT_EQ(puzzle.grid.at(1, 1), kEntryCursor);
    EXPECT_EQ(puzzle.currentSlot, kFirstSlot);
}

TEST(ManualEntry, BackspaceCrossesARowEnd) {
    Entry entry("123456789" + backspaces(1));
    EXPECT_EQ(entry.cell(1, 9), kEntryCursor);
    EXPECT_EQ(entry.cell(2, 1), 0);
    EXPECT_EQ(entry.terminal.line(5), "    |1 2 3 |4 5 6 |7 8 > |");
    EXPECT_EQ(entry.terminal.line(6), "    |      |      |      |");
}

TEST(ManualEntry, BackspaceOntoADigitDropsItAndKeepsThePointer) {
    Entry entry(
        "0"
        "5" +
        backspaces(1));
    EXPECT_EQ(entry.cell(1, 2), kEntryCursor);
    EXPECT_EQ(entry.puzzle.currentSlot, 12);
    EXPECT_EQ(entry.slot(11), 11);
}

TEST(ManualEntry, BackspaceOntoABlankWithdrawsItAndRetypingRestoresIt) {
    Entry back("00" + backspaces(1));
    EXPECT_EQ(back.puzzle.currentSlot, 12);
    EXPECT_EQ(back.slot(12), 0);
    EXPECT_EQ(back.slot(11), 11);

    Entry again("00" + backspaces(1) + "0");
    EXPECT_EQ(again.slot(12), 12);
    EXPECT_EQ(again.puzzle.currentSlot, 13);
}

TEST(ManualEntry, WithdrawnBlankAcrossARowEnd) {
    // Row 1 all blanks (slots 11..19, pointer 21); back to (1,9) frees slot
    // 19; a digit there and a blank at (2,1) put code 21 into slot 19.
    Entry back(std::string(9, '0') + backspaces(1));
    EXPECT_EQ(back.puzzle.currentSlot, 19);
    EXPECT_EQ(back.slot(19), 0);

    Entry retyped(std::string(9, '0') + backspaces(1) + "90");
    EXPECT_EQ(retyped.slot(19), 21);
    EXPECT_EQ(retyped.puzzle.currentSlot, 21);
    EXPECT_EQ(retyped.cell(1, 9), 9);
}

TEST(ManualEntry, BackspaceAllTheWayBackWithdrawsEveryBlank) {
    Entry entry("0102030" + backspaces(10));
    EXPECT_EQ(entry.puzzle.currentSlot, kFirstSlot);
    for (BlankSlot s = kFirstSlot; s <= 19; ++s) {
        EXPECT_EQ(entry.slot(s), 0);
    }
    EXPECT_EQ(entry.cell(1, 1), kEntryCursor);
    for (int column = 2; column <= 9; ++column) {
        EXPECT_EQ(entry.cell(1, column), 0);
    }
}

TEST(ManualEntry, OtherKeysDoNothingAndDrawNothing) {
    MemoryTerminal terminal;
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    std::string answer;
    terminal.scriptKeys("aX \r\x1b");
    terminal.script(KeyEvent::keyWithoutCharacter());
    terminal.script(KeyEvent::release());
    enterPuzzle(puzzle, terminal, answer);
    EXPECT_EQ(terminal.printCount(), 133);  // the first picture only
    EXPECT_EQ(puzzle.grid.at(1, 1), kEntryCursor);
}

TEST(ManualEntry, XEndsEntryAtOnce) {
    Entry entry("12x3");
    EXPECT_EQ(entry.flow, Flow::Quit);
    EXPECT_FALSE(entry.terminal.starved());
    EXPECT_EQ(entry.answer, "x");
    EXPECT_EQ(entry.cell(1, 3), kEntryCursor);
}

TEST(ManualEntry, ListMatchesTheBlankCellsAfterAnyMixOfKeys) {
    // Blanks typed, withdrawn and retyped: the list must end up naming the
    // blank cells in order, exactly once each, with 0 after the last.
    const std::string keys = "0300" + backspaces(3) + "0040" + backspaces(1) + "5" +
                             std::string(72, '0') + backspaces(5) + "12" + std::string(7, '0');
    Entry entry(keys);
    ASSERT_EQ(entry.flow, Flow::Continue);
    BlankSlot s = kFirstSlot;
    for (int row = 1; row <= 9; ++row) {
        for (int column = 1; column <= 9; ++column) {
            ASSERT_NE(entry.cell(row, column), kEntryCursor);
            if (entry.cell(row, column) == 0) {
                ASSERT_EQ(entry.slot(s), cellCode(row, column));
                s = nextSlot(s);
            }
        }
    }
    EXPECT_EQ(entry.slot(s), 0);
    EXPECT_EQ(entry.puzzle.currentSlot, s);
}

}  // namespace
}  // namespace novemra

namespace novemra {
namespace {

TEST(ManualEntryPaste, TakesDigitsAndBlanksFromWhereTheCursorStandsAndSkipsTheRest) {
    MemoryTerminal terminal;
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    std::string answer;
    terminal.scriptKeys("12");
    // An "x" or a Backspace inside a paste is just a character to skip.
    terminal.script(KeyEvent::paste("x3.\r\n|\b-4"));
    terminal.scriptKeys("\b");
    terminal.script(KeyEvent::paste(std::string(81, '9')));  // more than is left
    EXPECT_EQ(enterPuzzle(puzzle, terminal, answer), Flow::Continue);
    EXPECT_EQ(puzzle.grid.at(1, 1), 1);
    EXPECT_EQ(puzzle.grid.at(1, 2), 2);
    EXPECT_EQ(puzzle.grid.at(1, 3), 3);
    EXPECT_EQ(puzzle.grid.at(1, 4), 0);  // the dot, listed as a blank
    EXPECT_EQ(puzzle.grid.at(1, 5), 9);  // the "4" was taken back by Backspace
    EXPECT_EQ(puzzle.grid.at(9, 9), 9);
    EXPECT_EQ(puzzle.blanks.at(kFirstSlot), 14);
    EXPECT_EQ(puzzle.blanks.at(nextSlot(kFirstSlot)), 0);
    EXPECT_FALSE(terminal.starved());
}

}  // namespace
}  // namespace novemra

#include "console/screen_buffer.hpp"

#include <gtest/gtest.h>

namespace novemra {
namespace {

TEST(ScreenBuffer, CarriageReturnAndLineFeedMoveWithoutErasing) {
    ScreenBuffer screen(10, 3);
    screen.write("abcdef\r\nxy");
    screen.locate(1, 1);
    screen.write("\n");  // down one line, same column, nothing erased
    EXPECT_EQ(screen.lineText(1), "abcdef    ");
    EXPECT_EQ(screen.lineText(2), "xy        ");
    EXPECT_EQ(screen.cursorRow(), 2);
    EXPECT_EQ(screen.cursorColumn(), 1);
    screen.write("\rZ");
    EXPECT_EQ(screen.lineText(2), "Zy        ");
}

TEST(ScreenBuffer, WrapsAtTheRightEdgeAndScrollsAtTheBottom) {
    ScreenBuffer screen(4, 3);
    screen.setAttribute(makeAttribute(14, 1));
    screen.write("abcdefghijkl");  // fills all three lines, then wraps: scroll
    EXPECT_EQ(screen.lineText(1), "efgh");
    EXPECT_EQ(screen.lineText(2), "ijkl");
    EXPECT_EQ(screen.lineText(3), "    ");
    EXPECT_EQ(screen.cell(3, 1).attribute, makeAttribute(14, 1));
    EXPECT_EQ(screen.cursorRow(), 3);
    EXPECT_EQ(screen.cursorColumn(), 1);
    EXPECT_TRUE(screen.everythingChanged());
}

TEST(ScreenBuffer, LineEndOnTheLastLineScrollsUpByOne) {
    ScreenBuffer screen(5, 2);
    screen.write("one\r\ntwo\r\n");
    EXPECT_EQ(screen.lineText(1), "two  ");
    EXPECT_EQ(screen.lineText(2), "     ");
}

TEST(ScreenBuffer, ClearFillsEveryCellInTheCurrentAttribute) {
    ScreenBuffer screen(6, 4);
    screen.write("text");
    screen.setAttribute(makeAttribute(14, 1));
    screen.clear();
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 6; ++column) {
            EXPECT_EQ(screen.cell(row, column), (Cell{' ', 0x1E}));
        }
    }
    EXPECT_EQ(screen.cursorRow(), 1);
    EXPECT_EQ(screen.cursorColumn(), 1);
}

TEST(ScreenBuffer, ReportsOnlyTheCellsAWriteChanged) {
    ScreenBuffer screen(20, 3);
    screen.write("    |1 2 |");
    screen.forgetChanges();

    screen.locate(1, 1);
    screen.write("    |1 2 |");
    EXPECT_FALSE(screen.hasChanges());

    screen.locate(1, 1);
    screen.write("    |1 7 |");
    ASSERT_EQ(screen.changedRuns().size(), 1U);
    EXPECT_EQ(screen.changedRuns()[0].line, 0);
    EXPECT_EQ(screen.changedRuns()[0].firstColumn, 7);
    EXPECT_EQ(screen.changedRuns()[0].endColumn, 8);
    EXPECT_FALSE(screen.everythingChanged());
}

TEST(ScreenBuffer, AClearThatChangesNothingReportsNothing) {
    ScreenBuffer screen(5, 2);
    screen.clear();
    EXPECT_FALSE(screen.hasChanges());
    screen.setAttribute(makeAttribute(14, 1));
    screen.clear();
    EXPECT_TRUE(screen.everythingChanged());
}

TEST(ScreenBuffer, ControlCharactersAndNonAsciiBytesTakeACellAsABlank) {
    ScreenBuffer screen(6, 2);
    screen.write(std::string("a\x1b\x08\x7f\xc3z"));
    EXPECT_EQ(screen.lineText(1), "a    z");
}

TEST(ScreenBuffer, ClearTakesANewSizeWithinLimits) {
    ScreenBuffer screen(7, 3);
    screen.write("abcdef\r\nghijkl\r\nmn");
    screen.clear(4, 2);
    EXPECT_EQ(screen.lineText(1), "    ");
    EXPECT_EQ(screen.height(), 2);
    screen.clear(65535, 65535);
    EXPECT_EQ(screen.width(), kMaxScreenWidth);
    EXPECT_EQ(screen.height(), kMaxScreenHeight);
    screen.locate(kMaxScreenHeight, kMaxScreenWidth - 1);
    screen.write("z");
    EXPECT_EQ(screen.cell(kMaxScreenHeight, kMaxScreenWidth - 1).ch, 'z');
}

TEST(ScreenBuffer, LocateStaysInsideTheScreen) {
    ScreenBuffer screen(10, 5);
    screen.locate(20, 1);
    EXPECT_EQ(screen.cursorRow(), 5);
    screen.locate(0, 99);
    EXPECT_EQ(screen.cursorRow(), 1);
    EXPECT_EQ(screen.cursorColumn(), 10);
}

}  // namespace
}  // namespace novemra

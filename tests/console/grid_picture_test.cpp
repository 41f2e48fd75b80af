#include "console/grid_picture.hpp"

#include <gtest/gtest.h>

#include "console/memory_terminal.hpp"

namespace novemra {
namespace {

std::string pictureLines(const MemoryTerminal& terminal, int first, int last) {
    std::string text;
    for (int row = first; row <= last; ++row) {
        text += terminal.screen().lineText(row).substr(0, 26) + "\n";
    }
    return text;
}

TEST(DrawGrid, EmptyGridPicture) {
    MemoryTerminal terminal;
    drawGrid(Grid{}, terminal);
    EXPECT_EQ(terminal.line(1), "      NOVEMRA v1.2");
    EXPECT_EQ(terminal.line(2).substr(0, 4), "    ");
    EXPECT_EQ(terminal.line(3), "");
    const std::string separator = "    ----------------------\n";
    const std::string blankRow = "    |      |      |      |\n";
    const std::string band = blankRow + blankRow + blankRow;
    EXPECT_EQ(pictureLines(terminal, 4, 16),
              separator + band + separator + band + separator + band + separator);
}

TEST(DrawGrid, EntryInProgressMatchesTheWorkedExample) {
    Grid grid;
    const int row1[] = {4, 0, 0, 0, 0, 8, 0, 0, 2};
    for (int column = 1; column <= 9; ++column) {
        grid.set(1, column, row1[column - 1]);
    }
    grid.set(2, 3, 7);
    grid.set(2, 5, kEntryCursor);
    MemoryTerminal terminal;
    drawGrid(grid, terminal);
    EXPECT_EQ(pictureLines(terminal, 4, 8),
              "    ----------------------\n"
              "    |4     |    8 |    2 |\n"
              "    |    7 |  >   |      |\n"
              "    |      |      |      |\n"
              "    ----------------------\n");
}

TEST(DrawGrid, CursorInTheFirstCell) {
    Grid grid;
    grid.set(1, 1, kEntryCursor);
    MemoryTerminal terminal;
    drawGrid(grid, terminal);
    EXPECT_EQ(terminal.line(5).substr(0, 7), "    |> ");
}

TEST(DrawGrid, SolvedRowAndRowPlacement) {
    Grid grid;
    const int digits[] = {5, 3, 4, 6, 7, 8, 9, 1, 2};
    for (int row = 1; row <= 9; ++row) {
        for (int column = 1; column <= 9; ++column) {
            grid.set(row, column, digits[(column - 1 + row - 1) % 9]);
        }
    }
    MemoryTerminal terminal;
    drawGrid(grid, terminal);
    EXPECT_EQ(terminal.line(5), "    |5 3 4 |6 7 8 |9 1 2 |");
    // Grid row r stands on screen line 4 + r + (r - 1) / 3.
    EXPECT_EQ(terminal.line(15), "    |2 5 3 |4 6 7 |8 9 1 |");
    EXPECT_EQ(terminal.line(9).substr(0, 7), "    |6 ");
}

TEST(DrawGrid, RedrawKeepsTheScreenAndLeavesTheCursorOnLine17) {
    MemoryTerminal terminal;
    terminal.setColour(kColourBrightYellow, kColourBlue);
    terminal.clear();
    Grid grid;
    grid.set(9, 9, 3);
    drawGrid(grid, terminal);
    terminal.printEmptyLine();
    terminal.printText(" a prompt below the grid ");
    const ScreenBuffer once = terminal.screen();

    terminal.locate(25, 10);
    drawGrid(grid, terminal);

    for (int row = 1; row <= once.height(); ++row) {
        for (int column = 1; column <= once.width(); ++column) {
            ASSERT_EQ(terminal.screen().cell(row, column), once.cell(row, column))
                << row << "," << column;
        }
    }
    EXPECT_EQ(terminal.screen().cursorRow(), 17);
    EXPECT_EQ(terminal.screen().cursorColumn(), 1);
}

}  // namespace
}  // namespace novemra

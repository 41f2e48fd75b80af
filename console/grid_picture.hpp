// The 16-line picture of the grid at the top of the screen.
#pragma once

#include <string_view>

#include "console/console_terminal.hpp"
#include "puzzle/grid.hpp"

namespace novemra {

constexpr std::string_view kGridTitleLine = "      NOVEMRA v1.2";
constexpr std::string_view kGridSubtitleLine = "    Backtracking Sudoku solver";
constexpr std::string_view kGridSeparator = "    ----------------------";
constexpr std::string_view kGridRowStart = "    |";
constexpr std::string_view kGridBoxBar = "|";
// Screen lines the picture takes; the cursor is left on the line after.
constexpr int kGridPictureLines = 16;

// Draws the whole grid from row 1, column 1 and leaves the cursor at
// column 1 of line 17. Every piece is printed every time; the terminal
// decides what actually has to reach the screen.
void drawGrid(const Grid& grid, ConsoleTerminal& terminal);

// Moves the cursor onto the grid cell (row, column) in the picture, so that
// a window too short for the whole picture shows that cell.
void locateCell(ConsoleTerminal& terminal, int row, int column);

}  // namespace novemra

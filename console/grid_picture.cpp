#include "console/grid_picture.hpp"

namespace novemra {

namespace {
constexpr std::string_view kBlankCell = "  ";
constexpr std::string_view kEntryCursorCell = "> ";
}  // namespace

void drawGrid(const Grid& grid, ConsoleTerminal& terminal) {
    // What changed reaches the screen in one write, not one per cell.
    const BatchedOutput batch(terminal);
    terminal.locate(1, 1);
    terminal.printLine(kGridTitleLine);
    terminal.printLine(kGridSubtitleLine);
    terminal.printEmptyLine();
    terminal.printLine(kGridSeparator);
    for (int row = 1; row <= kGridSize; ++row) {
        terminal.printText(kGridRowStart);
        for (int column = 1; column <= kGridSize; ++column) {
            const int value = grid.at(row, column);
            if (value == kBlank) {
                terminal.printText(kBlankCell);
            } else if (value == kEntryCursor) {
                terminal.printText(kEntryCursorCell);
            } else {
                terminal.print({value}, LineEnd::No);
            }
            if (column % 3 == 0) {
                terminal.printText(kGridBoxBar);
            }
        }
        terminal.printEmptyLine();
        if (row % 3 == 0) {
            terminal.printLine(kGridSeparator);
        }
    }
}

void locateCell(ConsoleTerminal& terminal, int row, int column) {
    // Four lines above the first row; a separator after every third row.
    const int line = 4 + row + (row - 1) / 3;
    // Two characters a cell after the row's start; a bar after every third.
    const int firstColumn = static_cast<int>(kGridRowStart.size()) + 1;
    terminal.locate(line, firstColumn + (column - 1) * 2 + (column - 1) / 3);
}

}  // namespace novemra

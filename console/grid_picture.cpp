#include "console/grid_picture.hpp"

namespace novemra {

namespace {
constexpr std::string_view kBlankCell = "  ";
constexpr std::string_view kEntryCursorCell = "> ";
}  // namespace

void drawGrid(const Grid& grid, ConsoleTerminal& terminal) {
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

}  // namespace novemra

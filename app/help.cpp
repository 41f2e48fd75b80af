#include "app/help.hpp"

#include <array>
#include <string_view>

#include "console/keyboard.hpp"

namespace novemra {

namespace {

constexpr std::array<std::string_view, 26> kHelpPage = {
    "     *** Novemra v1.2 ***",
    "       Watch a backtracking search solve Sudoku",
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
    "   Hit any key to exit Help",
};

}  // namespace

Flow showHelp(ConsoleTerminal& terminal, std::string& answer) {
    terminal.clear();
    for (const std::string_view line : kHelpPage) {
        terminal.printLine(line);
    }
    return waitForKey(terminal, answer);
}

}  // namespace novemra

// The page of instructions shown for the answer "h".
#pragma once

#include <string>

#include "console/console_terminal.hpp"
#include "console/flow.hpp"

namespace novemra {

// Clears the screen, shows the help page and waits for any key, which is
// stored in answer. Returns Flow::Quit only when the terminal is gone.
Flow showHelp(ConsoleTerminal& terminal, std::string& answer);

}  // namespace novemra

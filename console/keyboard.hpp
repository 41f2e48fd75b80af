// The two ways the program reads keys: waiting for one, and draining.
#pragma once

#include <string>

#include "console/console_terminal.hpp"
#include "console/flow.hpp"

namespace novemra {

// Polls until a key press arrives and stores it in answer, sleeping on the
// terminal between polls. A paste is a key press too (its first character);
// when pasted is given, the whole paste is stored there, else it is left
// empty. Returns Flow::Quit when the terminal is gone.
Flow waitForKey(ConsoleTerminal& terminal, std::string& answer, std::string* pasted = nullptr);

// Polls until nothing is pending, storing each result in answer, so the
// answer ends empty.
void drainKeysIntoAnswer(ConsoleTerminal& terminal, std::string& answer);

// Polls until nothing is pending and throws the keys away.
void drainKeys(ConsoleTerminal& terminal);

}  // namespace novemra

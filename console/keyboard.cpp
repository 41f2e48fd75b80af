#include "console/keyboard.hpp"

namespace novemra {

Flow waitForKey(ConsoleTerminal& terminal, std::string& answer, std::string* pasted) {
    for (;;) {
        answer = terminal.pollKey(pasted);
        if (!answer.empty()) {
            return Flow::Continue;
        }
        if (!terminal.waitForInput()) {
            return Flow::Quit;
        }
    }
}

void drainKeysIntoAnswer(ConsoleTerminal& terminal, std::string& answer) {
    do {
        answer = terminal.pollKey();
    } while (!answer.empty());
}

void drainKeys(ConsoleTerminal& terminal) {
    while (!terminal.pollKey().empty()) {
    }
}

}  // namespace novemra

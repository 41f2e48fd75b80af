// A terminal with no screen and no keys: the search without a screen.
#pragma once

#include <limits>

#include "console/console_terminal.hpp"

namespace novemra {

class NoScreen final : public ConsoleTerminal {
  public:
    // No key can ever come, so the search's polls end without a call.
    NoScreen() { quietPolls_ = std::numeric_limits<int>::max(); }

    void hideCursor() override {}
    void setColour(int, int) override {}
    void clear() override {}
    void locate(int, int) override {}
    void print(std::initializer_list<PrintItem>, LineEnd) override {}
    std::string pollKey(std::string* pasted) override {
        if (pasted != nullptr) {
            pasted->clear();
        }
        quietPolls_ = std::numeric_limits<int>::max();
        return {};
    }
    bool waitForInput() override { return false; }
};

}  // namespace novemra

// The real terminal layer on one side of a pseudo-terminal, for the tests
// of its output and its input.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "console/memory_terminal.hpp"
#include "console/tty_terminal.hpp"
#include "support/virtual_terminal.hpp"

namespace novemra::testing {

constexpr int kRows = 27;
constexpr int kColumns = 80;

// The real terminal on one side of a pseudo-terminal; what it sends is read
// from the other side and fed to an emulator.
class TtyTerminalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TERM", "xterm-256color", 1);
        winsize size{};
        size.ws_row = kRows;
        size.ws_col = kColumns;
        int slave = -1;
        ASSERT_EQ(::openpty(&master_, &slave, nullptr, nullptr, &size), 0);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ASSERT_EQ(::tcgetattr(slave, &before_), 0);
        slaveCopy_ = ::dup(slave);
        terminalFd_ = slave;
        std::string error;
        terminal_ = TtyTerminal::openOn(slave, error);
        ASSERT_NE(terminal_, nullptr) << error;
        terminal_->hideCursor();
        drain();
    }

    void TearDown() override {
        terminal_.reset();
        if (slaveCopy_ >= 0) {
            ::close(slaveCopy_);
        }
        if (master_ >= 0) {
            ::close(master_);
        }
    }

    // Feeds everything the terminal sent to the emulator; returns the count.
    std::size_t drain() {
        std::size_t total = 0;
        std::array<char, 65536> buffer{};
        for (;;) {
            const ssize_t count = ::read(master_, buffer.data(), buffer.size());
            if (count <= 0) {
                return total;
            }
            total += static_cast<std::size_t>(count);
            emulator_.feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
        }
    }

    void type(std::string_view bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::tcdrain(master_);
        ::usleep(20000);  // let the line discipline pass the bytes on
    }

    // Compares every cell of the emulated screen with the memory terminal:
    // characters, and colours mapped from console numbers to terminal ones.
    void expectSameScreen(const MemoryTerminal& expected) {
        drain();
        for (int row = 1; row <= kRows; ++row) {
            for (int column = 1; column <= kColumns; ++column) {
                const Cell want = expected.screen().cell(row, column);
                const testing::EmulatedCell got = emulator_.cell(row, column);
                ASSERT_EQ(got.ch, want.ch) << "at " << row << "," << column;
                ASSERT_EQ(got.foreground, terminalIndex(want.attribute & 0xF, want.attribute))
                    << "at " << row << "," << column;
                ASSERT_EQ(got.background, terminalIndex(want.attribute >> 4, want.attribute))
                    << "at " << row << "," << column;
            }
        }
    }

    static int terminalIndex(int consoleColour, Attribute attribute) {
        if (attribute == kDefaultAttribute) {
            return -1;
        }
        return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2) |
               (consoleColour & 8);
    }

    int master_ = -1;
    int slaveCopy_ = -1;
    // The descriptor the terminal writes to.
    int terminalFd_ = -1;
    std::atomic<bool> done_ = false;
    termios before_{};
    std::unique_ptr<TtyTerminal> terminal_;
    VirtualTerminal emulator_{kRows, kColumns};
};

}  // namespace novemra::testing

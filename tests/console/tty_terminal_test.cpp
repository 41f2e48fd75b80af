#include "console/tty_terminal.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

#include "console/grid_picture.hpp"
#include "console/memory_terminal.hpp"
#include "console/signal_restore.hpp"
#include "console/terminfo.hpp"
#include "support/tty_fixture.hpp"
#include "support/virtual_terminal.hpp"
#include "support/write_calls.hpp"

namespace novemra {
namespace {

using testing::VirtualTerminal;
using namespace std::chrono_literals;

using testing::kColumns;
using testing::kRows;
using testing::TtyTerminalTest;

TEST_F(TtyTerminalTest, OpensTheAlternateScreenWithTheCursorHidden) {
    EXPECT_TRUE(emulator_.alternateScreen());
    EXPECT_FALSE(emulator_.cursorVisible());
}

TEST_F(TtyTerminalTest, ClosingRestoresScreenCursorAndModes) {
    terminal_->setColour(kColourBrightYellow, kColourBlue);
    terminal_->clear();
    terminal_.reset();
    drain();
    EXPECT_FALSE(emulator_.alternateScreen());
    EXPECT_TRUE(emulator_.cursorVisible());
    termios after{};
    ASSERT_EQ(::tcgetattr(slaveCopy_, &after), 0);
    EXPECT_EQ(after.c_lflag, before_.c_lflag);
    EXPECT_EQ(after.c_iflag, before_.c_iflag);
}

TEST_F(TtyTerminalTest, ScreenMatchesTheMemoryTerminalAfterRandomPrints) {
    MemoryTerminal expected(kColumns, kRows);
    std::mt19937 random(20261209);
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const std::array<std::string, 8> texts = {"    |",        "> ", "  ", "|",
                                              "NOVEMRA v1.2", "\r", "\n", " Run again [y or n]? "};
    for (int step = 0; step < 4000; ++step) {
        switch (pick(0, 9)) {
            case 0: {
                const int foreground = pick(0, 15);
                const int background = pick(0, 15);
                terminal_->setColour(foreground, background);
                expected.setColour(foreground, background);
                break;
            }
            case 1:
                if (pick(0, 20) == 0) {
                    terminal_->clear();
                    expected.clear();
                }
                break;
            case 2: {
                const int row = pick(1, kRows);
                const int column = pick(1, kColumns);
                terminal_->locate(row, column);
                expected.locate(row, column);
                break;
            }
            case 3: {
                const int number = pick(-9, 99);
                terminal_->print({number}, LineEnd::No);
                expected.print({number}, LineEnd::No);
                break;
            }
            default: {
                const std::string& text = texts[static_cast<std::size_t>(pick(0, 7))];
                const LineEnd end = pick(0, 5) == 0 ? LineEnd::Yes : LineEnd::No;
                terminal_->print({text}, end);
                expected.print({text}, end);
                break;
            }
        }
        drain();  // the pty holds only a few kilobytes
        if (step % 500 == 0) {
            expectSameScreen(expected);
        }
    }
    expectSameScreen(expected);
}

TEST_F(TtyTerminalTest, PrintThatChangesNothingSendsNothing) {
    terminal_->setColour(kColourBrightYellow, kColourBlue);
    terminal_->clear();
    Grid grid;
    drawGrid(grid, *terminal_);
    drain();

    drawGrid(grid, *terminal_);
    EXPECT_EQ(drain(), 0U);

    grid.set(5, 5, 7);
    drawGrid(grid, *terminal_);
    const std::size_t sent = drain();
    EXPECT_GT(sent, 0U);
    EXPECT_LE(sent, 12U);  // one cursor move and the digit
    EXPECT_EQ(emulator_.line(10), "    |      |  7   |      |");
}

TEST_F(TtyTerminalTest, ARedrawWithManyChangedCellsIsOneWrite) {
    terminal_->setColour(kColourBrightYellow, kColourBlue);
    terminal_->clear();
    Grid grid;
    drawGrid(grid, *terminal_);
    drain();
    // Cells far apart, each a run of its own.
    for (int cell = 1; cell <= 9; ++cell) {
        grid.set(cell, 10 - cell, cell);
    }
    testing::countWritesTo(terminalFd_);
    drawGrid(grid, *terminal_);
    EXPECT_EQ(testing::writesCounted(), 1);
    testing::countWritesTo(-1);
    drain();
    EXPECT_EQ(emulator_.line(5), "    |      |      |    1 |");
    EXPECT_EQ(emulator_.line(15), "    |9     |      |      |");
}

TEST_F(TtyTerminalTest, ColoursAreBrightYellowOnBlue) {
    terminal_->setColour(kColourBrightYellow, kColourBlue);
    terminal_->clear();
    terminal_->printText("A");
    drain();
    EXPECT_EQ(emulator_.cell(1, 1).ch, 'A');
    EXPECT_EQ(emulator_.cell(1, 1).foreground, 11);
    EXPECT_EQ(emulator_.cell(1, 1).background, 4);
    EXPECT_EQ(emulator_.cell(kRows, kColumns).background, 4);
}

// Feeds a 5x20 emulator what the real terminal layer sends, told by TERM
// that it runs on the given entry, to draw "Z" bright yellow on blue.
void drawBrightYellowOnBlueAs(const char* term, VirtualTerminal& emulator) {
    ::setenv("TERM", term, 1);
    winsize size{};
    size.ws_row = 5;
    size.ws_col = 20;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    {
        std::string error;
        auto terminal = TtyTerminal::openOn(slave, error);
        EXPECT_NE(terminal, nullptr) << error;
        if (terminal != nullptr) {
            terminal->setColour(kColourBrightYellow, kColourBlue);
            terminal->clear();
            terminal->printText("Z");
        }
        char buffer[8192];
        for (ssize_t count; (count = ::read(master, buffer, sizeof buffer)) > 0;) {
            emulator.feed(std::string_view(buffer, static_cast<std::size_t>(count)));
        }
    }
    ::close(master);
    ::setenv("TERM", "xterm-256color", 1);
}

TEST(TtyTerminalColours, EightColourTerminalShowsBrightAsBold) {
    VirtualTerminal emulator(5, 20);
    drawBrightYellowOnBlueAs("xterm", emulator);  // terminfo: 8 colours
    EXPECT_EQ(emulator.cell(1, 1).ch, 'Z');
    EXPECT_EQ(emulator.cell(1, 1).foreground, 3);  // yellow...
    EXPECT_TRUE(emulator.cell(1, 1).bold);         // ...made bright by bold
    EXPECT_EQ(emulator.cell(1, 1).background, 4);
}

// Entries whose colour numbers from 8 on are 24-bit RGB values (from
// Debian's ncurses-term): colour 11, bright yellow elsewhere, is a
// near-black blue there.
class DirectColourTerminal : public ::testing::TestWithParam<const char*> {};

TEST_P(DirectColourTerminal, ShowsBrightYellowOnBlue) {
    ASSERT_TRUE(terminfo::entryExists(GetParam())) << "no terminfo entry " << GetParam();
    VirtualTerminal emulator(5, 20);
    drawBrightYellowOnBlueAs(GetParam(), emulator);
    EXPECT_EQ(emulator.cell(1, 1).ch, 'Z');
    EXPECT_EQ(emulator.cell(1, 1).foregroundRgb, 0xFFFF55);
    EXPECT_EQ(emulator.cell(1, 1).background, 4);
    EXPECT_EQ(emulator.cell(5, 20).background, 4);
    EXPECT_EQ(emulator.line(1), "Z");  // no stray bytes on the screen
}

INSTANTIATE_TEST_SUITE_P(Entries, DirectColourTerminal,
                         ::testing::Values("alacritty-direct", "iterm2-direct", "kitty-direct",
                                           "konsole-direct", "mintty-direct", "mlterm-direct",
                                           "nsterm-direct", "st-direct", "tmux-direct",
                                           "vscode-direct", "vte-direct", "xterm-direct",
                                           "xterm-direct2"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace novemra

#include "console/tty_terminal.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

#include "console/grid_picture.hpp"
#include "console/memory_terminal.hpp"
#include "console/signal_restore.hpp"
#include "support/virtual_terminal.hpp"

namespace novemra {
namespace {

using testing::VirtualTerminal;
using namespace std::chrono_literals;

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
    std::atomic<bool> done_ = false;
    termios before_{};
    std::unique_ptr<TtyTerminal> terminal_;
    VirtualTerminal emulator_{kRows, kColumns};
};

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
    const long before = terminal_->writeCalls();
    drawGrid(grid, *terminal_);
    EXPECT_EQ(terminal_->writeCalls() - before, 1);
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

TEST(TtyTerminalColours, EightColourTerminalShowsBrightAsBold) {
    ::setenv("TERM", "xterm", 1);  // terminfo: 8 colours
    winsize size{};
    size.ws_row = 5;
    size.ws_col = 20;
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, &size), 0);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    VirtualTerminal emulator(5, 20);
    {
        std::string error;
        auto terminal = TtyTerminal::openOn(slave, error);
        ASSERT_NE(terminal, nullptr) << error;
        terminal->setColour(kColourBrightYellow, kColourBlue);
        terminal->clear();
        terminal->printText("Z");
        char buffer[8192];
        for (ssize_t count; (count = ::read(master, buffer, sizeof buffer)) > 0;) {
            emulator.feed(std::string_view(buffer, static_cast<std::size_t>(count)));
        }
    }
    ::close(master);
    ::setenv("TERM", "xterm-256color", 1);
    EXPECT_EQ(emulator.cell(1, 1).ch, 'Z');
    EXPECT_EQ(emulator.cell(1, 1).foreground, 3);  // yellow...
    EXPECT_TRUE(emulator.cell(1, 1).bold);         // ...made bright by bold
    EXPECT_EQ(emulator.cell(1, 1).background, 4);
}

TEST_F(TtyTerminalTest, KeysArriveOneAtATimeAndTypeAheadIsDropped) {
    EXPECT_EQ(terminal_->pollKey(), "");
    type("ab");
    EXPECT_EQ(terminal_->pollKey(), "a");
    EXPECT_EQ(terminal_->pollKey(), "");
    type("\x7f");
    EXPECT_EQ(terminal_->pollKey(), "\b");
    type("\r");
    EXPECT_EQ(terminal_->pollKey(), "\r");
    type("\x1b[Ay");
    EXPECT_EQ(terminal_->pollKey(), "");
    EXPECT_EQ(terminal_->pollKey(), "");
}

// The search's polls between clock checks make no call, but a key the
// handlers noted is still taken at the very next one.
TEST_F(TtyTerminalTest, AKeyNotedBetweenClockChecksIsTakenAtTheNextPoll) {
    EXPECT_FALSE(terminal_->pollForKey("x"));  // reads; the next polls may be quiet
    type("x");
    for (int waited = 0; !signal_restore::noted() && waited < 10000; ++waited) {
        ::poll(nullptr, 0, 1);  // the SIGIO handler runs in its own time
    }
    ASSERT_TRUE(signal_restore::noted());
    EXPECT_TRUE(terminal_->pollForKey("x"));
    EXPECT_FALSE(terminal_->pollForKey("x"));
}

TEST_F(TtyTerminalTest, ResizeIsAKeyWithoutCharacterThatKeepsTheQueue) {
    terminal_->setColour(kColourBrightYellow, kColourBlue);
    terminal_->clear();
    type("y");
    winsize size{};
    size.ws_row = 20;
    size.ws_col = 40;
    ::ioctl(master_, TIOCSWINSZ, &size);
    std::raise(SIGWINCH);  // the test process is not in the terminal's session
    EXPECT_EQ(terminal_->pollKey(), "");
    EXPECT_EQ(terminal_->pollKey(), "y");
}

TEST_F(TtyTerminalTest, WaitForInputReportsAHangUp) {
    type("k");
    EXPECT_TRUE(terminal_->waitForInput());
    EXPECT_EQ(terminal_->pollKey(), "k");
    ::close(master_);
    master_ = -1;
    EXPECT_FALSE(terminal_->waitForInput());
    EXPECT_TRUE(terminal_->closed());
}

}  // namespace
}  // namespace novemra

namespace novemra {
namespace {

// A resize whose handler runs while the program is not inside its wait (here:
// in another thread, with the waiting thread shielded from the signal)
// must still end the wait, instead of the wait sleeping until a key comes.
TEST_F(TtyTerminalTest, AResizeThatLandsOutsideTheWaitStillEndsIt) {
    sigset_t winch;
    sigemptyset(&winch);
    sigaddset(&winch, SIGWINCH);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &winch, nullptr), 0);
    std::atomic<bool> keySent = false;
    std::thread other([&] {
        ::pthread_sigmask(SIG_UNBLOCK, &winch, nullptr);
        std::this_thread::sleep_for(100ms);
        ::pthread_kill(::pthread_self(), SIGWINCH);
        // A way out for a terminal that does not wake: a key, much later.
        for (int i = 0; i < 300 && !done_; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        if (!done_) {
            keySent = true;
            EXPECT_EQ(::write(master_, "k", 1), 1);
        }
    });
    EXPECT_TRUE(terminal_->waitForInput());
    done_ = true;
    EXPECT_FALSE(keySent) << "the wait ended only when a key came";
    other.join();
    ::pthread_sigmask(SIG_UNBLOCK, &winch, nullptr);
}

// A window that claims an absurd size costs neither an overflow nor memory
// and output in proportion to its size.
TEST(TtyTerminalSize, AHugeWindowIsClampedAndCheapToPaint) {
    ::setenv("TERM", "xterm-256color", 1);
    winsize size{};
    size.ws_row = 60000;
    size.ws_col = 60000;
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, &size), 0);
    std::atomic<bool> stop = false;
    std::atomic<std::size_t> received = 0;
    std::thread reader([&] {
        char buffer[65536];
        while (!stop) {
            pollfd readable{master, POLLIN, 0};
            if (::poll(&readable, 1, 10) > 0) {
                const ssize_t count = ::read(master, buffer, sizeof buffer);
                received += count > 0 ? static_cast<std::size_t>(count) : 0;
            }
        }
    });
    {
        std::string error;
        auto terminal = TtyTerminal::openOn(slave, error);
        ASSERT_NE(terminal, nullptr) << error;
        terminal->setColour(kColourBrightYellow, kColourBlue);
        terminal->clear();
        drawGrid(Grid{}, *terminal);
    }
    stop = true;
    reader.join();
    ::close(master);
    // A thousand lines of the window, each erased in one sequence.
    EXPECT_LT(received.load(), 64U * 1024U);
}

}  // namespace
}  // namespace novemra

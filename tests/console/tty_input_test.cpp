#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "console/grid_picture.hpp"
#include "console/memory_terminal.hpp"
#include "console/signal_restore.hpp"
#include "console/tty_terminal.hpp"
#include "support/tty_fixture.hpp"
#include "support/virtual_terminal.hpp"

namespace novemra {
namespace {

using testing::VirtualTerminal;
using namespace std::chrono_literals;

using testing::kColumns;
using testing::kRows;
using testing::TtyTerminalTest;
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

// Input that arrives while the terminal is closed leaves a SIGIO pending;
// once the handlers are gone its default action would end the process. The
// way out discards it: the process lives on (here, a death-test child that
// keeps SIGIO blocked over the close, then unblocks it).
TEST(TtyTerminalClose, InputDuringTheCloseDoesNotEndTheProcess) {
    EXPECT_EXIT(
        {
            int master = -1;
            int slave = -1;
            if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
                std::_Exit(2);
            }
            std::string error;
            auto terminal = TtyTerminal::openOn(slave, error);
            if (!terminal) {
                std::_Exit(3);
            }
            // Blocked after the open, which unblocks the signals it needs.
            sigset_t input;
            sigemptyset(&input);
            sigaddset(&input, SIGIO);
            ::pthread_sigmask(SIG_BLOCK, &input, nullptr);
            // A key while the close begins: its SIGIO waits, blocked.
            if (::write(master, "k", 1) != 1) {
                std::_Exit(4);
            }
            for (sigset_t pending; sigemptyset(&pending) == 0 && ::sigpending(&pending) == 0 &&
                                   sigismember(&pending, SIGIO) == 0;) {
                ::sched_yield();
            }
            terminal.reset();
            ::pthread_sigmask(SIG_UNBLOCK, &input, nullptr);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace novemra

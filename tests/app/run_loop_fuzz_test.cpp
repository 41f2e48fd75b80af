// Random key sequences through the whole run loop, checking the puzzle
// state at every poll. NOVEMRA_FUZZ_SEQUENCES sets how many sequences run
// (a fixed-seed few thousand by default); NOVEMRA_FUZZ_SEED the first seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "app/run_loop.hpp"
#include "console/memory_terminal.hpp"
#include "support/fake_spooler.hpp"

namespace novemra {
namespace {

// Checks what must hold whenever the program looks at the keyboard.
// Returns a description of the first broken rule, or "".
std::string brokenRule(const PuzzleState& puzzle) {
    int cursors = 0;
    int cursorIndex = -1;
    for (int index = 0; index < 81; ++index) {
        const int value = puzzle.grid.at(index / 9 + 1, index % 9 + 1);
        if (value < -1 || value > 9) {
            return "cell value " + std::to_string(value);
        }
        if (value == kEntryCursor) {
            ++cursors;
            cursorIndex = index;
        }
    }
    if (cursors > 1) {
        return "more than one entry cursor";
    }
    // Walk the list; listed cells come in reading order, each once.
    BlankSlot slot = kFirstSlot;
    int lastListed = -1;
    bool listed[81] = {};
    for (; slot < kLastListSlot && puzzle.blanks.at(slot) != 0; slot = nextSlot(slot)) {
        const CellCode code = puzzle.blanks.at(slot);
        const int row = cellRow(code);
        const int column = cellColumn(code);
        if (row < 1 || row > 9 || column < 1 || column > 9) {
            return "bad code " + std::to_string(code);
        }
        const int index = (row - 1) * 9 + (column - 1);
        if (index <= lastListed) {
            return "list out of reading order at slot " + std::to_string(slot);
        }
        lastListed = index;
        listed[index] = true;
    }
    for (BlankSlot rest = slot; rest <= kLastListSlot; ++rest) {
        if (puzzle.blanks.at(rest) != 0) {
            return "slot " + std::to_string(rest) + " after the end of the list is not 0";
        }
    }
    if (cursors == 1) {
        // Typing in: exactly the zero cells before the cursor are listed,
        // the pointer stands after them, and everything after is blank.
        for (int index = 0; index < 81; ++index) {
            const int value = puzzle.grid.at(index / 9 + 1, index % 9 + 1);
            if (index < cursorIndex && listed[index] != (value == 0)) {
                return "entry list disagrees with cell " + std::to_string(index);
            }
            if (index > cursorIndex && (value != 0 || listed[index])) {
                return "cell after the cursor is not a plain blank";
            }
        }
        if (puzzle.currentSlot != slot) {
            return "entry pointer not after the last listed cell";
        }
        return "";
    }
    if (lastListed >= 0) {
        // A loaded puzzle, before or during the search: a cell that is not
        // listed is a given digit.
        for (int index = 0; index < 81; ++index) {
            const int value = puzzle.grid.at(index / 9 + 1, index % 9 + 1);
            if (!listed[index] && (value < 1 || value > 9)) {
                return "unlisted cell " + std::to_string(index) + " holds " + std::to_string(value);
            }
        }
    }
    return "";
}

// Keys the program gives meaning to come up often, so runs get deep; every
// other byte value still turns up.
KeyEvent randomEvent(std::mt19937& random) {
    auto pick = [&random](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
    const int kind = pick(99);
    if (kind < 3) {
        return KeyEvent::release();
    }
    if (kind < 5) {
        return KeyEvent::keyWithoutCharacter();
    }
    if (kind < 7) {
        return KeyEvent::resize(1 + pick(99), 1 + pick(39));
    }
    if (kind < 25) {
        return KeyEvent::press(static_cast<char>(pick(255)));
    }
    static const std::string meaningful = "yyynnhedxxefs0000000123456789\b\b\bY";
    return KeyEvent::press(
        meaningful[static_cast<std::size_t>(pick(static_cast<int>(meaningful.size()) - 1))]);
}

void noDelay(SpeedMode) {}

struct Outcome {
    bool starved = false;
    bool quitByX = false;
    bool typedIn = false;
    bool searched = false;
    std::string broken;
};

Outcome runSequence(unsigned seed) {
    std::mt19937 random(seed);
    MemoryTerminal terminal(80, 30);
    testing::FakeSpooler spooler;
    spooler.failOpen = (seed % 2) == 0;
    ProgramState state;
    const int length = std::uniform_int_distribution<int>(1, 250)(random);
    for (int i = 0; i < length; ++i) {
        terminal.script(randomEvent(random));
    }

    Outcome outcome;
    long waitsAtLastPoll = -1;
    long pollsWithoutWait = 0;
    bool xInjected = false;
    terminal.onPoll([&](MemoryTerminal& t) {
        if (outcome.broken.empty()) {
            outcome.broken = brokenRule(state.puzzle);
        }
        outcome.typedIn |= state.puzzle.currentSlot != kFirstSlot && !state.useTestData;
        outcome.searched |= state.puzzle.status != SolveStatus::NotSolved;
        // Polls without a wait in between come from the search (or a
        // drain). A long search is ended with "x", which it must obey at
        // its next step back.
        pollsWithoutWait = t.waitCount() == waitsAtLastPoll ? pollsWithoutWait + 1 : 0;
        waitsAtLastPoll = t.waitCount();
        if (xInjected && outcome.broken.empty()) {
            outcome.broken = "the search went on after \"x\"";
        }
        if (pollsWithoutWait > 3000 && !xInjected) {
            t.queueKeys("x");
            xInjected = true;
        }
        // Now and then a key typed at an odd moment.
        if (std::uniform_int_distribution<int>(0, 400)(random) == 0) {
            t.queue(randomEvent(random));
        }
    });
    runProgram(state, terminal, spooler, noDelay);
    outcome.starved = terminal.starved();
    outcome.quitByX = xInjected;
    if (xInjected && outcome.broken == "the search went on after \"x\"") {
        outcome.broken.clear();  // the poll that read "x" itself is fine
    }
    return outcome;
}

TEST(RunLoopFuzz, RandomKeySequencesKeepThePuzzleStateSound) {
    long sequences = 3000;
    if (const char* text = std::getenv("NOVEMRA_FUZZ_SEQUENCES")) {
        sequences = std::atol(text);
    }
    unsigned firstSeed = 1;
    if (const char* text = std::getenv("NOVEMRA_FUZZ_SEED")) {
        firstSeed = static_cast<unsigned>(std::atol(text));
    }
    long starved = 0;
    long ended = 0;
    long endedByX = 0;
    long typedIn = 0;
    long searched = 0;
    for (long i = 0; i < sequences; ++i) {
        const unsigned seed = firstSeed + static_cast<unsigned>(i);
        const Outcome outcome = runSequence(seed);
        ASSERT_EQ(outcome.broken, "") << "seed " << seed;
        starved += outcome.starved ? 1 : 0;
        ended += outcome.starved ? 0 : 1;
        endedByX += outcome.quitByX ? 1 : 0;
        typedIn += outcome.typedIn ? 1 : 0;
        searched += outcome.searched ? 1 : 0;
    }
    std::printf(
        "%ld sequences: %ld typed blanks in, %ld finished a search; at the end %ld were "
        "still waiting for a key and %ld had ended (%ld by \"x\" sent into a long "
        "search)\n",
        sequences, typedIn, searched, starved, ended, endedByX);
}

}  // namespace
}  // namespace novemra

// The abort key while solving: "x" at a step back of the walk, at a branch
// of the engine that finds the walk's end in extra fast mode, and the keys
// and terminal events the search must ignore or act on.
#include <gtest/gtest.h>

#include "console/memory_terminal.hpp"
#include "puzzle/test_puzzles.hpp"
#include "solver/first_solution.hpp"
#include "solver/solver.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::puzzleFrom;

TEST(Solver, LowerCaseXAtAStepBackEndsTheSearch) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Hard);
    MemoryTerminal terminal;
    terminal.queueKeys("x");
    const SolveRun run = solvePuzzle(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(run.flow, Flow::Quit);
    // The key waited through the forward moves until the first step back.
    EXPECT_GT(run.placements, 0);
    EXPECT_EQ(run.stepsBack, 1);
    EXPECT_EQ(puzzle.status, SolveStatus::NotSolved);
}

// Extra fast mode walks until kWalkedStepsBack steps back, polling at each,
// and then finds where the walk ends directly: the same grid and slot.
TEST(Solver, ExtraFastWalksItsFirstStepsBackThenEndsWhereTheWalkEnds) {
    PuzzleState walked;
    resetPuzzle(walked);
    fillTestPuzzle(walked, TestLevel::Hard);
    PuzzleState answered = walked;
    MemoryTerminal walkTerminal;
    searchInOrder(walked, SpeedMode::ExtraFast, walkTerminal);

    MemoryTerminal terminal;
    const SolveRun run = solvePuzzle(answered, SpeedMode::ExtraFast, terminal);
    EXPECT_TRUE(run.answeredDirectly);
    EXPECT_EQ(run.stepsBack, kWalkedStepsBack);
    // One poll a step back, then one a branch of the engine.
    EXPECT_GE(terminal.pollCount(), kWalkedStepsBack);
    EXPECT_EQ(terminal.printCount(), 0);
    EXPECT_EQ(answered.status, SolveStatus::Solved);
    EXPECT_EQ(answered.grid, walked.grid);
    EXPECT_EQ(answered.currentSlot, walked.currentSlot);

    // A short walk is walked to its end.
    PuzzleState easy;
    resetPuzzle(easy);
    fillTestPuzzle(easy, TestLevel::Easy);
    EXPECT_FALSE(solvePuzzle(easy, SpeedMode::ExtraFast, terminal).answeredDirectly);
}

// Once the walk is cut short, the engine that finds its end still hears
// "x": at its next branch, not after it has answered.
TEST(Solver, ExtraFastHearsXWhileTheEngineWorks) {
    // Several solutions, sparse: the engine branches many times.
    PuzzleState puzzle = puzzleFrom(
        "000000000000000000006000400000084000000000000000070000000600053000053064000020000");
    MemoryTerminal terminal;
    terminal.onPoll([](MemoryTerminal& self) {
        if (self.pollCount() == kWalkedStepsBack + 1) {
            self.queueKeys("x");
        }
    });
    const SolveRun run = solvePuzzle(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(run.flow, Flow::Quit);
    EXPECT_EQ(run.stepsBack, kWalkedStepsBack);
    EXPECT_EQ(terminal.pollCount(), kWalkedStepsBack + 1);
    EXPECT_EQ(puzzle.status, SolveStatus::NotSolved);
}

TEST(Solver, ATerminalThatGoesAwayEndsTheSearchAtTheNextStepBack) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Xtreme);
    MemoryTerminal terminal;
    constexpr long kClosedAtPoll = 100;
    terminal.onPoll([](MemoryTerminal& t) {
        if (t.pollCount() == kClosedAtPoll) {
            t.close();
        }
    });
    const SolveRun run = solvePuzzle(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(run.flow, Flow::Quit);
    EXPECT_EQ(run.stepsBack, kClosedAtPoll);
    EXPECT_EQ(puzzle.status, SolveStatus::NotSolved);
}

TEST(Solver, OtherKeysAtStepsBackAreDroppedAndTheSearchGoesOn) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Easy);
    MemoryTerminal terminal;
    int polls = 0;
    terminal.onPoll([&polls](MemoryTerminal& t) {
        // Upper-case X, a release and a key without a character, one per poll.
        if (polls == 0) {
            t.queue(KeyEvent::press('X'));
        } else if (polls == 1) {
            t.queue(KeyEvent::release());
        } else if (polls == 2) {
            t.queue(KeyEvent::keyWithoutCharacter());
        }
        ++polls;
    });
    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(run.flow, Flow::Continue);
    EXPECT_EQ(puzzle.status, SolveStatus::Solved);
    EXPECT_EQ(run.stepsBack, 55);
}

TEST(Solver, SearchWithoutStepsBackCannotBeInterrupted) {
    // One blank: filled on the way forward, so the pending "x" is never read
    // and stays for the next question.
    PuzzleState puzzle = puzzleFrom(
        "53467891."
        "672195348"
        "198342567"
        "859761423"
        "426853791"
        "713924856"
        "961537284"
        "287419635"
        "345286179");
    MemoryTerminal terminal;
    terminal.queueKeys("x");
    const SolveRun run = searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    EXPECT_EQ(run.flow, Flow::Continue);
    EXPECT_EQ(puzzle.grid.at(1, 9), 2);
    EXPECT_EQ(terminal.pendingCount(), 1U);
}

}  // namespace
}  // namespace novemra

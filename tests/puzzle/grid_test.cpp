#include "puzzle/grid.hpp"

#include <gtest/gtest.h>

namespace novemra {
namespace {

TEST(BlankSlots, SkipMultiplesOfTenBothWays) {
    EXPECT_EQ(nextSlot(11), 12);
    EXPECT_EQ(nextSlot(19), 21);
    EXPECT_EQ(nextSlot(99), 101);
    EXPECT_EQ(previousSlot(21), 19);
    EXPECT_EQ(previousSlot(12), 11);
    EXPECT_EQ(previousSlot(11), 9);
}

TEST(BlankSlots, WalkingForwardVisitsEveryCellCodeOnce) {
    // The i-th slot from 11 on holds the i-th cell in reading order, so the
    // slot numbers themselves are the 81 cell codes.
    int visited = 0;
    BlankSlot slot = kFirstSlot;
    for (int row = 1; row <= 9; ++row) {
        for (int column = 1; column <= 9; ++column) {
            EXPECT_EQ(slot, cellCode(row, column));
            slot = nextSlot(slot);
            ++visited;
        }
    }
    EXPECT_EQ(visited, 81);
    EXPECT_EQ(slot, kLastListSlot);
}

TEST(CellCodes, DecodeCorners) {
    EXPECT_EQ(cellRow(99), 9);
    EXPECT_EQ(cellColumn(99), 9);
    EXPECT_EQ(cellRow(11), 1);
    EXPECT_EQ(cellColumn(11), 1);
    EXPECT_EQ(cellRow(cellCode(7, 3)), 7);
    EXPECT_EQ(cellColumn(cellCode(7, 3)), 3);
}

TEST(PuzzleState, ResetForgetsEverySlotOfAnEarlierRun) {
    PuzzleState puzzle;
    for (BlankSlot slot = kFirstSlot; slot < kLastListSlot; slot = nextSlot(slot)) {
        appendBlank(puzzle, cellRow(slot), cellColumn(slot));
    }
    puzzle.grid.set(5, 5, 7);
    puzzle.status = SolveStatus::Solved;

    resetPuzzle(puzzle);

    for (BlankSlot slot = 0; slot <= kLastListSlot; ++slot) {
        EXPECT_EQ(puzzle.blanks.at(slot), 0) << "slot " << slot;
    }
    EXPECT_EQ(puzzle.grid, Grid{});
    EXPECT_EQ(puzzle.status, SolveStatus::NotSolved);
}

TEST(PuzzleState, AppendBlankFillsTheSlotUnderThePointerAndMovesOn) {
    PuzzleState puzzle;
    puzzle.currentSlot = 19;
    appendBlank(puzzle, 3, 4);
    EXPECT_EQ(puzzle.blanks.at(19), 34);
    EXPECT_EQ(puzzle.currentSlot, 21);
    EXPECT_EQ(puzzle.blanks.at(21), 0);
}

}  // namespace
}  // namespace novemra

// Micro-benchmarks of the search and the grid picture on the in-memory
// terminal.
#include <benchmark/benchmark.h>

#include "console/grid_picture.hpp"
#include "console/memory_terminal.hpp"
#include "console/no_screen.hpp"
#include "puzzle/test_puzzles.hpp"
#include "scanning_search.hpp"
#include "solver/first_solution.hpp"
#include "solver/solver.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

void solveLevel(benchmark::State& state, TestLevel level, SpeedMode speed) {
    MemoryTerminal terminal;
    for (auto _ : state) {
        state.PauseTiming();
        PuzzleState puzzle;
        resetPuzzle(puzzle);
        fillTestPuzzle(puzzle, level);
        state.ResumeTiming();
        benchmark::DoNotOptimize(solvePuzzle(puzzle, speed, terminal));
    }
}

void BM_SolveXtremeExtraFast(benchmark::State& state) {
    solveLevel(state, TestLevel::Xtreme, SpeedMode::ExtraFast);
}
BENCHMARK(BM_SolveXtremeExtraFast)->Unit(benchmark::kMillisecond);

void BM_SolveHardExtraFast(benchmark::State& state) {
    solveLevel(state, TestLevel::Hard, SpeedMode::ExtraFast);
}
BENCHMARK(BM_SolveHardExtraFast)->Unit(benchmark::kMillisecond);

// The ordered walk alone on the two typed-in puzzles that work it hardest,
// and the scanning search it replaced on the same puzzles, so the ratio
// comes from one run on one machine.
void walkTyped(benchmark::State& state, std::string_view text) {
    // Nobody types: like the real terminal with no input noted, the polls
    // make no call.
    NoScreen terminal;
    for (auto _ : state) {
        state.PauseTiming();
        PuzzleState puzzle = testing::puzzleFrom(text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(searchInOrder(puzzle, SpeedMode::ExtraFast, terminal));
    }
}

// The same puzzles answered directly, as extra fast mode and --solve do.
void answerTyped(benchmark::State& state, std::string_view text) {
    for (auto _ : state) {
        state.PauseTiming();
        PuzzleState puzzle = testing::puzzleFrom(text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(solveFirstInOrder(puzzle));
    }
}

void scanTyped(benchmark::State& state, std::string_view text) {
    for (auto _ : state) {
        state.PauseTiming();
        PuzzleState puzzle = testing::puzzleFrom(text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(bench::scanningSearch(puzzle));
    }
}

void BM_WalkSeventeenGivens(benchmark::State& state) {
    walkTyped(state, testing::kSeventeenGivens);
}
BENCHMARK(BM_WalkSeventeenGivens)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AnswerSeventeenGivens(benchmark::State& state) {
    answerTyped(state, testing::kSeventeenGivens);
}
BENCHMARK(BM_AnswerSeventeenGivens)->Unit(benchmark::kMicrosecond);

void BM_ScanningBaselineSeventeenGivens(benchmark::State& state) {
    scanTyped(state, testing::kSeventeenGivens);
}
BENCHMARK(BM_ScanningBaselineSeventeenGivens)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WalkAgainstBruteForce(benchmark::State& state) {
    walkTyped(state, testing::kAgainstBruteForce);
}
BENCHMARK(BM_WalkAgainstBruteForce)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AnswerAgainstBruteForce(benchmark::State& state) {
    answerTyped(state, testing::kAgainstBruteForce);
}
BENCHMARK(BM_AnswerAgainstBruteForce)->Unit(benchmark::kMicrosecond);

void BM_ScanningBaselineAgainstBruteForce(benchmark::State& state) {
    scanTyped(state, testing::kAgainstBruteForce);
}
BENCHMARK(BM_ScanningBaselineAgainstBruteForce)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole fast-mode print stream of the xtreme puzzle, into memory.
void BM_SolveXtremeFastInMemory(benchmark::State& state) {
    solveLevel(state, TestLevel::Xtreme, SpeedMode::Fast);
}
BENCHMARK(BM_SolveXtremeFastInMemory)->Unit(benchmark::kMillisecond);

void BM_DrawGrid(benchmark::State& state) {
    MemoryTerminal terminal;
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    fillTestPuzzle(puzzle, TestLevel::Xtreme);
    for (auto _ : state) {
        drawGrid(puzzle.grid, terminal);
    }
}
BENCHMARK(BM_DrawGrid)->Unit(benchmark::kMicrosecond);

void BM_SlowModeDelay(benchmark::State& state) {
    for (auto _ : state) {
        slowModeDelay(SpeedMode::Slow);
    }
}
BENCHMARK(BM_SlowModeDelay)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace novemra

BENCHMARK_MAIN();

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

// The two typed-in puzzles that work the ordered walk hardest: the walk
// alone, the same puzzles answered directly (as extra fast mode and
// --solve do), and the scanning search the walk replaced, so the ratios
// come from one run on one machine.
template <typename Solve>
void onTyped(benchmark::State& state, std::string_view text, Solve solve) {
    for (auto _ : state) {
        state.PauseTiming();
        PuzzleState puzzle = testing::puzzleFrom(text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(solve(puzzle));
    }
}

void BM_Walk(benchmark::State& state, std::string_view text) {
    // Nobody types: like the real terminal with no input noted, the polls
    // make no call.
    NoScreen terminal;
    onTyped(state, text, [&terminal](PuzzleState& puzzle) {
        return searchInOrder(puzzle, SpeedMode::ExtraFast, terminal);
    });
}

void BM_Answer(benchmark::State& state, std::string_view text) {
    onTyped(state, text, [](PuzzleState& puzzle) { return solveFirstInOrder(puzzle); });
}

void BM_ScanningBaseline(benchmark::State& state, std::string_view text) {
    onTyped(state, text, [](PuzzleState& puzzle) { return bench::scanningSearch(puzzle); });
}

BENCHMARK_CAPTURE(BM_Walk, seventeen_givens, testing::kSeventeenGivens)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Answer, seventeen_givens, testing::kSeventeenGivens)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScanningBaseline, seventeen_givens, testing::kSeventeenGivens)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Walk, against_brute_force, testing::kAgainstBruteForce)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Answer, against_brute_force, testing::kAgainstBruteForce)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScanningBaseline, against_brute_force, testing::kAgainstBruteForce)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

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

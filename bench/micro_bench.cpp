// Micro-benchmarks of the search and the grid picture on the in-memory
// terminal.
#include <benchmark/benchmark.h>

#include "console/grid_picture.hpp"
#include "console/memory_terminal.hpp"
#include "puzzle/test_puzzles.hpp"
#include "solver/solver.hpp"

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

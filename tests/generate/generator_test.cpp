#include "generate/generator.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/generate_output.hpp"
#include "reason/explainer.hpp"
#include "solver/digit_search.hpp"

namespace novemra::generate {
namespace {

using reason::Level;

bool hasOneSolution(const CellValues& puzzle) {
    CellValues first{};
    const CompletionCount count = countCompletions(puzzle, 2, first);
    return !count.clash && count.completions == 1;
}

// Taking away any one orbit of givens leaves several solutions.
bool isMinimal(const CellValues& puzzle, Symmetry symmetry) {
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (puzzle[static_cast<std::size_t>(cell)] == 0) {
            continue;
        }
        CellValues fewer = puzzle;
        const Orbit orbit = orbitOf(cell, symmetry);
        for (int i = 0; i < orbit.count; ++i) {
            fewer[orbit.cells[static_cast<std::size_t>(i)]] = 0;
        }
        if (hasOneSolution(fewer)) {
            return false;
        }
    }
    return true;
}

// Every given's orbit is all givens.
bool hasSymmetry(const CellValues& puzzle, Symmetry symmetry) {
    for (int cell = 0; cell < kCellCount; ++cell) {
        const Orbit orbit = orbitOf(cell, symmetry);
        for (int i = 0; i < orbit.count; ++i) {
            if ((puzzle[static_cast<std::size_t>(cell)] == 0) !=
                (puzzle[orbit.cells[static_cast<std::size_t>(i)]] == 0)) {
                return false;
            }
        }
    }
    return true;
}

struct Batch {
    const char* name;
    Symmetry symmetry;
    Level level;
    int puzzles;
};

void PrintTo(const Batch& batch, std::ostream* out) {
    *out << batch.name;
}

class MadePuzzles : public ::testing::TestWithParam<Batch> {};

// Each puzzle has one solution, is minimal, has the symmetry and is rated
// at the level asked for.
TEST_P(MadePuzzles, AreUniqueMinimalSymmetricAndOfTheirLevel) {
    const Batch& batch = GetParam();
    Random random(std::hash<std::string>{}(batch.name));
    for (int made = 0; made < batch.puzzles; ++made) {
        const std::optional<Made> puzzle =
            makePuzzle(random, batch.symmetry, batch.level, kAttemptsPerPuzzle);
        ASSERT_TRUE(puzzle.has_value());
        EXPECT_TRUE(hasOneSolution(puzzle->puzzle));
        EXPECT_TRUE(isMinimal(puzzle->puzzle, batch.symmetry));
        EXPECT_TRUE(hasSymmetry(puzzle->puzzle, batch.symmetry));
        EXPECT_EQ(reason::explain(puzzle->puzzle).level, batch.level);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryLevelAndSymmetry, MadePuzzles,
    ::testing::Values(Batch{"easy_none", Symmetry::None, Level::Easy, 60},
                      Batch{"medium_none", Symmetry::None, Level::Medium, 60},
                      Batch{"hard_none", Symmetry::None, Level::Hard, 60},
                      Batch{"unfair_none", Symmetry::None, Level::Unfair, 40},
                      Batch{"extreme_none", Symmetry::None, Level::Extreme, 5},
                      Batch{"extreme_rotate180", Symmetry::Rotate180, Level::Extreme, 2},
                      Batch{"easy_rotate180", Symmetry::Rotate180, Level::Easy, 20},
                      Batch{"hard_rotate180", Symmetry::Rotate180, Level::Hard, 20},
                      Batch{"medium_rotate90", Symmetry::Rotate90, Level::Medium, 20},
                      Batch{"hard_mirror", Symmetry::Mirror, Level::Hard, 20},
                      Batch{"unfair_diagonal", Symmetry::Diagonal, Level::Unfair, 10},
                      Batch{"easy_diagonal", Symmetry::Diagonal, Level::Easy, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MadePuzzles, TheSameSeedGivesTheSamePuzzles) {
    for (const Symmetry symmetry : {Symmetry::None, Symmetry::Random}) {
        Random first(2026);
        Random second(2026);
        for (int made = 0; made < 10; ++made) {
            const auto a = makePuzzle(first, symmetry, std::nullopt, 1);
            const auto b = makePuzzle(second, symmetry, std::nullopt, 1);
            ASSERT_TRUE(a && b);
            EXPECT_EQ(a->puzzle, b->puzzle);
        }
    }
}

// A level not reached within the attempts allowed ends the run with
// status 1 and a line saying how many were made.
TEST(MadePuzzles, ALevelNotReachedEndsWithStatusOneAndSaysHowManyWereMade) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out != nullptr && err != nullptr);
    CommandLine::Generate options;
    options.count = 3;
    options.level = Level::Extreme;
    options.seed = 1;
    EXPECT_EQ(generateWithoutScreen(options, out, err, 1), 1);
    std::rewind(err);
    std::array<char, 256> line{};
    ASSERT_NE(std::fgets(line.data(), line.size(), err), nullptr);
    EXPECT_EQ(std::string(line.data()),
              "novemra: made 0 of 3 puzzles: no extreme puzzle in 1 tries; try another "
              "--symmetry or --level\n");
    std::fclose(out);
    std::fclose(err);
}

}  // namespace
}  // namespace novemra::generate

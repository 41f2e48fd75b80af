#include "reason/explainer.hpp"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "reason/board.hpp"
#include "support/reasoning.hpp"

namespace novemra::reason {
namespace {

using testing::SeededRandom;
using testing::valuesOf;

// The effects a line names: every "rNcN=D" and "rNcN<>D" token.
std::set<std::string> namedEffects(const std::string& line) {
    static const std::regex kToken(R"(r[1-9]c[1-9](=|<>)[1-9])");
    std::set<std::string> tokens;
    for (auto it = std::sregex_iterator(line.begin(), line.end(), kToken);
         it != std::sregex_iterator(); ++it) {
        tokens.insert(it->str());
    }
    return tokens;
}

std::set<std::string> effectsOf(const Step& step) {
    std::set<std::string> effects;
    for (const Placement& p : step.placements) {
        effects.insert(cellName(p.cell) + "=" + std::to_string(p.digit));
    }
    for (const Elimination& e : step.eliminations) {
        effects.insert(cellName(e.cell) + "<>" + std::to_string(e.digit));
    }
    return effects;
}

// Every step agrees with the solution (no technique proposed a step the
// solution contradicts), the steps fill the grid, and each line names
// exactly its step's effects. Returns the level.
Level checkedLevel(const CellValues& puzzle) {
    const Explanation explanation = explain(puzzle);
    EXPECT_EQ(explanation.outcome, Explanation::Outcome::Solved) << testing::textOf(puzzle);
    EXPECT_EQ(explanation.rejected, 0) << testing::textOf(puzzle);
    CellValues filled = puzzle;
    for (const Step& step : explanation.steps) {
        for (const Placement& p : step.placements) {
            EXPECT_EQ(explanation.solution[p.cell], p.digit) << stepLine(step);
            filled[p.cell] = p.digit;
        }
        for (const Elimination& e : step.eliminations) {
            EXPECT_NE(explanation.solution[e.cell], e.digit) << stepLine(step);
        }
        EXPECT_EQ(namedEffects(stepLine(step)), effectsOf(step)) << stepLine(step);
    }
    EXPECT_EQ(filled, explanation.solution) << testing::textOf(puzzle);
    return explanation.level;
}

TEST(Explainer, EveryStepOfAThousandMadePuzzlesAgreesWithTheSolution) {
    SeededRandom random(32);
    std::array<int, 5> levels{};
    for (int made = 0; made < 1000 && !HasFailure(); ++made) {
        ++levels[static_cast<std::size_t>(checkedLevel(testing::minimalPuzzle(random)))];
    }
    // Made this way, most puzzles are easy or medium, and some harder.
    EXPECT_GT(levels[0], 0);
    EXPECT_GT(levels[1], 0);
    EXPECT_GT(levels[2] + levels[3] + levels[4], 0);
}

// The same on puzzles from the public sets rated hard, unfair and extreme.
TEST(Explainer, EveryStepOfHardPublishedPuzzlesAgreesWithTheSolution) {
    std::ifstream in(NOVEMRA_REASON_PUZZLES);
    ASSERT_TRUE(in.good()) << NOVEMRA_REASON_PUZZLES;
    std::array<int, 5> levels{};
    for (std::string line; std::getline(in, line) && !HasFailure();) {
        if (line.size() >= 81 && line[0] != '#') {
            ++levels[static_cast<std::size_t>(checkedLevel(valuesOf(line)))];
        }
    }
    EXPECT_GE(levels[2], 50);
    EXPECT_GE(levels[3], 30);
    EXPECT_GE(levels[4], 100);
}

// The same puzzle gets the same rating however it is relabelled, its rows,
// columns, bands and stacks swapped, or transposed; also where a trial
// decides.
TEST(Explainer, RatingIsTheSameForEveryRearrangement) {
    SeededRandom random(33);
    std::vector<std::string> puzzles{
        // Extreme (a trial), unfair (chains) and hard ones from the
        // benchmark sets.
        "98.7..6..75..4......3..8.7.8....9.5..3.2..1.....4....6.7...4.3....8..4......1...2",
        "................12..3..4.................35..16.....7.....6.3....5.2.4..8..71....",
        ".................1..2..3..4.......5.....3..6247..1.........7.8...6...9...1.8.....",
        ".................1..2..3.4........2..5..6.3..16..7.........8.....4..2....7..1...6"};
    for (int made = 0; made < 40; ++made) {
        puzzles.push_back(testing::textOf(testing::minimalPuzzle(random)));
    }
    for (const std::string& text : puzzles) {
        const Explanation original = explain(valuesOf(text));
        ASSERT_EQ(original.outcome, Explanation::Outcome::Solved) << text;
        for (int turn = 0; turn < 3; ++turn) {
            const std::string moved = testing::rearranged(text, random);
            const Explanation other = explain(valuesOf(moved));
            EXPECT_EQ(other.level, original.level) << text << " as " << moved;
            EXPECT_EQ(other.score, original.score) << text << " as " << moved;
            EXPECT_EQ(other.hardest, original.hardest) << text << " as " << moved;
        }
    }
}

TEST(Explainer, APuzzleWithSeveralSolutionsOrNoneGetsNoSteps) {
    const Explanation several = explain(CellValues{});
    EXPECT_EQ(several.outcome, Explanation::Outcome::SeveralSolutions);
    EXPECT_TRUE(several.steps.empty());

    // Row 1 leaves r1c9 only 9, which column 9 already holds.
    std::string noCandidate = "12345678." + std::string(72, '.');
    noCandidate[8 + 9 * 4] = '9';
    const Explanation none = explain(valuesOf(noCandidate));
    EXPECT_EQ(none.outcome, Explanation::Outcome::Unsolvable);
    EXPECT_EQ(none.unsolvable, "r1c9 has no candidate left");

    const Explanation clash = explain(valuesOf("55" + std::string(79, '.')));
    EXPECT_EQ(clash.unsolvable, "r1c1 and r1c2 both hold 5");
}

}  // namespace
}  // namespace novemra::reason

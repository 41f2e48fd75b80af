// Each technique at a step where it is the simplest that moves: the first
// step it makes on a puzzle from the public benchmark sets, in full. A
// technique whose condition is weakened (a fish missing a side, a chain
// missing a link, a subset missing a cell) finds other steps, or wrong ones,
// and changes the line.
#include <gtest/gtest.h>

#include <string_view>

#include "reason/explainer.hpp"
#include "support/reasoning.hpp"

namespace novemra::reason {
namespace {

struct TechniqueCase {
    const char* name;
    // How the technique's lines start: its name, and for a unique
    // rectangle its type.
    std::string_view kind;
    std::string_view puzzle;
    std::string_view firstStep;
};

void PrintTo(const TechniqueCase& c, std::ostream* out) {
    *out << c.name;
}

class EachTechnique : public ::testing::TestWithParam<TechniqueCase> {};

TEST_P(EachTechnique, MakesItsFirstStepExactly) {
    const TechniqueCase& c = GetParam();
    const Explanation explanation = explain(testing::valuesOf(c.puzzle));
    ASSERT_EQ(explanation.outcome, Explanation::Outcome::Solved);
    EXPECT_EQ(explanation.rejected, 0);
    std::string first;
    for (const Step& step : explanation.steps) {
        if (stepLine(step).starts_with(c.kind)) {
            first = stepLine(step);
            break;
        }
    }
    EXPECT_EQ(first, c.firstStep);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EachTechnique,
    ::testing::Values(
        TechniqueCase{
            "full_house", "Full house:",
            ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
            "Full house: r9c9=3 (the last open cell of column 9)"},
        TechniqueCase{
            "naked_single", "Naked single:",
            ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
            "Naked single: r8c3=4 (the only candidate left)"},
        TechniqueCase{
            "hidden_single", "Hidden single:",
            ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
            "Hidden single: r9c4=4 (the only 4 in box 8)"},
        TechniqueCase{
            "pointing", "Pointing:",
            ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
            "Pointing: 1 in box 6 only in column 7 => r7c7<>1, r8c7<>1, r9c7<>1"},
        TechniqueCase{
            "claiming", "Claiming:",
            ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
            "Claiming: 4 in row 3 only in box 1 => r1c1<>4, r1c2<>4, r2c1<>4, r2c2<>4"},
        TechniqueCase{
            "naked_pair", "Naked pair:",
            ".................1.....2.3......3.2...1.4......5....6..3......4.7..8...962...7...",
            "Naked pair: 1,5 in r8c1,r8c8 of row 8 => r8c4<>1, r8c4<>5, r8c6<>1, r8c6<>5, r8c7<>5"},
        TechniqueCase{
            "hidden_pair", "Hidden pair:",
            ".................1.....234.....5......3...6....7.1...8.5...3....9...6...18......5",
            "Hidden pair: 3,6 only in r1c5,r2c5 of column 5 => r1c5<>4, r1c5<>7, r1c5<>9, r2c5<>4, "
            "r2c5<>7, r2c5<>9"},
        TechniqueCase{
            "naked_triple", "Naked triple:",
            ".................1..2..3.4......5....1.....673...28.......1......9...2...5.7..8..",
            "Naked triple: 4,6,9 in r7c6,r8c6,r9c5 of box 8 => r7c4<>9, r8c4<>4, r8c5<>4"},
        TechniqueCase{
            "hidden_triple", "Hidden triple:",
            ".................1..2..3.4......5.....3.2.....1....6.7...6...5...8...3...6.17....",
            "Hidden triple: 1,6,7 only in r1c6,r2c6,r5c6 of column 6 => r1c6<>2, r1c6<>4, r1c6<>9, "
            "r2c6<>2, r2c6<>4, r2c6<>9"},
        TechniqueCase{
            "x_wing", "X-Wing:",
            ".................1..2..3.4........2..5..6.3..16..7.........8.....4..2....7..1...6",
            "X-Wing: 5 in r3,r4 and c5,c9 => r6c9<>5, r7c5<>5, r8c5<>5"},
        TechniqueCase{
            "skyscraper", "Skyscraper:",
            ".................1.....234.....5......3...6....7.1...8.5...3....9...6...18......5",
            "Skyscraper: 7 strong in r3c9-r3c5 and r8c5-r8c8 => r1c8<>7, r2c8<>7"},
        TechniqueCase{
            "two_string_kite", "2-String Kite:",
            ".................1..2..3.4.............15...6..3.7..2......473..5.......16...8...",
            "2-String Kite: 8 strong in r4c5-r4c7 and r5c8-r2c8 => r2c5<>8"},
        TechniqueCase{
            "xy_wing", "XY-Wing:",
            ".................1..2..3..4.......5.....3..6247..1.........7.8...6...9...1.8.....",
            "XY-Wing: pivot r1c9 {8,9}, pincers r1c3 {7,8} and r3c8 {7,9} => r1c8<>7"},
        TechniqueCase{
            "xyz_wing", "XYZ-Wing:",
            ".................1..2..3.4........2......43...5..1...6...47...8.2..8....3.9......",
            "XYZ-Wing: pivot r2c6 {5,6,8}, pincers r3c5 {5,6} and r4c6 {6,8} => r1c6<>6"},
        TechniqueCase{
            "w_wing", "W-Wing:",
            ".................1..2..3..4.......5.....3..6247..1.........7.8...6...9...1.8.....",
            "W-Wing: r1c9 {8,9} and r2c6 {8,9} joined by 8 in r3c5-r3c7 => r1c4<>9, r2c8<>9"},
        TechniqueCase{
            "empty_rectangle", "Empty Rectangle:",
            ".................1..2..3.4........2......43...5..1...6...47...8.2..8....3.9......",
            "Empty Rectangle: 5 in box 2 only in row 3 and column 6, strong in r3c7-r4c7 => "
            "r4c6<>5"},
        TechniqueCase{
            "remote_pair", "Remote Pair:",
            "................12....34.........3....1.5.....671..4.....2...7.34....6..8........",
            "Remote Pair: 5,9 alternating in "
            "r1c2,r1c7,r2c2,r3c8,r7c7,r3c4,r6c8,r7c3,r9c9,r6c9,r8c3,r9c6 => r2c6<>5, r2c6<>9, "
            "r8c4<>5, r8c4<>9"},
        TechniqueCase{
            "naked_quad", "Naked quad:",
            "................12..3..4........53...14.....672...........8.......12..7...6...4..",
            "Naked quad: 2,7,8,9 in r4c4,r5c4,r5c5,r5c6 of box 5 => r4c5<>7, r6c4<>8, r6c4<>9, "
            "r6c5<>9, r6c6<>8, r6c6<>9"},
        TechniqueCase{
            "hidden_quad", "Hidden quad:",
            "9876.....65....7...........4...3..7...87..9.......2..1..95..6......4..93.....1.2.",
            "Hidden quad: 5,6,7,9 only in r3c5,r3c6,r3c8,r3c9 of row 3 => r3c5<>2, r3c5<>8, "
            "r3c6<>3, r3c6<>4, r3c6<>8, r3c8<>3, r3c8<>4, r3c8<>8, r3c9<>2, r3c9<>4, r3c9<>8"},
        TechniqueCase{
            "swordfish", "Swordfish:",
            "................12..3..4.........3....5.1.....1.26.........7......5.34..62.....8.",
            "Swordfish: 8 in c3,c4,c7 and r1,r2,r6 => r1c2<>8, r6c6<>8"},
        TechniqueCase{
            "simple_colouring", "Simple colouring:",
            ".................1..2..3..4.......5......4.....3..678.....9.2...1.5.....64.1.....",
            "Simple colouring: 7 coloured r1c9,r8c6,r9c8,r5c3,r4c5 against "
            "r8c9,r3c8,r7c6,r9c3,r5c4,r4c1,r3c5 => r8c9<>7, r3c8<>7, r7c6<>7, r9c3<>7, r5c4<>7, "
            "r4c1<>7, r3c5<>7"},
        TechniqueCase{
            "unique_rectangle_type_1", "Unique rectangle: type 1:",
            ".................1.....2.34.....56....7....8..8..1.7.....8.....3..6.....9.5.....3",
            "Unique rectangle: type 1: 2,9 in r4c3,r4c9,r6c3,r6c9 => r4c3<>2, r4c3<>9"},
        TechniqueCase{
            "bug_plus_one", "BUG+1:",
            "................12..3..4.........3.......1.5..6..7.8.......5.....48.3....2.....76",
            "BUG+1: r3c1=7 (every other open cell has two digits left, each twice in its units)"},
        TechniqueCase{
            "jellyfish", "Jellyfish:",
            "................12..3.45................567..18......9.....35...2.......91.2.....",
            "Jellyfish: 7 in r1,r4,r6,r9 and c3,c4,c5,c8 => r2c4<>7, r3c8<>7, r8c5<>7"},
        TechniqueCase{
            "finned_x_wing", "Finned X-Wing:",
            "................12....34.........3....1....5..675........27...834......69........",
            "Finned X-Wing: 6 in r2,r5 and c5,c7, fins r2c4 => r1c5<>6"},
        TechniqueCase{
            "finned_swordfish", "Finned Swordfish:",
            ".................1..2.34........234..156.....7...........1....8..9....2.3..7.....",
            "Finned Swordfish: 5 in c1,c5,c8 and r1,r2,r9, fins r8c1 => r9c2<>5"},
        TechniqueCase{
            "x_chain", "X-Chain:",
            ".................1..2..3.4........2..5..6.3..16..7.........8.....4..2....7..1...6",
            "X-Chain: (8)r4c5 = (8)r3c5 - (8)r3c9 = (8)r6c9 - (8)r6c8 = (8)r9c8 - (8)r8c7 = "
            "(8)r8c1 => r4c1<>8"},
        TechniqueCase{
            "xy_chain", "XY-Chain:",
            ".................1..2..3.4........2......43...5..1...6...47...8.2..8....3.9......",
            "XY-Chain: (8)r2c8 = (6)r2c8 - (6)r3c7 = (5)r3c7 - (5)r4c7 = (1)r4c7 - (1)r4c1 = "
            "(6)r4c1 - (6)r4c6 = (8)r4c6 => r2c6<>8"},
        TechniqueCase{
            "als_xz", "ALS-XZ:",
            ".................1.....2.34.....56....7....8..8..1.7.....8.....3..6.....9.5.....3",
            "ALS-XZ: sets r1c6 {1,7} and r3c2,r3c4,r3c7 {1,5,7,9}, restricted 1 => r1c1<>7, "
            "r1c2<>7, r3c5<>7"},
        TechniqueCase{
            "alternating_chain", "Alternating inference chain:",
            ".................1..1..2.3.....4.....4.56.7...8.....2...2........3..1...7...8...4",
            "Alternating inference chain: (6)r3c1 = (6)r3c9 - (6)r6c9 = (6)r6c3 - (6)r9c3 = "
            "(5)r9c3 - (5)r9c6 = (5)r7c5 - (5)r3c5 = (9)r3c5 => r3c1<>9"},
        TechniqueCase{
            "unique_rectangle_type_4", "Unique rectangle: type 4:",
            ".................1..2..3.4........2...4....3..5..6.........2....1..5.7.6.6.8....5",
            "Unique rectangle: type 4: 1,7 in r4c1,r4c4,r5c1,r5c4, 1 only in the roof of row 4 => "
            "r4c1<>7, r4c4<>7"},
        TechniqueCase{
            "unique_rectangle_type_3", "Unique rectangle: type 3:",
            ".................1..2.34........234..156.....7...........1....8..9....2.3..7.....",
            "Unique rectangle: type 3: 5,6 in r1c5,r1c8,r2c5,r2c8, extras 8,9 with r5c8 in column "
            "8 => r9c8<>9"},
        TechniqueCase{
            "unique_rectangle_type_2", "Unique rectangle: type 2:",
            "................12....34.........3....5.674...8.1.........9.58.21.......7........",
            "Unique rectangle: type 2: 3,4 in r2c2,r2c3,r7c2,r7c3, extra 6 => r7c1<>6"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace novemra::reason

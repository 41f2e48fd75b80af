#include "solver/first_solution.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "console/no_screen.hpp"
#include "solver/solver.hpp"
#include "support/puzzle_builder.hpp"
#include "support/rearrange.hpp"

namespace novemra {
namespace {

using testing::puzzleFrom;
using testing::rowDigits;

std::string digitsOf(const Grid& grid) {
    std::string digits;
    for (int row = 1; row <= 9; ++row) {
        digits += rowDigits(grid, row);
    }
    return digits;
}

// Seeded random inputs of one kind, each answered by the ordered walk and
// directly; every one the walk finishes within its limit must end the same:
// status, grid and slot pointer.
struct InputKind {
    const char* name;
    int fewestGivens;
    int mostGivens;
    // A digit that is not the solution's, and clashes with no given, put
    // into one blank: mostly no solution at all.
    bool wrongGiven;
};

void PrintTo(const InputKind& kind, std::ostream* out) {
    *out << kind.name;
}

// From a rearranged solved grid, keep the given number of cells.
std::string randomPuzzle(const InputKind& kind, testing::SeededRandom& random) {
    const std::string solved = testing::rearranged(testing::kSolvedSudoku, random);
    std::array<int, 81> order{};
    std::iota(order.begin(), order.end(), 0);
    random.shuffle(order);
    const int givens = kind.fewestGivens + random.below(kind.mostGivens - kind.fewestGivens + 1);
    std::string puzzle(81, '0');
    for (int i = 0; i < givens; ++i) {
        const auto cell = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
        puzzle[cell] = solved[cell];
    }
    if (kind.wrongGiven) {
        const auto cell = static_cast<std::size_t>(order[80]);
        for (int shift = 1; shift < 9; ++shift) {
            puzzle[cell] = static_cast<char>('1' + (solved[cell] - '1' + shift) % 9);
            if (!givensClash(puzzleFrom(puzzle))) {
                break;
            }
        }
    }
    return puzzle;
}

class FirstSolutionMatchesTheWalk : public ::testing::TestWithParam<InputKind> {};

TEST_P(FirstSolutionMatchesTheWalk, OnSeededRandomInputs) {
    const InputKind& kind = GetParam();
    testing::SeededRandom random(std::hash<std::string_view>{}(kind.name) % 1000 + 24);
    constexpr int kInputs = 1500;
    // Enough to finish most walks; the rest are left out, not failed.
    constexpr std::int64_t kWalkLimit = 20000;
    NoScreen screen;
    int compared = 0;
    int several = 0;
    for (int input = 0; input < kInputs; ++input) {
        const std::string text = randomPuzzle(kind, random);
        PuzzleState walked = puzzleFrom(text);
        PuzzleState direct = walked;
        searchInOrder(walked, SpeedMode::ExtraFast, screen, slowModeDelay, kWalkLimit);
        if (walked.status == SolveStatus::NotSolved) {
            continue;
        }
        PuzzleState askedCellByCell = direct;
        const FirstSolution answer = solveFirstInOrder(direct);
        ASSERT_EQ(direct.status, walked.status) << text;
        ASSERT_EQ(digitsOf(direct.grid), digitsOf(walked.grid)) << text;
        ASSERT_EQ(direct.currentSlot, walked.currentSlot) << text;
        // The same without the search in list order.
        solveFirstInOrder(askedCellByCell, 0);
        ASSERT_EQ(digitsOf(askedCellByCell.grid), digitsOf(walked.grid)) << text;
        several += answer.severalSolutions ? 1 : 0;
        ++compared;
    }
    EXPECT_GE(compared, kInputs * 9 / 10);
    RecordProperty("compared", compared);
    RecordProperty("several", several);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FirstSolutionMatchesTheWalk,
                         ::testing::Values(InputKind{"one_or_few_solutions", 30, 50, false},
                                           InputKind{"many_solutions", 0, 26, false},
                                           InputKind{"none", 30, 50, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Inputs whose walks are too long to run here, or that stand at the edges.
struct NamedInput {
    const char* name;
    std::string_view puzzle;
    SolveStatus status;
    bool several;
    // The 81 digits expected; empty for a puzzle with one solution, which
    // must then be a Sudoku that keeps the givens.
    std::string_view answer;
};

void PrintTo(const NamedInput& input, std::ostream* out) {
    *out << input.name;
}

bool completes(const std::string& answer, std::string_view puzzle) {
    PuzzleState check = puzzleFrom(answer);
    if (givensClash(check) || answer.find('0') != std::string::npos) {
        return false;
    }
    for (std::size_t cell = 0; cell < 81; ++cell) {
        if (puzzle[cell] != '0' && puzzle[cell] != answer[cell]) {
            return false;
        }
    }
    return true;
}

class NamedInputs : public ::testing::TestWithParam<NamedInput> {};

TEST_P(NamedInputs, AreAnsweredAsTheWalkEnds) {
    const NamedInput& input = GetParam();
    PuzzleState puzzle = puzzleFrom(input.puzzle);
    const Grid loaded = puzzle.grid;
    PuzzleState walked = puzzle;
    PuzzleState askedCellByCell = puzzle;
    const FirstSolution answer = solveFirstInOrder(puzzle);
    // Without the search in list order, the same.
    solveFirstInOrder(askedCellByCell, 0);
    EXPECT_EQ(digitsOf(askedCellByCell.grid), digitsOf(puzzle.grid));
    EXPECT_EQ(askedCellByCell.status, puzzle.status);
    // Where the walk ends soon, the slot pointer must be where it leaves it.
    NoScreen screen;
    searchInOrder(walked, SpeedMode::ExtraFast, screen, slowModeDelay, 20000);
    if (walked.status != SolveStatus::NotSolved) {
        EXPECT_EQ(puzzle.currentSlot, walked.currentSlot);
    }
    EXPECT_EQ(puzzle.status, input.status);
    EXPECT_EQ(answer.severalSolutions, input.several);
    const std::string digits = digitsOf(puzzle.grid);
    if (input.status == SolveStatus::Unsolvable) {
        EXPECT_EQ(puzzle.grid, loaded);
    } else if (input.answer.empty()) {
        EXPECT_TRUE(completes(digits, input.puzzle)) << digits;
    } else {
        EXPECT_EQ(digits, input.answer);
    }
}

// The four cells of a rectangle whose two rows share a band, with digits
// 6 7 / 7 6, blanked: exactly two solutions.
constexpr std::string_view kTwoSolutions =
    "534008912672195348198342567859001423426853791713924856961537284287419635345286179";
// The same with 6 and 7 swapped throughout: now the solution the walk
// reaches first is not the grid the blanks were taken from.
constexpr std::string_view kTwoSolutionsSwapped =
    "534008912762195348198342576859001423427853691613924857971536284286419735345287169";

INSTANTIATE_TEST_SUITE_P(
    Cases, NamedInputs,
    ::testing::Values(
        // 1.55 billion placements for the walk.
        NamedInput{
            "seventeen_givens_slowest",
            "100000000000400000000009000000008001000000703009600004006030000024000080000010050",
            SolveStatus::Solved, false, ""},
        NamedInput{"seventeen_givens", testing::kSeventeenGivens, SolveStatus::Solved, false, ""},
        // The last cell has no digit left, but no two givens clash: the walk
        // never ends.
        NamedInput{
            "dead_end_without_clash",
            "000000009000000000000000000000000000000000000000000000000000000000000000123456780",
            SolveStatus::Unsolvable, false, ""},
        NamedInput{
            "clashing_givens",
            "770000000000000000000000000000000000000000000000000000000000000000000000000000000",
            SolveStatus::Unsolvable, false, ""},
        NamedInput{
            "clash_in_a_column_across_bands",
            "500000000000000000000000000000000000000000000000000000000000000000000000500000000",
            SolveStatus::Unsolvable, false, ""},
        NamedInput{
            "clash_in_a_box",
            "400000000000000000004000000000000000000000000000000000000000000000000000000000000",
            SolveStatus::Unsolvable, false, ""},
        NamedInput{
            "empty_grid",
            std::string_view("000000000000000000000000000000000000000000000000000000000000000000000"
                             "000000000000"),
            SolveStatus::Solved, true,
            "123456789456789123789123456214365897365897214897214365531642978642978531978531642"},
        NamedInput{"full_grid", testing::kSolvedSudoku, SolveStatus::Solved, false,
                   testing::kSolvedSudoku},
        // Sparse inputs that once took seconds: the count walked huge trees
        // with no completion under a contradiction it saw only deep down.
        NamedInput{
            "sparse_several_twelve_seconds",
            "000000000000000000006000400000084000000000000000070000000600053000053064000020000",
            SolveStatus::Solved, true,
            "123546789457198326896732415261384597378965142549271638984617253712853964635429871"},
        NamedInput{
            "sparse_several_one_second",
            "090000000000000000000041006034000000000000000070000000020000000600805000058406000",
            SolveStatus::Solved, true,
            "192367458346258179587941236234189567861572394975634821429713685613895742758426913"},
        NamedInput{
            "sparse_none_six_seconds",
            "000000040000000060070100023000000000000200000000080000002406000000000001000000008",
            SolveStatus::Unsolvable, false, ""},
        NamedInput{
            "sparse_several_asked_cell_by_cell",
            "000000000400092000000000080000000000078000000000460100600000000000000003000000802",
            SolveStatus::Solved, true,
            "213548679486792315597136284164283597378915426925467138632874951851629743749351862"},
        // The slowest the hunt for slow inputs (bench/slowest_input.cpp)
        // found, one of each kind.
        NamedInput{
            "hunted_several",
            "079003000184000000000000170000000000900000000000060050000008006000000001003500408",
            SolveStatus::Solved, true,
            "279613845184257369356489172412795683965834217738162954521348796847926531693571428"},
        NamedInput{
            "hunted_several_probed",
            "000000800300050000000000000000000210000002000001000080000000000200000003000000000",
            SolveStatus::Solved, true,
            "142367859367859142589124367435798216678412935921536784713245698256981473894673521"},
        NamedInput{
            "hunted_none",
            "000000010250000000000000200500000108000060009020000000012000905000600000905000000",
            SolveStatus::Unsolvable, false, ""},
        NamedInput{"two_solutions", kTwoSolutions, SolveStatus::Solved, true,
                   testing::kSolvedSudoku},
        NamedInput{
            "two_solutions_the_other_first", kTwoSolutionsSwapped, SolveStatus::Solved, true,
            "534678912762195348198342576859761423427853691613924857971536284286419735345287169"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace novemra

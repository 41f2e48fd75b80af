// --explain and --rate through the real program: what they write, and the
// status they end with, as --solve's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <string>

#include "e2e/program_steps.hpp"
#include "support/captured_run.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::kProgram;
using testing::runCaptured;

// Needs an X-Chain, XY-Chain or other chain: rated unfair.
constexpr const char* kUnfair =
    ".................1..2..3..4.......5.....3..6247..1.........7.8...6...9...1.8.....";
constexpr const char* kSolvedUnfair =
    "348571629\n967248531\n152963874\n623489157\n891735462\n475612398\n534197286\n786324915\n"
    "219856743\n";
constexpr const char* kFirstStepUnfair = "Hidden single: r8c8=1 (the only 1 in column 8)\n";

TEST(Reasoning, RateWritesLevelScoreAndHardestTechnique) {
    const testing::CapturedRun run = runCaptured(kProgram, {"--rate", kUnfair});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "unfair 1034 ALS-XZ\n");
    EXPECT_EQ(run.err, "");
}

TEST(Reasoning, ExplainWritesOneLineAStepThenTheSolution) {
    const testing::CapturedRun run = runCaptured(kProgram, {"--explain", kUnfair});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, std::string(kFirstStepUnfair).size()), kFirstStepUnfair);
    ASSERT_GE(run.out.size(), std::string(kSolvedUnfair).size());
    EXPECT_EQ(run.out.substr(run.out.size() - std::string(kSolvedUnfair).size()), kSolvedUnfair);
    // Every line before the grid is "Technique: ...".
    static const std::regex kStep(R"([A-Z0-9][A-Za-z0-9+ -]*: .+)");
    std::size_t start = 0;
    const std::size_t stepsEnd = run.out.size() - std::string(kSolvedUnfair).size();
    while (start < stepsEnd) {
        const std::size_t end = run.out.find('\n', start);
        EXPECT_TRUE(std::regex_match(run.out.substr(start, end - start), kStep))
            << run.out.substr(start, end - start);
        start = end + 1;
    }
}

// A file of puzzles: each rated on its line; several solutions and none
// get a line saying which, and one with none makes the status 1.
TEST(Reasoning, EachPuzzleOfAFileGetsItsLineAndTheStatusIsAsSolves) {
    const std::string path = "/tmp/novemra-rate-" + std::to_string(::getpid()) + ".txt";
    std::ofstream(path) << kUnfair << "\n"
                        << std::string(81, '.') << "\n"
                        << "55" << std::string(79, '.') << "\n";
    const testing::CapturedRun run = runCaptured(kProgram, {"--rate", "-f", path});
    ::unlink(path.c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "unfair 1034 ALS-XZ\nseveral solutions\n"
              "unsolvable: r1c1 and r1c2 both hold 5\n");
}

TEST(Reasoning, BadInputAndTwoModesAreRefused) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--rate", "12345"}, {"--explain", "--rate", kUnfair}, {"--explain"}}) {
        const testing::CapturedRun run = runCaptured(kProgram, arguments);
        EXPECT_EQ(run.status, 2) << arguments.back();
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(run.err.empty());
    }
}

}  // namespace
}  // namespace novemra

// --check through the real program: a line a puzzle and the status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "e2e/program_steps.hpp"
#include "support/captured_run.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::kProgram;
using testing::runCaptured;

TEST(Check, SaysUniqueUnsolvableOrWhereSeveralDifferWithItsStatus) {
    std::string twoWays(testing::kSolvedSudoku);
    for (const std::size_t cell : {3U, 4U, 30U, 31U}) {
        twoWays[cell] = '0';
    }
    const std::string clash = "55" + std::string(79, '0');
    const std::string path = "/tmp/novemra-check-" + std::to_string(::getpid()) + ".txt";
    const auto run = [&](const std::string& text, std::vector<std::string> arguments) {
        std::ofstream(path) << text;
        arguments.insert(arguments.end(), {"-f", path});
        return runCaptured(kProgram, arguments);
    };
    const std::string unique(testing::kSeventeenGivens);

    const testing::CapturedRun allUnique = run(unique + "\n", {"--check"});
    EXPECT_EQ(allUnique.out, "unique\n");
    EXPECT_EQ(allUnique.status, 0);

    const testing::CapturedRun several = run(unique + "\n" + twoWays + "\n", {"--check"});
    EXPECT_EQ(several.out, "unique\nseveral: r1c4 r1c5 r4c4 r4c5\n");
    EXPECT_EQ(several.status, 3);

    const testing::CapturedRun counted =
        run(twoWays + "\n" + std::string(81, '0') + "\n" + clash + "\n", {"--check", "--count"});
    EXPECT_EQ(counted.out,
              "several: 2 solutions; first two differ at r1c4 r1c5 r4c4 r4c5\n"
              "several: 1000 or more solutions; first two differ at r8c3 r8c6 r8c9 r9c3 r9c6 "
              "r9c9\nunsolvable\n");
    // None outweighs several.
    EXPECT_EQ(counted.status, 1);
    ::unlink(path.c_str());

    EXPECT_EQ(runCaptured(kProgram, {"--count", unique}).status, 2);
}

}  // namespace
}  // namespace novemra

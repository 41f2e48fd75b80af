// --jobs: a batch answered on several threads gives the same bytes, on both
// streams, and the same status as on one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/program_steps.hpp"
#include "support/captured_run.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::kProgram;

// Hard published puzzles, enough of them that the threads start, with a
// puzzle with several solutions (a note on standard error) and one with
// none among them; and, when given, a bad line at the end.
std::string batchFile(bool badLineAtTheEnd, int rounds, std::size_t perRound) {
    std::ifstream source(NOVEMRA_REASON_PUZZLES);
    std::vector<std::string> puzzles;
    for (std::string line; std::getline(source, line);) {
        if (!line.empty() && line[0] != '#') {
            puzzles.push_back(line.substr(0, 81));
        }
    }
    const std::string several =
        std::string(18, '0') + std::string(testing::kSolvedSudoku.substr(18));
    const std::string none = "11" + std::string(79, '0');
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("novemra-jobs-" + std::to_string(::getpid()) + (badLineAtTheEnd ? "-bad" : "") + ".txt");
    std::ofstream file(path);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < std::min(perRound, puzzles.size()); ++i) {
            file << puzzles[i] << "\n";
            if (i == 50) {
                file << several << "\n" << none << "\n";
            }
        }
    }
    if (badLineAtTheEnd) {
        file << std::string(80, '1') << "\n" << puzzles[0] << "\n";
    }
    return path.string();
}

struct JobsCase {
    std::string mode;
    // The batch: the hard puzzles, so many of them, so many times over.
    int rounds;
    std::size_t perRound;
};

void PrintTo(const JobsCase& jobsCase, std::ostream* out) {
    *out << jobsCase.mode;
}

class Jobs : public ::testing::TestWithParam<JobsCase> {};

TEST_P(Jobs, GiveTheSameBytesAndStatusAsOneThread) {
    const std::string& mode = GetParam().mode;
    for (const bool bad : {false, true}) {
        const std::string file = batchFile(bad, GetParam().rounds, GetParam().perRound);
        const testing::CapturedRun one =
            testing::runCaptured(kProgram, {mode, "--jobs", "1", "-f", file});
        const testing::CapturedRun three =
            testing::runCaptured(kProgram, {mode, "--jobs", "3", "-f", file});
        std::filesystem::remove(file);
        ASSERT_FALSE(one.out.empty()) << one.err;
        EXPECT_TRUE(one.out == three.out) << mode << (bad ? " with a bad line" : "");
        EXPECT_EQ(one.err, three.err);
        EXPECT_EQ(one.status, three.status);
        if (bad) {
            EXPECT_EQ(one.status, 2);
            EXPECT_NE(one.err.find("80 cells; a puzzle has 81"), std::string::npos) << one.err;
        }
    }
}

// Rating takes milliseconds a hard puzzle, answering microseconds: fewer
// puzzles for it still keep the threads busy.
INSTANTIATE_TEST_SUITE_P(Modes, Jobs,
                         ::testing::Values(JobsCase{"--solve", 12, 1000},
                                           JobsCase{"--check", 12, 1000},
                                           JobsCase{"--rate", 1, 1000},
                                           JobsCase{"--explain", 1, 120}),
                         [](const auto& info) { return info.param.mode.substr(2); });

}  // namespace
}  // namespace novemra

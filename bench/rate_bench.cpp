// How fast --rate answers, printed, never judged: for each file of
// puzzles (one a line), the time to explain and rate each puzzle in this
// process (median, 99th percentile, slowest), how many got each level, and
// how many steps a technique proposed that the solution contradicts
// (always 0 unless a technique is wrong).
//
//   novemra_rate_bench FILE [FILE...] [--most N]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "reason/explainer.hpp"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<novemra::CellValues> readPuzzles(const char* path, long most) {
    std::vector<novemra::CellValues> puzzles;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line) && static_cast<long>(puzzles.size()) < most) {
        if (line.size() < 81 || line[0] == '#') {
            continue;
        }
        novemra::CellValues values{};
        for (std::size_t cell = 0; cell < values.size(); ++cell) {
            const char ch = line[cell];
            values[cell] = ch >= '1' && ch <= '9' ? ch - '0' : 0;
        }
        puzzles.push_back(values);
    }
    return puzzles;
}

}  // namespace

int main(int argc, char** argv) {
    long most = 1000;
    std::vector<const char*> files;
    for (int at = 1; at < argc; ++at) {
        if (std::string_view(argv[at]) == "--most" && at + 1 < argc) {
            most = std::strtol(argv[++at], nullptr, 10);
        } else {
            files.push_back(argv[at]);
        }
    }
    for (const char* file : files) {
        const std::vector<novemra::CellValues> puzzles = readPuzzles(file, most);
        std::vector<double> times;
        std::array<int, 5> levels{};
        int rejected = 0;
        int unrated = 0;
        for (const novemra::CellValues& puzzle : puzzles) {
            const auto start = Clock::now();
            const novemra::reason::Explanation explanation = novemra::reason::explain(puzzle);
            times.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            rejected += explanation.rejected;
            if (explanation.outcome != novemra::reason::Explanation::Outcome::Solved) {
                ++unrated;
                continue;
            }
            ++levels[static_cast<std::size_t>(explanation.level)];
        }
        if (times.empty()) {
            continue;
        }
        std::sort(times.begin(), times.end());
        std::printf("%s: %zu puzzles; median %.3f ms, 99th percentile %.2f ms, slowest %.2f ms\n",
                    file, times.size(), times[times.size() / 2], times[times.size() * 99 / 100],
                    times.back());
        std::printf(
            "  easy %d, medium %d, hard %d, unfair %d, extreme %d, not unique %d; "
            "contradicted steps %d\n",
            levels[0], levels[1], levels[2], levels[3], levels[4], unrated, rejected);
    }
    return 0;
}

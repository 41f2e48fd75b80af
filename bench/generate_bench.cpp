// How fast --generate makes puzzles, printed, never judged: for each level,
// the program's puzzles a second beside qqwing's at the level qqwing has
// that matches (simple and easy ~ easy, intermediate ~ medium, expert ~
// hard), both run in turn in this one run, each as a whole process that
// writes its puzzles to /dev/null.
//
//   novemra_generate_bench PROGRAM [--scale X]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Puzzles a second for a command that makes `count` of them.
double rate(const std::string& command, int count) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system((command + " > /dev/null 2>&1").c_str()) != 0) {
        return -1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return count / seconds;
}

struct Row {
    const char* level;
    int ours;
    const char* qqwingLevel;  // nullptr: qqwing has none
    int theirs;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: novemra_generate_bench PROGRAM [--scale X]\n");
        return 2;
    }
    const std::string program = argv[1];
    double scale = 1;
    if (argc >= 4 && std::string_view(argv[2]) == "--scale") {
        scale = std::strtod(argv[3], nullptr);
    }
    const bool haveQqwing = std::system("command -v qqwing > /dev/null 2>&1") == 0;
    constexpr Row kRows[] = {{"easy", 2000, "simple", 8},          {"easy", 2000, "easy", 100},
                             {"medium", 1000, "intermediate", 50}, {"hard", 1000, "expert", 100},
                             {"unfair", 400, nullptr, 0},          {"extreme", 40, nullptr, 0}};
    std::printf(
        "| level | novemra / s | qqwing level | qqwing / s | times qqwing |\n"
        "|---|---|---|---|---|\n");
    for (const Row& row : kRows) {
        const int ours = std::max(1, static_cast<int>(row.ours * scale));
        const double mine = rate(program + " --generate " + std::to_string(ours) + " --level " +
                                     row.level + " --seed 38",
                                 ours);
        if (row.qqwingLevel == nullptr || !haveQqwing) {
            std::printf("| %s | %.0f | - | - | - |\n", row.level, mine);
            continue;
        }
        const int theirs = std::max(1, static_cast<int>(row.theirs * scale));
        const double peer = rate("qqwing --generate " + std::to_string(theirs) + " --difficulty " +
                                     row.qqwingLevel + " --one-line",
                                 theirs);
        std::printf("| %s | %.0f | %s | %.1f | %.1f |\n", row.level, mine, row.qqwingLevel, peer,
                    peer > 0 ? mine / peer : 0);
    }
    return 0;
}

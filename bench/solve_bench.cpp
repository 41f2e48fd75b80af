// How fast --solve answers, printed, never judged:
//   1. each kind of input (one solution, several, none, clashing givens,
//      the empty grid, a full grid) answered in this process the way
//      --solve answers one puzzle (filled, solved, its line written):
//      median, 99th percentile and slowest;
//   2. the same kinds through the real program, one process a puzzle
//      (`PROGRAM --solve PUZZLE`), start to exit;
//   3. `PROGRAM --solve -f FILE` side by side with `qqwing --solve` on the
//      same puzzles, in one run, each best of a few.
//
//   novemra_solve_bench PROGRAM PUZZLE_FILE [--runs N]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "app/given_puzzles.hpp"
#include "puzzle/puzzle_text.hpp"
#include "solver/solver.hpp"
#include "support/puzzle_builder.hpp"
#include "support/rearrange.hpp"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using novemra::testing::SeededRandom;

struct Kind {
    std::string name;
    std::vector<std::string> puzzles;
};

std::vector<std::string> readPuzzleLines(const std::string& path) {
    std::vector<std::string> puzzles;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') {
            puzzles.push_back(line.substr(0, 81));
        }
    }
    return puzzles;
}

// The kinds of input, built from the hard file and seeded at random.
std::vector<Kind> inputKinds(const std::vector<std::string>& hard) {
    SeededRandom random(24);
    std::vector<Kind> kinds;
    kinds.push_back({"one solution (hard file)", hard});

    // A 21-given puzzle that singles alone do not crack: the slowest kind.
    Kind stubborn{"one solution (21 givens, hard for singles)", {}};
    for (int i = 0; i < 200; ++i) {
        stubborn.puzzles.push_back(novemra::testing::rearranged(
            "800000000003600000070090200050007000000045700000100030001000068008500010090000400",
            random));
    }
    kinds.push_back(stubborn);

    Kind several{"several solutions (0-26 givens)", {}};
    Kind none{"none (a wrong given added)", {}};
    for (int i = 0; i < 1000; ++i) {
        const std::string solved =
            novemra::testing::rearranged(novemra::testing::kSolvedSudoku, random);
        std::array<int, 81> order{};
        std::iota(order.begin(), order.end(), 0);
        random.shuffle(order);
        std::string puzzle(81, '0');
        const int givens = random.below(27);
        for (int g = 0; g < givens; ++g) {
            const auto cell = static_cast<std::size_t>(order[static_cast<std::size_t>(g)]);
            puzzle[cell] = solved[cell];
        }
        several.puzzles.push_back(puzzle);

        // A puzzle of the hard file with its first blank given a digit
        // that is not the solution's and clashes with no given.
        std::string wrong = hard[static_cast<std::size_t>(i) % hard.size()];
        int cells = 0;
        std::string solution;
        novemra::answerPuzzle(*novemra::puzzleFromText(wrong, cells), solution);
        const std::size_t blank = wrong.find('0');
        for (char digit = '1'; digit <= '9'; ++digit) {
            wrong[blank] = digit;
            if (digit != solution[blank] &&
                !novemra::givensClash(novemra::testing::puzzleFrom(wrong))) {
                break;
            }
        }
        none.puzzles.push_back(wrong);
    }
    kinds.push_back(several);
    kinds.push_back(none);
    kinds.push_back({"clashing givens", {std::string("55").append(79, '0')}});
    kinds.push_back({"empty grid", {std::string(81, '0')}});
    kinds.push_back({"full grid", {std::string(novemra::testing::kSolvedSudoku)}});
    return kinds;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

void inProcess(const std::vector<Kind>& kinds) {
    std::printf("Each input answered as --solve answers one puzzle, in this process (us)\n\n");
    std::printf(
        "| input                                      | count | median  | 99th %%  | slowest  |\n");
    std::printf(
        "|--------------------------------------------|-------|---------|---------|----------|\n");
    std::vector<double> all;
    std::string line;
    for (const Kind& kind : kinds) {
        std::vector<double> times;
        // Single inputs are answered 200 times over.
        const std::size_t rounds = kind.puzzles.size() == 1 ? 200 : 1;
        for (std::size_t round = 0; round < rounds; ++round) {
            for (const std::string& text : kind.puzzles) {
                int cells = 0;
                const novemra::StoredPuzzle puzzle = *novemra::puzzleFromText(text, cells);
                const auto start = Clock::now();
                novemra::answerPuzzle(puzzle, line);
                times.push_back(
                    std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            }
        }
        all.insert(all.end(), times.begin(), times.end());
        std::printf("| %-42s | %5zu | %7.1f | %7.1f | %8.1f |\n", kind.name.c_str(), times.size(),
                    percentile(times, 0.5), percentile(times, 0.99), percentile(times, 1.0));
    }
    std::printf("| %-42s | %5zu | %7.1f | %7.1f | %8.1f |\n", "all of them", all.size(),
                percentile(all, 0.5), percentile(all, 0.99), percentile(all, 1.0));
}

// Runs the command with standard input from in (or /dev/null) and standard
// output and error to /dev/null; returns the wall time in seconds.
double runCommand(const std::vector<std::string>& command, const std::string& in = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void wholeProgram(const std::string& program, const std::vector<Kind>& kinds) {
    std::printf("\nThe whole program, one process a puzzle: %s --solve PUZZLE (ms)\n\n",
                program.c_str());
    std::printf("| input                                      | runs  | median  | slowest |\n");
    std::printf("|--------------------------------------------|-------|---------|---------|\n");
    std::vector<double> all;
    for (const Kind& kind : kinds) {
        std::vector<double> times;
        for (std::size_t i = 0; i < 20; ++i) {
            const std::string& puzzle = kind.puzzles[i % kind.puzzles.size()];
            times.push_back(runCommand({program, "--solve", puzzle}) * 1000);
        }
        all.insert(all.end(), times.begin(), times.end());
        std::printf("| %-42s | %5zu | %7.2f | %7.2f |\n", kind.name.c_str(), times.size(),
                    percentile(times, 0.5), percentile(times, 1.0));
    }
    std::printf("| %-42s | %5zu | %7.2f | %7.2f |\n", "all of them", all.size(),
                percentile(all, 0.5), percentile(all, 1.0));
}

void sideBySide(const std::string& program, const std::string& file,
                const std::vector<std::string>& hard, int runs) {
    // qqwing takes one puzzle a line and no comments.
    char plainName[] = "/tmp/novemra-bench-XXXXXX";
    const int plain = ::mkstemp(plainName);
    for (const std::string& puzzle : hard) {
        const std::string line = puzzle + "\n";
        [[maybe_unused]] const ssize_t written = ::write(plain, line.data(), line.size());
    }
    ::close(plain);

    const bool haveQqwing = runCommand({"qqwing", "--version"}) >= 0;
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(runCommand({program, "--solve", "-f", file}));
        if (haveQqwing) {
            theirs.push_back(runCommand({"qqwing", "--solve", "--one-line"}, plainName));
        }
    }
    ::unlink(plainName);
    const double count = static_cast<double>(hard.size());
    const double best = *std::min_element(ours.begin(), ours.end());
    std::printf("\n%zu puzzles of %s, whole runs, best of %d\n\n", hard.size(), file.c_str(), runs);
    std::printf("| solver                        | seconds | puzzles/s |\n");
    std::printf("|-------------------------------|---------|-----------|\n");
    std::printf("| novemra --solve -f            | %7.3f | %9.0f |\n", best, count / best);
    if (!haveQqwing) {
        std::printf("\nqqwing is not installed (apt-get install qqwing): no peer measured\n");
        return;
    }
    const double peer = *std::min_element(theirs.begin(), theirs.end());
    std::printf("| qqwing --solve                | %7.3f | %9.0f |\n", peer, count / peer);
    std::printf("\nnovemra's pace: %.1f times qqwing's\n", peer / best);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM PUZZLE_FILE [--runs N]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const std::string file = argv[2];
    int runs = 5;
    if (argc >= 5 && std::string(argv[3]) == "--runs") {
        runs = std::max(1, std::stoi(argv[4]));
    }
    const std::vector<std::string> hard = readPuzzleLines(file);
    if (hard.empty()) {
        std::fprintf(stderr, "%s: no puzzles in %s\n", argv[0], file.c_str());
        return 2;
    }
    const std::vector<Kind> kinds = inputKinds(hard);
    inProcess(kinds);
    wholeProgram(program, kinds);
    sideBySide(program, file, hard, runs);
    return 0;
}

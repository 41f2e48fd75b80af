// Drives the real program in a pseudo-terminal, under an emulated terminal,
// and prints what it costs: for each stored puzzle in extra fast and fast
// mode the time from the speed answer to "*** Sudoku Solved ***", the
// program's CPU time, the bytes and write calls it sent to the terminal,
// and its peak memory; then the start-up time and the CPU used while idle.
//
// Besides the stored puzzles (e, d, h, x) it types in two that make the
// search work hardest: s, with 17 givens, and a, built against brute force.
//
//   novemra_harness PROGRAM [--levels edhxsa] [--idle-seconds N]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "console/memory_terminal.hpp"
#include "solver/solver.hpp"
#include "support/program_steps.hpp"
#include "support/pty_process.hpp"
#include "support/puzzle_builder.hpp"

namespace {

using novemra::testing::PtyProcess;
using novemra::testing::VirtualTerminal;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct ProcessFigures {
    double cpuSeconds = 0;
    long writeCalls = 0;
    long peakKilobytes = 0;
};

// What /proc says about the process now.
ProcessFigures readProc(pid_t pid) {
    ProcessFigures figures;
    const std::string base = "/proc/" + std::to_string(pid);
    {
        std::ifstream in(base + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        long utime = 0;
        long stime = 0;
        for (int index = 3; fields >> field; ++index) {
            if (index == 14) {
                utime = std::stol(field);
            } else if (index == 15) {
                stime = std::stol(field);
                break;
            }
        }
        figures.cpuSeconds = static_cast<double>(utime + stime) / ::sysconf(_SC_CLK_TCK);
    }
    {
        std::ifstream in(base + "/io");
        std::string key;
        long value = 0;
        while (in >> key >> value) {
            if (key == "syscw:") {
                figures.writeCalls = value;
            }
        }
    }
    {
        std::ifstream in(base + "/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("VmHWM:", 0) == 0) {
                figures.peakKilobytes = std::stol(line.substr(6));
            }
        }
    }
    return figures;
}

bool waitLine(PtyProcess& p, int row, const std::string& text, std::chrono::seconds limit = 120s) {
    return p.waitUntil([&](const VirtualTerminal& s) { return s.line(row) == text; }, limit);
}

// Placements of each search, for bytes per placement.
long placementsOf(char level) {
    switch (level) {
        case 'e':
            return 98;
        case 'd':
            return 448;
        case 'h':
            return 6021;
        case 'x':
            return 15436;
        default: {
            // The typed puzzles: counted by running the search in memory.
            novemra::PuzzleState puzzle =
                novemra::testing::puzzleFrom(level == 's' ? novemra::testing::kSeventeenGivens
                                                          : novemra::testing::kAgainstBruteForce);
            novemra::MemoryTerminal terminal;
            return static_cast<long>(
                novemra::searchInOrder(puzzle, novemra::SpeedMode::ExtraFast, terminal).placements);
        }
    }
}

const char* nameOf(char level) {
    switch (level) {
        case 'e':
            return "easy";
        case 'd':
            return "difficult";
        case 'h':
            return "hard";
        case 'x':
            return "xtreme";
        case 's':
            return "17 givens";
        default:
            return "vs. brute";
    }
}

void solveRow(const std::string& program, char level, char speed) {
    PtyProcess p({program});
    if (!novemra::testing::atFirstPrompt(p)) {
        std::printf("%c %c: no first prompt\n", level, speed);
        return;
    }
    const bool typed = level == 's' || level == 'a';
    const std::string_view puzzle =
        level == 's' ? novemra::testing::kSeventeenGivens : novemra::testing::kAgainstBruteForce;
    std::string lastKey(1, speed);
    if (typed) {
        if (!novemra::testing::startTyping(p, speed) ||
            !novemra::testing::typeAllButTheLastKey(p, puzzle)) {
            std::printf("%c %c: typing failed\n", level, speed);
            return;
        }
        lastKey = std::string(1, puzzle.back());
    } else {
        p.send("y");
        waitLine(p, 19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?");
        p.send(std::string(1, level));
        waitLine(p, 20, " Extra fast, Fast or Slow [e,f or s]?");
    }
    const ProcessFigures before = readProc(p.pid());
    const std::size_t bytesBefore = p.bytesReceived();
    const auto start = Clock::now();
    // The speed answer, or the last cell of a typed puzzle.
    p.send(lastKey);
    const auto limit = typed && speed == 'f' ? 30s : 120s;
    if (!waitLine(p, 18, "*** Sudoku Solved ***",
                  std::chrono::duration_cast<std::chrono::seconds>(limit))) {
        std::printf("| %-9s | %-10s | not solved within %lld s |\n", nameOf(level),
                    speed == 'e' ? "extra fast" : "fast",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
        return;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const ProcessFigures after = readProc(p.pid());
    const std::size_t bytes = p.bytesReceived() - bytesBefore;
    const long placements = placementsOf(level);
    std::printf("| %-9s | %-10s | %8.3f | %7.3f | %10zu | %9.1f | %7ld | %8ld |\n", nameOf(level),
                speed == 'e' ? "extra fast" : "fast", wall, after.cpuSeconds - before.cpuSeconds,
                bytes, static_cast<double>(bytes) / static_cast<double>(placements),
                after.writeCalls - before.writeCalls, after.peakKilobytes);
    p.send("n");
    waitLine(p, 22, " Run again [y or n]?");
    p.send("n");
    p.waitForExit(10s);
}

void startAndIdle(const std::string& program, int idleSeconds) {
    const auto start = Clock::now();
    PtyProcess p({program});
    waitLine(p, 18, " Use Test data or Help [y,n or h]?");
    const double startup = std::chrono::duration<double>(Clock::now() - start).count();
    const ProcessFigures before = readProc(p.pid());
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const ProcessFigures after = readProc(p.pid());
    std::printf("\nstart to first prompt: %.1f ms\n", startup * 1000);
    std::printf("CPU while waiting %d s at a prompt: %.3f s\n", idleSeconds,
                after.cpuSeconds - before.cpuSeconds);
    std::printf("peak resident memory at the first prompt: %ld kB\n", after.peakKilobytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [--levels edhx] [--idle-seconds N]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    std::string levels = "edhxsa";
    int idleSeconds = 5;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--levels") {
            levels = argv[i + 1];
        } else if (option == "--idle-seconds") {
            idleSeconds = std::stoi(argv[i + 1]);
        }
    }
    std::printf("Speed answer to \"*** Sudoku Solved ***\", in an 80x30 emulated terminal\n\n");
    std::printf(
        "| puzzle    | speed      | wall (s) | CPU (s) | bytes      | bytes/pl. | writes  | peak "
        "kB  |\n");
    std::printf(
        "|-----------|------------|----------|---------|------------|-----------|---------|--------"
        "--|\n");
    for (const char level : levels) {
        for (const char speed : {'e', 'f'}) {
            solveRow(program, level, speed);
        }
    }
    startAndIdle(program, idleSeconds);
    return 0;
}

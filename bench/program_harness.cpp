// Drives the real program in a pseudo-terminal, under an emulated terminal,
// and prints what it costs: for each stored puzzle in extra fast and fast
// mode the time from the speed answer to "*** Sudoku Solved ***", the
// program's CPU time, the bytes and write calls it sent to the terminal,
// and its peak memory; then the start-up time and the CPU used while idle.
//
//   novemra_harness PROGRAM [--levels edhx] [--idle-seconds N]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/pty_process.hpp"

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

constexpr long kPlacements[] = {98, 448, 6021, 15436};

void solveRow(const std::string& program, char level, char speed) {
    PtyProcess p({program});
    if (!waitLine(p, 18, " Use Test data or Help [y,n or h]?")) {
        std::printf("%c %c: no first prompt\n", level, speed);
        return;
    }
    p.send("y");
    waitLine(p, 19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?");
    p.send(std::string(1, level));
    waitLine(p, 20, " Extra fast, Fast or Slow [e,f or s]?");
    const ProcessFigures before = readProc(p.pid());
    const std::size_t bytesBefore = p.bytesReceived();
    const auto start = Clock::now();
    p.send(std::string(1, speed));
    if (!waitLine(p, 18, "*** Sudoku Solved ***")) {
        std::printf("%c %c: not solved in time\n", level, speed);
        return;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const ProcessFigures after = readProc(p.pid());
    const std::size_t bytes = p.bytesReceived() - bytesBefore;
    const long placements = kPlacements[std::string("edhx").find(level)];
    std::printf("| %-9s | %-10s | %8.3f | %7.3f | %10zu | %9.1f | %7ld | %8ld |\n",
                level == 'e'   ? "easy"
                : level == 'd' ? "difficult"
                : level == 'h' ? "hard"
                               : "xtreme",
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
    std::string levels = "edhx";
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

// novemra: watch a backtracking search solve Sudoku in the terminal.
#include <csignal>
#include <cstdio>
#include <string>

#include "app/command_line.hpp"
#include "app/given_puzzles.hpp"
#include "app/program_state.hpp"
#include "app/run_loop.hpp"
#include "console/tty_terminal.hpp"
#include "print/cups_spooler.hpp"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoTerminal = 1;

}  // namespace

int main(int argc, char** argv) {
    // --help, --version and bad arguments answer on the standard streams
    // and never touch the terminal.
    const novemra::CommandLine command =
        novemra::readCommandLine({argv, static_cast<std::size_t>(argc)});
    switch (command.action) {
        case novemra::CommandLine::Action::Help:
            std::fputs(novemra::usageText(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case novemra::CommandLine::Action::Version:
            std::fputs(novemra::kVersionLine, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case novemra::CommandLine::Action::Refuse:
            std::fputs(command.error.c_str(), stderr);
            return kExitUsage;
        case novemra::CommandLine::Action::Run:
            break;
    }
    if (command.solveOnly) {
        // Each answer goes out as soon as its puzzle is solved.
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        return novemra::solveWithoutScreen(command, stdout, stderr);
    }
    // Puzzles from the command line are read whole, and refused whole,
    // before anything is drawn.
    novemra::ProgramState state;
    std::string error;
    if (!novemra::readGivenPuzzles(command, state.givenPuzzles, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }

    // A print server that drops its connection must not kill the program
    // with SIGPIPE; the failed write is simply a failed hard copy.
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<novemra::TtyTerminal> terminal = novemra::TtyTerminal::open(error);
    if (!terminal) {
        std::fprintf(stderr, "novemra: %s\n", error.c_str());
        return kExitNoTerminal;
    }
    terminal->hideCursor();

    novemra::CupsSpooler spooler;
    novemra::runProgram(state, *terminal, spooler);
    return 0;
}

// novemra: watch a backtracking search solve Sudoku in the terminal.
#include <csignal>
#include <cstdio>
#include <string>

#include "app/command_line.hpp"
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

    // A print server that drops its connection must not kill the program
    // with SIGPIPE; the failed write is simply a failed hard copy.
    std::signal(SIGPIPE, SIG_IGN);

    std::string error;
    std::unique_ptr<novemra::TtyTerminal> terminal = novemra::TtyTerminal::open(error);
    if (!terminal) {
        std::fprintf(stderr, "novemra: %s\n", error.c_str());
        return kExitNoTerminal;
    }
    terminal->hideCursor();

    novemra::CupsSpooler spooler;
    novemra::ProgramState state;
    novemra::runProgram(state, *terminal, spooler);
    return 0;
}

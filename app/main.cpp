// novemra: watch a backtracking search solve Sudoku in the terminal.
#include <csignal>
#include <cstdio>
#include <string>

#include "app/program_state.hpp"
#include "app/run_loop.hpp"
#include "console/tty_terminal.hpp"
#include "print/cups_spooler.hpp"

int main() {
    // A print server that drops its connection must not kill the program
    // with SIGPIPE; the failed write is simply a failed hard copy.
    std::signal(SIGPIPE, SIG_IGN);

    std::string error;
    std::unique_ptr<novemra::TtyTerminal> terminal = novemra::TtyTerminal::open(error);
    if (!terminal) {
        std::fprintf(stderr, "novemra: %s\n", error.c_str());
        return 1;
    }
    terminal->hideCursor();

    novemra::CupsSpooler spooler;
    novemra::ProgramState state;
    novemra::runProgram(state, *terminal, spooler);
    return 0;
}

// novemra: watch a backtracking search solve Sudoku in the terminal.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/check_output.hpp"
#include "app/command_line.hpp"
#include "app/generate_output.hpp"
#include "app/given_puzzles.hpp"
#include "app/program_state.hpp"
#include "app/reasoning_output.hpp"
#include "app/run_loop.hpp"
#include "console/tty_terminal.hpp"
#include "print/cups_spooler.hpp"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoTerminal = 1;
constexpr int kExitOrphaned = 1;

// Writes the text to standard output; a text that cannot be written (a
// full disk, a closed pipe) is a failure, and says why.
int writeAll(const char* text, const char* what) {
    errno = 0;
    if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) {
        return 0;
    }
    std::fprintf(stderr, "novemra: cannot write %s: %s\n", what,
                 std::strerror(errno != 0 ? errno : EIO));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // --help, --version and bad arguments answer on the standard streams
    // and never touch the terminal.
    const novemra::CommandLine command =
        novemra::readCommandLine({argv, static_cast<std::size_t>(argc)});
    switch (command.action) {
        case novemra::CommandLine::Action::Help:
            return writeAll(novemra::usageText(), "the usage");
        case novemra::CommandLine::Action::Version:
            return writeAll(novemra::kVersionLine, "the version");
        case novemra::CommandLine::Action::Refuse:
            std::fputs(command.error.c_str(), stderr);
            return kExitUsage;
        case novemra::CommandLine::Action::Run:
            break;
    }
    if (command.check) {
        std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 16);
        return novemra::checkWithoutScreen(command, stdout, stderr);
    }
    if (command.generate) {
        return novemra::generateWithoutScreen(*command.generate, stdout, stderr);
    }
    if (command.reasoning != novemra::CommandLine::Reasoning::None) {
        std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 16);
        return novemra::reasonWithoutScreen(command, stdout, stderr);
    }
    if (command.solveOnly) {
        // Answers go out in large writes, and whenever the input is about
        // to be waited for.
        std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 16);
        return novemra::solveWithoutScreen(command, stdout, stderr);
    }
    // The first given puzzle is read, and refused if bad, before anything
    // is drawn; the rest are read one at a time as the runs take them.
    novemra::ProgramState state;
    std::string error;
    novemra::StoredPuzzle first{};
    if (!state.given.open(command, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    switch (state.given.next(first, error)) {
        case novemra::GivenPuzzles::Result::Puzzle:
            state.nextGiven = first;
            break;
        case novemra::GivenPuzzles::Result::End:
        case novemra::GivenPuzzles::Result::Stopped:  // no reading is stopped here
            break;
        case novemra::GivenPuzzles::Result::Error:
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
    // While a hard copy runs (up to its time limit), fg and resizes are
    // still answered on the screen.
    spooler.setWaitHook([&terminal] { terminal->attendToSignals(); });
    novemra::runProgram(state, *terminal, spooler);
    if (terminal->orphaned()) {
        // Said where it can still be written: a terminal that stops
        // background writers refuses it (EIO), and that is all.
        terminal.reset();
        std::fputs("novemra: ended: left in the background with no shell to bring it back\n",
                   stderr);
        return kExitOrphaned;
    }
    if (!state.endError.empty()) {
        // A bad puzzle further on in the file: said on the restored
        // terminal, after the program's screen is gone.
        terminal.reset();
        std::fprintf(stderr, "%s\n", state.endError.c_str());
        return kExitUsage;
    }
    return 0;
}

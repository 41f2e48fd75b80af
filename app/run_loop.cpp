#include "app/run_loop.hpp"

#include "app/help.hpp"
#include "console/grid_picture.hpp"
#include "console/keyboard.hpp"
#include "print/hard_copy.hpp"
#include "puzzle/manual_entry.hpp"

namespace novemra {

namespace {

// The speed prompt stands right under the last echoed answer: line 19 after
// the data-source answer alone, line 20 after the level answer as well.
constexpr int kSpeedPromptRowManual = 19;
constexpr int kSpeedPromptRowTestData = 20;

// Asks the speed at the cursor and sets it from the answer. Returns Quit
// when the terminal is gone.
Flow askSpeed(ProgramState& state, ConsoleTerminal& terminal) {
    // Keys pressed before the speed prompt appears must not answer it.
    drainKeysIntoAnswer(terminal, state.answer);
    terminal.printText(kSpeedPrompt);
    if (waitForKey(terminal, state.answer) == Flow::Quit) {
        return Flow::Quit;
    }
    terminal.printLine(state.answer);
    drainKeys(terminal);
    state.speed = speedForAnswer(state.answer);
    return Flow::Continue;
}

// Asks where the puzzle comes from, which level and which speed; loads a
// stored puzzle on the way. Returns Quit when the terminal is gone, and
// sets helpWanted when the user asked for the help page instead.
Flow askQuestions(ProgramState& state, ConsoleTerminal& terminal, bool& helpWanted) {
    terminal.printEmptyLine();
    terminal.printText(kDataSourcePrompt);
    if (waitForKey(terminal, state.answer) == Flow::Quit) {
        return Flow::Quit;
    }
    helpWanted = state.answer == "h";
    if (helpWanted) {
        return Flow::Continue;
    }
    state.useTestData = false;
    terminal.printLine(state.answer);
    if (state.answer == "y") {
        state.useTestData = true;
        terminal.printText(kLevelPrompt);
        if (waitForKey(terminal, state.answer) == Flow::Quit) {
            return Flow::Quit;
        }
        terminal.printLine(state.answer);
        state.level = levelForAnswer(state.answer);
        loadTestPuzzle(state.puzzle, state.level, terminal);
    }

    terminal.locate(state.useTestData ? kSpeedPromptRowTestData : kSpeedPromptRowManual, 1);
    return askSpeed(state, terminal);
}

// Waits until the puzzles' input (a pipe, a FIFO, a terminal's slow
// writer) has something to read, saying so under the last question once it
// has to wait. The screen keeps answering meanwhile: a resize or fg repaints
// it, and "x" ends the program, as Ctrl-C does. False when the program is
// to end.
bool waitForPuzzleInput(ConsoleTerminal& terminal, const std::string& label, int fd, bool& said) {
    while (!readableNow(fd)) {
        if (!said) {
            terminal.printEmptyLine();
            terminal.printText(" Waiting for the next puzzle from " + label + "; x ends");
            said = true;
        }
        if (terminal.pollKey() == "x" || !terminal.waitForInputOr(fd)) {
            return false;
        }
    }
    return true;
}

// Reads the next puzzle the command line gives, if any, for the next run.
// Returns Quit, with endError set, when it is bad, and without when the
// user ended the program while it was awaited.
Flow takeNextGivenPuzzle(ProgramState& state, ConsoleTerminal& terminal) {
    StoredPuzzle puzzle{};
    bool said = false;
    state.given.setBeforeRead(
        [&](int fd) { return waitForPuzzleInput(terminal, state.given.label(), fd, said); });
    const GivenPuzzles::Result result = state.given.next(puzzle, state.endError);
    state.given.setBeforeRead(nullptr);
    switch (result) {
        case GivenPuzzles::Result::Puzzle:
            state.nextGiven = puzzle;
            return Flow::Continue;
        case GivenPuzzles::Result::End:
            return Flow::Continue;
        case GivenPuzzles::Result::Stopped:
        case GivenPuzzles::Result::Error:
            break;
    }
    return Flow::Quit;
}

// Shows the outcome and asks the last questions. Returns Continue when the
// user wants another run.
Flow reportAndAskAgain(ProgramState& state, ConsoleTerminal& terminal, PrintSpooler& spooler) {
    drawGrid(state.puzzle.grid, terminal);
    if (state.puzzle.status == SolveStatus::Solved) {
        terminal.printEmptyLine();
        terminal.printLine(kSolvedLine);
        terminal.printEmptyLine();
        terminal.printText(kHardCopyPrompt);
        if (waitForKey(terminal, state.answer) == Flow::Quit) {
            return Flow::Quit;
        }
        if (state.answer == "y") {
            makeHardCopy(state.puzzle.grid, spooler);
        }
        terminal.printEmptyLine();
    } else if (state.puzzle.status == SolveStatus::Unsolvable) {
        terminal.printEmptyLine();
        terminal.printLine(kUnsolvableLine);
    }
    terminal.printEmptyLine();
    terminal.printText(kRunAgainPrompt);
    if (waitForKey(terminal, state.answer) == Flow::Quit) {
        return Flow::Quit;
    }
    drainKeys(terminal);
    return state.answer == "y" ? takeNextGivenPuzzle(state, terminal) : Flow::Quit;
}

// Asks the speed for a puzzle given on the command line, drawn as if it
// had been typed in: the speed question stands where the first question
// would.
Flow askSpeedForGivenPuzzle(ProgramState& state, ConsoleTerminal& terminal) {
    fillPuzzle(state.puzzle, *state.nextGiven);
    state.nextGiven.reset();
    state.useTestData = false;
    drawGrid(state.puzzle.grid, terminal);
    terminal.printEmptyLine();
    return askSpeed(state, terminal);
}

// One pass of the run loop. Returns Continue to run again.
Flow runOnce(ProgramState& state, ConsoleTerminal& terminal, PrintSpooler& spooler,
             SlowDelay delay) {
    terminal.setColour(kColourBrightYellow, kColourBlue);
    terminal.clear();
    resetPuzzle(state.puzzle);

    if (state.nextGiven) {
        if (askSpeedForGivenPuzzle(state, terminal) == Flow::Quit) {
            return Flow::Quit;
        }
        terminal.clear();
        drawGrid(state.puzzle.grid, terminal);
    } else {
        drawGrid(state.puzzle.grid, terminal);
        bool helpWanted = false;
        if (askQuestions(state, terminal, helpWanted) == Flow::Quit) {
            return Flow::Quit;
        }
        if (helpWanted) {
            return showHelp(terminal, state.answer);
        }

        terminal.clear();
        if (state.useTestData) {
            // Loaded afresh: the same puzzle and list as before the speed question.
            loadTestPuzzle(state.puzzle, state.level, terminal);
        } else if (enterPuzzle(state.puzzle, terminal, state.answer) == Flow::Quit) {
            return Flow::Quit;
        }
    }
    if (solvePuzzle(state.puzzle, state.speed, terminal, delay).flow == Flow::Quit) {
        return Flow::Quit;
    }
    return reportAndAskAgain(state, terminal, spooler);
}

}  // namespace

TestLevel levelForAnswer(std::string_view answer) {
    if (answer == "d") {
        return TestLevel::Difficult;
    }
    if (answer == "h") {
        return TestLevel::Hard;
    }
    if (answer == "x") {
        return TestLevel::Xtreme;
    }
    return TestLevel::Easy;
}

SpeedMode speedForAnswer(std::string_view answer) {
    if (answer == "s") {
        return SpeedMode::Slow;
    }
    if (answer == "e") {
        return SpeedMode::ExtraFast;
    }
    return SpeedMode::Fast;
}

void runProgram(ProgramState& state, ConsoleTerminal& terminal, PrintSpooler& spooler,
                SlowDelay delay) {
    while (runOnce(state, terminal, spooler, delay) == Flow::Continue) {
    }
}

}  // namespace novemra

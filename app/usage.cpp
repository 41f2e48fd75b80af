// The short usage --help prints.
#include "app/command_line.hpp"

namespace novemra {

namespace {

constexpr const char* kUsage =
    "Usage: novemra [PUZZLE | -f FILE]\n"
    "       novemra --solve | --check | --explain | --rate [-j N] (PUZZLE | -f FILE)\n"
    "       novemra --generate [N] [--level L] [--symmetry S] [--seed N]\n"
    "       novemra --help | --version\n"
    "Watch a backtracking search solve Sudoku in the terminal.\n"
    "\n"
    "Run without arguments: pick a stored puzzle or type or paste one in,\n"
    "choose a speed and watch the search; every question takes one key.\n"
    "\n"
    "A PUZZLE is 81 cells in reading order: 1-9 a given, 0 or . a blank;\n"
    "every other character is skipped, so rows may be spaced out:\n"
    "  novemra '000000010 400000000 020000000 000050407 008000300\n"
    "           001090000 300400200 050100000 000806000'\n"
    "\n"
    "  -f, --file FILE  puzzles from FILE (- for standard input): a line with\n"
    "                   81 cells or more is one puzzle (its field of 81 cells;\n"
    "                   the rest of the line is ignored), or 9-line grids;\n"
    "                   lines starting with # are comments. Each run takes\n"
    "                   the next one; the keys still come from the terminal:\n"
    "                   novemra -f - < FILE\n"
    "      --solve      no screen: print each solution as 81 digits, or\n"
    "                   'unsolvable', one line a puzzle, as each is read;\n"
    "                   status 1 if any was unsolvable, 2 if the input was\n"
    "                   bad or the answers could not be written\n"
    "      --check      no screen: 'unique', 'unsolvable', or 'several:' and\n"
    "                   the cells where the first two solutions differ;\n"
    "                   status 3 if any had several\n"
    "      --count[=N]  with --check, count the solutions up to N (1000)\n"
    "      --explain    no screen: the steps a person would take, simplest\n"
    "                   technique first, one line a step, then the solution\n"
    "      --rate       no screen: each puzzle's level (easy, medium, hard,\n"
    "                   unfair, extreme), score and hardest technique\n"
    "  -j, --jobs N     with the four above, answer on N threads (default:\n"
    "                   every processor); the output is the same\n"
    "      --generate [N]  make N puzzles (1), one a line, '.' for a blank:\n"
    "                   each with one solution, and minimal\n"
    "      --level L    easy, medium, hard, unfair or extreme (default any)\n"
    "      --symmetry S none, rotate180, rotate90, mirror, diagonal, random\n"
    "      --seed N     the same puzzles again; --verbose names a fresh one\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "Bad input is named on standard error with status 2.\n"
    "See novemra(6) for the keys, printing and the terminal.\n";

}  // namespace

const char* usageText() {
    return kUsage;
}

}  // namespace novemra

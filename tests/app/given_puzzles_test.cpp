#include "app/given_puzzles.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

// A file of many puzzles, removed afterwards.
struct ManyPuzzles {
    explicit ManyPuzzles(int count)
        : path(std::filesystem::temp_directory_path() /
               ("novemra-many-" + std::to_string(::getpid()) + ".txt")) {
        std::ofstream out(path);
        for (int i = 0; i < count; ++i) {
            out << testing::kSolvedSudoku << "\n";
        }
    }
    ~ManyPuzzles() { std::filesystem::remove(path); }
    std::filesystem::path path;
};

std::string readAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int ch = 0; (ch = std::fgetc(file)) != EOF;) {
        text.push_back(static_cast<char>(ch));
    }
    return text;
}

// Answers that cannot be delivered end the run with a failure that says
// why: a full disk, and a reader that has gone (with SIGPIPE ignored, as a
// shell or a supervisor may leave it). The streams are line-buffered, as
// standard output on a terminal is: each line's write fails inside fputs.
TEST(SolveWithoutScreen, StopsAtTheFirstAnswerThatCannotBeWritten) {
    const ManyPuzzles many(20000);
    CommandLine command;
    command.solveOnly = true;
    command.file = many.path.string();

    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IOLBF, 0);
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(solveWithoutScreen(command, full, err), 2);
    std::fclose(full);
    EXPECT_EQ(readAll(err),
              std::string("novemra: cannot write the answers: ") + std::strerror(ENOSPC) + "\n");
    std::fclose(err);

    std::array<int, 2> pipe{};
    ASSERT_EQ(::pipe2(pipe.data(), O_CLOEXEC), 0);
    ::close(pipe[0]);
    const auto before = std::signal(SIGPIPE, SIG_IGN);
    std::FILE* gone = ::fdopen(pipe[1], "w");
    std::setvbuf(gone, nullptr, _IOLBF, 0);
    err = std::tmpfile();
    EXPECT_EQ(solveWithoutScreen(command, gone, err), 2);
    std::fclose(gone);
    std::signal(SIGPIPE, before);
    EXPECT_EQ(readAll(err),
              std::string("novemra: cannot write the answers: ") + std::strerror(EPIPE) + "\n");
    std::fclose(err);
}

}  // namespace
}  // namespace novemra

// --solve reading from a stream that is still being written: each answer
// that is ready goes out before the program waits for more input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>

#include "e2e/program_steps.hpp"
#include "support/puzzle_builder.hpp"

extern char** environ;

namespace novemra {
namespace {

using testing::kProgram;

// Reads from fd until a line feed arrives; a program that kept its answer
// back would leave the test here, so the wait has a generous bound that
// only a fault reaches.
std::string readLine(int fd) {
    std::string line;
    std::array<char, 256> buffer{};
    while (line.find('\n') == std::string::npos) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 60'000) <= 0) {
            break;
        }
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count <= 0) {
            break;
        }
        line.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return line;
}

TEST(SolveStream, AnAnswerArrivesWhileTheWriterStillHoldsTheInputOpen) {
    const std::filesystem::path fifo = std::filesystem::temp_directory_path() /
                                       ("novemra-solve-fifo-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Read and write, so that opening waits for nobody; held open until
    // the answer has come.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    std::array<int, 2> output{};
    ASSERT_EQ(::pipe2(output.data(), O_CLOEXEC), 0);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    const std::string path = fifo.string();
    std::array<char*, 5> argv{const_cast<char*>(kProgram.c_str()), const_cast<char*>("--solve"),
                              const_cast<char*>("-f"), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, kProgram.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);

    const std::string puzzle = std::string(testing::kSolvedSudoku.substr(0, 80)) + "0\n";
    ASSERT_EQ(::write(writer, puzzle.data(), puzzle.size()), static_cast<ssize_t>(puzzle.size()));
    EXPECT_EQ(readLine(output[0]), std::string(testing::kSolvedSudoku) + "\n");

    ::close(writer);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(output[0]);
    std::filesystem::remove(fifo);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace novemra

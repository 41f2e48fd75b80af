// --generate through the real program: the lines it writes, the same bytes
// for the same seed, and Ctrl-C ending it after the puzzles made so far.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <regex>
#include <string>

#include "e2e/program_steps.hpp"
#include "support/captured_run.hpp"

namespace novemra {
namespace {

using testing::kProgram;
using testing::runCaptured;

TEST(Generate, WritesPuzzlesOneALineAndTheSameSeedGivesTheSameBytes) {
    const testing::CapturedRun first =
        runCaptured(kProgram, {"--generate", "4", "--seed", "38", "--level", "medium"});
    const testing::CapturedRun again =
        runCaptured(kProgram, {"--generate=4", "--level=medium", "--seed=38"});
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.out, again.out);
    static const std::regex kLines(R"(([1-9.]{81}\n){4})");
    EXPECT_TRUE(std::regex_match(first.out, kLines)) << first.out;

    // Read back: each is rated medium.
    const std::string path = "/tmp/novemra-made-" + std::to_string(::getpid()) + ".txt";
    {
        std::FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(first.out.c_str(), file);
        std::fclose(file);
    }
    const testing::CapturedRun rated = runCaptured(kProgram, {"--rate", "-f", path});
    ::unlink(path.c_str());
    static const std::regex kMedium(R"((medium [0-9]+ [A-Za-z ]+\n){4})");
    EXPECT_TRUE(std::regex_match(rated.out, kMedium)) << rated.out;
}

TEST(Generate, CtrlCEndsAfterThePuzzlesMadeWithStatus130) {
    std::array<int, 2> out{};
    std::array<int, 2> err{};
    ASSERT_EQ(::pipe2(out.data(), O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(err.data(), O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::array<char*, 6> argv{const_cast<char*>(kProgram.c_str()),
                              const_cast<char*>("--generate"),
                              const_cast<char*>("1000000"),
                              const_cast<char*>("--seed"),
                              const_cast<char*>("5"),
                              nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, kProgram.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);

    // Wait for the first whole puzzle, then interrupt.
    std::string made;
    std::array<char, 4096> buffer{};
    while (made.find('\n') == std::string::npos) {
        const ssize_t count = ::read(out[0], buffer.data(), buffer.size());
        ASSERT_GT(count, 0);
        made.append(buffer.data(), static_cast<std::size_t>(count));
    }
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    for (ssize_t count; (count = ::read(out[0], buffer.data(), buffer.size())) > 0;) {
        made.append(buffer.data(), static_cast<std::size_t>(count));
    }
    std::string said;
    for (ssize_t count; (count = ::read(err[0], buffer.data(), buffer.size())) > 0;) {
        said.append(buffer.data(), static_cast<std::size_t>(count));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(out[0]);
    ::close(err[0]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    // Every puzzle written is whole, and the line counts them.
    static const std::regex kLines(R"(([1-9.]{81}\n)+)");
    EXPECT_TRUE(std::regex_match(made, kLines));
    const auto lines = static_cast<long>(std::count(made.begin(), made.end(), '\n'));
    EXPECT_EQ(said,
              "novemra: interrupted; made " + std::to_string(lines) + " of 1000000 puzzles\n");
}

}  // namespace
}  // namespace novemra

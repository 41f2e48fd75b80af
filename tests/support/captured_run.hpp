// Runs a program to its end with standard input from a file (or
// /dev/null) and standard output and error captured: for tests of the
// modes that never touch the terminal.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace novemra::testing {

struct CapturedRun {
    std::string out;
    std::string err;
    int status = -1;  // the exit status, or -1 when it did not exit
};

inline std::string readAllOf(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::array<char, 4096> buffer{};
        for (std::size_t count; (count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
            text.append(buffer.data(), count);
        }
        std::fclose(file);
    }
    return text;
}

inline CapturedRun runCaptured(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& input = "/dev/null") {
    const std::string base = "/tmp/novemra-run-" + std::to_string(::getpid());
    const std::string outPath = base + ".out";
    const std::string errPath = base + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    CapturedRun run;
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readAllOf(outPath);
    run.err = readAllOf(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return run;
}

}  // namespace novemra::testing

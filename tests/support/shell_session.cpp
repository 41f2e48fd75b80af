#include "support/shell_session.hpp"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <utility>

namespace novemra::testing {

namespace {

std::string quoted(const std::string& word) {
    std::string result = "'";
    for (const char ch : word) {
        if (ch == '\'') {
            result.append("'\\''");
        } else {
            result.push_back(ch);
        }
    }
    result.push_back('\'');
    return result;
}

}  // namespace

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ShellSession::ShellSession(const std::string& program, Options options)
    : redirectOutput_(options.redirectOutput) {
    static int counter = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("novemra-shell-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    const std::string dir = quoted(folder_.string());
    std::string command = quoted(program);
    for (const std::string& argument : options.arguments) {
        command.append(" ").append(quoted(argument));
    }
    if (options.redirectOutput) {
        const std::string out =
            options.outputPath.empty() ? dir + "/out" : quoted(std::as_const(options.outputPath));
        command.append(" >").append(out).append(" 2>").append(dir).append("/err");
    }
    // The shell shows one line first, so a test can tell the user's own
    // screen from the program's.
    // Built by appending: GCC 12 warns wrongly (-Wrestrict) about a chain of
    // string additions here in optimised builds.
    std::string script = "trap true INT; ";
    script.append(options.prelude);
    if (!options.redirectOutput) {
        script.append(" echo BEFORE-NOVEMRA;");
    }
    script.append(" stty -g >").append(dir).append("/before; ");
    script.append(command).append("; s=$?; stty -g >").append(dir).append("/after; ");
    script.append("echo $s >").append(dir).append("/status");
    if (!options.redirectOutput) {
        script.append("; echo DONE");
    }
    process_ = std::make_unique<PtyProcess>(std::vector<std::string>{"/bin/sh", "-c", script},
                                            options.rows, options.columns, options.term);
}

ShellSession::~ShellSession() {
    process_.reset();
    std::filesystem::remove_all(folder_);
}

bool ShellSession::waitUntilDone(std::chrono::milliseconds timeout) {
    if (redirectOutput_) {
        return process_->waitForExit(timeout).has_value();
    }
    return process_->waitForBytes("DONE\r\n", timeout);
}

bool ShellSession::modesRestored() const {
    const std::string before = file("before");
    return !before.empty() && before == file("after");
}

pid_t ShellSession::programPid() const {
    return firstChildOf(process_->pid());
}

std::string ShellSession::file(const std::string& name) const {
    return readWholeFile(folder_ / name);
}

}  // namespace novemra::testing

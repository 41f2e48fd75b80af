#include "support/shell_session.hpp"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace novemra::testing {

namespace {

std::string quoted(const std::string& word) {
    std::string result = "'";
    for (const char ch : word) {
        result += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    }
    return result + "'";
}

}  // namespace

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ShellSession::ShellSession(const std::string& program, Options options) {
    static int counter = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("novemra-shell-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    const std::string dir = quoted(folder_.string());
    std::string command = quoted(program);
    for (const std::string& argument : options.arguments) {
        command += " " + quoted(argument);
    }
    if (options.redirectOutput) {
        command += " >" + dir + "/out 2>" + dir + "/err";
    }
    // The shell shows one line first, so a test can tell the user's own
    // screen from the program's.
    const std::string script = "trap true INT; " + options.prelude +
                               (options.redirectOutput ? "" : " echo BEFORE-NOVEMRA;") +
                               " stty -g >" + dir + "/before; " + command + "; s=$?; stty -g >" +
                               dir + "/after; echo $s >" + dir + "/status" +
                               (options.redirectOutput ? "" : "; echo DONE");
    process_ = std::make_unique<PtyProcess>(std::vector<std::string>{"/bin/sh", "-c", script},
                                            options.rows, options.columns, options.term);
}

ShellSession::~ShellSession() {
    process_.reset();
    std::filesystem::remove_all(folder_);
}

bool ShellSession::modesRestored() const {
    const std::string before = file("before");
    return !before.empty() && before == file("after");
}

pid_t ShellSession::programPid() const {
    const std::string shell = std::to_string(process_->pid());
    std::istringstream children(readWholeFile("/proc/" + shell + "/task/" + shell + "/children"));
    pid_t child = -1;
    children >> child;
    return child;
}

std::string ShellSession::file(const std::string& name) const {
    return readWholeFile(folder_ / name);
}

}  // namespace novemra::testing

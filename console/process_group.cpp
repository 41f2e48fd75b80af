#include "console/process_group.hpp"

#include <unistd.h>

#include <fstream>
#include <string>

namespace novemra {

namespace {

// The parent of pid, from /proc; -1 when it cannot be read.
pid_t parentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return -1;
    }
    // The name in parentheses may hold spaces and parentheses itself: the
    // fields after it follow the last ')'.
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) {
        return -1;
    }
    char state = 0;
    long parent = -1;
    if (std::sscanf(line.c_str() + nameEnd + 1, " %c %ld", &state, &parent) != 2) {
        return -1;
    }
    return static_cast<pid_t>(parent);
}

}  // namespace

bool processGroupOrphaned() {
    const pid_t group = ::getpgrp();
    const pid_t session = ::getsid(0);
    // Up the line of parents while they are in the program's own group
    // (a script that ran it, say): the first one outside it decides.
    pid_t ancestor = ::getppid();
    for (int depth = 0; depth < 64; ++depth) {
        if (ancestor <= 0) {
            return true;  // no parent left in this namespace
        }
        const pid_t ancestorGroup = ::getpgid(ancestor);
        if (ancestorGroup < 0) {
            return false;  // gone meanwhile: look again later
        }
        if (ancestorGroup != group) {
            return ::getsid(ancestor) != session;
        }
        ancestor = parentOf(ancestor);
    }
    return false;
}

}  // namespace novemra

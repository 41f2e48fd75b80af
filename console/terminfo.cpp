#include "console/terminfo.hpp"

#include <curses.h>
#include <term.h>

namespace novemra::terminfo {

bool load(int fd) {
    int error = 0;
    return ::setupterm(nullptr, fd, &error) == OK;
}

void unload() {
    if (cur_term != nullptr) {
        ::del_curterm(cur_term);
        cur_term = nullptr;
    }
}

std::string text(const char* name) {
    const char* value = ::tigetstr(name);
    if (value == nullptr || value == reinterpret_cast<const char*>(-1)) {
        return "";
    }
    return value;
}

int number(const char* name) {
    return ::tigetnum(name);
}

bool flag(const char* name) {
    return ::tigetflag(name) > 0;
}

std::string format(const std::string& capability, int first, int second) {
    const char* result = ::tiparm(capability.c_str(), first, second);
    return result == nullptr ? std::string() : std::string(result);
}

}  // namespace novemra::terminfo

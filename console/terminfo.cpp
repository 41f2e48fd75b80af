#include "console/terminfo.hpp"

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>
#include <string_view>

namespace novemra::terminfo {

bool load(int fd) {
    int error = 0;
    return ::setupterm(nullptr, fd, &error) == OK;
}

namespace {

// The folders ncurses reads entries from, in its order.
std::vector<std::string> entryFolders() {
    static constexpr const char* kSystemFolders[] = {"/etc/terminfo", "/lib/terminfo",
                                                     "/usr/share/terminfo"};
    std::vector<std::string> folders;
    if (const char* own = std::getenv("TERMINFO"); own != nullptr && *own != '\0') {
        folders.emplace_back(own);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folders.push_back(std::string(home) + "/.terminfo");
    }
    bool systemListed = false;
    if (const char* list = std::getenv("TERMINFO_DIRS"); list != nullptr) {
        std::string_view rest(list);
        for (;;) {
            const std::size_t colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            if (folder.empty()) {
                // An empty element stands for the system's folders.
                folders.insert(folders.end(), std::begin(kSystemFolders), std::end(kSystemFolders));
                systemListed = true;
            } else {
                folders.emplace_back(folder);
            }
            if (colon == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(colon + 1);
        }
    }
    if (!systemListed) {
        folders.insert(folders.end(), std::begin(kSystemFolders), std::end(kSystemFolders));
    }
    return folders;
}

}  // namespace

bool entryExists(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.') {
        return false;
    }
    // An entry is a file in a folder named by its first character, or by
    // that character's code in hexadecimal on case-insensitive systems.
    static constexpr char kHex[] = "0123456789abcdef";
    const auto first = static_cast<unsigned char>(name[0]);
    const std::string byLetter = std::string(1, name[0]) + "/" + name;
    const std::string byCode = std::string{kHex[first >> 4], kHex[first & 0xF]} + "/" + name;
    for (const std::string& folder : entryFolders()) {
        if (::access((folder + "/" + byLetter).c_str(), R_OK) == 0 ||
            ::access((folder + "/" + byCode).c_str(), R_OK) == 0) {
            return true;
        }
    }
    return false;
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

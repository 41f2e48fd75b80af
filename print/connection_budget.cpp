#include "print/connection_budget.hpp"

#include <dlfcn.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>

namespace novemra {

namespace {

// Connections this process may still open; negative: no limit. It has to be
// process-wide: the only place that sees every connection libcups opens is
// the connect() below, which reaches nothing else.
std::atomic<int> connectionsLeft{-1};

}  // namespace

void limitConnections(int count) {
    connectionsLeft.store(count);
}

}  // namespace novemra

// Every connect() this program's libraries make comes here first (the
// program's own definition takes precedence over the C library's), is
// counted against the budget, and goes on to the C library's.
extern "C" int connect(int fd, const sockaddr* address, socklen_t length) {
    using Connect = int (*)(int, const sockaddr*, socklen_t);
    static const auto next = reinterpret_cast<Connect>(::dlsym(RTLD_NEXT, "connect"));
    int left = novemra::connectionsLeft.load();
    while (left >= 0) {
        if (left == 0) {
            errno = ECONNREFUSED;
            return -1;
        }
        if (novemra::connectionsLeft.compare_exchange_weak(left, left - 1)) {
            break;
        }
    }
    return next(fd, address, length);
}

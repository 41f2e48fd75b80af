#include "support/write_calls.hpp"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace {

std::atomic<int> countedFd{-1};
std::atomic<long> counted{0};

}  // namespace

namespace novemra::testing {

void countWritesTo(int fd) {
    counted = 0;
    countedFd = fd;
}

long writesCounted() {
    return counted.load();
}

}  // namespace novemra::testing

// Every write() of the test binary comes here first.
extern "C" ssize_t write(int fd, const void* bytes, size_t count) {
    if (fd == countedFd.load(std::memory_order_relaxed)) {
        counted.fetch_add(1, std::memory_order_relaxed);
    }
    return ::syscall(SYS_write, fd, bytes, count);
}

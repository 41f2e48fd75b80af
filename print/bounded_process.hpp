// Runs work in a process of its own that nothing it talks to can keep
// alive: it leaves the terminal's session and holds none of the terminal's
// descriptors, the kernel ends it at its time limit and refuses it memory
// and connections past theirs, and the caller stops waiting for it at the
// whole limit whatever it does. For calls (such as libcups') that can block
// where no timeout of their own reaches.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <functional>

namespace novemra {

struct ProcessBounds {
    // The caller waits at most this long.
    std::chrono::milliseconds waitLimit;
    // The kernel ends the process this long after it starts (SIGALRM),
    // whether or not the caller still runs.
    std::chrono::milliseconds lifeLimit;
    // Address space, in bytes; a stricter limit the process already has
    // (ulimit -v) is kept.
    rlim_t memoryLimit;
    // connect() calls the process may make (see connection_budget.hpp).
    int connectionLimit;
};

// Runs work in the bounded process and waits until it has ended or the
// wait limit has passed; whileWaiting, when given, runs whenever a signal
// interrupts the wait and every kWaitHookInterval. Nothing is run, and
// nothing said, when the process cannot be started or cannot be detached
// from the terminal.
void runBounded(const ProcessBounds& bounds, const std::function<void()>& work,
                const std::function<void()>& whileWaiting = nullptr);

}  // namespace novemra

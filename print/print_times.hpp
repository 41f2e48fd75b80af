// How a hard copy's time is shared out, and the clock it is measured on.
//
// Within the time limit three bounds nest: libcups' calls give up at the
// work deadline, the kernel ends the hard copy's process at its life limit
// whatever a server sends, and the program stops waiting at the whole limit.
// Each is later than the one before, so a bound that holds leaves time for
// the next to act.
#pragma once

#include <algorithm>
#include <chrono>

namespace novemra {

using PrintClock = std::chrono::steady_clock;

class PrintTimes {
  public:
    explicit PrintTimes(std::chrono::milliseconds limit) : limit_(limit) {}

    // libcups' calls give up this long after the job's first call.
    std::chrono::milliseconds work() const { return share(0.75); }
    // The kernel ends the hard copy's process this long after it starts.
    std::chrono::milliseconds life() const { return share(0.85); }
    // The program waits this long for the process.
    std::chrono::milliseconds wait() const { return limit_; }

  private:
    std::chrono::milliseconds share(double fraction) const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(limit_ * fraction);
    }

    std::chrono::milliseconds limit_;
};

// How often a blocked libcups call looks at the work deadline.
constexpr double kTimeoutCheckSeconds = 0.25;
// How often a waiting caller's hook runs when nothing else wakes it.
constexpr std::chrono::milliseconds kWaitHookInterval{200};

// The time until the deadline in whole milliseconds, 0 once it has passed:
// a timeout for poll() and libcups.
inline int millisecondsUntil(PrintClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - PrintClock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

}  // namespace novemra

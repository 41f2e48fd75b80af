// The hard copy under the resource limits a user or an administrator may
// set: it keeps theirs where they are stricter than its own, and it needs
// no file written, so it prints wherever lp prints.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "print/bounded_process.hpp"
#include "print/cups_spooler.hpp"
#include "print/hard_copy.hpp"
#include "support/cups_sandbox.hpp"
#include "support/solved_page.hpp"

namespace novemra {
namespace {

using namespace std::chrono_literals;

// Runs body in a child process, so the limits it sets stay there; returns
// the child's exit status, or -1 when it did not exit.
template <typename Body>
int inChildProcess(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Under ulimit -v below the hard copy's own 256 MiB, the hard copy still
// runs, within the user's limit: lowered where it is stricter, never
// raised (which also needs a privilege the program should not use).
TEST(PrintLimits, AStricterAddressSpaceLimitIsKept) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
#endif
    constexpr rlim_t kUserLimit = rlim_t{200} << 20;
    constexpr rlim_t kOwnLimit = rlim_t{256} << 20;
    enum Outcome { kKept = 0, kNotRun = 2, kRaised = 3, kCannotSet = 4 };
    const int outcome = inChildProcess([&] {
        // Shared memory the bounded process reports in: it keeps no
        // descriptor of its caller's.
        void* shared = ::mmap(nullptr, sizeof(rlimit), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (shared == MAP_FAILED) {
            return static_cast<int>(kCannotSet);
        }
        auto* seen = static_cast<rlimit*>(shared);
        *seen = {0, 0};
        // Set last: the test process may already use more than the limit,
        // so nothing new may need address space after it.
        const rlimit user{kUserLimit, kUserLimit};
        if (::setrlimit(RLIMIT_AS, &user) != 0) {
            return static_cast<int>(kCannotSet);
        }
        runBounded({10s, 10s, kOwnLimit, 16}, [seen] { ::getrlimit(RLIMIT_AS, seen); });
        if (seen->rlim_max == 0) {
            return static_cast<int>(kNotRun);
        }
        const bool kept = seen->rlim_cur <= kUserLimit && seen->rlim_max <= kUserLimit;
        return static_cast<int>(kept ? kKept : kRaised);
    });
    EXPECT_EQ(outcome, kKept) << "2: the work did not run; 3: the limit was raised";
}

// Under ulimit -f 0 (no file may grow) the page still reaches the printer:
// it is sent from memory, not written to a file first.
TEST(PrintLimits, PrintsUnderAFileSizeLimitOfZero) {
    const std::string reason = testing::CupsSandbox::unavailableReason();
    if (!reason.empty()) {
        GTEST_SKIP() << reason;
    }
    testing::CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    const int status = inChildProcess([] {
        const rlimit none{0, 0};
        if (::setrlimit(RLIMIT_FSIZE, &none) != 0) {
            return 1;
        }
        CupsSpooler spooler;
        makeHardCopy(testing::solvedGrid(), spooler);
        return 0;
    });
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(cups.waitForJobs(1, 10s));
    EXPECT_EQ(cups.jobs().at(0).data, testing::solvedPage());
}

}  // namespace
}  // namespace novemra

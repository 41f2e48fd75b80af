#include "print/cups_spooler.hpp"

#include <cups/cups.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "print/hard_copy.hpp"
#include "support/cups_sandbox.hpp"
#include "support/hostile_server.hpp"
#include "support/silent_resolver.hpp"
#include "support/solved_page.hpp"

namespace novemra {
namespace {

using namespace std::chrono_literals;
using testing::CupsSandbox;

using testing::solvedGrid;

class CupsSpoolerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string reason = CupsSandbox::unavailableReason();
        if (!reason.empty()) {
            GTEST_SKIP() << reason;
        }
    }
};

TEST_F(CupsSpoolerTest, PrintsThePageAsOnePlainTextJobOnTheDefaultPrinter) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    CupsSpooler spooler;
    EXPECT_EQ(spooler.defaultPrinterName(), "capture");

    makeHardCopy(solvedGrid(), spooler);

    ASSERT_TRUE(cups.waitForJobs(1, 10s));
    const auto jobs = cups.jobs();
    ASSERT_EQ(jobs.size(), 1U);
    EXPECT_EQ(jobs[0].title, "job1");
    EXPECT_EQ(jobs[0].format, "text/plain");
    EXPECT_EQ(jobs[0].data, testing::solvedPage());
}

TEST_F(CupsSpoolerTest, NoDefaultPrinterMakesNoJob) {
    CupsSandbox cups({.defaultPrinter = false});
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    CupsSpooler spooler;
    EXPECT_EQ(spooler.defaultPrinterName(), "");
    makeHardCopy(solvedGrid(), spooler);
    EXPECT_TRUE(cups.jobStates().empty());
}

// The default is an instance with a setting of its own, as lpoptions -d
// and -o make it: the job is printed with that setting, as lp would.
TEST_F(CupsSpoolerTest, NamedInstanceOfTheDefaultIsUsedWithItsSettings) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    // The user's own lpoptions name an instance of the queue as default.
    const std::filesystem::path options = std::filesystem::path(std::getenv("HOME")) / ".cups";
    std::filesystem::create_directories(options);
    std::ofstream(options / "lpoptions") << "Default capture/draft cpi=17\n";
    // libcups keeps its settings, HOME among them, per thread: a new thread
    // reads this test's HOME even after other tests in this process.
    std::string name;
    testing::onFreshThread([&] {
        CupsSpooler spooler;
        name = spooler.defaultPrinterName();
        makeHardCopy(solvedGrid(), spooler);
    });
    EXPECT_EQ(name, "capture/draft");
    ASSERT_TRUE(cups.waitForJobs(1, 10s));
    const std::vector<CupsSandbox::JobState> states = cups.jobStates();
    ASSERT_EQ(states.size(), 1U);
    EXPECT_EQ(states[0].cpi, 17);
}

}  // namespace
}  // namespace novemra

namespace novemra {
namespace {

// A print server that accepts connections and never answers.
class SilentServer {
  public:
    SilentServer() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("novemra-silent-" + std::to_string(::getpid())))
                    .string();
        ::unlink(path_.c_str());
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path_.c_str());
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 16);
    }
    ~SilentServer() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    int fd_ = -1;
};

// The limit the fault tests give a hard copy, and the most it may take,
// measured around the hard copy alone: the limit, plus what a loaded
// machine (both cores busy, the sanitizers' large address space) needs to
// fork the process and, once it is ended, to tear it down. A hard copy that
// ignored its limit takes ten times as long or never ends.
constexpr auto kShortLimit = 1500ms;
constexpr auto kShortLimitKept = kShortLimit + 2500ms;

// One hard copy against the server, with a short limit, in a fresh thread:
// libcups keeps its server and encryption settings per thread.
std::chrono::steady_clock::duration boundedHardCopy(const std::string& server,
                                                    bool encryptionRequired = false) {
    std::chrono::steady_clock::duration took{};
    testing::onFreshThread([&] {
        cupsSetServer(server.c_str());
        cupsSetEncryption(encryptionRequired ? HTTP_ENCRYPTION_REQUIRED
                                             : HTTP_ENCRYPTION_IF_REQUESTED);
        ::setenv("PRINTER", "somewhere", 1);
        CupsSpooler spooler(kShortLimit);
        const auto start = std::chrono::steady_clock::now();
        makeHardCopy(solvedGrid(), spooler);
        took = std::chrono::steady_clock::now() - start;
        ::unsetenv("PRINTER");
    });
    return took;
}

TEST(CupsSpoolerFaults, SilentServerIsGivenUpOnAtTheTimeLimit) {
    SilentServer server;
    EXPECT_LT(boundedHardCopy(server.path()), kShortLimitKept);
}

// A file of /proc, read with plain calls: a process that has just gone
// makes the read fail, which a file stream would throw for.
std::string procFile(const std::filesystem::path& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    std::array<char, 4096> buffer{};
    for (ssize_t count = 0; (count = ::read(fd, buffer.data(), buffer.size())) > 0;) {
        text.append(buffer.data(), static_cast<std::size_t>(count));
    }
    ::close(fd);
    return text;
}

// The address-space limit of each child of this process, from
// /proc/PID/limits ("Max address space  268435456  268435456  bytes").
std::vector<long long> childAddressSpaceLimits() {
    std::vector<long long> limits;
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator("/proc", error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string stat = procFile(entry->path() / "stat");
        const std::size_t end = stat.rfind(')');
        char state = 0;
        int parent = 0;
        if (end == std::string::npos ||
            std::sscanf(stat.c_str() + end + 1, " %c %d", &state, &parent) != 2 ||
            parent != ::getpid()) {
            continue;
        }
        const std::string text = procFile(entry->path() / "limits");
        const std::size_t line = text.find("Max address space");
        long long soft = -1;
        if (line != std::string::npos &&
            std::sscanf(text.c_str() + line + 17, "%lld", &soft) == 1) {
            limits.push_back(soft);
        }
    }
    return limits;
}

// However a server answers, the hard copy's process may not grow past
// 256 MiB.
TEST(CupsSpoolerFaults, TheHardCopyProcessMayUseAtMost256MiB) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
#endif
    SilentServer server;
    constexpr long long kLimit = 256LL << 20;
    std::atomic<bool> limited = false;
    std::atomic<bool> done = false;
    // Watches for the hard copy's process while it waits on the server.
    std::thread watcher([&] {
        while (!limited && !done) {
            const std::vector<long long> limits = childAddressSpaceLimits();
            limited = std::find(limits.begin(), limits.end(), kLimit) != limits.end();
        }
    });
    boundedHardCopy(server.path());
    done = true;
    watcher.join();
    EXPECT_TRUE(limited);
}

// Each kind of misbehaving server on a TCP port: the hard copy ends within
// its limit, whatever the server does.
class HostileServerTest : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileServerTest, HardCopyEndsWithinItsLimit) {
    const std::string_view name = GetParam();
    using Kind = testing::HostileServer::Kind;
    const Kind kind = name == "trickle"             ? Kind::Trickle
                      : name == "trickle-slow"      ? Kind::Trickle
                      : name == "drop-then-silent"  ? Kind::DropThenSilent
                      : name == "close-mid-request" ? Kind::CloseMidRequest
                                                    : Kind::Silent;
    testing::HostileServer server(kind, name == "trickle-slow" ? 1000ms : 300ms);
    EXPECT_LT(boundedHardCopy(server.address(), name == "encryption-required"), kShortLimitKept);
}

INSTANTIATE_TEST_SUITE_P(Kinds, HostileServerTest,
                         ::testing::Values("silent", "encryption-required", "trickle",
                                           "trickle-slow", "drop-then-silent", "close-mid-request"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// A server named by a host name whose resolver never answers: in a mount
// and network namespace of its own, a child of the test points
// /etc/resolv.conf at a nameserver on 127.0.0.1 that reads and never
// replies, and makes a hard copy there.
TEST(CupsSpoolerFaults, AHostNameWhoseResolverNeverAnswersIsGivenUpOnAtTheLimit) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root for a mount namespace";
    }
    constexpr int kCannotIsolate = 77;
    const pid_t child = ::fork();
    if (child == 0) {
        if (!testing::isolateNameResolution()) {
            ::_exit(kCannotIsolate);
        }
        const auto took = boundedHardCopy("novemra-printhost:631");
        ::_exit(took < kShortLimitKept ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotIsolate) {
        GTEST_SKIP() << "no mount or network namespace here";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// Servers that never fall silent never let libcups' own timeout check run:
// one that answers a byte every 0.2 s, one that streams a header without
// end, one that redirects every request to itself. The kernel still ends
// every process of the hard copy within its limit, also when the program
// itself was ended (here by SIGKILL) as soon as the hard copy began, and
// the hard copy opens a handful of connections, not thousands.
class ServerThatNeverFallsSilent : public ::testing::TestWithParam<const char*> {};

TEST_P(ServerThatNeverFallsSilent, EndsTheHardCopyWithinTheLimitAfterTheProgram) {
    using Clock = std::chrono::steady_clock;
    using Kind = testing::HostileServer::Kind;
    const std::string_view name = GetParam();
    const Kind kind = name == "stream"     ? Kind::Stream
                      : name == "redirect" ? Kind::RedirectLoop
                                           : Kind::Trickle;
    // The hard copy's processes, orphaned when the program is killed, become
    // this test's children, so it can wait for each of them to end.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    // The "program" is forked before the server starts its thread, so that
    // it is a copy of a process with one thread; it learns the server's
    // address through a pipe.
    std::array<int, 2> address{-1, -1};
    ASSERT_EQ(::pipe(address.data()), 0);
    const pid_t program = ::fork();
    if (program == 0) {
        ::close(address[1]);
        std::array<char, 64> text{};
        const ssize_t length = ::read(address[0], text.data(), text.size() - 1);
        boundedHardCopy(
            std::string(text.data(), length > 0 ? static_cast<std::size_t>(length) : 0));
        ::_exit(0);
    }
    ::close(address[0]);
    testing::HostileServer server(kind, 200ms);
    const std::string serverAddress = server.address();
    ASSERT_EQ(::write(address[1], serverAddress.data(), serverAddress.size()),
              static_cast<ssize_t>(serverAddress.size()));
    ::close(address[1]);
    // The hard copy has begun once it connects (a forked process can take a
    // while to get there on a busy machine, or under the sanitizers); its
    // limit runs from before that.
    const auto waitFrom = Clock::now();
    while (server.connectionsAccepted() == 0 && Clock::now() < waitFrom + 10s) {
        std::this_thread::sleep_for(5ms);
    }
    const auto connected = Clock::now();
    EXPECT_GT(server.connectionsAccepted(), 0);
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    bool allEnded = false;
    while (!allEnded && Clock::now() < connected + 10s) {
        const pid_t ended = ::waitpid(-1, nullptr, WNOHANG);
        allEnded = ended < 0 && errno == ECHILD;
        if (ended == 0) {
            std::this_thread::sleep_for(5ms);
        }
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_TRUE(allEnded);
    EXPECT_LT(Clock::now() - connected, kShortLimitKept);
    // A handful of connections, not the thousands libcups would retry.
    EXPECT_LE(server.connectionsAccepted(), 20);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ServerThatNeverFallsSilent,
                         ::testing::Values("trickle", "stream", "redirect"),
                         [](const auto& info) { return std::string(info.param); });

TEST(CupsSpoolerFaults, NoServerAtAllIsSkippedAtOnce) {
    ::setenv("CUPS_SERVER", "/nonexistent/novemra/socket", 1);
    CupsSpooler spooler;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(spooler.defaultPrinterName(), "");
    EXPECT_FALSE(spooler.openPrinter("capture"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace novemra

namespace novemra {
namespace {

using namespace std::chrono_literals;
using testing::CupsSandbox;

// Each fault must be skipped silently and well inside the time limit.
class CupsFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string reason = CupsSandbox::unavailableReason();
        if (!reason.empty()) {
            GTEST_SKIP() << reason;
        }
    }
    // Runs one hard copy and returns how long it took.
    static std::chrono::steady_clock::duration hardCopy(
        std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        CupsSpooler spooler(limit);
        const auto start = std::chrono::steady_clock::now();
        makeHardCopy(solvedGrid(), spooler);
        return std::chrono::steady_clock::now() - start;
    }
    // The same through the link, in a fresh thread: libcups keeps its
    // server per thread.
    static std::chrono::steady_clock::duration hardCopyThrough(
        const testing::HostileServer& link,
        std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::chrono::steady_clock::duration took{};
        testing::onFreshThread([&] {
            cupsSetServer(link.address().c_str());
            took = hardCopy(limit);
        });
        return took;
    }
};

TEST_F(CupsFaultTest, PrinterRejectingJobsMakesNoJob) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    ASSERT_EQ(cups.admin("cupsreject capture"), 0);
    EXPECT_LT(hardCopy(), 10s);
    EXPECT_TRUE(cups.jobStates().empty());
}

TEST_F(CupsFaultTest, StoppedPrinterQueuesTheJobAndReturns) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    ASSERT_EQ(cups.admin("cupsdisable capture"), 0);
    EXPECT_LT(hardCopy(), 10s);
    // The job waits, whole, in the queue until the printer is started again.
    EXPECT_EQ(cups.jobStates().size(), 1U);
    EXPECT_TRUE(cups.noHalfMadeJob(true));
    EXPECT_TRUE(cups.jobs().empty());
    ASSERT_EQ(cups.admin("cupsenable capture"), 0);
    EXPECT_TRUE(cups.waitForJobs(1, 10s));
}

TEST_F(CupsFaultTest, ServerDemandingAPasswordIsDeclined) {
    CupsSandbox cups({.requireAuthentication = true});
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    EXPECT_LT(hardCopy(), 10s);
    EXPECT_TRUE(cups.jobStates().empty());
}

TEST_F(CupsFaultTest, PrinterNameOverTheLimitIsSkipped) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    ::setenv("PRINTER", std::string(300, 'p').c_str(), 1);
    EXPECT_LT(hardCopy(), 10s);
    ::unsetenv("PRINTER");
    EXPECT_TRUE(cups.jobStates().empty());
}

// The page goes in the request that makes the job, so a request cut short
// anywhere leaves no job at all, and nothing is printed.
TEST_F(CupsFaultTest, APageCutOffOnTheWayLeavesNoJob) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    testing::HostileServer link(testing::HostileServer::Kind::ProxyCutsDocument, 0ms,
                                cups.socket());
    EXPECT_LT(hardCopyThrough(link), 10s);
    EXPECT_TRUE(cups.jobStates().empty());
    EXPECT_TRUE(cups.jobs().empty());
}

// A scheduler that takes the page's start and then answers a byte every
// 0.2 s, too often for libcups' own timeout check: the hard copy's process
// is ended at its share of the limit, and the request it left unfinished
// makes no job.
TEST_F(CupsFaultTest, AStalledPageIsGivenUpWithinTheLimitAndLeavesNoJob) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    testing::HostileServer link(testing::HostileServer::Kind::ProxyStallsDocument, 200ms,
                                cups.socket());
    EXPECT_LT(hardCopyThrough(link, 2s), 2500ms);
    EXPECT_TRUE(cups.noHalfMadeJob());
    EXPECT_TRUE(cups.jobs().empty());
}

// The scheduler makes the job, and its answer never reaches the program
// (the connection is closed instead): the job is whole, and prints.
TEST_F(CupsFaultTest, AJobWhoseAnswerIsLostIsWholeAndPrints) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    testing::HostileServer link(testing::HostileServer::Kind::ProxyDropsJobAnswer, 0ms,
                                cups.socket());
    EXPECT_LT(hardCopyThrough(link), 10s);
    EXPECT_TRUE(cups.waitForJobs(1, 10s));
    EXPECT_EQ(cups.jobStates().size(), 1U);
    EXPECT_TRUE(cups.noHalfMadeJob());
}

}  // namespace
}  // namespace novemra

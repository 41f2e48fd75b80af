#include "print/cups_spooler.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "print/hard_copy.hpp"
#include "support/cups_sandbox.hpp"
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
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(cups.jobs().empty());
}

TEST_F(CupsSpoolerTest, NamedInstanceOfTheDefaultIsReported) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    // The user's own lpoptions name an instance of the queue as default.
    const std::filesystem::path options = std::filesystem::path(std::getenv("HOME")) / ".cups";
    std::filesystem::create_directories(options);
    std::ofstream(options / "lpoptions") << "Default capture/draft\n";
    // libcups keeps its settings, HOME among them, per thread: a new thread
    // reads this test's HOME even after other tests in this process.
    std::string name;
    std::thread([&] {
        CupsSpooler spooler;
        name = spooler.defaultPrinterName();
        makeHardCopy(solvedGrid(), spooler);
    }).join();
    EXPECT_EQ(name, "capture/draft");
    EXPECT_TRUE(cups.waitForJobs(1, 10s));
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

TEST(CupsSpoolerFaults, SilentServerIsGivenUpOnAtTheTimeLimit) {
    SilentServer server;
    ::setenv("CUPS_SERVER", server.path().c_str(), 1);
    ::setenv("PRINTER", "somewhere", 1);
    CupsSpooler spooler(std::chrono::milliseconds(1500));
    const auto start = std::chrono::steady_clock::now();
    makeHardCopy(solvedGrid(), spooler);
    const auto took = std::chrono::steady_clock::now() - start;
    ::unsetenv("PRINTER");
    EXPECT_LT(took, std::chrono::seconds(4));
}

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
    static std::chrono::steady_clock::duration hardCopy() {
        CupsSpooler spooler;
        const auto start = std::chrono::steady_clock::now();
        makeHardCopy(solvedGrid(), spooler);
        return std::chrono::steady_clock::now() - start;
    }
};

TEST_F(CupsFaultTest, PrinterRejectingJobsMakesNoJob) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    ASSERT_EQ(cups.admin("cupsreject capture"), 0);
    EXPECT_LT(hardCopy(), 10s);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(cups.jobs().empty());
}

TEST_F(CupsFaultTest, StoppedPrinterQueuesTheJobAndReturns) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    ASSERT_EQ(cups.admin("cupsdisable capture"), 0);
    EXPECT_LT(hardCopy(), 10s);
    // The job waits in the queue until the printer is started again.
    EXPECT_TRUE(cups.jobs().empty());
    ASSERT_EQ(cups.admin("cupsenable capture"), 0);
    EXPECT_TRUE(cups.waitForJobs(1, 10s));
}

TEST_F(CupsFaultTest, ServerDemandingAPasswordIsDeclined) {
    CupsSandbox cups({.requireAuthentication = true});
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    EXPECT_LT(hardCopy(), 10s);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(cups.jobs().empty());
}

TEST_F(CupsFaultTest, PrinterNameOverTheLimitIsSkipped) {
    CupsSandbox cups;
    ASSERT_TRUE(cups.running());
    cups.useFromHere();
    ::setenv("PRINTER", std::string(300, 'p').c_str(), 1);
    EXPECT_LT(hardCopy(), 10s);
    ::unsetenv("PRINTER");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(cups.jobs().empty());
}

}  // namespace
}  // namespace novemra

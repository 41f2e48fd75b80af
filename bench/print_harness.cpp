// Drives the real program to its hard copy against print servers that
// misbehave, and prints one row for each: the time from the "y" to the
// run-again question, whether the screen stayed as it was (no password
// prompt, no message), how many connections the hard copy made to the
// server (where it is one of the test's own), and the jobs a private
// scheduler kept, by state. Needs root (a private CUPS scheduler, a network
// namespace).
//
//   novemra_print_harness PROGRAM
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "support/cups_sandbox.hpp"
#include "support/hostile_server.hpp"
#include "support/program_steps.hpp"
#include "support/pty_process.hpp"
#include "support/silent_resolver.hpp"

namespace {

using novemra::testing::CupsSandbox;
using novemra::testing::HostileServer;
using novemra::testing::PtyProcess;
using novemra::testing::VirtualTerminal;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::string_view kHardCopyPrompt = " Do you want a hard copy (y,n)?";
constexpr std::string_view kRunAgainPrompt = " Run again [y or n]?";

// IPP job states by number (RFC 8011), as the table names them.
std::string jobStateName(int state) {
    switch (state) {
        case 3:
            return "pending";
        case 4:
            return "held";
        case 5:
            return "processing";
        case 6:
            return "stopped";
        case 7:
            return "canceled";
        case 8:
            return "aborted";
        case 9:
            return "completed";
        default:
            return "state " + std::to_string(state);
    }
}

void printHeader() {
    std::printf("From the \"y\" at the hard-copy question to the run-again question.\n");
    std::printf(
        "screen: the hard-copy question stood as it was, no message, no password prompt.\n");
    std::printf("connections: made to the test's own server (- where it is not one).\n");
    std::printf("jobs: what the private scheduler kept (- where there is none); a job that\n");
    std::printf("still waits for its document would be marked HALF-MADE.\n\n");
    std::printf("| %-34s | seconds | screen | connections | %-26s |\n", "print server", "jobs");
    std::printf(
        "|------------------------------------|---------|--------|-------------|"
        "----------------------------|\n");
    std::fflush(stdout);
}

// Runs the program to the hard copy with the environment as it is now and
// prints its row.
void hardCopyRow(
    const std::string& program, const std::string& name, CupsSandbox* cups,
    const std::function<std::string()>& connections = [] { return "-"; }) {
    PtyProcess p({program});
    auto line = [&p](int row, std::string_view text, std::chrono::milliseconds limit) {
        return p.waitUntil([&](const VirtualTerminal& s) { return s.line(row) == text; }, limit);
    };
    if (!novemra::testing::atFirstPrompt(p) || !novemra::testing::startTestPuzzle(p, 'e', 'e') ||
        !line(20, kHardCopyPrompt, 10s)) {
        std::printf("| %-34s | no hard-copy question | %11s | %-26s |\n", name.c_str(), "-", "-");
        return;
    }
    const auto start = Clock::now();
    p.send("y");
    const bool asked = line(22, kRunAgainPrompt, 30s);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const bool clean = p.screen().line(20) == kHardCopyPrompt && p.screen().line(21).empty() &&
                       p.screen().text().find("assword") == std::string::npos;
    std::string jobs = "-";
    if (cups != nullptr) {
        const auto states = cups->jobStates();
        jobs = states.empty() ? "none" : "";
        for (const CupsSandbox::JobState& state : states) {
            jobs += (jobs.empty() ? "" : ", ") + jobStateName(state.state) +
                    (state.incoming ? " HALF-MADE" : "");
        }
    }
    char time[16];
    std::snprintf(time, sizeof time, asked ? "%7.2f" : "  never", seconds);
    std::printf("| %-34s | %s | %-6s | %11s | %-26s |\n", name.c_str(), time,
                clean ? "clean" : "NOT", connections().c_str(), jobs.c_str());
    std::fflush(stdout);
    p.send("n");
    p.waitForExit(5s);
}

// A unix socket that takes connections and never answers.
struct SilentUnixSocket {
    SilentUnixSocket() {
        path = "/tmp/novemra-print-harness-" + std::to_string(::getpid());
        ::unlink(path.c_str());
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd, 16);
    }
    ~SilentUnixSocket() {
        ::close(fd);
        ::unlink(path.c_str());
    }
    std::string path;
    int fd = -1;
};

void withServer(
    const std::string& program, const std::string& name, const std::string& server,
    bool encryption = false, const std::function<std::string()>& connections = [] { return "-"; }) {
    ::setenv("CUPS_SERVER", server.c_str(), 1);
    ::setenv("PRINTER", "somewhere", 1);
    if (encryption) {
        ::setenv("CUPS_ENCRYPTION", "Required", 1);
    }
    hardCopyRow(program, name, nullptr, connections);
    ::unsetenv("CUPS_ENCRYPTION");
    ::unsetenv("PRINTER");
}

// The same against one of the misbehaving servers, with the connections
// the hard copy made to it.
void withHostile(const std::string& program, const std::string& name, HostileServer::Kind kind,
                 std::chrono::milliseconds interval = 300ms) {
    HostileServer server(kind, interval);
    withServer(program, name, server.address(), false,
               [&server] { return std::to_string(server.connectionsAccepted()); });
}

void withSandbox(const std::string& program, const std::string& name,
                 const CupsSandbox::Options& options, const std::string& admin,
                 const std::optional<std::string>& printer) {
    CupsSandbox cups(options);
    cups.useFromHere();
    if (!admin.empty()) {
        cups.admin(admin);
    }
    if (printer) {
        ::setenv("PRINTER", printer->c_str(), 1);
    }
    hardCopyRow(program, name, &cups);
    ::unsetenv("PRINTER");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const std::string home = "/tmp/novemra-print-harness-home";
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    printHeader();

    withServer(program, "no server", "/nonexistent/novemra/socket");
    {
        SilentUnixSocket silent;
        withServer(program, "silent unix socket", silent.path);
    }
    {
        HostileServer silent(HostileServer::Kind::Silent);
        withServer(program, "silent TCP port", silent.address());
        withServer(program, "encryption required, silent", silent.address(), true);
    }
    // The resolver case runs in a child with namespaces of its own.
    std::fflush(stdout);
    if (const pid_t child = ::fork(); child == 0) {
        if (novemra::testing::isolateNameResolution()) {
            withServer(program, "unresolvable host name", "novemra-printhost:631");
        } else {
            std::printf("| %-34s | - (cannot isolate the resolver here) |\n",
                        "unresolvable host name");
        }
        std::fflush(stdout);
        ::_exit(0);
    } else {
        ::waitpid(child, nullptr, 0);
    }
    withHostile(program, "one byte every 0.2 s", HostileServer::Kind::Trickle, 200ms);
    withHostile(program, "one byte every 0.3 s", HostileServer::Kind::Trickle, 300ms);
    withHostile(program, "one byte every second", HostileServer::Kind::Trickle, 1000ms);
    withHostile(program, "a header without end", HostileServer::Kind::Stream);
    withHostile(program, "a redirect to itself", HostileServer::Kind::RedirectLoop);
    withHostile(program, "dropped at the lookup, then silent", HostileServer::Kind::DropThenSilent);
    withHostile(program, "closes mid-request", HostileServer::Kind::CloseMidRequest);
    if (!CupsSandbox::unavailableReason().empty()) {
        std::printf("\nno private scheduler: %s\n", CupsSandbox::unavailableReason().c_str());
        return 0;
    }
    CupsSandbox::Options password;
    password.requireAuthentication = true;
    withSandbox(program, "queue needs a password", password, "", std::nullopt);
    withSandbox(program, "rejecting queue", {}, "cupsreject capture", std::nullopt);
    withSandbox(program, "stopped queue (job waits, whole)", {}, "cupsdisable capture",
                std::nullopt);
    withSandbox(program, "300-character printer name", {}, "", std::string(300, 'p'));
    withSandbox(program, "5000-character printer name", {}, "", std::string(5000, 'p'));
    withSandbox(program, "name with escape sequences", {}, "",
                std::string("\x1b[2J\x1b[31mcapture\x1b]0;x\x07"));
    {
        // The job is taken, the page's start too, then the answer trickles.
        CupsSandbox cups;
        HostileServer stall(HostileServer::Kind::ProxyStallsDocument, 200ms, cups.socket());
        ::setenv("CUPS_SERVER", stall.address().c_str(), 1);
        hardCopyRow(program, "page stalls, answer trickles", &cups);
    }
    withSandbox(program, "working queue (for comparison)", {}, "", std::nullopt);
    return 0;
}

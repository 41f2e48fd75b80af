#include "support/cups_sandbox.hpp"

#include <cups/cups.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace novemra::testing {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

void onFreshThread(const std::function<void()>& work) {
    std::atomic<bool> created = false;
    std::thread thread([&] {
        created.wait(false);
        work();
    });
    created = true;
    created.notify_one();
    thread.join();
}

std::string CupsSandbox::unavailableReason() {
    if (::geteuid() != 0) {
        return "the CUPS scheduler refuses to start its backends unless run as root";
    }
    if (!std::filesystem::exists("/usr/sbin/cupsd")) {
        return "cupsd is not installed (Debian package cups-daemon)";
    }
    if (std::system("command -v lpadmin >/dev/null 2>&1") != 0) {
        return "lpadmin is not installed (Debian package cups-client)";
    }
    return "";
}

CupsSandbox::CupsSandbox(Options options) {
    static int counter = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("novemra-cups-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(folder_);
    socket_ = (folder_ / "socket").string();
    const std::string command = std::string("'") + NOVEMRA_CUPSD_SANDBOX + "' '" +
                                folder_.string() + "'" +
                                (options.defaultPrinter ? "" : " --no-default") +
                                (options.requireAuthentication ? " --require-auth" : "");
    FILE* script = ::popen(command.c_str(), "r");
    if (script == nullptr) {
        return;
    }
    char line[64] = {};
    if (std::fgets(line, sizeof line, script) != nullptr) {
        pid_ = std::atoi(line);
    }
    ::pclose(script);
}

CupsSandbox::~CupsSandbox() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 100 && ::kill(pid_, 0) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

int CupsSandbox::admin(const std::string& command) const {
    return std::system(("CUPS_SERVER='" + socket_ + "' " + command + " >/dev/null 2>&1").c_str());
}

void CupsSandbox::useFromHere() const {
    // Nothing of the user's own printing set-up may interfere.
    ::setenv("HOME", folder_.c_str(), 1);
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    // libcups remembers the server it first found; tell it about this one.
    cupsSetServer(socket_.c_str());
}

std::vector<CapturedJob> CupsSandbox::jobs() const {
    std::vector<CapturedJob> found;
    for (int id = 1; id < 1000; ++id) {
        const std::filesystem::path data =
            folder_ / "out" / ("job-" + std::to_string(id) + ".data");
        if (!std::filesystem::exists(data)) {
            if (id > 20) {
                break;
            }
            continue;
        }
        const std::string stem = (folder_ / "out" / ("job-" + std::to_string(id))).string();
        found.push_back({readFile(stem + ".title"), readFile(stem + ".format"), readFile(data)});
    }
    return found;
}

std::vector<CupsSandbox::JobState> CupsSandbox::jobStates() const {
    std::vector<JobState> found;
    http_t* http = httpConnect2(socket_.c_str(), 0, nullptr, AF_LOCAL, HTTP_ENCRYPTION_NEVER, 1,
                                5000, nullptr);
    if (http == nullptr) {
        return {JobState{-1, false}};
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 "ipp://localhost/");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "root");
    ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 0);
    const char* wanted[] = {"job-id", "job-state", "job-state-reasons", "cpi"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr,
                  wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    // Each job is one group of attributes, in no fixed order; a nameless
    // attribute ends a group.
    bool inJob = false;
    for (ipp_attribute_t* attribute = ippFirstAttribute(response); attribute != nullptr;
         attribute = ippNextAttribute(response)) {
        const char* name = ippGetName(attribute);
        if (name == nullptr) {
            inJob = false;
            continue;
        }
        if (ippGetGroupTag(attribute) != IPP_TAG_JOB) {
            continue;
        }
        if (!inJob) {
            found.push_back({});
            inJob = true;
        }
        const std::string_view attributeName = name;
        if (attributeName == "job-state") {
            found.back().state = ippGetInteger(attribute, 0);
        } else if (attributeName == "cpi") {
            // Sent as the user wrote it: a name, or an integer.
            found.back().cpi = ippGetValueTag(attribute) == IPP_TAG_INTEGER
                                   ? ippGetInteger(attribute, 0)
                                   : std::atoi(ippGetString(attribute, 0, nullptr));
        } else if (attributeName == "job-state-reasons") {
            for (int i = 0; i < ippGetCount(attribute); ++i) {
                found.back().incoming |=
                    std::string_view(ippGetString(attribute, i, nullptr)) == "job-incoming";
            }
        }
    }
    ippDelete(response);
    httpClose(http);
    return found;
}

bool CupsSandbox::noHalfMadeJob(bool wholePendingIsFine) const {
    for (const JobState& job : jobStates()) {
        const bool ended = job.state == IPP_JSTATE_COMPLETED || job.state == IPP_JSTATE_CANCELED ||
                           job.state == IPP_JSTATE_ABORTED;
        const bool waitsWhole = wholePendingIsFine && !job.incoming &&
                                (job.state == IPP_JSTATE_PENDING || job.state == IPP_JSTATE_HELD ||
                                 job.state == IPP_JSTATE_PROCESSING);
        if (!ended && !waitsWhole) {
            return false;
        }
    }
    return true;
}

bool CupsSandbox::waitForJobs(std::size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (jobs().size() < count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace novemra::testing

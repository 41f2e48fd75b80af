#include "app/each_puzzle.hpp"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "app/given_puzzles.hpp"
#include "app/reply_pipeline.hpp"

namespace novemra {

namespace {

constexpr int kExitUnsolvable = 1;
constexpr int kExitTrouble = 2;

// Replies are made on one thread until they have taken this long: a single
// puzzle or a short file starts no thread, and a long one spreads over every
// processor once starting the threads is a small part of the work.
constexpr std::chrono::milliseconds kSerialTime{20};

// The processors this process may run on.
int availableProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        return 1;
    }
    return std::max(1, CPU_COUNT(&allowed));
}

}  // namespace

int replyToEachPuzzle(const CommandLine& command, std::FILE* out, std::FILE* err,
                      const ReplyTo& reply, int severalStatus, std::string_view between) {
    // The first failed write ends the run: replies that cannot be
    // delivered are not worth computing, and a lost one must not look like
    // success.
    int writeError = 0;
    const auto send = [&] {
        if (writeError == 0 && std::fflush(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    };
    GivenPuzzles given;
    std::string error;
    if (!given.open(command, error)) {
        std::fprintf(err, "%s\n", error.c_str());
        return kExitTrouble;
    }
    if (const std::string same = given.sameFileAs(::fileno(out)); !same.empty()) {
        std::fprintf(err, "%s\n", same.c_str());
        return kExitTrouble;
    }
    bool anyUnsolvable = false;
    bool anySeveral = false;
    bool firstReply = true;
    // Writes one reply, and its note after it on the other stream; false
    // once the output has failed.
    const auto deliver = [&](const PuzzleReply& answer, const std::string& place) {
        anyUnsolvable = anyUnsolvable || answer.outcome == PuzzleReply::Outcome::NoSolution;
        anySeveral = anySeveral || answer.outcome == PuzzleReply::Outcome::Several;
        errno = 0;
        if (!firstReply && !between.empty()) {
            std::fwrite(between.data(), 1, between.size(), out);
        }
        firstReply = false;
        if (std::fputs(answer.text.c_str(), out) < 0 || std::ferror(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
            return false;
        }
        if (!answer.note.empty()) {
            send();
            std::fprintf(err, "novemra: %s%s%s\n", place.c_str(),
                         place.empty() ? "the puzzle has " : ": ", answer.note.c_str());
        }
        return writeError == 0;
    };
    const int threads = command.jobs != 0 ? command.jobs : availableProcessors();
    std::optional<ReplyPipeline> pipeline;
    // Before a read that would wait, every reply so far goes out: an
    // answer never waits for a later puzzle that has not come.
    given.setBeforeRead([&](int fd) {
        if (pipeline && !readableNow(fd)) {
            pipeline->finish();
        }
        send();
        return true;
    });
    int status = 0;
    StoredPuzzle puzzle{};
    PuzzleReply answer;
    std::chrono::steady_clock::duration serialTime{};
    while (writeError == 0) {
        const GivenPuzzles::Result result = given.next(puzzle, error);
        if (result == GivenPuzzles::Result::End || result == GivenPuzzles::Result::Stopped) {
            break;
        }
        if (result == GivenPuzzles::Result::Error) {
            // The replies so far go out first, then the reason.
            if (pipeline) {
                pipeline->finish();
            }
            send();
            std::fprintf(err, "%s\n", error.c_str());
            status = kExitTrouble;
            break;
        }
        if (!pipeline && threads > 1 && serialTime >= kSerialTime) {
            pipeline.emplace(reply, threads, deliver);
        }
        if (pipeline) {
            pipeline->add(puzzle, given.lastPlace());
            continue;
        }
        answer = {};
        if (threads > 1) {
            // Timed only where the time decides whether threads start.
            const auto start = std::chrono::steady_clock::now();
            reply(puzzle, answer);
            serialTime += std::chrono::steady_clock::now() - start;
        } else {
            reply(puzzle, answer);
        }
        if (!deliver(answer, given.lastPlace())) {
            break;
        }
    }
    if (pipeline) {
        pipeline->finish();
        pipeline.reset();
    }
    send();
    if (writeError != 0) {
        std::fprintf(err, "novemra: cannot write the answers: %s\n", std::strerror(writeError));
        return kExitTrouble;
    }
    if (status != 0) {
        return status;
    }
    return anyUnsolvable ? kExitUnsolvable : anySeveral ? severalStatus : 0;
}

}  // namespace novemra

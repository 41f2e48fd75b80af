#include "app/each_puzzle.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/given_puzzles.hpp"

namespace novemra {

namespace {

constexpr int kExitUnsolvable = 1;
constexpr int kExitTrouble = 2;

}  // namespace

int replyToEachPuzzle(const CommandLine& command, std::FILE* out, std::FILE* err,
                      const ReplyTo& reply, int severalStatus) {
    // The first failed write ends the run: replies that cannot be
    // delivered are not worth computing, and a lost one must not look like
    // success.
    int writeError = 0;
    const auto send = [&] {
        if (writeError == 0 && std::fflush(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
        }
        return true;
    };
    GivenPuzzles given;
    std::string error;
    if (!given.open(command, error, send)) {
        std::fprintf(err, "%s\n", error.c_str());
        return kExitTrouble;
    }
    if (const std::string same = given.sameFileAs(::fileno(out)); !same.empty()) {
        std::fprintf(err, "%s\n", same.c_str());
        return kExitTrouble;
    }
    bool anyUnsolvable = false;
    bool anySeveral = false;
    int status = 0;
    StoredPuzzle puzzle{};
    PuzzleReply answer;
    while (writeError == 0) {
        const GivenPuzzles::Result result = given.next(puzzle, error);
        if (result == GivenPuzzles::Result::End) {
            break;
        }
        if (result == GivenPuzzles::Result::Error) {
            // The replies so far go out first, then the reason.
            send();
            std::fprintf(err, "%s\n", error.c_str());
            status = kExitTrouble;
            break;
        }
        answer = {};
        reply(puzzle, answer);
        anyUnsolvable = anyUnsolvable || answer.outcome == PuzzleReply::Outcome::NoSolution;
        anySeveral = anySeveral || answer.outcome == PuzzleReply::Outcome::Several;
        errno = 0;
        if (std::fputs(answer.text.c_str(), out) < 0 || std::ferror(out) != 0) {
            writeError = errno != 0 ? errno : EIO;
            break;
        }
        if (!answer.note.empty()) {
            // After the reply it is about, on the other stream.
            send();
            const std::string place = given.lastPlace();
            std::fprintf(err, "novemra: %s%s%s\n", place.c_str(),
                         place.empty() ? "the puzzle has " : ": ", answer.note.c_str());
        }
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

#include "app/generate_output.hpp"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <string>

#include "generate/generator.hpp"

namespace novemra {

namespace {

// Set by Ctrl-C; a signal handler can reach nothing else.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterrupt(int) {
    interrupted = 1;
}

// SIGINT handled while puzzles are made, as it was before afterwards.
class InterruptNoted {
  public:
    InterruptNoted() {
        struct sigaction action {};
        action.sa_handler = noteInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptNoted() { ::sigaction(SIGINT, &previous_, nullptr); }
    InterruptNoted(const InterruptNoted&) = delete;
    InterruptNoted& operator=(const InterruptNoted&) = delete;

  private:
    struct sigaction previous_ {};
};

std::uint64_t freshSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::string lineOf(const CellValues& puzzle) {
    std::string line(puzzle.size() + 1, '.');
    for (std::size_t cell = 0; cell < puzzle.size(); ++cell) {
        if (puzzle[cell] != 0) {
            line[cell] = static_cast<char>('0' + puzzle[cell]);
        }
    }
    line.back() = '\n';
    return line;
}

// "made 12 of 100, 340 a second, about 1 s left", rewritten in place.
class Progress {
  public:
    Progress(std::FILE* err, long total)
        : err_(err), total_(total), shown_(total > 1 && ::isatty(::fileno(err)) != 0) {}
    ~Progress() {
        if (shown_ && drawn_) {
            std::fputs("\r\x1b[K", err_);
        }
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void made(long count) {
        const auto now = Clock::now();
        if (!shown_ || now - last_ < std::chrono::milliseconds(200)) {
            return;
        }
        last_ = now;
        drawn_ = true;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(count) / seconds : 0;
        const double left = rate > 0 ? static_cast<double>(total_ - count) / rate : 0;
        std::fprintf(err_, "\r\x1b[Kmade %ld of %ld, %.0f a second, about %.0f s left", count,
                     total_, rate, left);
        std::fflush(err_);
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* err_;
    long total_;
    bool shown_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_{};
};

}  // namespace

int generateWithoutScreen(const CommandLine::Generate& options, std::FILE* out, std::FILE* err,
                          int attemptsPerPuzzle) {
    const std::uint64_t seed = options.seed.value_or(freshSeed());
    if (options.verbose) {
        std::fprintf(err, "novemra: seed %llu\n", static_cast<unsigned long long>(seed));
    }
    generate::Random random(seed);
    interrupted = 0;
    const InterruptNoted noted;
    long made = 0;
    int status = 0;
    {
        Progress progress(err, options.count);
        while (made < options.count) {
            const std::optional<generate::Made> puzzle =
                generate::makePuzzle(random, options.symmetry, options.level, attemptsPerPuzzle,
                                     [] { return interrupted != 0; });
            if (interrupted != 0) {
                status = 130;
                break;
            }
            if (!puzzle) {
                status = 1;
                break;
            }
            errno = 0;
            if (std::fputs(lineOf(puzzle->puzzle).c_str(), out) < 0 || std::fflush(out) != 0) {
                std::fprintf(err, "\nnovemra: cannot write the puzzles: %s\n",
                             std::strerror(errno != 0 ? errno : EIO));
                return 2;
            }
            ++made;
            progress.made(made);
        }
    }
    if (status == 1) {
        std::fprintf(err,
                     "novemra: made %ld of %ld puzzles: no %s puzzle%s in %d tries; try another "
                     "--symmetry or --level\n",
                     made, options.count, std::string(reason::levelName(*options.level)).c_str(),
                     options.symmetry == generate::Symmetry::None ? "" : " of that symmetry",
                     attemptsPerPuzzle);
    } else if (status == 130) {
        std::fprintf(err, "novemra: interrupted; made %ld of %ld puzzles\n", made, options.count);
    }
    return status;
}

}  // namespace novemra

#include "app/command_line.hpp"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

#include "console/shown_text.hpp"
#include "puzzle/puzzle_text.hpp"

namespace novemra {

namespace {

CommandLine refuse(std::string line) {
    CommandLine result;
    result.action = CommandLine::Action::Refuse;
    result.error = "novemra: " + std::move(line) + "\n";
    return result;
}

constexpr const char* kOneSource = "one puzzle or one file at a time; try 'novemra --help'";

CommandLine unknown(std::string_view argument) {
    return refuse("unknown argument '" + shownText(argument) + "'; try 'novemra --help'");
}

// A whole number of up to 19 digits, or nothing.
std::optional<std::uint64_t> wholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 19 ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char ch : text) {
        value = value * 10 + static_cast<std::uint64_t>(ch - '0');
    }
    return value;
}

}  // namespace

CommandLine readCommandLine(std::span<const char* const> arguments) {
    // getopt_long takes a mutable argv; it only reorders the pointers.
    std::vector<char*> argv;
    static char empty[] = "";
    for (const char* argument : arguments) {
        argv.push_back(argument == nullptr ? empty : const_cast<char*>(argument));
    }
    if (argv.empty()) {
        argv.push_back(empty);
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(argv.size() - 1);

    enum : int {
        kSolveOption = 256,
        kExplainOption,
        kRateOption,
        kGenerateOption,
        kLevelOption,
        kSymmetryOption,
        kSeedOption,
        kVerboseOption,
        kCheckOption,
        kCountOption,
        kJobsOption
    };
    static const option kOptions[] = {{"file", required_argument, nullptr, 'f'},
                                      {"solve", no_argument, nullptr, kSolveOption},
                                      {"explain", no_argument, nullptr, kExplainOption},
                                      {"rate", no_argument, nullptr, kRateOption},
                                      {"generate", optional_argument, nullptr, kGenerateOption},
                                      {"level", required_argument, nullptr, kLevelOption},
                                      {"symmetry", required_argument, nullptr, kSymmetryOption},
                                      {"seed", required_argument, nullptr, kSeedOption},
                                      {"verbose", no_argument, nullptr, kVerboseOption},
                                      {"check", no_argument, nullptr, kCheckOption},
                                      {"count", optional_argument, nullptr, kCountOption},
                                      {"jobs", required_argument, nullptr, 'j'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    CommandLine result;
    bool help = false;
    bool version = false;
    int reasoningOptions = 0;
    bool generating = false;
    CommandLine::Generate making;
    const char* makingOption = nullptr;
    std::optional<CommandLine> refused;
    const auto refuseOnce = [&refused](CommandLine refusal) {
        if (!refused) {
            refused = std::move(refusal);
        }
    };
    // A fresh scan (0, not 1, also resets getopt's state within a word);
    // its own messages are replaced by the program's.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int option = ::getopt_long(argc, argv.data(), ":f:j:hV", kOptions, nullptr);
        if (option == -1) {
            break;
        }
        switch (option) {
            case 'h':
                help = true;
                break;
            case 'V':
                version = true;
                break;
            case kSolveOption:
                result.solveOnly = true;
                break;
            case kExplainOption:
                result.reasoning = CommandLine::Reasoning::Explain;
                ++reasoningOptions;
                break;
            case kRateOption:
                result.reasoning = CommandLine::Reasoning::Rate;
                ++reasoningOptions;
                break;
            case kGenerateOption:
                generating = true;
                if (optarg != nullptr) {
                    const auto count = wholeNumber(optarg);
                    if (!count || *count == 0 || *count > 1'000'000'000) {
                        refuseOnce(refuse("--generate takes a number of puzzles from 1, not '" +
                                          shownText(optarg) + "'"));
                    } else {
                        making.count = static_cast<long>(*count);
                    }
                }
                break;
            case kLevelOption:
                if (!(making.level = generate::levelNamed(optarg))) {
                    refuseOnce(refuse("--level takes easy, medium, hard, unfair or extreme, not '" +
                                      shownText(optarg) + "'"));
                }
                makingOption = "--level";
                break;
            case kSymmetryOption:
                if (const auto symmetry = generate::symmetryNamed(optarg)) {
                    making.symmetry = *symmetry;
                } else {
                    refuseOnce(
                        refuse("--symmetry takes none, rotate180, rotate90, mirror, "
                               "diagonal or random, not '" +
                               shownText(optarg) + "'"));
                }
                makingOption = "--symmetry";
                break;
            case kSeedOption:
                if (const auto seed = wholeNumber(optarg)) {
                    making.seed = *seed;
                } else {
                    refuseOnce(
                        refuse("--seed takes a whole number, not '" + shownText(optarg) + "'"));
                }
                makingOption = "--seed";
                break;
            case kCheckOption:
                result.check = true;
                break;
            case kCountOption:
                result.countLimit = kDefaultCountLimit;
                if (optarg != nullptr) {
                    const auto limit = wholeNumber(optarg);
                    if (!limit || *limit < 2 || *limit > 1'000'000) {
                        refuseOnce(refuse("--count takes a limit from 2 to 1000000, not '" +
                                          shownText(optarg) + "'"));
                    } else {
                        result.countLimit = static_cast<long>(*limit);
                    }
                }
                break;
            case 'j': {
                const auto jobs = wholeNumber(optarg);
                if (!jobs || *jobs == 0 || *jobs > kMaxJobs) {
                    refuseOnce(refuse("--jobs takes a number of threads from 1 to " +
                                      std::to_string(kMaxJobs) + ", not '" + shownText(optarg) +
                                      "'"));
                } else {
                    result.jobs = static_cast<int>(*jobs);
                }
                break;
            }
            case kVerboseOption:
                making.verbose = true;
                makingOption = "--verbose";
                break;
            case 'f':
                if (result.file) {
                    refuseOnce(refuse(kOneSource));
                }
                result.file = std::string(optarg);
                break;
            case ':': {
                const std::string name = shownText(argv[optind - 1]);
                refuseOnce(refuse(name + " needs a file name (- for standard input); try 'novemra "
                                         "--help'"));
                break;
            }
            default: {
                // A long option is named by the word typed (optopt holds
                // the option's value, not a character); a short one by
                // optopt, as -xV stops inside the word.
                const std::string_view typed = argv[optind - 1];
                if (typed.starts_with("--")) {
                    const std::size_t equals = typed.find('=');
                    // --solve=1, or an abbreviation such as --sol=1.
                    const std::string_view name = typed.substr(2, equals - 2);
                    const auto* known =
                        std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [name](const ::option& candidate) {
                                         return !name.empty() && candidate.name != nullptr &&
                                                std::string_view(candidate.name).starts_with(name);
                                     });
                    if (equals != std::string_view::npos && known != std::end(kOptions)) {
                        refuseOnce(refuse(std::string("option '--") + known->name +
                                          "' takes no value; try 'novemra --help'"));
                    } else {
                        refuseOnce(unknown(typed));
                    }
                } else {
                    refuseOnce(unknown(std::string{'-', static_cast<char>(optopt)}));
                }
                break;
            }
        }
    }
    for (int at = optind; at < argc; ++at) {
        const std::string_view argument = argv[static_cast<std::size_t>(at)];
        // --generate's count.
        if (generating && at == optind && argument.size() <= 9 &&
            argument.find_first_not_of("0123456789") == std::string_view::npos) {
            making.count = static_cast<long>(wholeNumber(argument).value_or(0));
            if (making.count == 0) {
                refuseOnce(refuse("--generate takes a number of puzzles from 1, not '" +
                                  shownText(argument) + "'"));
            }
            continue;
        }
        int cells = 0;
        std::optional<StoredPuzzle> puzzle = puzzleFromText(argument, cells);
        if (::access(std::string(argument).c_str(), F_OK) == 0 && !puzzle) {
            // A file named where a puzzle goes: say how to read it.
            // Built by appending: GCC 12 warns wrongly (-Wrestrict) about
            // adding a literal to a temporary string in optimised builds.
            const std::string path = shownPath(argument);
            std::string line(1, '\'');
            line.append(path)
                .append("' is a file, not a puzzle; to read it, give -f ")
                .append(path);
            refuseOnce(refuse(std::move(line)));
        } else if (cells == 0) {
            refuseOnce(unknown(argument));  // neither an option nor a puzzle
        } else if (!puzzle) {
            refuseOnce(refuse("puzzle '" + shownText(argument) + "': " + cellCountText(cells)));
        } else if (result.puzzle || result.file) {
            refuseOnce(refuse(kOneSource));
        } else {
            result.puzzle = *puzzle;
        }
    }
    if (help || (version && !refused)) {
        CommandLine answer;
        answer.action = help ? CommandLine::Action::Help : CommandLine::Action::Version;
        return answer;
    }
    if (refused) {
        return *refused;
    }
    if (generating) {
        result.generate = making;
    } else if (makingOption != nullptr) {
        return refuse(std::string(makingOption) + " goes with --generate; try 'novemra --help'");
    }
    if (generating && (result.puzzle || result.file)) {
        return refuse("--generate takes no puzzle; try 'novemra --help'");
    }
    if (result.countLimit != 0 && !result.check) {
        return refuse("--count goes with --check; try 'novemra --help'");
    }
    const int modes = (result.solveOnly ? 1 : 0) + reasoningOptions + (generating ? 1 : 0) +
                      (result.check ? 1 : 0);
    if (result.jobs != 0 && (modes == 0 || generating)) {
        return refuse(
            "--jobs goes with --solve, --check, --explain or --rate; try 'novemra --help'");
    }
    if (modes > 1) {
        return refuse(
            "one of --solve, --check, --explain, --rate and --generate at a time; try "
            "'novemra --help'");
    }
    if (modes == 1 && !generating && !result.puzzle && !result.file) {
        const char* mode = result.check                                          ? "--check"
                           : result.solveOnly                                    ? "--solve"
                           : result.reasoning == CommandLine::Reasoning::Explain ? "--explain"
                                                                                 : "--rate";
        return refuse(std::string(mode) + " needs a puzzle or -f FILE; try 'novemra --help'");
    }
    return result;
}

}  // namespace novemra

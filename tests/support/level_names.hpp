// Readable names for the stored puzzles in parameterised test names.
#pragma once

#include <ostream>
#include <string>

#include "puzzle/test_puzzles.hpp"

namespace novemra::testing {

inline std::string levelName(TestLevel level) {
    switch (level) {
        case TestLevel::Easy:
            return "easy";
        case TestLevel::Difficult:
            return "difficult";
        case TestLevel::Hard:
            return "hard";
        case TestLevel::Xtreme:
            return "xtreme";
    }
    return "level" + std::to_string(static_cast<int>(level));
}

// gtest's name generator for parameters that carry a `level` member.
struct LevelParamName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return levelName(info.param.level);
    }
};

}  // namespace novemra::testing

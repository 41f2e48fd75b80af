#include "reason/step.hpp"

#include "reason/board.hpp"

namespace novemra::reason {

namespace {

constexpr std::array<TechniqueInfo, kTechniqueCount> kTechniques{{
    {"Full house", Level::Easy, 4},
    {"Naked single", Level::Easy, 8},
    {"Hidden single", Level::Easy, 14},
    {"Pointing", Level::Medium, 50},
    {"Claiming", Level::Medium, 50},
    {"Naked pair", Level::Medium, 60},
    {"Hidden pair", Level::Medium, 70},
    {"Naked triple", Level::Medium, 80},
    {"Hidden triple", Level::Medium, 100},
    {"X-Wing", Level::Hard, 140},
    {"Skyscraper", Level::Hard, 130},
    {"2-String Kite", Level::Hard, 150},
    {"XY-Wing", Level::Hard, 160},
    {"XYZ-Wing", Level::Hard, 180},
    {"W-Wing", Level::Hard, 150},
    {"Empty Rectangle", Level::Hard, 160},
    {"Remote Pair", Level::Hard, 170},
    {"Naked quad", Level::Hard, 120},
    {"Hidden quad", Level::Hard, 150},
    {"Swordfish", Level::Hard, 150},
    {"Simple colouring", Level::Hard, 200},
    {"Unique rectangle", Level::Hard, 100},
    {"BUG+1", Level::Hard, 100},
    {"Jellyfish", Level::Unfair, 220},
    {"Finned X-Wing", Level::Unfair, 240},
    {"Finned Swordfish", Level::Unfair, 250},
    {"X-Chain", Level::Unfair, 260},
    {"XY-Chain", Level::Unfair, 260},
    {"ALS-XZ", Level::Unfair, 300},
    {"Alternating inference chain", Level::Unfair, 280},
    {"Trial", Level::Extreme, 500},
}};

}  // namespace

const TechniqueInfo& techniqueInfo(Technique technique) {
    return kTechniques[static_cast<std::size_t>(technique)];
}

std::string_view levelName(Level level) {
    static constexpr std::array<std::string_view, 5> kNames{"easy", "medium", "hard", "unfair",
                                                            "extreme"};
    return kNames[static_cast<std::size_t>(level)];
}

std::string stepLine(const Step& step) {
    std::string line(techniqueInfo(step.technique).name);
    line += ": ";
    if (!step.placements.empty()) {
        for (std::size_t i = 0; i < step.placements.size(); ++i) {
            line += (i == 0 ? "" : ", ") + cellName(step.placements[i].cell) + "=" +
                    std::to_string(step.placements[i].digit);
        }
        line += " (" + step.reason + ")";
    } else {
        line += step.reason + " =>";
    }
    for (std::size_t i = 0; i < step.eliminations.size(); ++i) {
        line += (i == 0 ? " " : ", ") + cellName(step.eliminations[i].cell) + "<>" +
                std::to_string(step.eliminations[i].digit);
    }
    return line;
}

}  // namespace novemra::reason

#include "app/reply_pipeline.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace novemra {
namespace {

// A puzzle whose first cell numbers it, so a reply can say which it was.
StoredPuzzle numbered(int number) {
    StoredPuzzle puzzle{};
    puzzle[0] = number;
    return puzzle;
}

// "p7" for puzzle 7. Built by appending: GCC 12 warns wrongly (-Wrestrict)
// about a string literal added to a temporary string in optimised builds.
std::string placeOf(int number) {
    std::string place = "p";
    place.append(std::to_string(number));
    return place;
}

// Replies come back in the order the puzzles went in, however unevenly long
// they take, with their places; no more are in flight than the window
// holds, whatever the input's length; and the run is the same for one
// thread or many.
TEST(ReplyPipeline, HandsBackEveryReplyInInputOrderWithBoundedPuzzlesInFlight) {
    for (const int threads : {1, 2, 5}) {
        constexpr int kPuzzles = 3000;
        std::atomic<int> added = 0;
        std::atomic<int> mostInFlight = 0;
        std::vector<std::string> delivered;
        int deliveredCount = 0;
        const ReplyTo reply = [](const StoredPuzzle& puzzle, PuzzleReply& answer) {
            // Every seventh puzzle takes longer, so later ones finish first.
            if (puzzle[0] % 7 == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            answer.text = std::to_string(puzzle[0]).append("\n");
        };
        {
            ReplyPipeline pipeline(
                reply, threads, [&](const PuzzleReply& answer, const std::string& place) {
                    delivered.push_back(std::string(place).append(":").append(answer.text));
                    ++deliveredCount;
                    return true;
                });
            for (int i = 0; i < kPuzzles; ++i) {
                ASSERT_TRUE(pipeline.add(numbered(i), placeOf(i)));
                ++added;
                mostInFlight = std::max(mostInFlight.load(), added.load() - deliveredCount);
            }
            ASSERT_TRUE(pipeline.finish());
        }
        ASSERT_EQ(delivered.size(), static_cast<std::size_t>(kPuzzles)) << threads;
        for (int i = 0; i < kPuzzles; ++i) {
            ASSERT_EQ(delivered[static_cast<std::size_t>(i)],
                      placeOf(i).append(":").append(std::to_string(i)).append("\n"))
                << threads;
        }
        // The window: a few batches a thread, however long the input.
        EXPECT_LE(mostInFlight.load(), 32 * (4 * threads + 2)) << threads;
    }
}

// A delivery that fails (the output is gone) stops the deliveries: nothing
// after it is written, and the pipeline says so.
TEST(ReplyPipeline, AFailedDeliveryStopsTheRest) {
    int deliveries = 0;
    const ReplyTo reply = [](const StoredPuzzle&, PuzzleReply& answer) { answer.text = "x\n"; };
    ReplyPipeline pipeline(
        reply, 3, [&](const PuzzleReply&, const std::string&) { return ++deliveries < 40; });
    bool accepted = true;
    for (int i = 0; i < 1000 && accepted; ++i) {
        accepted = pipeline.add(numbered(i), "");
    }
    EXPECT_FALSE(pipeline.finish());
    EXPECT_EQ(deliveries, 40);
}

}  // namespace
}  // namespace novemra

// Replies to a stream of puzzles on several threads and hands them back in
// the order the puzzles came, with a bounded number in flight, so that the
// output is the same, byte for byte, as on one thread, and the memory is the
// same whatever the input's length.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/each_puzzle.hpp"

namespace novemra {

class ReplyPipeline {
  public:
    // Takes a reply in input order, with the place of its puzzle; false
    // stops the deliveries (the output failed).
    using Deliver = std::function<bool(const PuzzleReply& reply, const std::string& place)>;

    // Replies with reply on threads worker threads, started at the first
    // puzzle handed in.
    ReplyPipeline(const ReplyTo& reply, int threads, Deliver deliver);
    // Stops and joins the threads; replies not yet delivered are dropped.
    ~ReplyPipeline();
    ReplyPipeline(const ReplyPipeline&) = delete;
    ReplyPipeline& operator=(const ReplyPipeline&) = delete;

    // Hands in the next puzzle. Replies that are ready go out meanwhile; when
    // the window is full, this waits for the oldest. False once a delivery
    // has failed.
    bool add(const StoredPuzzle& puzzle, std::string place);
    // Waits for every puzzle handed in and delivers its reply. False once a
    // delivery has failed.
    bool finish();

  private:
    struct Batch;
    // Puzzles a thread takes at a time: enough that the lock is rarely
    // taken, few enough that a short input still spreads over the threads.
    static constexpr std::size_t kBatchSize = 32;
    // Batches in flight per thread: the bound on memory.
    static constexpr std::size_t kBatchesPerThread = 4;

    void startThreads();
    void work();
    // Hands the batch being filled to the threads.
    void submitCurrent();
    // Waits until the oldest batch is done, then delivers it and every
    // done batch after it.
    void deliverOldest(std::unique_lock<std::mutex>& lock);

    ReplyTo reply_;
    int threadCount_;
    Deliver deliver_;
    bool failed_ = false;
    std::unique_ptr<Batch> filling_;
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable batchDone_;
    // Batches in input order, oldest first; the first nextToTake_ of them
    // have been taken by a thread.
    std::deque<std::shared_ptr<Batch>> inFlight_;
    std::size_t nextToTake_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace novemra

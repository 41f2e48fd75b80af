#include "app/reply_pipeline.hpp"

#include <utility>

namespace novemra {

struct ReplyPipeline::Batch {
    std::vector<StoredPuzzle> puzzles;
    std::vector<std::string> places;
    std::vector<PuzzleReply> replies;
    bool done = false;
};

ReplyPipeline::ReplyPipeline(const ReplyTo& reply, int threads, Deliver deliver)
    : reply_(reply), threadCount_(threads), deliver_(std::move(deliver)) {}

ReplyPipeline::~ReplyPipeline() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workReady_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void ReplyPipeline::startThreads() {
    threads_.reserve(static_cast<std::size_t>(threadCount_));
    for (int i = 0; i < threadCount_; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

void ReplyPipeline::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workReady_.wait(lock, [this] { return stopping_ || nextToTake_ < inFlight_.size(); });
        if (stopping_) {
            return;
        }
        const std::shared_ptr<Batch> batch = inFlight_[nextToTake_++];
        lock.unlock();
        batch->replies.resize(batch->puzzles.size());
        for (std::size_t i = 0; i < batch->puzzles.size(); ++i) {
            reply_(batch->puzzles[i], batch->replies[i]);
        }
        lock.lock();
        batch->done = true;
        batchDone_.notify_all();
    }
}

bool ReplyPipeline::add(const StoredPuzzle& puzzle, std::string place) {
    if (failed_) {
        return false;
    }
    if (threads_.empty()) {
        startThreads();
    }
    if (!filling_) {
        filling_ = std::make_unique<Batch>();
        filling_->puzzles.reserve(kBatchSize);
        filling_->places.reserve(kBatchSize);
    }
    filling_->puzzles.push_back(puzzle);
    filling_->places.push_back(std::move(place));
    if (filling_->puzzles.size() < kBatchSize) {
        return true;
    }
    submitCurrent();
    std::unique_lock lock(mutex_);
    const std::size_t window = kBatchesPerThread * static_cast<std::size_t>(threadCount_);
    // Ready replies go out at once; a full window waits for the oldest.
    while (!failed_ && !inFlight_.empty() &&
           (inFlight_.front()->done || inFlight_.size() > window)) {
        deliverOldest(lock);
    }
    return !failed_;
}

void ReplyPipeline::submitCurrent() {
    if (!filling_ || filling_->puzzles.empty()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        inFlight_.push_back(std::move(filling_));
    }
    filling_.reset();
    workReady_.notify_one();
}

bool ReplyPipeline::finish() {
    submitCurrent();
    std::unique_lock lock(mutex_);
    while (!failed_ && !inFlight_.empty()) {
        deliverOldest(lock);
    }
    return !failed_;
}

void ReplyPipeline::deliverOldest(std::unique_lock<std::mutex>& lock) {
    batchDone_.wait(lock, [this] { return inFlight_.front()->done; });
    while (!inFlight_.empty() && inFlight_.front()->done) {
        const std::shared_ptr<Batch> batch = std::move(inFlight_.front());
        inFlight_.pop_front();
        --nextToTake_;
        // The output is written without the lock, so the threads go on.
        lock.unlock();
        for (std::size_t i = 0; i < batch->replies.size() && !failed_; ++i) {
            failed_ = !deliver_(batch->replies[i], batch->places[i]);
        }
        lock.lock();
    }
}

}  // namespace novemra

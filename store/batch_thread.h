// A thread that works on one batch at a time while its owner gathers the next: the staging
// database inserts a batch of blocks on it while the input goes on being read, and an output
// file writes a full buffer on it while the next one is filled.
//
// It owns the batch being worked on, so that the batch lives as long as the work on it, and its
// destructor waits for the work, whatever the owner did or failed to do before.
//
// Threads: the owner thread makes every call (start, idle, wait, join, the destructor). The task
// runs the work it was given on the batch it was handed and nothing else; no call is made from it.
// While a task runs, whatever its work uses belongs to it: the owner touches that only after wait
// or join.
#pragma once

#include <chrono>
#include <future>
#include <utility>

namespace brelin {

template <typename Batch>
class BatchThread {
public:
    BatchThread() = default;
    // Waits for the task; its failure, if any, goes unreported. Never throws.
    ~BatchThread() { join(); }
    BatchThread(const BatchThread&) = delete;
    BatchThread& operator=(const BatchThread&) = delete;

    // Waits for the previous task, rethrowing its failure (the batch is then not taken). Then
    // takes batch, gives the owner in exchange the batch the previous task left (its buffers
    // keep their memory), and runs work(batch) on a thread of its own.
    template <typename Work>
    void start(Batch& batch, Work work) {
        wait();
        using std::swap;
        swap(batch, batch_);
        try {
            task_ =
                std::async(std::launch::async,
                           [handed = &batch_, work = std::move(work)]() mutable { work(*handed); });
        } catch (...) {
            swap(batch, batch_);  // no thread: the owner keeps its batch
            throw;
        }
    }

    // True when no task runs: none was started since the last wait, or the last one has ended.
    // Does not wait.
    bool idle() const {
        return !task_.valid() ||
               task_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

    // Waits for the task, if one was started since the last wait; rethrows its failure.
    void wait() {
        if (task_.valid()) task_.get();
    }

    // Waits for the task to end, leaving its failure to the next wait. Throws nothing.
    void join() const {
        if (task_.valid()) task_.wait();
    }

private:
    Batch batch_;  // the task's alone from start to wait
    std::future<void> task_;
};

}  // namespace brelin

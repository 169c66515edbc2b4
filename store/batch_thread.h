// A thread that works on one batch at a time while its owner gathers the next: the staging
// database inserts a batch of blocks on it while the input goes on being read, and an output
// file writes a full buffer on it while the next one is filled.
//
// It owns the batch being worked on, so that the batch lives as long as the work on it, and its
// destructor waits for the work, whatever the owner did or failed to do before. One thread,
// started by the first task and ended by the destructor, runs every task: handing a batch over
// costs a wake-up, not the making of a thread.
//
// Threads: the owner thread makes every call (start, idle, wait, join, the destructor). The task
// runs the work it was given on the batch it was handed and nothing else; no call is made from it.
// While a task runs, whatever its work uses belongs to it: the owner touches that only after wait
// or join.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace brelin {

template <typename Batch>
class BatchThread {
public:
    BatchThread() = default;
    // Waits for the task, then ends the thread; a failure, if any, goes unreported. Never throws.
    ~BatchThread() {
        join();
        if (!thread_.joinable()) return;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    BatchThread(const BatchThread&) = delete;
    BatchThread& operator=(const BatchThread&) = delete;

    // Waits for the previous task, rethrowing its failure (the batch is then not taken). Then
    // takes batch, gives the owner in exchange the batch the previous task left (its buffers
    // keep their memory), and runs work(batch) on the thread.
    template <typename Work>
    void start(Batch& batch, Work work) {
        wait();
        // What may fail comes first, while the owner still has its batch.
        std::function<void(Batch&)> task(std::move(work));
        if (!thread_.joinable()) thread_ = std::thread([this] { serve(); });
        using std::swap;
        swap(batch, batch_);
        {
            std::lock_guard lock(mutex_);
            work_ = std::move(task);
            busy_ = true;
        }
        wake_.notify_one();
    }

    // True when no task runs: none was started, or the last one has ended. Does not wait.
    bool idle() const {
        std::lock_guard lock(mutex_);
        return !busy_;
    }

    // Waits for the task, if one runs; rethrows the failure of a task that ended since the last
    // wait.
    void wait() {
        join();
        std::lock_guard lock(mutex_);
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

    // Waits for the task to end, leaving its failure to the next wait. Throws nothing.
    void join() const {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return !busy_; });
    }

private:
    void serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return busy_ || stopping_; });
            if (!busy_) return;
            lock.unlock();
            std::exception_ptr failure;
            try {
                work_(batch_);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            work_ = nullptr;
            failure_ = failure;
            busy_ = false;
            done_.notify_all();
        }
    }

    Batch batch_;                           // the task's alone from start to its end
    std::function<void(Batch&)> work_;      // likewise
    mutable std::mutex mutex_;              // guards what follows
    mutable std::condition_variable wake_;  // a task or the end is given
    mutable std::condition_variable done_;  // a task has ended
    bool busy_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;  // last: started once everything it uses exists
};

}  // namespace brelin

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
//
// A build without threads (WebAssembly in a page, which has no shared memory) runs each task on
// the owner's thread as it is handed over: the same calls and the same order of work, without
// the overlap. The build chooses the body of TaskThread that does it (batch_thread_wasm.cpp).
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <utility>

namespace brelin {

// Where a BatchThread's tasks run, one at a time: a thread of its own (batch_thread.cpp), or
// the caller's thread in a build without threads (batch_thread_wasm.cpp). Only BatchThread
// uses it.
class TaskThread {
public:
    TaskThread() noexcept;
    // Waits for the task, then ends the thread.
    ~TaskThread();
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    // Gets the thread ready to take a task, starting it the first time; throws what starting it
    // throws. Called before each run.
    void prepare();
    // Runs task, once the previous one has ended (join); task throws nothing.
    void run(std::function<void()> task) noexcept;
    // True when a task handed over now would run beside the owner at once: no task runs. Never
    // true without threads, where a task runs on the owner's thread only when it is handed over.
    bool idle() const noexcept;
    // Waits for the task to end, if one runs.
    void join() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

template <typename Batch>
class BatchThread {
public:
    BatchThread() = default;
    // Waits for the task, then ends the thread; a failure, if any, goes unreported. Never throws.
    ~BatchThread() = default;
    BatchThread(const BatchThread&) = delete;
    BatchThread& operator=(const BatchThread&) = delete;

    // Waits for the previous task, rethrowing its failure (the batch is then not taken). Then
    // takes batch, gives the owner in exchange the batch the previous task left (its buffers
    // keep their memory), and runs work(batch) on the thread.
    template <typename Work>
    void start(Batch& batch, Work work) {
        wait();
        // What may fail comes first, while the owner still has its batch.
        std::function<void()> task([this, work = std::move(work)]() mutable {
            try {
                work(batch_);
            } catch (...) {
                failure_ = std::current_exception();
            }
        });
        thread_.prepare();
        using std::swap;
        swap(batch, batch_);
        thread_.run(std::move(task));
    }

    // True when a batch handed over now would be worked on beside the owner at once (see
    // TaskThread::idle). Does not wait.
    bool idle() const { return thread_.idle(); }

    // Waits for the task, if one runs; rethrows the failure of a task that ended since the last
    // wait.
    void wait() {
        join();
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

    // Waits for the task to end, leaving its failure to the next wait. Throws nothing.
    void join() const { thread_.join(); }

private:
    Batch batch_;                 // the task's alone from start to its end
    std::exception_ptr failure_;  // the task's too; the owner's once it has ended
    TaskThread thread_;           // last: gone first, waiting for the task that uses the rest
};

}  // namespace brelin

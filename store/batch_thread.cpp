// TaskThread on a thread of its own, started by the first task and ended by the destructor.
#include "batch_thread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace brelin {

struct TaskThread::State {
    // On the thread: runs each task given, until stopping.
    void serve() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return busy || stopping; });
            if (!busy) return;
            lock.unlock();
            task();
            lock.lock();
            task = nullptr;
            busy = false;
            done.notify_all();
        }
    }

    std::function<void()> task;    // the thread's alone while busy
    std::mutex mutex;              // guards what follows
    std::condition_variable wake;  // a task or the end is given
    std::condition_variable done;  // a task has ended
    bool busy = false;
    bool stopping = false;
    std::thread thread;  // last: started once everything it uses exists
};

TaskThread::TaskThread() noexcept = default;

TaskThread::~TaskThread() {
    if (!state_) return;
    join();
    if (!state_->thread.joinable()) return;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->wake.notify_one();
    state_->thread.join();
}

void TaskThread::prepare() {
    if (!state_) state_ = std::make_unique<State>();
    State& state = *state_;
    if (!state.thread.joinable()) state.thread = std::thread([&state] { state.serve(); });
}

void TaskThread::run(std::function<void()> task) noexcept {
    {
        std::lock_guard lock(state_->mutex);
        state_->task = std::move(task);
        state_->busy = true;
    }
    state_->wake.notify_one();
}

bool TaskThread::idle() const noexcept {
    if (!state_) return true;
    std::lock_guard lock(state_->mutex);
    return !state_->busy;
}

void TaskThread::join() const noexcept {
    if (!state_) return;
    std::unique_lock lock(state_->mutex);
    state_->done.wait(lock, [this] { return !state_->busy; });
}

}  // namespace brelin

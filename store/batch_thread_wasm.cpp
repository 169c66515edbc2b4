// TaskThread in a build without threads: a page opened from a file has no shared memory, so
// WebAssembly there cannot start a thread. Each task runs on the owner's thread when it is
// handed over; by the time run() returns it has ended, so there is never anything to wait for.
#include "batch_thread.h"

namespace brelin {

struct TaskThread::State {};

TaskThread::TaskThread() noexcept = default;

TaskThread::~TaskThread() = default;

void TaskThread::prepare() {}

void TaskThread::run(std::function<void()> task) noexcept {
    task();
}

// A batch handed over early would only be worked on sooner, not beside the owner: never worth
// handing over before it is full.
bool TaskThread::idle() const noexcept {
    return false;
}

void TaskThread::join() const noexcept {}

}  // namespace brelin

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "process.h"

namespace brelin {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

}  // namespace

void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return interrupted;
}

void clearInterruptRequest() {
    interrupted = false;
}

void letWritesFailPastFileSizeLimit() {
    // Ignored, SIGXFSZ no longer kills the process: the write fails with EFBIG instead.
    signal(SIGXFSZ, SIG_IGN);
}

bool errorStreamIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace brelin

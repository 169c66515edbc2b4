// The one error type of the engine: which step failed, on which file, and why, as facts. The
// front ends word it for the user once, with describe() (messages.h); nothing below the front
// ends holds a sentence for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace brelin {

enum class FailedStep {
    ReadInput,       // the input cannot be opened or read
    InputNotFile,    // the input is a folder, a device or another non-regular file
    InputEncoding,   // the input is UTF-16, which the program does not read
    InputNotGedcom,  // the input's first line is not a level-0 line
    InputEmpty,      // the input holds no line at all
    WriteOutput,     // the output cannot be created, written or put in place
    WriteLog,        // the truncation log cannot be written
    Database,        // the staging database failed
    RunLocked,       // another run holds the lock of the log (path: the log)
    SelfCheck,       // the lines to write are not the lines read: a fault of the program
    WriteReport,     // the run's report file cannot be written
    Internal,        // anything else (memory exhausted…)
};

// Why the step failed.
enum class Cause {
    None,            // the step says it all
    System,          // the system refused: systemError() holds its errno value
    Folder,          // the path names a folder
    NotRegularFile,  // the path names a device, a pipe or a socket
    DiskFull,        // the database's faults, as the store reports them
    DiskIo,
    CannotOpen,
    ReadOnly,
    OutOfMemory,
    Corrupt,
    Busy,
    Unexpected,  // detail() says what
};

class RunError : public std::runtime_error {
public:
    // detail: the system's or the database's own words, in English, for the curious user.
    RunError(FailedStep step, std::string path, Cause cause = Cause::None, std::string detail = {},
             int systemError = 0)
        : std::runtime_error(path + (detail.empty() ? "" : ": " + detail)),
          step_(step),
          cause_(cause),
          path_(std::move(path)),
          detail_(std::move(detail)),
          systemError_(systemError) {}

    // The system refused with errno value error.
    static RunError fromSystem(FailedStep step, std::string path, int error);

    FailedStep step() const { return step_; }
    Cause cause() const { return cause_; }
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }
    int systemError() const { return systemError_; }

private:
    FailedStep step_;
    Cause cause_;
    std::string path_;
    std::string detail_;
    int systemError_;
};

}  // namespace brelin

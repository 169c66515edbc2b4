// The one error type of the engine: what failed, on which file, and the system's cause.
// The front ends turn it into a sentence for the user with describe() (messages.h).
#pragma once

#include <stdexcept>
#include <string>

namespace brelin {

enum class FailedStep {
    ReadInput,       // the input cannot be opened or read
    InputNotFile,    // the input is a folder, a device or another non-regular file
    InputEncoding,   // the input is UTF-16, which the program does not read
    InputNotGedcom,  // the input does not start like a GEDCOM file
    InputEmpty,      // the input holds no line at all
    WriteOutput,     // the output cannot be created, written or put in place
    WriteLog,        // the truncation log cannot be written
    Database,        // the staging database failed
    Internal,        // anything else (memory exhausted…)
};

class RunError : public std::runtime_error {
public:
    RunError(FailedStep step, std::string path, std::string cause)
        : std::runtime_error(path + ": " + cause),
          step_(step),
          path_(std::move(path)),
          cause_(std::move(cause)) {}

    FailedStep step() const { return step_; }
    const std::string& path() const { return path_; }
    const std::string& cause() const { return cause_; }

private:
    FailedStep step_;
    std::string path_;
    std::string cause_;
};

// A French phrase for an errno value, for the cause of a RunError.
std::string systemCause(int error);

}  // namespace brelin

// The one error type of the engine: which step failed, on which file, and why (causes.h), as
// facts. The
// front ends word it for the user once, with the wording's describe(); nothing below the front
// ends holds a sentence for the user.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "causes.h"

namespace brelin {

class RunError : public std::runtime_error {
public:
    // detail: the system's or the database's own words, in English, for the curious user.
    RunError(FailedStep step, std::string path, Cause cause = Cause::None, std::string detail = {})
        : std::runtime_error(path + (detail.empty() ? "" : ": " + detail)),
          step_(step),
          cause_(cause),
          path_(std::move(path)),
          detail_(std::move(detail)) {}

    // The system refused with the error number error (errno), told as a Cause by the platform's
    // file (system_error.h).
    static RunError fromSystem(FailedStep step, std::string path, int error);
    // A step that failed at a line of the input file at path.
    static RunError atLine(FailedStep step, std::string path, int64_t line) {
        RunError error(step, std::move(path));
        error.line_ = line;
        return error;
    }

    FailedStep step() const { return step_; }
    Cause cause() const { return cause_; }
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }
    // The input's line the failure is about; 0 when none.
    int64_t line() const { return line_; }

private:
    FailedStep step_;
    Cause cause_;
    std::string path_;
    std::string detail_;
    int64_t line_ = 0;
};

}  // namespace brelin

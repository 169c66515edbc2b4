#include "run_error.h"

#include "system_error.h"

namespace brelin {

RunError RunError::fromSystem(FailedStep step, std::string path, int error) {
    const Cause cause = causeOfSystemError(error);
    // The program's sentence says the known causes; another refusal is told in the system's words.
    return RunError(step, std::move(path), cause,
                    cause == Cause::SystemRefused ? systemErrorText(error) : std::string());
}

}  // namespace brelin

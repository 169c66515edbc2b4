#include "run_error.h"

namespace brelin {

RunError RunError::fromSystem(FailedStep step, std::string path, int error) {
    return RunError(step, std::move(path), Cause::System, {}, error);
}

}  // namespace brelin

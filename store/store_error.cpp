#include "store_error.h"

namespace brelin {

StoreError::StoreError(int code, const std::string& message, int systemError)
    : std::runtime_error(message), code_(code), systemError_(systemError) {}

}  // namespace brelin

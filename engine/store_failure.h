// Where a failure of the store becomes a RunError of step Database: the engine's one error edge
// over the store, used by the run and by the Engine that opens and closes the database.
#pragma once

#include <string>

#include "run_error.h"
#include "store_error.h"

namespace brelin {

// A failure of the staging database whose file is at path.
RunError databaseFailure(const StoreError& error, const std::string& path);

}  // namespace brelin

// The staging database as the engine meets it: every failure of the store becomes a RunError of
// step Database, here and nowhere else, so both front ends report it alike.
#pragma once

#include <memory>
#include <string>

#include "run_error.h"
#include "staging_database.h"

namespace brelin {

// A failure of the staging database whose file is at path.
RunError databaseFailure(const StoreError& error, const std::string& path);

// Opens the program's staging database at path, made anew with its tables
// (Public::openStagingDatabase). Throws RunError.
std::unique_ptr<StagingDatabase> openDatabase(const std::string& path);

}  // namespace brelin

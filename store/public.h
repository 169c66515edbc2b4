// Opening and closing of the program's one staging database.
#pragma once

#include <memory>
#include <string>

#include "staging_database.h"

namespace brelin::Public {

// The path a database in memory is opened at: it touches no file.
inline constexpr const char* kInMemory = ":memory:";

// Deletes any old file at databasePath (but for kInMemory), opens a fresh database on it and
// creates the four staging tables. Throws StoreError only: an old file that cannot be deleted is a
// CannotOpen fault that carries the system's error number.
std::unique_ptr<StagingDatabase> openStagingDatabase(const std::string& databasePath);

// Closes the database and empties the reference; throws StoreError when closing fails. Does
// nothing when it is already empty.
void closeStagingDatabase(std::unique_ptr<StagingDatabase>& database);

}  // namespace brelin::Public

#include "public.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>

namespace brelin::Public {

std::unique_ptr<StagingDatabase> openStagingDatabase(const std::string& databasePath) {
    auto database = std::make_unique<StagingDatabase>();
    // A database in memory has no file: a file of that name in the current folder is not its.
    if (databasePath != kInMemory && std::remove(databasePath.c_str()) != 0 && errno != ENOENT) {
        const int error = errno;
        throw StoreError(SQLITE_CANTOPEN, "the old database file cannot be removed", error);
    }
    database->openFile(databasePath);
    database->createTables();
    return database;
}

void closeStagingDatabase(std::unique_ptr<StagingDatabase>& database) {
    if (!database) return;
    database->close();
    database.reset();
}

}  // namespace brelin::Public

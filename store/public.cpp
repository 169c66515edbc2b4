#include "public.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace brelin::Public {

std::unique_ptr<StagingDatabase> openStagingDatabase(const std::string& databasePath) {
    auto database = std::make_unique<StagingDatabase>();
    if (std::remove(databasePath.c_str()) != 0 && errno != ENOENT)
        throw std::system_error(errno, std::generic_category(), databasePath);
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

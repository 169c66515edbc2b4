#include "public.h"

#include <locale.h>
#include <sqlite3.h>
#include <string.h>

#include <cerrno>
#include <cstdio>

namespace brelin::Public {

namespace {

// The system's text for an error number in English, whatever language the user's locale asks for.
std::string englishErrorText(int error) {
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t{});
    return english ? strerror_l(error, english) : strerror(error);
}

}  // namespace

std::unique_ptr<StagingDatabase> openStagingDatabase(const std::string& databasePath) {
    auto database = std::make_unique<StagingDatabase>();
    if (std::remove(databasePath.c_str()) != 0 && errno != ENOENT) {
        const int error = errno;
        throw StoreError(SQLITE_CANTOPEN, englishErrorText(error));
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

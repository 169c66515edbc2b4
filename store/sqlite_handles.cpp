#include "sqlite_handles.h"

#include <sqlite3.h>

#include <string>

#include "store_error.h"

namespace brelin {

void StatementDeleter::operator()(sqlite3_stmt* statement) const noexcept {
    sqlite3_finalize(statement);
}

void ConnectionDeleter::operator()(sqlite3* connection) const noexcept {
    sqlite3_close_v2(connection);
}

void throwStoreError(sqlite3* db, int code) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw StoreError(code, message);
}

}  // namespace brelin

// What the store's files share about SQLite: owning handles on a connection and a statement,
// and the one way a failure of SQLite becomes a StoreError. SQLite's types are only declared here.
#pragma once

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace brelin {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Closes the connection with sqlite3_close_v2, which waits for its last statement to be finalized.
struct ConnectionDeleter {
    void operator()(sqlite3* connection) const noexcept;
};
using ConnectionHandle = std::unique_ptr<sqlite3, ConnectionDeleter>;

// Throws code as a StoreError with the connection's message for it, or SQLite's text for the
// code when there is no connection (db null).
[[noreturn]] void throwStoreError(sqlite3* db, int code);

}  // namespace brelin

// The one exception the store throws: SQLite's result code with SQLite's own English text, and
// the kind of fault the program's user can act on.
#pragma once

#include <stdexcept>
#include <string>

namespace brelin {

// What went wrong with the database, as the program's user can act on it.
enum class StoreFault {
    DiskFull,
    IoError,
    CannotOpen,
    ReadOnly,
    OutOfMemory,
    Corrupt,
    Busy,
    Other
};

// what() is SQLite's text (sqlite3_errmsg, sqlite3_errstr), or the system's for an old database
// file that could not be removed, always in English: the program words it for its user.
class StoreError : public std::runtime_error {
public:
    // code: SQLite's result code (extended codes allowed).
    StoreError(int code, const std::string& message);
    int code() const;
    // Taken from the primary code (code & 0xFF), so any extended code of a kind maps alike.
    StoreFault fault() const;

private:
    int code_;
};

}  // namespace brelin

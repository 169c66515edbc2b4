#include "store_failure.h"

#include <sqlite3.h>

#include "system_error.h"

namespace brelin {

namespace {

// The user can act on these faults of the database; the primary code tells them, whatever the
// extended code adds.
Cause causeOf(int code) {
    switch (code & 0xFF) {
        case SQLITE_FULL:
            return Cause::DiskFull;
        case SQLITE_IOERR:
            return Cause::DiskIo;
        case SQLITE_CANTOPEN:
            return Cause::CannotOpen;
        // SQLITE_PERM: the file could not be given the access it was asked for.
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return Cause::ReadOnly;
        case SQLITE_NOMEM:
            return Cause::OutOfMemory;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return Cause::Corrupt;
        // Another connection (another copy of the program) holds the file.
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Cause::Busy;
        default:
            return Cause::Unexpected;
    }
}

}  // namespace

RunError databaseFailure(const StoreError& error, const std::string& path) {
    // The system's refusal, where there was one, is told in the system's words.
    const std::string detail =
        error.systemError() != 0 ? systemErrorText(error.systemError()) : error.what();
    return RunError(FailedStep::Database, path, causeOf(error.code()), detail);
}

}  // namespace brelin

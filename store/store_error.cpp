#include "store_error.h"

#include <sqlite3.h>

namespace brelin {

StoreError::StoreError(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

int StoreError::code() const {
    return code_;
}

StoreFault StoreError::fault() const {
    switch (code_ & 0xFF) {
        case SQLITE_FULL:
            return StoreFault::DiskFull;
        case SQLITE_IOERR:
            return StoreFault::IoError;
        case SQLITE_CANTOPEN:
            return StoreFault::CannotOpen;
        // SQLITE_PERM: the file could not be given the access it was asked for.
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return StoreFault::ReadOnly;
        case SQLITE_NOMEM:
            return StoreFault::OutOfMemory;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return StoreFault::Corrupt;
        // Another connection (another copy of the program) holds the file.
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return StoreFault::Busy;
        default:
            return StoreFault::Other;
    }
}

}  // namespace brelin

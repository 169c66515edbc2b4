#include "run_database.h"

#include <sqlite3.h>

#include <new>

#include "public.h"
#include "staging_database.h"
#include "store_failure.h"
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

std::unique_ptr<RunDatabase> RunDatabase::open(const std::string& path) {
    try {
        return std::unique_ptr<RunDatabase>(
            new RunDatabase(Public::openStagingDatabase(path), path));
    } catch (const StoreError& error) {
        throw databaseFailure(error, path);
    } catch (const std::bad_alloc&) {
        throw RunError(FailedStep::Database, path, Cause::OutOfMemory);
    }
}

RunDatabase::RunDatabase(StagingDatabase& database) : database_(&database) {}

RunDatabase::RunDatabase(std::unique_ptr<StagingDatabase> owned, std::string path)
    : owned_(std::move(owned)), database_(owned_.get()), path_(std::move(path)) {}

RunDatabase::~RunDatabase() {
    try {
        close();
    } catch (const RunError&) {
        // Nothing of a run lives in the database once the run has ended, and the next start
        // replaces its file.
    }
}

void RunDatabase::close() {
    if (!owned_) return;
    database_ = nullptr;
    try {
        Public::closeStagingDatabase(owned_);
    } catch (const StoreError& error) {
        owned_.reset();
        throw databaseFailure(error, path_);
    }
}

const std::string& RunDatabase::path() const {
    // A database the caller keeps may be opened after this object is made.
    return owned_ || !database_ ? path_ : database_->path();
}

}  // namespace brelin

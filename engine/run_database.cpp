#include "run_database.h"

#include <new>

#include "public.h"

namespace brelin {

namespace {

Cause causeOf(StoreFault fault) {
    switch (fault) {
        case StoreFault::DiskFull:
            return Cause::DiskFull;
        case StoreFault::IoError:
            return Cause::DiskIo;
        case StoreFault::CannotOpen:
            return Cause::CannotOpen;
        case StoreFault::ReadOnly:
            return Cause::ReadOnly;
        case StoreFault::OutOfMemory:
            return Cause::OutOfMemory;
        case StoreFault::Corrupt:
            return Cause::Corrupt;
        case StoreFault::Busy:
            return Cause::Busy;
        case StoreFault::Other:
            break;
    }
    return Cause::Unexpected;
}

}  // namespace

RunError databaseFailure(const StoreError& error, const std::string& path) {
    return RunError(FailedStep::Database, path, causeOf(error.fault()), error.what());
}

std::unique_ptr<StagingDatabase> openDatabase(const std::string& path) {
    try {
        return Public::openStagingDatabase(path);
    } catch (const StoreError& error) {
        throw databaseFailure(error, path);
    } catch (const std::bad_alloc&) {
        throw RunError(FailedStep::Database, path, Cause::OutOfMemory);
    }
}

}  // namespace brelin

// Implementation details: the wrapper's file object holds the real VFS's file object right after
// its own header; every method passes through, except that xWrite and xRead count their calls
// and answer SQLITE_IOERR_WRITE or SQLITE_IOERR_READ at the chosen one.
#include "faulty_vfs.h"

#include <sqlite3.h>

#include <atomic>
#include <stdexcept>

namespace brelin::testing {

namespace {

struct State {
    sqlite3_vfs* real = nullptr;
    sqlite3_vfs vfs{};
    // Atomic: the database may reach its files from a thread of its own.
    std::atomic<int> writes = 0;
    std::atomic<int> reads = 0;
    std::atomic<int> failures = 0;
    std::optional<int> failWrite;
    std::optional<int> failRead;
    bool stickyWrite = false;
    bool stickyRead = false;
};

State state;

struct FaultyFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* file) {
    return reinterpret_cast<FaultyFile*>(file)->real;
}

bool due(int count, const std::optional<int>& at, bool sticky) {
    return at && (count == *at || (sticky && count > *at));
}

int fileClose(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}
int fileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    if (due(++state.reads, state.failRead, state.stickyRead)) {
        ++state.failures;
        return SQLITE_IOERR_READ;
    }
    sqlite3_file* real = realOf(file);
    return real->pMethods->xRead(real, buffer, amount, offset);
}
int fileWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    if (due(++state.writes, state.failWrite, state.stickyWrite)) {
        ++state.failures;
        return SQLITE_IOERR_WRITE;
    }
    sqlite3_file* real = realOf(file);
    return real->pMethods->xWrite(real, buffer, amount, offset);
}
int fileTruncate(sqlite3_file* file, sqlite3_int64 size) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xTruncate(real, size);
}
int fileSync(sqlite3_file* file, int flags) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xSync(real, flags);
}
int fileSize(sqlite3_file* file, sqlite3_int64* size) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xFileSize(real, size);
}
int fileLock(sqlite3_file* file, int level) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xLock(real, level);
}
int fileUnlock(sqlite3_file* file, int level) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xUnlock(real, level);
}
int fileCheckReservedLock(sqlite3_file* file, int* result) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xCheckReservedLock(real, result);
}
int fileControl(sqlite3_file* file, int op, void* argument) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xFileControl(real, op, argument);
}
int fileSectorSize(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xSectorSize(real);
}
int fileDeviceCharacteristics(sqlite3_file* file) {
    sqlite3_file* real = realOf(file);
    return real->pMethods->xDeviceCharacteristics(real);
}

// Shared memory and memory mapping are left out (iVersion 1): SQLite then reads and writes
// through xRead and xWrite only, which is what is counted.
const sqlite3_io_methods kMethods = {
    1,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int vfsOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* faulty = reinterpret_cast<FaultyFile*>(file);
    faulty->real = reinterpret_cast<sqlite3_file*>(faulty + 1);
    faulty->base.pMethods = nullptr;
    const int code = state.real->xOpen(state.real, name, faulty->real, flags, outFlags);
    if (faulty->real->pMethods != nullptr) faulty->base.pMethods = &kMethods;
    return code;
}
int vfsDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return state.real->xDelete(state.real, name, syncDir);
}
int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return state.real->xAccess(state.real, name, flags, result);
}
int vfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return state.real->xFullPathname(state.real, name, size, out);
}
int vfsRandomness(sqlite3_vfs*, int size, char* out) {
    return state.real->xRandomness(state.real, size, out);
}
int vfsSleep(sqlite3_vfs*, int microseconds) {
    return state.real->xSleep(state.real, microseconds);
}
int vfsCurrentTime(sqlite3_vfs*, double* now) {
    return state.real->xCurrentTime(state.real, now);
}
int vfsGetLastError(sqlite3_vfs*, int size, char* out) {
    return state.real->xGetLastError(state.real, size, out);
}
int vfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return state.real->xCurrentTimeInt64(state.real, now);
}

}  // namespace

FaultyVfs::FaultyVfs() {
    sqlite3_initialize();
    state.writes = 0;
    state.reads = 0;
    state.failures = 0;
    state.failWrite.reset();
    state.failRead.reset();
    state.real = sqlite3_vfs_find(nullptr);
    if (state.real == nullptr) throw std::runtime_error("no default SQLite VFS");
    sqlite3_vfs& vfs = state.vfs;
    vfs.iVersion = 2;
    vfs.szOsFile = static_cast<int>(sizeof(FaultyFile)) + state.real->szOsFile;
    vfs.mxPathname = state.real->mxPathname;
    vfs.zName = "brelin-faulty";
    vfs.xOpen = vfsOpen;
    vfs.xDelete = vfsDelete;
    vfs.xAccess = vfsAccess;
    vfs.xFullPathname = vfsFullPathname;
    vfs.xRandomness = vfsRandomness;
    vfs.xSleep = vfsSleep;
    vfs.xCurrentTime = vfsCurrentTime;
    vfs.xGetLastError = vfsGetLastError;
    vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    if (sqlite3_vfs_register(&vfs, 1) != SQLITE_OK) throw std::runtime_error("VFS not registered");
}

FaultyVfs::~FaultyVfs() {
    sqlite3_vfs_unregister(&state.vfs);
    sqlite3_vfs_register(state.real, 1);
}

void FaultyVfs::failWriteAt(std::optional<int> n, bool sticky) {
    state.writes = 0;
    state.reads = 0;
    state.failures = 0;
    state.failWrite = n;
    state.stickyWrite = sticky;
    state.failRead.reset();
}

void FaultyVfs::failReadAt(std::optional<int> n, bool sticky) {
    state.writes = 0;
    state.reads = 0;
    state.failures = 0;
    state.failRead = n;
    state.stickyRead = sticky;
    state.failWrite.reset();
}

int FaultyVfs::writes() const {
    return state.writes;
}
int FaultyVfs::reads() const {
    return state.reads;
}
int FaultyVfs::failures() const {
    return state.failures;
}

}  // namespace brelin::testing

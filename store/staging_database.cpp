#include "staging_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>

#include "number_column.h"

namespace brelin {

namespace {

void check(sqlite3* db, int code) {
    if (code != SQLITE_OK) throwStoreError(db, code);
}

// Asks for the first kilobyte of data to be brought into the cache, where the compiler can.
void prefetch(const char* data, size_t size) {
#if defined(__GNUC__)
    for (size_t at = 0; at < std::min<size_t>(size, 1024); at += 64) __builtin_prefetch(data + at);
#else
    (void)data, (void)size;
#endif
}

}  // namespace

StagingDatabase::StagingDatabase(StagingLimits limits) : limits_(limits) {}

StagingDatabase::~StagingDatabase() {
    try {
        close();
    } catch (...) {
        // A destructor never throws; the handle is gone either way.
    }
}

void StagingDatabase::openFile(const std::string& path) {
    close();
    sqlite3* opened = nullptr;
    // The connection is used by one thread at a time: the owner's, or the insertion thread's
    // while the owner waits for it before any other use. A mutex of its own would only cost time.
    const int code =
        sqlite3_open_v2(path.c_str(), &opened,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    ConnectionHandle connection(opened);  // even a failed open gives a handle to close
    if (code != SQLITE_OK) throwStoreError(connection.get(), code);
    db_ = std::move(connection);
    path_ = path;
    sqlite3_extended_result_codes(db_.get(), 1);
    // The staging tables are temporary: the file itself holds nothing worth a journal.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA temp_store=FILE");
    // SQLite's sorter, used by the read-back only for a table of too many runs to merge, takes
    // the main database's page size for its runs on disk: 64 KiB pages cut its calls to the file
    // system sixteenfold against the default 4 KiB.
    // The temporary database, which would take that size too, gets 16 KiB pages: a quarter of
    // the calls of 4 KiB pages when its tables spill to disk, while its journal, written when
    // the staging tables are made, stays small (a file size limit of 64 KiB still lets the
    // program start and report the failure itself). Its cache is held to 8 MiB: a larger one
    // buys no speed.
    exec("PRAGMA page_size=65536");
    exec("PRAGMA temp.page_size=16384");
    exec("PRAGMA temp.cache_size=-8192");
}

void StagingDatabase::close() {
    // First, even when never opened: a batch may be inserted still, or have failed to be.
    rollbackTransaction();
    // The tables go with the connection.
    forgetRuns();
    if (db_ == nullptr) return;
    for (auto& insert : inserts_) insert.reset();
    const int code = sqlite3_close_v2(db_.release());
    if (code != SQLITE_OK) throw StoreError(code, sqlite3_errstr(code));
}

void StagingDatabase::beginTransaction() {
    // Blocks staged before the transaction are not part of it.
    flushStaged();
    exec("BEGIN");
}

void StagingDatabase::commitTransaction() {
    flushStaged();
    exec("COMMIT");
}

void StagingDatabase::rollbackTransaction() noexcept {
    discardStaged();
    if (inTransaction()) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

bool StagingDatabase::inTransaction() const {
    insertion_.join();
    return db_ != nullptr && sqlite3_get_autocommit(db_.get()) == 0;
}

std::unique_ptr<Rowset> StagingDatabase::executeStatement(const std::string& statement,
                                                          int /*option*/) {
    flushStaged();
    const char* rest = nullptr;
    StatementHandle prepared = prepare(statement, &rest);
    // SQLite would take a text without a statement for one that does nothing, and leave what
    // follows the first statement unrun: either is refused, before anything is run.
    if (prepared == nullptr) throw StoreError(SQLITE_MISUSE, "no statement to run");
    if (*rest != '\0' && prepare(rest) != nullptr)
        throw StoreError(SQLITE_MISUSE, "more than one statement to run");
    if (sqlite3_column_count(prepared.get()) == 0) {
        const int code = sqlite3_step(prepared.get());
        if (code != SQLITE_DONE && code != SQLITE_ROW) throwStoreError(db_.get(), code);
        return nullptr;
    }
    auto rows = std::make_unique<Rowset>(std::move(prepared));
    if (rows->isPastEnd()) return nullptr;
    return rows;
}

void StagingDatabase::createTables() {
    for (const Table table : kAllTables) executeStatement(createStatement(table));
}

void StagingDatabase::clearTables() {
    discardStaged();
    forgetRuns();
    for (const Table table : kAllTables) executeStatement(deleteStatement(table));
}

void StagingDatabase::stage(Table table, const RecordNumber& number, std::string_view block) {
    beginBlock(table, number);
    appendToBlock(block);
    endBlock();
}

void StagingDatabase::beginBlock(Table table, const RecordNumber& number) {
    checkNoOpenBlock();
    // A batch's buffer is made once at its full size, with room for the block that fills it,
    // not grown by doubling and copying. Only the pages written to take memory.
    std::string& bytes = pending_.bytes;
    if (bytes.capacity() < limits_.runBytes) bytes.reserve(limits_.runBytes + (1 << 20));
    open_ = true;
    openTable_ = table;
    openBlock_ = pending_.nextBlock(number);
}

void StagingDatabase::endBlock() {
    assert(open_);
    openBlock_.size = blockSize();
    pending_.blocks[tableIndex(openTable_)].push_back(openBlock_);
    open_ = false;
    if (!batchReady()) return;
    // The batch is inserted on a thread of its own while the caller gathers the next one:
    // reading the input and inserting into SQLite then share the two cores. It is sorted here,
    // while the previous batch is inserted: the insertion is the longer task. The connection is
    // the owner's again once the previous batch is in, and whether a transaction is open is
    // read then, not by the insertion thread.
    pending_.sort(sortScratch_);
    insertion_.wait();
    const bool ownTransaction = !inTransaction();
    const size_t size = pending_.bytes.size();
    insertion_.start(
        pending_, [this, ownTransaction](BlockBatch& batch) { insertRun(batch, ownTransaction); });
    stagedBytes_ += size;
}

void StagingDatabase::checkNoOpenBlock() const {
    if (open_) throw StoreError(SQLITE_MISUSE, "a staged block is still open");
}

bool StagingDatabase::batchReady() const {
    const size_t size = pending_.bytes.size();
    if (size >= limits_.runBytes) return true;
    return size >= std::max(limits_.firstRunBytes, stagedBytes_ / 8) && insertion_.idle();
}

void StagingDatabase::flushStaged() {
    checkNoOpenBlock();
    insertion_.wait();
    pending_.sort(sortScratch_);
    insertRun(pending_, !inTransaction());
}

void StagingDatabase::discardStaged() noexcept {
    try {
        insertion_.wait();
    } catch (...) {
        // What failed is being thrown away with the rest.
    }
    pending_.clear();
    open_ = false;
}

void StagingDatabase::forgetRuns() noexcept {
    for (auto& runs : runs_) runs.clear();
    stagedBytes_ = 0;
}

void StagingDatabase::insertRun(BlockBatch& batch, bool ownTransaction) {
    // The batch is spent whatever happens below (a failure ends the run).
    struct Spend {
        BlockBatch& batch;
        ~Spend() { batch.clear(); }
    } spend{batch};
    if (!batch.hasBlocks()) return;
    sqlite3* db = connection();

    if (ownTransaction) exec("BEGIN");
    try {
        for (const Table table : kAllTables) {
            const std::vector<PendingBlock>& blocks = batch.blocks[tableIndex(table)];
            if (blocks.empty()) continue;
            auto& insert = inserts_[tableIndex(table)];
            if (!insert) insert = prepare(insertStatement(table));
            sqlite3_stmt* statement = insert.get();
            const int64_t first = nextRowid_;
            for (size_t i = 0; i < blocks.size(); ++i) {
                const PendingBlock& block = blocks[i];
                // Sorted by number, the blocks are read from all over the batch, which the
                // reading thread wrote: the next one is fetched while this one is inserted.
                if (i + 1 < blocks.size())
                    prefetch(batch.bytes.data() + blocks[i + 1].offset, blocks[i + 1].size);
                check(db, sqlite3_bind_int64(statement, 1, nextRowid_++));
                bindNumber(statement, 2, batch.numberOf(block));
                // A zero-length blob needs a non-null pointer, or SQLite stores NULL.
                const char* data = block.size == 0 ? "" : batch.bytes.data() + block.offset;
                check(db, sqlite3_bind_blob64(statement, 3, data, block.size, SQLITE_STATIC));
                const int code = sqlite3_step(statement);
                sqlite3_reset(statement);
                if (code != SQLITE_DONE) throwStoreError(db, code);
            }
            sqlite3_clear_bindings(statement);
            runs_[tableIndex(table)].push_back({first, nextRowid_ - 1});
        }
        if (ownTransaction) exec("COMMIT");
    } catch (...) {
        if (ownTransaction) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::unique_ptr<OrderedRows> StagingDatabase::selectOrdered(Table table) {
    flushStaged();
    // Refused even for a table that never had a run: without a database, it is not empty.
    sqlite3* db = connection();
    const std::vector<Run>& runs = runs_[tableIndex(table)];
    std::vector<StatementHandle> statements;
    if (runs.size() > limits_.maxMergedRuns) {
        // Too many runs to hold a cursor on each: let SQLite sort the whole table.
        statements.push_back(prepare(selectSortedStatement(table)));
    } else {
        const std::string sql = selectRunStatement(table);
        for (const Run& run : runs) {
            StatementHandle statement = prepare(sql);
            check(db, sqlite3_bind_int64(statement.get(), 1, run.first));
            check(db, sqlite3_bind_int64(statement.get(), 2, run.last));
            statements.push_back(std::move(statement));
        }
    }
    auto rows = std::make_unique<OrderedRows>(std::move(statements));
    if (rows->isPastEnd()) return nullptr;
    return rows;
}

sqlite3* StagingDatabase::connection() const {
    if (db_ == nullptr) throw StoreError(SQLITE_MISUSE, "the database is not open");
    return db_.get();
}

void StagingDatabase::exec(const char* sql) {
    sqlite3* db = connection();
    check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

StatementHandle StagingDatabase::prepare(const std::string& sql, const char** rest) {
    sqlite3* db = connection();
    sqlite3_stmt* statement = nullptr;
    const int code =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size() + 1), &statement, rest);
    StatementHandle handle(statement);
    if (code != SQLITE_OK) throwStoreError(db, code);
    return handle;
}

}  // namespace brelin

// The staging database: four temporary tables that hold the record blocks of a run between
// the reading of the input and the ordered write-out.
//
// Staged blocks are gathered in memory and inserted a few megabytes at a time, sorted by number,
// so that each table holds a series of sorted runs; the ordered read-back merges the runs instead
// of sorting whole blocks again. A batch is inserted on a thread of its own while the next one is
// gathered (StagingLimits says when it is handed over); the object itself is used by one thread
// at a time, its owner's.
//
// openFile, close, beginTransaction, commitTransaction and executeStatement(statement, option),
// with the Rowset it returns and the opening and closing in public.h, are the store's interface
// for any use of the tables; the rest serves the program's own staging and read-back.
//
// Every failure of the database is thrown as StoreError; destructors never throw. Without an
// open database, every call that reaches its tables is refused as a misuse (SQLITE_MISUSE).
// Nothing built from the input ever becomes SQL text: the inserts are prepared once and their
// values bound, so any byte of a block (quotes, NUL, 8-bit) comes back exactly.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch_thread.h"
#include "block_batch.h"
#include "record_number.h"
#include "rowset.h"
#include "sqlite_handles.h"
#include "staging_tables.h"
#include "store_error.h"

namespace brelin {

// How staged blocks are batched: the bytes gathered before a batch is inserted as one sorted
// run, and the runs of one table beyond which the read-back sorts the whole table instead of
// merging them (each merged run holds a cursor, and so a page of the cache). A batch goes to the
// insertion thread before it is full when that thread is idle, so that it starts on the first
// blocks and stays busy, but only once it holds firstRunBytes and an eighth of the bytes staged
// before it: the runs then grow by at least an eighth each, and stay few.
struct StagingLimits {
    size_t runBytes = 8 << 20;
    size_t maxMergedRuns = 512;
    size_t firstRunBytes = 64 << 10;
};

// The open database. Its staging tables exist from createTables() until close().
// Destroying it is safe whatever its state: opened or not, with a batch being inserted or not.
class StagingDatabase {
public:
    explicit StagingDatabase(StagingLimits limits = {});
    // Waits for the batch being inserted, then closes the database; a failure goes unreported.
    ~StagingDatabase();
    StagingDatabase(const StagingDatabase&) = delete;
    StagingDatabase& operator=(const StagingDatabase&) = delete;

    // Opens (creating it when missing) the database in the file at path; ":memory:" opens
    // one in memory.
    void openFile(const std::string& path);
    // Closes the database; it succeeds with a transaction still open, which is rolled back.
    // Blocks staged but not yet in a table are discarded. Closing a closed database does nothing.
    void close();

    void beginTransaction();
    void commitTransaction();
    // Undoes everything since beginTransaction; does nothing when no transaction is open.
    void rollbackTransaction() noexcept;
    // Waits for the batch being inserted, whose failure the next flush or stage() throws.
    bool inTransaction() const;

    // Runs one statement. For a query, returns its rows in the order it asks for, or nothing
    // when it selects no row; for any other statement, returns nothing. A text that holds no
    // statement, or more than one, is refused as a misuse before anything is run. option belongs to
    // the store's interface, where it is always 0: no option is defined, and it changes nothing.
    std::unique_ptr<Rowset> executeStatement(const std::string& statement, int option = 0);

    void createTables();
    // Removes every row of every staging table.
    void clearTables();

    // Stages one block under its record's number, which orders it within its table
    // (record_number.h); rows of equal numbers keep the order of staging. Throws the failure of
    // the previous batch's insertion when a full batch waits for it.
    void stage(Table table, const RecordNumber& number, std::string_view block);

    // Stages one block written in place, in as many appends as it takes: beginBlock, then
    // appendToBlock, then endBlock, which stages it as stage() does. Its bytes go straight into
    // the batch, with no copy of their own. While a block is open, only appendToBlock and
    // blockSize may be called, or a call that discards what is staged (rollbackTransaction,
    // clearTables, close, which drop the block too); any other call that uses the database
    // throws a misuse.
    void beginBlock(Table table, const RecordNumber& number);
    void appendToBlock(std::string_view bytes) {
        assert(open_);
        pending_.bytes.append(bytes);
    }
    // The bytes of the open block so far.
    size_t blockSize() const { return pending_.bytes.size() - openBlock_.offset; }
    void endBlock();

    // The blocks staged in a table, in ascending number (ties in staging order), or nothing for
    // an empty table. Stages what is still pending first.
    std::unique_ptr<OrderedRows> selectOrdered(Table table);

    // Writes the blocks gathered in memory to their tables, each table's share as one run
    // sorted by number, after the batch being inserted (whose failure it throws). Called before
    // any other use of the connection (transactions, executeStatement, selectOrdered).
    void flushStaged();

    // The path the database was opened on.
    const std::string& path() const { return path_; }

private:
    // The open connection; throws a misuse when the database is not open.
    sqlite3* connection() const;
    void exec(const char* sql);
    // Prepares the first statement of sql, or gives nothing when sql holds none (only blanks or
    // comments). rest, when given, is set to the text after that statement, within sql.
    StatementHandle prepare(const std::string& sql, const char** rest = nullptr);

    // The rowids of one sorted run of a table, first to last.
    struct Run {
        int64_t first;
        int64_t last;
    };

    // Throws a misuse while a block is open.
    void checkNoOpenBlock() const;
    // True when the pending batch is to be inserted now (see StagingLimits).
    bool batchReady() const;
    // Inserts the batch and empties it, whatever happens. Runs on the insertion thread or the
    // owner's; ownTransaction (no transaction open) is decided on the owner's thread.
    void insertRun(BlockBatch& batch, bool ownTransaction);
    void discardStaged() noexcept;
    // Forgets the runs of the tables, once emptied or gone with the connection.
    void forgetRuns() noexcept;

    StagingLimits limits_;
    ConnectionHandle db_;
    std::string path_;
    StatementHandle inserts_[kTableCount];
    // The blocks gathered for the next batch, each table's in staging order.
    BlockBatch pending_;
    // Room for sorting pending_, kept between batches.
    std::vector<PendingBlock> sortScratch_;
    // The block being written into pending_, if open_; its size is not known yet.
    bool open_ = false;
    Table openTable_ = Table::Individuals;
    PendingBlock openBlock_{};
    std::vector<Run> runs_[kTableCount];
    // Rowids are given by the program and never reused, so that a run's range holds only the
    // rows of that run, whatever was deleted or rolled back since.
    int64_t nextRowid_ = 1;
    // Bytes handed to the insertion thread since the tables were last cleared or closed.
    size_t stagedBytes_ = 0;
    // While a batch is inserted, the connection, inserts_, runs_ and nextRowid_ are its task's:
    // the owner waits for it (insertion_.wait) before any other use of them. Last, so that it
    // is destroyed first and its task ends before what the task uses goes away.
    BatchThread<BlockBatch> insertion_;
};

// A transaction that is rolled back unless committed.
class Transaction {
public:
    explicit Transaction(StagingDatabase& database) : database_(database) {
        database_.beginTransaction();
    }
    ~Transaction() {
        if (!committed_) database_.rollbackTransaction();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        database_.commitTransaction();
        committed_ = true;
    }

private:
    StagingDatabase& database_;
    bool committed_ = false;
};

}  // namespace brelin

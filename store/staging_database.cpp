#include "staging_database.h"

#include <sqlite3.h>

#include <cassert>

namespace brelin {

namespace {

const char* const kCreateStatements[] = {
    "CREATE TEMPORARY TABLE INDITRI (GedIndex INTEGER, GedBloc BLOB)",
    "CREATE TEMPORARY TABLE FAMTRI (GedIndex INTEGER, GedBloc BLOB)",
    "CREATE TEMPORARY TABLE SOURTRI (GedIndex INTEGER, GedBloc BLOB)",
    "CREATE TEMPORARY TABLE NOTETRI (GedIndex INTEGER, GedBloc BLOB)",
};

const char* const kDeleteStatements[] = {
    "DELETE from INDITRI",
    "DELETE from FAMTRI",
    "DELETE from SOURTRI",
    "DELETE from NOTETRI",
};

[[noreturn]] void fail(sqlite3* db, int code) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw StoreError(code, message);
}

void check(sqlite3* db, int code) {
    if (code != SQLITE_OK) fail(db, code);
}

}  // namespace

const char* tableName(Table table) {
    switch (table) {
        case Table::Individuals: return "INDITRI";
        case Table::Families: return "FAMTRI";
        case Table::Sources: return "SOURTRI";
        case Table::Notes: return "NOTETRI";
    }
    return "";
}

void StatementDeleter::operator()(sqlite3_stmt* statement) const noexcept {
    sqlite3_finalize(statement);
}

// --- Rowset

Rowset::Rowset(StatementHandle statement) : statement_(std::move(statement)) { step(); }

std::string_view Rowset::columnValue(int index) const {
    assert(!pastEnd_);
    const void* data = sqlite3_column_blob(statement_.get(), index);
    const int size = sqlite3_column_bytes(statement_.get(), index);
    if (data == nullptr) return {};
    return {static_cast<const char*>(data), static_cast<size_t>(size)};
}

void Rowset::moveNext() { step(); }

void Rowset::moveFirst() {
    sqlite3_reset(statement_.get());
    pastEnd_ = false;
    step();
}

void Rowset::step() {
    const int code = sqlite3_step(statement_.get());
    if (code == SQLITE_ROW) return;
    pastEnd_ = true;
    if (code != SQLITE_DONE) fail(sqlite3_db_handle(statement_.get()), code);
}

// --- StagingDatabase

StagingDatabase::StagingDatabase() = default;

StagingDatabase::~StagingDatabase() {
    try {
        close();
    } catch (...) {
        // A destructor never throws; the handle is gone either way.
    }
}

void StagingDatabase::openFile(const std::string& path) {
    close();
    sqlite3* db = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
        sqlite3_close_v2(db);
        throw StoreError(code, message);
    }
    db_ = db;
    path_ = path;
    sqlite3_extended_result_codes(db_, 1);
    // The staging tables are temporary: the file itself holds nothing worth a journal.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA temp_store=FILE");
    // The sorter of the ordered read-back takes the main database's page size for its runs on
    // disk: 64 KiB pages cut its calls to the file system sixteenfold against the default 4 KiB.
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
    if (db_ == nullptr) return;
    for (auto& insert : inserts_) insert.reset();
    rollbackTransaction();
    sqlite3* db = db_;
    db_ = nullptr;
    const int code = sqlite3_close_v2(db);
    if (code != SQLITE_OK) throw StoreError(code, sqlite3_errstr(code));
}

void StagingDatabase::beginTransaction() { exec("BEGIN"); }

void StagingDatabase::commitTransaction() { exec("COMMIT"); }

void StagingDatabase::rollbackTransaction() noexcept {
    if (db_ != nullptr && inTransaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool StagingDatabase::inTransaction() const {
    return db_ != nullptr && sqlite3_get_autocommit(db_) == 0;
}

std::unique_ptr<Rowset> StagingDatabase::executeStatement(const std::string& statement,
                                                          int /*option*/) {
    StatementHandle prepared = prepare(statement);
    if (sqlite3_column_count(prepared.get()) == 0) {
        const int code = sqlite3_step(prepared.get());
        if (code != SQLITE_DONE && code != SQLITE_ROW) fail(db_, code);
        return nullptr;
    }
    auto rows = std::make_unique<Rowset>(std::move(prepared));
    if (rows->isPastEnd()) return nullptr;
    return rows;
}

void StagingDatabase::createTables() {
    for (const char* sql : kCreateStatements) executeStatement(sql);
}

void StagingDatabase::clearTables() {
    for (const char* sql : kDeleteStatements) executeStatement(sql);
}

void StagingDatabase::stage(Table table, std::optional<int64_t> number, std::string_view block) {
    auto& insert = inserts_[static_cast<size_t>(table)];
    if (!insert) insert = prepare(std::string("INSERT INTO ") + tableName(table) + " VALUES (?1, ?2)");
    sqlite3_stmt* statement = insert.get();
    int code = number ? sqlite3_bind_int64(statement, 1, *number) : sqlite3_bind_null(statement, 1);
    check(db_, code);
    // A zero-length blob needs a non-null pointer, or SQLite stores NULL.
    code = sqlite3_bind_blob64(statement, 2, block.empty() ? "" : block.data(), block.size(),
                               SQLITE_STATIC);
    check(db_, code);
    code = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (code != SQLITE_DONE) fail(db_, code);
}

std::unique_ptr<Rowset> StagingDatabase::selectOrdered(Table table) {
    // Rows without a whole number come last; rowid keeps ties in staging order.
    return executeStatement(std::string("SELECT GedBloc FROM ") + tableName(table) +
                            " ORDER BY GedIndex IS NULL, GedIndex, rowid");
}

void StagingDatabase::exec(const char* sql) {
    if (db_ == nullptr) throw StoreError(SQLITE_MISUSE, "la base n'est pas ouverte");
    check(db_, sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

StatementHandle StagingDatabase::prepare(const std::string& sql) {
    if (db_ == nullptr) throw StoreError(SQLITE_MISUSE, "la base n'est pas ouverte");
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size() + 1),
                                        &statement, nullptr);
    StatementHandle handle(statement);
    if (code != SQLITE_OK) fail(db_, code);
    return handle;
}

}  // namespace brelin

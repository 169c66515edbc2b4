// The staging database: four temporary tables that hold the record blocks of a run between
// the reading of the input and the ordered write-out.
//
// Every failure of the database is thrown as StoreError; destructors never throw.
// Nothing built from the input ever becomes SQL text: the inserts are prepared once and their
// values bound, so any byte of a block (quotes, NUL, 8-bit) comes back exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace brelin {

class StoreError : public std::runtime_error {
public:
    StoreError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// The staging tables, in the order in which they are created and written out.
enum class Table { Individuals, Families, Sources, Notes };
constexpr Table kAllTables[] = {Table::Individuals, Table::Families, Table::Sources, Table::Notes};
const char* tableName(Table table);

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The result of one query, walked forward from its first row. A Rowset is never empty:
// StagingDatabase::executeStatement returns no Rowset for a query without rows.
// It must not outlive the StagingDatabase that made it.
class Rowset {
public:
    explicit Rowset(StatementHandle statement);
    Rowset(const Rowset&) = delete;
    Rowset& operator=(const Rowset&) = delete;

    // The bytes of a column in the current row, empty for an empty or NULL value. The view
    // stays valid until the next moveNext or moveFirst.
    std::string_view columnValue(int index) const;
    void moveNext();
    void moveFirst();
    bool isPastEnd() const { return pastEnd_; }

private:
    void step();

    StatementHandle statement_;
    bool pastEnd_ = false;
};

// The open database. Its staging tables exist from createTables() until close().
class StagingDatabase {
public:
    StagingDatabase();
    ~StagingDatabase();
    StagingDatabase(const StagingDatabase&) = delete;
    StagingDatabase& operator=(const StagingDatabase&) = delete;

    // Opens (creating it when missing) the database in the file at path; ":memory:" opens
    // one in memory.
    void openFile(const std::string& path);
    // Closes the database; it succeeds with a transaction still open, which is rolled back.
    void close();
    bool isOpen() const { return db_ != nullptr; }

    void beginTransaction();
    void commitTransaction();
    // Undoes everything since beginTransaction; does nothing when no transaction is open.
    void rollbackTransaction() noexcept;
    bool inTransaction() const;

    // Runs one statement. For a query, returns its rows in the order it asks for, or nothing
    // when it selects no row; for any other statement, returns nothing.
    std::unique_ptr<Rowset> executeStatement(const std::string& statement, int option = 0);

    void createTables();
    // Removes every row of every staging table.
    void clearTables();

    // Stages one block. A whole number orders numerically; any other number (nullopt) orders
    // after the whole numbers of its table. Rows of equal order keep the order of staging.
    void stage(Table table, std::optional<int64_t> number, std::string_view block);

    // The blocks of a table in staging order by number, or nothing for an empty table.
    std::unique_ptr<Rowset> selectOrdered(Table table);

    // The path the database was opened on.
    const std::string& path() const { return path_; }

private:
    void exec(const char* sql);
    StatementHandle prepare(const std::string& sql);

    sqlite3* db_ = nullptr;
    std::string path_;
    StatementHandle inserts_[std::size(kAllTables)];
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

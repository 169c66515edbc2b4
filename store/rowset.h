// The rows the staging database gives back: a Rowset for a query run by executeStatement, an
// OrderedRows for a staging table read in order. Both step their statements on the database's
// connection: neither may outlive the StagingDatabase that made it, and once a block is staged
// neither is stepped again before the staged blocks are flushed (flushStaged, or any call that
// flushes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record_number.h"
#include "sqlite_handles.h"

namespace brelin {

// The result of one query, walked forward from its first row. A Rowset is never empty:
// StagingDatabase::executeStatement returns no Rowset for a query without rows.
// columnValue, moveNext, moveFirst and isPastEnd are part of the store's interface, which
// callers use as it stands, moveFirst included even where the program itself has no use for it.
class Rowset {
public:
    explicit Rowset(StatementHandle statement);
    Rowset(const Rowset&) = delete;
    Rowset& operator=(const Rowset&) = delete;

    // The bytes of a column in the current row, empty for an empty or NULL value. The view
    // stays valid until the next moveNext or moveFirst.
    std::string_view columnValue(int index) const;
    void moveNext();
    // Runs the query again from its first row, from wherever the rowset stands, past the end
    // included. Rows changed since are seen as they are now.
    void moveFirst();
    bool isPastEnd() const { return pastEnd_; }

private:
    void step();

    StatementHandle statement_;
    bool pastEnd_ = false;
};

// The blocks of one staging table in order, merged from the table's sorted runs: each run is
// read in rowid order, which is its order by number (record_number.h), and the runs are merged
// by number, earlier runs first among equal numbers. Never empty.
class OrderedRows {
public:
    // Each statement selects (GedIndex, GedBloc) of one run in order; earlier runs first.
    explicit OrderedRows(std::vector<StatementHandle> runs);
    OrderedRows(const OrderedRows&) = delete;
    OrderedRows& operator=(const OrderedRows&) = delete;

    // The current row's block (index 0). Valid until the next moveNext.
    std::string_view columnValue(int index) const;
    // The number the current row was staged under. Valid until the next moveNext.
    RecordNumber number() const;
    void moveNext();
    bool isPastEnd() const { return heap_.empty(); }

private:
    struct Cursor {
        StatementHandle statement;
        RecordNumber number;
    };
    // Steps cursor i; false when its run is done.
    bool advance(size_t i);
    bool after(size_t a, size_t b) const;

    // Small, for the merge's heap: a long number's digits are kept apart, in digits_.
    std::vector<Cursor> cursors_;
    std::vector<std::string> digits_;
    std::vector<size_t> heap_;  // cursors with a current row, the smallest first
};

}  // namespace brelin

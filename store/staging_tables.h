// The four staging tables and their names in SQL, written here once: every statement the store
// sends about a table is built from tableName. A Table's value indexes kTableNames and the
// store's arrays of one entry per table, so Table, kAllTables and kTableNames list the tables in
// the same order.
#pragma once

#include <cstddef>
#include <iterator>

namespace brelin {

// The staging tables, in the order in which they are created and written out.
enum class Table { Individuals, Families, Sources, Notes };
constexpr Table kAllTables[] = {Table::Individuals, Table::Families, Table::Sources, Table::Notes};
constexpr size_t kTableCount = std::size(kAllTables);

inline constexpr const char* kTableNames[] = {"INDITRI", "FAMTRI", "SOURTRI", "NOTETRI"};
static_assert(std::size(kTableNames) == kTableCount, "one name for each table");

constexpr size_t tableIndex(Table table) {
    return static_cast<size_t>(table);
}

constexpr const char* tableName(Table table) {
    return kTableNames[tableIndex(table)];
}

}  // namespace brelin

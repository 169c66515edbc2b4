// The four staging tables, their names in SQL and the statements the store sends about them,
// written here once, each built from tableName. A Table's value indexes kTableNames and the
// store's arrays of one entry per table, so Table, kAllTables and kTableNames list the tables in
// the same order.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>

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

// The statements about one table. Their texts, down to the case of each word, are the ones the
// store has always sent. Each table has two columns: GedIndex, the record's number
// (number_column.h), and GedBloc, the block's bytes.
std::string createStatement(Table table);
std::string deleteStatement(Table table);
// Binds the rowid (?1), the number (?2) and the block (?3).
std::string insertStatement(Table table);
// One sorted run of a table, by its rowids (?1 to ?2).
std::string selectRunStatement(Table table);
// The whole table in order: rowid keeps ties in staging order, since runs take increasing
// rowids in staging order.
std::string selectSortedStatement(Table table);

}  // namespace brelin

// The four staging tables and their names in SQL, written here once: every statement the store
// sends about a table is built from tableName. Table's values index kTableNames and the arrays of
// the store that hold something per table, so the two lists below stay in the same order.
#pragma once

#include <cstddef>
#include <iterator>

namespace brelin {

// The staging tables, in the order in which they are created and written out.
enum class Table { Individuals, Families, Sources, Notes };
constexpr Table kAllTables[] = {Table::Individuals, Table::Families, Table::Sources, Table::Notes};
constexpr size_t kTableCount = std::size(kAllTables);

inline constexpr const char* kTableNames[kTableCount] = {"INDITRI", "FAMTRI", "SOURTRI", "NOTETRI"};

constexpr size_t tableIndex(Table table) {
    return static_cast<size_t>(table);
}

constexpr const char* tableName(Table table) {
    return kTableNames[tableIndex(table)];
}

}  // namespace brelin

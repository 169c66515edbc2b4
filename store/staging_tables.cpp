#include "staging_tables.h"

namespace brelin {

std::string createStatement(Table table) {
    return std::string("CREATE TEMPORARY TABLE ") + tableName(table) +
           " (GedIndex INTEGER, GedBloc BLOB)";
}

std::string deleteStatement(Table table) {
    return std::string("DELETE from ") + tableName(table);
}

std::string insertStatement(Table table) {
    return std::string("INSERT INTO ") + tableName(table) +
           " (rowid, GedIndex, GedBloc) VALUES (?1, ?2, ?3)";
}

std::string selectRunStatement(Table table) {
    return std::string("SELECT GedIndex, GedBloc FROM ") + tableName(table) +
           " WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid";
}

std::string selectSortedStatement(Table table) {
    return std::string("SELECT GedIndex, GedBloc FROM ") + tableName(table) +
           " ORDER BY GedIndex IS NULL, GedIndex, rowid";
}

}  // namespace brelin

// How a record's number is held in a staging table's GedIndex column, which the store alone
// writes and reads: a Value as an INTEGER, no whole number as NULL, and a longer number as a BLOB
// of its count of digits (four bytes, most significant first) followed by its digits, so that
// SQLite's order of blobs (byte by byte) is their numeric order, and every blob comes after every
// integer: "ORDER BY GedIndex IS NULL, GedIndex" is the order of RecordNumber. A blob is never
// given a column's integer affinity, which would turn a long number's text into an approximate
// real number.
#pragma once

#include <sqlite3.h>

#include <string>

#include "record_number.h"
#include "sqlite_handles.h"

namespace brelin {

// Binds a long number, or none, to the statement's parameter; throws StoreError.
void bindOtherNumber(sqlite3_stmt* statement, int parameter, const RecordNumber& number);
// The long number, or none, in the current row's column; a long one views kept.
RecordNumber columnOtherNumber(sqlite3_stmt* statement, int column, std::string& kept);

// Binds number to the statement's parameter; throws StoreError. Inline: every record is bound.
inline void bindNumber(sqlite3_stmt* statement, int parameter, const RecordNumber& number) {
    if (number.form() != RecordNumber::Form::Value)
        return bindOtherNumber(statement, parameter, number);
    const int code = sqlite3_bind_int64(statement, parameter, number.value());
    if (code != SQLITE_OK) throwStoreError(sqlite3_db_handle(statement), code);
}

// The number in the current row's column. A long number views kept, where its digits are copied.
inline RecordNumber columnNumber(sqlite3_stmt* statement, int column, std::string& kept) {
    if (sqlite3_column_type(statement, column) == SQLITE_INTEGER)
        return RecordNumber(sqlite3_column_int64(statement, column));
    return columnOtherNumber(statement, column, kept);
}

}  // namespace brelin

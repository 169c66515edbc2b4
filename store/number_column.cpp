#include "number_column.h"

namespace brelin {

namespace {

// The bytes of a long number's count of digits before them.
constexpr size_t kCountBytes = 4;

}  // namespace

void bindOtherNumber(sqlite3_stmt* statement, int parameter, const RecordNumber& number) {
    int code = SQLITE_OK;
    switch (number.form()) {
        case RecordNumber::Form::Value:
            code = sqlite3_bind_int64(statement, parameter, number.value());
            break;
        case RecordNumber::Form::None:
            code = sqlite3_bind_null(statement, parameter);
            break;
        case RecordNumber::Form::Digits: {
            const std::string_view digits = number.digits();
            std::string blob(kCountBytes, '\0');
            for (size_t i = 0; i < kCountBytes; ++i)
                blob[i] = static_cast<char>((digits.size() >> (8 * (kCountBytes - 1 - i))) & 0xFF);
            blob.append(digits);
            code = sqlite3_bind_blob64(statement, parameter, blob.data(), blob.size(),
                                       SQLITE_TRANSIENT);
            break;
        }
    }
    if (code != SQLITE_OK) throwStoreError(sqlite3_db_handle(statement), code);
}

RecordNumber columnOtherNumber(sqlite3_stmt* statement, int column, std::string& kept) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return RecordNumber(sqlite3_column_int64(statement, column));
        case SQLITE_BLOB: {
            const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, column));
            const auto size = static_cast<size_t>(sqlite3_column_bytes(statement, column));
            if (blob == nullptr || size <= kCountBytes) break;
            kept.assign(blob + kCountBytes, size - kCountBytes);
            // Only the store writes the column; anything else there is no whole number.
            return RecordNumber::ofDigits(kept);
        }
        default:
            break;
    }
    return {};
}

}  // namespace brelin

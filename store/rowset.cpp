#include "rowset.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>

namespace brelin {

namespace {

// The bytes of a column of the current row, empty for an empty or NULL value. The size is read
// after the data, which may convert the value.
std::string_view columnBytes(sqlite3_stmt* statement, int column) {
    const void* data = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    if (data == nullptr) return {};
    return {static_cast<const char*>(data), static_cast<size_t>(size)};
}

}  // namespace

// --- Rowset

Rowset::Rowset(StatementHandle statement) : statement_(std::move(statement)) {
    step();
}

std::string_view Rowset::columnValue(int index) const {
    assert(!pastEnd_);
    return columnBytes(statement_.get(), index);
}

void Rowset::moveNext() {
    step();
}

void Rowset::moveFirst() {
    sqlite3_reset(statement_.get());
    pastEnd_ = false;
    step();
}

void Rowset::step() {
    const int code = sqlite3_step(statement_.get());
    if (code == SQLITE_ROW) return;
    pastEnd_ = true;
    if (code != SQLITE_DONE) throwStoreError(sqlite3_db_handle(statement_.get()), code);
}

// --- OrderedRows

OrderedRows::OrderedRows(std::vector<StatementHandle> runs) {
    cursors_.reserve(runs.size());
    for (auto& statement : runs) cursors_.push_back({std::move(statement)});
    for (size_t i = 0; i < cursors_.size(); ++i) {
        if (advance(cursors_[i])) heap_.push_back(i);
    }
    std::make_heap(heap_.begin(), heap_.end(), [this](size_t a, size_t b) { return after(a, b); });
}

std::string_view OrderedRows::columnValue(int index) const {
    assert(!heap_.empty() && index == 0);
    // Column 0 of a run's statement is its number, which is not the caller's.
    return columnBytes(cursors_[heap_.front()].statement.get(), index + 1);
}

std::optional<int64_t> OrderedRows::number() const {
    assert(!heap_.empty());
    const Cursor& cursor = cursors_[heap_.front()];
    return cursor.whole ? std::optional<int64_t>(cursor.number) : std::nullopt;
}

void OrderedRows::moveNext() {
    const auto later = [this](size_t a, size_t b) { return after(a, b); };
    std::pop_heap(heap_.begin(), heap_.end(), later);
    if (advance(cursors_[heap_.back()])) {
        std::push_heap(heap_.begin(), heap_.end(), later);
    } else {
        heap_.pop_back();
    }
}

bool OrderedRows::advance(Cursor& cursor) {
    sqlite3_stmt* statement = cursor.statement.get();
    const int code = sqlite3_step(statement);
    if (code == SQLITE_DONE) return false;
    if (code != SQLITE_ROW) throwStoreError(sqlite3_db_handle(statement), code);
    cursor.whole = sqlite3_column_type(statement, 0) == SQLITE_INTEGER;
    cursor.number = cursor.whole ? sqlite3_column_int64(statement, 0) : 0;
    return true;
}

// True when cursor a's row comes after cursor b's: whole numbers first and ascending, then the
// rest; among equals, the earlier run first.
bool OrderedRows::after(size_t a, size_t b) const {
    const Cursor& x = cursors_[a];
    const Cursor& y = cursors_[b];
    if (x.whole != y.whole) return y.whole;
    if (x.whole && x.number != y.number) return x.number > y.number;
    return a > b;
}

}  // namespace brelin

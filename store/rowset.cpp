#include "rowset.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>

#include "number_column.h"

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
    for (auto& statement : runs) cursors_.push_back(Cursor{std::move(statement), {}});
    digits_.resize(cursors_.size());
    for (size_t i = 0; i < cursors_.size(); ++i) {
        if (advance(i)) heap_.push_back(i);
    }
    std::make_heap(heap_.begin(), heap_.end(), [this](size_t a, size_t b) { return after(a, b); });
}

std::string_view OrderedRows::columnValue(int index) const {
    assert(!heap_.empty() && index == 0);
    // Column 0 of a run's statement is its number, which is not the caller's.
    return columnBytes(cursors_[heap_.front()].statement.get(), index + 1);
}

RecordNumber OrderedRows::number() const {
    assert(!heap_.empty());
    return cursors_[heap_.front()].number;
}

void OrderedRows::moveNext() {
    const auto later = [this](size_t a, size_t b) { return after(a, b); };
    std::pop_heap(heap_.begin(), heap_.end(), later);
    if (advance(heap_.back())) {
        std::push_heap(heap_.begin(), heap_.end(), later);
    } else {
        heap_.pop_back();
    }
}

bool OrderedRows::advance(size_t i) {
    sqlite3_stmt* statement = cursors_[i].statement.get();
    const int code = sqlite3_step(statement);
    if (code == SQLITE_DONE) return false;
    if (code != SQLITE_ROW) throwStoreError(sqlite3_db_handle(statement), code);
    cursors_[i].number = columnNumber(statement, 0, digits_[i]);
    return true;
}

// True when cursor a's row comes after cursor b's: by number, and among equals the earlier run
// first.
bool OrderedRows::after(size_t a, size_t b) const {
    const RecordNumber& x = cursors_[a].number;
    const RecordNumber& y = cursors_[b].number;
    if (bothValues(x, y)) return x.value() != y.value() ? x.value() > y.value() : a > b;
    const int order = compareOthers(x, y);
    return order != 0 ? order > 0 : a > b;
}

}  // namespace brelin

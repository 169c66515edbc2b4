#include "block_stager.h"

#include <algorithm>
#include <stdexcept>

namespace brelin {

std::optional<Table> tableOf(LineKind kind) {
    switch (kind) {
        case LineKind::Individual:
            return Table::Individuals;
        case LineKind::Family:
            return Table::Families;
        case LineKind::Source:
            return Table::Sources;
        case LineKind::Note:
            return Table::Notes;
        case LineKind::Ordinary:
        case LineKind::Trailer:
            break;
    }
    return std::nullopt;
}

BlockStager::BlockStager(StagingDatabase& database, RecordRules rules)
    : database_(database), rules_(rules) {}

void BlockStager::reset() {
    pending_ = Table::Individuals;
    pendingNumber_ = 0;
    open_ = false;
    sourcesSeen_ = false;
    trailerSeen_ = false;
    trailer_.clear();
}

LineKind BlockStager::accept(std::string_view line) {
    const LineKind kind = rules_.kindOf(line);
    switch (kind) {
        case LineKind::Ordinary:
            openLine(line.size());
            database_.appendToBlock(line);
            break;
        case LineKind::Source:
            sourcesSeen_ = true;
            [[fallthrough]];
        case LineKind::Individual:
        case LineKind::Family:
        case LineKind::Note:
            startRecord(*tableOf(kind), line);
            database_.appendToBlock(line);
            break;
        case LineKind::Trailer:
            stagePending();
            if (!trailerSeen_) trailer_.assign(line);
            trailerSeen_ = true;
            break;
    }
    return kind;
}

LineKind BlockStager::acceptStart(std::string_view head) {
    const LineKind kind = rules_.kindOf(head);
    switch (kind) {
        case LineKind::Ordinary:
            openLine(0);
            break;
        case LineKind::Source:
            sourcesSeen_ = true;
            [[fallthrough]];
        case LineKind::Individual:
        case LineKind::Family:
        case LineKind::Note:
            startRecord(*tableOf(kind), head);
            break;
        case LineKind::Trailer:
            throw std::logic_error("a trailer is staged whole");
    }
    return kind;
}

void BlockStager::acceptMore(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t size = database_.blockSize();
        if (size >= kBlockPartSize) {
            // The line goes on in the next part of the same record.
            database_.appendToBlock(std::string_view(&kLineGoesOn, 1));
            stagePending();
            openBlock();
            continue;
        }
        const size_t taken = std::min(kBlockPartSize - size, bytes.size());
        database_.appendToBlock(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
    }
}

void BlockStager::finish() {
    stagePending();
}

void BlockStager::startRecord(Table table, std::string_view head) {
    stagePending();
    pending_ = table;
    pendingNumber_ = rules_.numberOf(head).keptIn(pendingDigits_);
    openBlock();
}

void BlockStager::openBlock() {
    database_.beginBlock(pending_, pendingNumber_);
    open_ = true;
}

void BlockStager::stagePending() {
    // A file that starts with a record has no header part: nothing to stage for it.
    if (!open_) return;
    open_ = false;
    database_.endBlock();
}

}  // namespace brelin

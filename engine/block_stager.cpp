#include "block_stager.h"

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

BlockStager::BlockStager(StagingDatabase& database) : database_(database) {}

void BlockStager::reset() {
    pending_ = Table::Individuals;
    pendingNumber_ = 0;
    open_ = false;
    inHeaderPart_ = true;
    sourcesSeen_ = false;
    trailerSeen_ = false;
    trailer_.clear();
}

LineKind BlockStager::accept(std::string_view line) {
    const LineKind kind = gedcom::classifyLine(line);
    switch (kind) {
        case LineKind::Ordinary:
            if (!open_) {
                openBlock();
            } else if (database_.blockSize() + line.size() + gedcom::kLineEnd.size() >
                       kBlockPartSize) {
                stagePending();
                openBlock();
            } else {
                database_.appendToBlock(gedcom::kLineEnd);
            }
            database_.appendToBlock(line);
            break;
        case LineKind::Source:
            sourcesSeen_ = true;
            [[fallthrough]];
        case LineKind::Individual:
        case LineKind::Family:
        case LineKind::Note:
            startRecord(*tableOf(kind), line);
            break;
        case LineKind::Trailer:
            stagePending();
            inHeaderPart_ = false;
            trailerSeen_ = true;
            trailer_.assign(line);
            break;
    }
    return kind;
}

void BlockStager::finish() {
    stagePending();
}

void BlockStager::startRecord(Table table, std::string_view line) {
    stagePending();
    inHeaderPart_ = false;
    pending_ = table;
    pendingNumber_ = gedcom::wholeNumber(gedcom::recordNumberText(line));
    openBlock();
    database_.appendToBlock(line);
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

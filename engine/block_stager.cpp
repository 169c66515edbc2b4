#include "block_stager.h"

namespace brelin {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view trimEnd(std::string_view text) {
    const auto last = text.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

LineKind classifyLine(std::string_view line) {
    // Nearly every line is below level 0: one test settles them.
    if (line.size() < 4 || line[0] != '0') return LineKind::Ordinary;
    if (startsWith(line, "0 TRLR")) return LineKind::Trailer;
    if (startsWith(line, "0 @I")) return LineKind::Individual;
    if (startsWith(line, "0 @F")) return LineKind::Family;
    if (startsWith(line, "0 @N")) return LineKind::Note;
    if (startsWith(line, "0 @S") && endsWith(trimEnd(line), "SOUR")) return LineKind::Source;
    return LineKind::Ordinary;
}

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

std::string_view recordNumberText(std::string_view line) {
    const std::string_view rest = line.substr(std::min<size_t>(4, line.size()));
    return rest.substr(0, rest.find('@'));
}

std::optional<int64_t> wholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
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
    const LineKind kind = classifyLine(line);
    switch (kind) {
        case LineKind::Ordinary:
            if (!open_) {
                openBlock();
            } else if (database_.blockSize() + line.size() + 2 > kBlockPartSize) {
                stagePending();
                openBlock();
            } else {
                database_.appendToBlock("\r\n");
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
    pendingNumber_ = wholeNumber(recordNumberText(line));
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

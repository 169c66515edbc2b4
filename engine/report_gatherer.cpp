// Implementation details: records with a whole number come out of the store side by side with
// their equals, so the write-out finds the xrefs repeated among them, and the numbers spelled two
// ways, by comparing neighbours. The other level-0 lines' xrefs (notes with letters, media,
// repositories…) are kept as 64-bit hashes, sorted once staged; the write-out gives the texts of
// those that repeat. The lines of what was found are read again from the input at the end, which
// only a run with something to report pays for.
#include "report_gatherer.h"

#include <algorithm>

#include "gedcom_line.h"
#include "line_reader.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace brelin {

using gedcom::isValidUtf8;
using gedcom::parseLevelZero;

namespace {

uint64_t hashOf(std::string_view text) {
    return XXH3_64bits(text.data(), text.size());
}

}  // namespace

void LineTally::add(std::string_view line) {
    ++count;
    digest += hashOf(line);
}

void ReportGatherer::begin(bool byteOrderMark) {
    report_.byteOrderMark = byteOrderMark;
    report_.utf8 = byteOrderMark;
}

void ReportGatherer::line(LineKind kind, std::string_view text, int64_t lineNumber) {
    staged_.add(text);
    if (gedcom::isLevelZero(text)) levelZero(kind, text, lineNumber);
    if (inHeader_) {
        if (kind == LineKind::Ordinary) {
            ++report_.headerLines;
            if (!report_.declaredChar) {
                if (const auto value = gedcom::charDeclaration(text)) {
                    report_.declaredChar = std::string(*value);
                    if (gedcom::namesUtf8(*value)) report_.utf8 = true;
                }
            }
        }
        // Before the declaration is read, whether the file is UTF-8 is not known yet.
        if (!isValidUtf8(text)) headerInvalidUtf8_.push_back(lineNumber);
    } else if (report_.utf8 && !isValidUtf8(text)) {
        report_.invalidUtf8Lines.push_back(lineNumber);
    }
}

void ReportGatherer::levelZero(LineKind kind, std::string_view text, int64_t lineNumber) {
    const gedcom::LevelZero parts = parseLevelZero(text);
    record_.assign(parts.xref.empty() ? parts.tag : parts.xref);

    const std::optional<Table> table = tableOf(kind);
    if (kind == LineKind::Trailer) {
        report_.trailer = true;
        leaveHeader();
        return;
    }
    if (!table) {
        if (!inHeader_) ++report_.otherRecords[std::string(parts.tag)];
        if (!parts.xref.empty()) otherXrefs_.push_back(hashOf(parts.xref));
        return;
    }
    switch (*table) {
        case Table::Individuals:
            ++report_.records.individuals;
            break;
        case Table::Families:
            ++report_.records.families;
            break;
        case Table::Sources:
            ++report_.records.sources;
            break;
        case Table::Notes:
            ++report_.records.notes;
            break;
    }
    leaveHeader();
    const std::optional<int64_t> number = gedcom::wholeNumber(gedcom::recordNumberText(text));
    if (!number) {
        report_.nonWholeNumbers.push_back(lineNumber);
        if (!parts.xref.empty()) otherXrefs_.push_back(hashOf(parts.xref));
    }
    // Written in order of (table, whole numbers first, number), ties in input order.
    const std::tuple<int, int, int64_t> key{static_cast<int>(*table), number ? 0 : 1,
                                            number.value_or(0)};
    if (key < lastKey_) report_.alreadyInOrder = false;
    lastKey_ = key;
}

void ReportGatherer::leaveHeader() {
    if (!inHeader_) return;
    inHeader_ = false;
    if (report_.utf8) report_.invalidUtf8Lines = std::move(headerInvalidUtf8_);
    headerInvalidUtf8_ = {};
}

void ReportGatherer::lineCut(int64_t lineNumber) {
    report_.cutLines.push_back({lineNumber, record_});
}

void ReportGatherer::lineContinued(int64_t lineNumber) {
    report_.continuedLines.push_back({lineNumber, record_});
}

void ReportGatherer::staged(int64_t linesRead) {
    report_.linesRead = linesRead;
    leaveHeader();
    report_.linesStaged = staged_.count;
}

void ReportGatherer::findDuplicates() {
    std::sort(otherXrefs_.begin(), otherXrefs_.end());
    for (size_t i = 1; i < otherXrefs_.size(); ++i) {
        const uint64_t hash = otherXrefs_[i];
        if (hash == otherXrefs_[i - 1] &&
            (otherDuplicates_.empty() || otherDuplicates_.back() != hash))
            otherDuplicates_.push_back(hash);
    }
}

void ReportGatherer::beginWriteOut() {
    written_ = {};
    duplicateTexts_.clear();
    equalSpellings_.clear();
    writtenTable_ = Table::Individuals;
    writtenNumber_.reset();
    writtenXref_.clear();
    sameNumber_.clear();
    report_.linesWritten = 0;
    report_.verified = false;
}

void ReportGatherer::writtenLine(std::string_view line) {
    written_.add(line);
    // Nearly every line is below level 0: one test settles them.
    if (line.size() < 4 || !gedcom::isLevelZero(line)) return;
    std::string_view xref;
    bool whole = false;
    if (const std::optional<Table> table = tableOf(gedcom::classifyLine(line))) {
        // A record's line starts a row of its kind's table, where records come in order of
        // their numbers: equal numbers come side by side.
        const std::optional<int64_t> number = gedcom::wholeNumber(gedcom::recordNumberText(line));
        xref = parseLevelZero(line).xref;
        whole = number.has_value();
        if (number && number == writtenNumber_ && *table == writtenTable_) {
            if (sameNumber_.empty()) sameNumber_.push_back(writtenXref_);
            sameNumber_.emplace_back(xref);
        } else {
            closeEqualNumbers();
        }
        writtenTable_ = *table;
        writtenNumber_ = number;
        writtenXref_.assign(xref);
    } else if (line[2] == '@') {
        xref = parseLevelZero(line).xref;
    }
    if (xref.empty() || otherXrefs_.empty()) return;
    // A record with a whole number whose xref another level-0 line carries too, or one of the
    // other lines' xrefs found twice.
    const uint64_t hash = hashOf(xref);
    const std::vector<uint64_t>& seen = whole ? otherXrefs_ : otherDuplicates_;
    if (std::binary_search(seen.begin(), seen.end(), hash)) duplicateTexts_.emplace(xref);
}

void ReportGatherer::closeEqualNumbers() {
    if (sameNumber_.empty()) return;
    std::vector<std::string> spellings = std::move(sameNumber_);
    sameNumber_.clear();
    std::sort(spellings.begin(), spellings.end());
    for (size_t i = 1; i < spellings.size(); ++i) {
        if (spellings[i] == spellings[i - 1]) duplicateTexts_.insert(spellings[i]);
    }
    spellings.erase(std::unique(spellings.begin(), spellings.end()), spellings.end());
    if (spellings.size() >= 2) equalSpellings_.push_back(std::move(spellings));
}

bool ReportGatherer::verify() {
    closeEqualNumbers();
    report_.linesWritten = written_.count;
    report_.verified = written_ == staged_;
    return report_.verified;
}

void ReportGatherer::locate(ByteSource& input) {
    std::map<std::string, std::vector<int64_t>, std::less<>> lines;
    for (const std::string& xref : duplicateTexts_) lines[xref];
    for (const auto& spellings : equalSpellings_) {
        for (const std::string& xref : spellings) lines[xref];
    }
    LineReader reader(input);
    Line line;
    for (int64_t number = 1; number <= report_.linesRead && reader.next(line); ++number) {
        const std::string_view head = line.head;
        if (head.size() < 3 || !gedcom::isLevelZero(head) || head[2] != '@') continue;
        const auto found = lines.find(parseLevelZero(head).xref);
        if (found != lines.end()) found->second.push_back(number);
    }

    for (const std::string& xref : duplicateTexts_) {
        std::vector<int64_t>& found = lines[xref];
        if (found.size() >= 2) report_.duplicateXrefs.emplace_back(xref, found);
    }
    std::sort(report_.duplicateXrefs.begin(), report_.duplicateXrefs.end(),
              [](const auto& a, const auto& b) { return a.second.front() < b.second.front(); });
    for (const auto& spellings : equalSpellings_) {
        std::vector<int64_t> group;
        for (const std::string& xref : spellings) {
            const std::vector<int64_t>& found = lines[xref];
            group.insert(group.end(), found.begin(), found.end());
        }
        std::sort(group.begin(), group.end());
        report_.equalNumbers.push_back(std::move(group));
    }
    std::sort(report_.equalNumbers.begin(), report_.equalNumbers.end());
}

}  // namespace brelin

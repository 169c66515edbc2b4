// Implementation details: records with a whole number come out of the store side by side with
// their equals, so the write-out finds the xrefs repeated among them, and the numbers spelled two
// ways, by comparing neighbours. The other level-0 lines' xrefs (notes with letters, media,
// repositories…) are kept as 64-bit hashes, sorted once staged; the write-out gives the texts of
// those that repeat. The lines of what was found, and of pointers to nothing, are read again from
// the input at the end, which only a run with something to report pays for.
#include "report_gatherer.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "line_reader.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace brelin {

using gedcom::parseLevelZero;
using gedcom::TextBytes;

namespace {

// The hash of one line for the self-check; a line given in pieces (Pieces) hashes the same.
inline uint64_t lineHash(std::string_view line) {
    return XXH3_64bits(line.data(), line.size());
}

}  // namespace

// A line given in pieces: its hash so far, its first bytes, and what its bytes show.
struct ReportGatherer::Pieces {
    XXH3_state_t state;
    std::string head;
    gedcom::TextBytesScan bytes;
    LineKind kind = LineKind::Ordinary;
    int64_t lineNumber = 0;

    void start() {
        XXH3_64bits_reset(&state);
        head.clear();
        bytes = {};
    }
    void add(std::string_view piece) {
        XXH3_64bits_update(&state, piece.data(), piece.size());
        if (head.size() < LineReader::kKeptBytes)
            head.append(piece.substr(0, LineReader::kKeptBytes - head.size()));
    }
};

void LineTally::add(std::string_view line) {
    addHash(lineHash(line));
}

ReportGatherer::ReportGatherer()
    : stagedPieces_(std::make_unique<Pieces>()), writtenPieces_(std::make_unique<Pieces>()) {}

ReportGatherer::~ReportGatherer() = default;

void ReportGatherer::begin(bool byteOrderMark, const gedcom::HeaderFacts& header) {
    report_.byteOrderMark = byteOrderMark;
    report_.gedcomVersion = header.version();
    report_.version7 = header.version7();
    // Version 7 is UTF-8, whatever it declares.
    report_.utf8 = byteOrderMark || report_.version7;
}

void ReportGatherer::line(LineKind kind, std::string_view text, int64_t lineNumber, bool whole,
                          SplitBytes split) {
    staged_.add(text);
    if (gedcom::isLevelZero(text)) {
        levelZero(kind, text, lineNumber);
    } else if (whole && gedcom::mayHoldPointer(text)) [[unlikely]] {
        if (const auto pointer = gedcom::pointerValue(text)) pointers_.pointer(*pointer);
    }
    if (inHeader_ && kind == LineKind::Ordinary) [[unlikely]]
        headerLine(text);
    // Once a line is not UTF-8, only a UTF-8 file (or the header, before its declaration is
    // known) needs its lines looked at.
    if (inHeader_ || report_.utf8 || !seenEightBit_) {
        const bool splitIn = split.atValueStart > 0 || split.atEnd > 0;
        judgeBytes(lineNumber, splitIn ? bytesOf(text, split) : gedcom::textBytes(text));
    }
}

void ReportGatherer::headerLine(std::string_view text) {
    ++report_.headerLines;
    if (report_.declaredChar) return;
    if (const auto value = gedcom::charDeclaration(text)) {
        report_.declaredChar = std::string(*value);
        if (gedcom::namesUtf8(*value)) report_.utf8 = true;
    }
}

TextBytes ReportGatherer::bytesOf(std::string_view text, SplitBytes split) {
    std::string rest(text.substr(0, text.size() - split.atEnd));
    if (split.atValueStart > 0) {
        if (const auto value = gedcom::valueStart(rest)) rest.erase(*value, split.atValueStart);
    }
    const TextBytes bytes = gedcom::textBytes(rest);
    // The character itself is not ASCII.
    return bytes == TextBytes::Ascii ? TextBytes::Utf8 : bytes;
}

void ReportGatherer::judgeBytes(int64_t lineNumber, TextBytes bytes) {
    if (bytes == TextBytes::Utf8) seenNonAscii_ = true;
    if (bytes != TextBytes::EightBit) return;
    seenEightBit_ = true;
    // Before the declaration is read, whether the file is UTF-8 is not known yet.
    if (inHeader_) {
        headerInvalidUtf8_.push_back(lineNumber);
    } else if (report_.utf8) {
        report_.invalidUtf8Lines.push_back(lineNumber);
    }
}

void ReportGatherer::lineStart(LineKind kind, std::string_view head, int64_t lineNumber) {
    stagedPieces_->start();
    stagedPieces_->kind = kind;
    stagedPieces_->lineNumber = lineNumber;
    if (gedcom::isLevelZero(head)) levelZero(kind, head, lineNumber);
    if (inHeader_ && kind == LineKind::Ordinary) ++report_.headerLines;
}

void ReportGatherer::lineMore(std::string_view bytes) {
    stagedPieces_->add(bytes);
    stagedPieces_->bytes.add(bytes);
}

void ReportGatherer::lineEnd() {
    Pieces& pieces = *stagedPieces_;
    staged_.addHash(XXH3_64bits_digest(&pieces.state));
    judgeBytes(pieces.lineNumber, pieces.bytes.result());
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
    if (report_.trailer) ++report_.recordsAfterTrailer;
    if (!parts.xref.empty()) {
        pointers_.record(parts.xref);
        // The tag's group and the xref's disagree: the record is not where its tag says.
        const LineKind tagKind = gedcom::recordKindOfTag(parts.tag);
        if (tagKind != kind)
            report_.groupMismatches.push_back(
                {lineNumber, std::string(parts.xref), std::string(parts.tag), kind});
    }
    if (!table) {
        if (!inHeader_) ++report_.otherRecords[std::string(parts.tag)];
        if (!parts.xref.empty()) otherXrefs_.push_back(lineHash(parts.xref));
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
        if (!parts.xref.empty()) otherXrefs_.push_back(lineHash(parts.xref));
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

void ReportGatherer::lineContinued(int64_t lineNumber, int64_t parts) {
    report_.continuedLines.push_back({lineNumber, record_});
    report_.concLinesAdded += parts - 1;
}

void ReportGatherer::splitCharacter(int64_t concLine, bool repaired) {
    report_.splitCharacters.push_back(concLine);
    if (repaired) ++report_.concRepaired;
}

void ReportGatherer::staged(int64_t linesRead) {
    report_.linesRead = linesRead;
    leaveHeader();
    report_.linesStaged = staged_.count;
    settleEncoding();
    pointersMissing_ = pointers_.settle();
}

void ReportGatherer::settleEncoding() {
    const TextBytes seen = seenEightBit_   ? TextBytes::EightBit
                           : seenNonAscii_ ? TextBytes::Utf8
                                           : TextBytes::Ascii;
    report_.encodingSeen = seen;
    // A mark, version 7 and a UTF-8 declaration promise UTF-8; ASCII promises ASCII; any other
    // declaration, an 8-bit character set.
    bool mismatch = (report_.byteOrderMark || report_.version7) && seen == TextBytes::EightBit;
    if (report_.declaredChar) {
        std::string declared = *report_.declaredChar;
        std::transform(declared.begin(), declared.end(), declared.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (gedcom::namesUtf8(declared) || declared == "UNICODE") {
            mismatch = mismatch || seen == TextBytes::EightBit;
        } else if (declared == "ASCII") {
            mismatch = mismatch || seen != TextBytes::Ascii;
        } else {
            mismatch = mismatch || seen == TextBytes::Utf8;
        }
    }
    report_.encodingMismatch = mismatch;
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
    writtenInPieces_ = false;
    report_.linesWritten = 0;
    report_.verified = false;
}

void ReportGatherer::writtenPiece(std::string_view bytes) {
    if (!writtenInPieces_) writtenPieces_->start();
    writtenInPieces_ = true;
    writtenPieces_->add(bytes);
}

void ReportGatherer::writtenLine(std::string_view line) {
    if (writtenInPieces_) {
        writtenLastPiece(line);
        return;
    }
    written_.add(line);
    // Nearly every line is below level 0: one test settles them.
    if (line.size() >= 4 && gedcom::isLevelZero(line))
        writtenLevelZero(line.substr(0, LineReader::kKeptBytes));
}

void ReportGatherer::writtenLastPiece(std::string_view line) {
    Pieces& pieces = *writtenPieces_;
    pieces.add(line);
    writtenInPieces_ = false;
    written_.addHash(XXH3_64bits_digest(&pieces.state));
    if (pieces.head.size() >= 4 && gedcom::isLevelZero(pieces.head)) writtenLevelZero(pieces.head);
}

void ReportGatherer::writtenLevelZero(std::string_view line) {
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
    const std::vector<uint64_t>& seen = whole ? otherXrefs_ : otherDuplicates_;
    if (std::binary_search(seen.begin(), seen.end(), lineHash(xref))) duplicateTexts_.emplace(xref);
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
    gedcom::TrailerGate gate;
    Line line;
    for (int64_t number = 1; number <= report_.linesRead && reader.next(line); ++number) {
        const std::string_view head = line.head;
        // The lines the staging pass left out are not looked at.
        if (line.empty() || gate.pass(head) != gedcom::TrailerGate::Verdict::Take) continue;
        if (gedcom::isLevelZero(head)) {
            if (head.size() < 3 || head[2] != '@') continue;
            const auto found = lines.find(parseLevelZero(head).xref);
            if (found != lines.end()) found->second.push_back(number);
        } else if (pointersMissing_ && line.length <= gedcom::kLineLimit) {
            const auto pointer = gedcom::pointerValue(head);
            if (pointer && pointers_.missing(*pointer))
                report_.missingPointers.push_back({number, std::string(*pointer)});
        }
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

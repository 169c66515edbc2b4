#include "report_gatherer.h"

#include <algorithm>

#include "self_check.h"

namespace brelin {

using gedcom::LineKind;
using gedcom::TextBytes;

void ReportGatherer::begin(bool byteOrderMark, const gedcom::HeaderFacts& header) {
    report_.byteOrderMark = byteOrderMark;
    report_.gedcomVersion = header.version();
    report_.version7 = header.version7();
    // Version 7 is UTF-8, whatever it declares.
    report_.utf8 = byteOrderMark || report_.version7;
}

void ReportGatherer::levelZero(LineKind kind, const gedcom::LevelZero& parts,
                               const RecordNumber& number, int64_t lineNumber, bool byTag) {
    record_.assign(parts.xref.empty() ? parts.tag : parts.xref);
    if (kind == LineKind::Trailer) {
        // The header part goes on after an early trailer: the records kept after it are written
        // where they would be before it, so they count as they would there.
        report_.trailer = true;
        return;
    }
    if (report_.trailer) {
        ++report_.recordsAfterTrailer;
        // The trailer, written last, changes place.
        report_.alreadyInOrder = false;
    }
    // The tag's group and the xref's disagree: the record is not where its tag says.
    if (!parts.xref.empty() && gedcom::recordKindOfTag(parts.tag) != kind)
        report_.groupMismatches.push_back(
            {lineNumber, std::string(parts.xref), std::string(parts.tag), kind});
    switch (kind) {
        case LineKind::Individual:
            ++report_.records.individuals;
            break;
        case LineKind::Family:
            ++report_.records.families;
            break;
        case LineKind::Source:
            ++report_.records.sources;
            break;
        case LineKind::Note:
            ++report_.records.notes;
            break;
        case LineKind::Ordinary:
        case LineKind::Trailer:
            if (!inHeader_) ++report_.otherRecords[std::string(parts.tag)];
            return;
    }
    leaveHeader();
    if (byTag) numberedByTag(parts);
    if (!number.isWhole()) report_.nonWholeNumbers.push_back(lineNumber);
    // Written in order of group, then number (record_number.h), ties in input order.
    if (kind < lastKind_ || (kind == lastKind_ && compare(number, lastNumber_) < 0)) {
        report_.alreadyInOrder = false;
        report_.recordsInOrder = false;
    }
    lastKind_ = kind;
    lastNumber_ = number.keptIn(lastDigits_);
}

void ReportGatherer::numberedByTag(const gedcom::LevelZero& parts) {
    auto& groups = report_.numberedByTag;
    const auto group = std::find_if(groups.begin(), groups.end(),
                                    [&](const TagNumbering& g) { return g.tag == parts.tag; });
    if (group != groups.end()) {
        ++group->records;
        return;
    }
    // In the order of the groups, each group's tags in the order they come.
    const auto after = std::find_if(groups.begin(), groups.end(), [&](const TagNumbering& g) {
        return gedcom::recordKindOfTag(g.tag) > gedcom::recordKindOfTag(parts.tag);
    });
    groups.insert(after, {std::string(parts.tag), 1, std::string(parts.xref)});
}

void ReportGatherer::line(LineKind kind, std::string_view text, int64_t lineNumber,
                          SplitBytes split) {
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

void ReportGatherer::lineStart(LineKind kind, int64_t lineNumber) {
    pieces_ = {};
    piecesLine_ = lineNumber;
    if (inHeader_ && kind == LineKind::Ordinary) ++report_.headerLines;
}

void ReportGatherer::lineEnd() {
    judgeBytes(piecesLine_, pieces_.result());
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

void ReportGatherer::staged(int64_t linesRead, const SelfCheck& check) {
    report_.linesRead = linesRead;
    leaveHeader();
    report_.linesStaged = check.linesStaged();
    settleEncoding();
}

void ReportGatherer::written(const SelfCheck& check) {
    report_.linesWritten = check.linesWritten();
    report_.verified = check.verify();
}

void ReportGatherer::settleEncoding() {
    const TextBytes seen = seenEightBit_   ? TextBytes::EightBit
                           : seenNonAscii_ ? TextBytes::Utf8
                                           : TextBytes::Ascii;
    report_.encodingSeen = seen;
    report_.encodingMismatch = encodingDisagreement(report_).any();
}

}  // namespace brelin

// Implementation details: records with a whole number come out of the store side by side with
// their equals, so the write-out finds the xrefs repeated among them, and the numbers spelled two
// ways, by comparing neighbours. The other level-0 lines' xrefs (notes with letters, media,
// repositories…) are kept as 64-bit hashes, sorted once staged. The texts and lines of what was
// found, and the lines of pointers to nothing, are read again from the input at the end, which
// only a run with something to report pays for.
#include "xref_findings.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "gedcom_file.h"
#include "line_reader.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace brelin {

using gedcom::LineKind;

namespace {

uint64_t hashOf(std::string_view xref) {
    return XXH3_64bits(xref.data(), xref.size());
}

bool isRecord(LineKind kind) {
    return kind != LineKind::Ordinary && kind != LineKind::Trailer;
}

// True for an xref that a record with a whole number may have under the usual rule: "@", a
// group's letter, digits, and the closing "@" where there is one.
bool looksWhole(std::string_view xref) {
    if (xref.size() < 3 || xref[0] != '@') return false;
    if (xref[1] != 'I' && xref[1] != 'F' && xref[1] != 'N' && xref[1] != 'S') return false;
    std::string_view digits = xref.substr(2);
    if (digits.back() == '@') digits.remove_suffix(1);
    return RecordNumber::ofDigits(digits).isWhole();
}

// True for an xref with a digit, which a record placed by its tag may have with a whole number.
bool holdsDigit(std::string_view xref) {
    return xref.find_first_of("0123456789") != std::string_view::npos;
}

}  // namespace

void XrefFindings::levelZero(LineKind kind, std::string_view xref, bool wholeNumber) {
    if (xref.empty()) return;
    pointers_.record(xref);
    if (isRecord(kind) && wholeNumber) return;
    otherXrefs_.push_back(hashOf(xref));
    if (looksWhole(xref) || (!rules_.byTag().empty() && holdsDigit(xref))) [[unlikely]]
        othersLookWhole_ = true;
}

void XrefFindings::staged() {
    std::sort(otherXrefs_.begin(), otherXrefs_.end());
    for (size_t i = 1; i < otherXrefs_.size(); ++i) {
        const uint64_t hash = otherXrefs_[i];
        if (hash == otherXrefs_[i - 1] &&
            (otherDuplicates_.empty() || otherDuplicates_.back() != hash))
            otherDuplicates_.push_back(hash);
    }
    pointersMissing_ = pointers_.settle();
}

void XrefFindings::beginWriteOut() {
    duplicateTexts_.clear();
    equalSpellings_.clear();
    writtenKind_ = LineKind::Ordinary;
    writtenNumber_ = {};
    writtenXref_.clear();
    sameNumber_.clear();
}

void XrefFindings::writtenRow(std::string_view row, const RecordNumber& number) {
    // A row's lines are joined by CR LF; a part of a long line ends with an LF instead.
    const void* cr = std::memchr(row.data(), '\r', row.size());
    std::string_view head =
        cr ? row.substr(0, static_cast<size_t>(static_cast<const char*>(cr) - row.data())) : row;
    if (!head.empty() && head.back() == '\n') head.remove_suffix(1);
    const LineKind kind = rules_.kindOf(head);
    // The header part, or a later part of a long record.
    if (!isRecord(kind)) return;
    const std::string_view xref = gedcom::parseLevelZero(head).xref;
    if (number.isWhole() && number == writtenNumber_ && kind == writtenKind_) {
        if (sameNumber_.empty()) sameNumber_.push_back(writtenXref_);
        sameNumber_.emplace_back(xref);
    } else {
        closeEqualNumbers();
    }
    writtenKind_ = kind;
    writtenNumber_ = number.keptIn(writtenDigits_);
    writtenXref_.assign(xref);
    // A record with a whole number whose xref another level-0 line carries too.
    if (number.isWhole() && othersLookWhole_ && !xref.empty() &&
        std::binary_search(otherXrefs_.begin(), otherXrefs_.end(), hashOf(xref)))
        duplicateTexts_.emplace(xref);
}

void XrefFindings::endWriteOut() {
    closeEqualNumbers();
}

void XrefFindings::closeEqualNumbers() {
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

void XrefFindings::locate(ByteSource& input, int64_t linesRead, RunReport& report) {
    std::map<std::string, std::vector<int64_t>, std::less<>> lines;
    for (const std::string& xref : duplicateTexts_) lines[xref];
    for (const auto& spellings : equalSpellings_) {
        for (const std::string& xref : spellings) lines[xref];
    }
    // The texts of the other xrefs whose hash was found twice.
    std::set<std::string, std::less<>> others;
    LineReader reader(input);
    gedcom::TrailerGate gate;
    Line line;
    for (int64_t number = 1; number <= linesRead && reader.next(line); ++number) {
        const std::string_view head = line.head;
        // The lines the staging pass left out are not looked at.
        if (line.empty() || gate.pass(head) != gedcom::TrailerGate::Verdict::Take) continue;
        if (gedcom::isLevelZero(head)) {
            if (head.size() < 3 || head[2] != '@') continue;
            const std::string_view xref = gedcom::parseLevelZero(head).xref;
            auto found = lines.find(xref);
            if (found == lines.end() && !otherDuplicates_.empty() &&
                std::binary_search(otherDuplicates_.begin(), otherDuplicates_.end(),
                                   hashOf(xref))) {
                others.emplace(xref);
                found = lines.emplace(std::string(xref), std::vector<int64_t>()).first;
            }
            if (found != lines.end()) found->second.push_back(number);
        } else if (pointersMissing_ && line.length <= gedcom::kLineLimit) {
            const auto pointer = gedcom::pointerValue(head);
            if (pointer && pointers_.missing(*pointer))
                report.missingPointers.push_back({number, std::string(*pointer)});
        }
    }

    others.insert(duplicateTexts_.begin(), duplicateTexts_.end());
    for (const std::string& xref : others) {
        std::vector<int64_t>& found = lines[xref];
        if (found.size() >= 2) report.duplicateXrefs.emplace_back(xref, found);
    }
    std::sort(report.duplicateXrefs.begin(), report.duplicateXrefs.end(),
              [](const auto& a, const auto& b) { return a.second.front() < b.second.front(); });
    for (const auto& spellings : equalSpellings_) {
        std::vector<int64_t> group;
        for (const std::string& xref : spellings) {
            const std::vector<int64_t>& found = lines[xref];
            group.insert(group.end(), found.begin(), found.end());
        }
        std::sort(group.begin(), group.end());
        report.equalNumbers.push_back(std::move(group));
    }
    std::sort(report.equalNumbers.begin(), report.equalNumbers.end());
}

}  // namespace brelin

// What a run finds about the file's xrefs, for its report: the xrefs carried by more than one
// level-0 line, the records of one group whose whole numbers are equal but written differently
// ("@I12@", "@I012@"), and the pointers to records that are not in the file.
//
// Fed in this order: the staging pass's level-0 lines and pointer lines, then staged(); then a
// write-out's rows, from beginWriteOut() to endWriteOut() (again from beginWriteOut() for
// another write-out after a failed one); then, where wantsLines(), locate() reads the input again
// for the lines of what was found. One thread at a time; staged() may run on another thread than
// the staging pass, once it is over.
//
// Memory: 8 bytes per level-0 line with an xref other than a record with a whole number, the
// pointer check's pages and hashes (pointer_check.h), and what was found.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"
#include "gedcom_line.h"
#include "pointer_check.h"
#include "record_number.h"
#include "record_rules.h"
#include "run_report.h"

namespace brelin {

class XrefFindings {
public:
    // Records are those rules place.
    explicit XrefFindings(RecordRules rules = {}) : rules_(rules) {}

    // A level-0 line staged, other than a trailer: its kind (a record's, or Ordinary), its xref
    // (empty when it has none), and for a record whether its number is a whole number.
    void levelZero(gedcom::LineKind kind, std::string_view xref, bool wholeNumber);
    // A line below level 0 staged whole, which may hold a pointer (gedcom::mayHoldPointer).
    void pointerLine(std::string_view line) {
        if (const auto pointer = gedcom::pointerValue(line)) pointers_.pointer(*pointer);
    }
    // The staging pass is over.
    void staged();

    // A write-out begins: what an earlier one, which failed, found is forgotten.
    void beginWriteOut();
    // A row of the write-out that begins with a line of its own: its bytes from its first line
    // on, and the number it was staged under. Rows of one table come in order of their numbers,
    // so that records with equal numbers come side by side.
    void writtenRow(std::string_view row, const RecordNumber& number);
    void endWriteOut();

    // True when something was found whose lines are to be read again from the input.
    bool wantsLines() const {
        return !duplicateTexts_.empty() || !equalSpellings_.empty() || !otherDuplicates_.empty() ||
               pointersMissing_;
    }
    // Reads the input again over its first linesRead lines, those the staging pass took, and
    // puts into report the duplicate xrefs, the equal numbers and the missing pointers with their
    // lines: rare, so that a common run keeps no line number of its records.
    void locate(ByteSource& input, int64_t linesRead, RunReport& report);

private:
    void closeEqualNumbers();

    // The hashes of the xrefs of the level-0 lines other than records with a whole number,
    // sorted once staged, and those among them found twice, whose texts locate() finds. A record
    // with a whole number needs no room here: it comes out of the store beside its equals, where
    // the write-out compares their xrefs.
    std::vector<uint64_t> otherXrefs_;
    std::vector<uint64_t> otherDuplicates_;
    RecordRules rules_;
    // Some of those xrefs have the form of a record's with a whole number ("@S12@" on a
    // repository; any with a digit where a group is numbered by tag): only then are the
    // write-out's records looked for among them.
    bool othersLookWhole_ = false;
    PointerCheck pointers_;
    bool pointersMissing_ = false;
    // What the write-out found: records' xrefs on more than one level-0 line, and the spellings
    // of one number in one group.
    std::set<std::string, std::less<>> duplicateTexts_;
    std::vector<std::vector<std::string>> equalSpellings_;
    // The write-out's last record and, while the records that follow it have the same whole
    // number, their xrefs.
    gedcom::LineKind writtenKind_ = gedcom::LineKind::Ordinary;
    RecordNumber writtenNumber_;
    std::string writtenDigits_;  // a long written number's
    std::string writtenXref_;
    std::vector<std::string> sameNumber_;
};

}  // namespace brelin

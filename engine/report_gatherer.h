// Gathers the user's report of a run from the lines the staging pass takes: the counts, the
// header part, the records that deserve a look, the lines left out, cut or continued, the
// encoding seen. The self-check (self_check.h) and the xref findings (xref_findings.h) watch the
// same lines for their own ends; the report takes what they found once they are done.
//
// Fed in this order: begin(), then the staging pass's lines (a level-0 line's levelZero() before
// its line(); a line given in pieces by lineStart, linePiece and lineEnd; emptyLine, lineCut,
// lineContinued, afterTrailer and splitCharacter as they come), then staged(), then written()
// after each write-out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gedcom_file.h"
#include "gedcom_line.h"
#include "record_number.h"
#include "run_report.h"

namespace brelin {

class SelfCheck;

// The bytes of split characters in a staged line (gedcom::splitCharacter), left out when its
// bytes are judged as UTF-8: those at the start of its value, those at its end.
struct SplitBytes {
    size_t atValueStart = 0;
    size_t atEnd = 0;
};

class ReportGatherer {
public:
    // byteOrderMark: the input starts with a UTF-8 byte-order mark; header: what its header
    // part says.
    void begin(bool byteOrderMark, const gedcom::HeaderFacts& header = {});
    // A level-0 line as it is staged, of the kind the stager gave it, its parts, and for a
    // record its number and whether its tag placed it (record_rules.h).
    void levelZero(gedcom::LineKind kind, const gedcom::LevelZero& parts,
                   const RecordNumber& number, int64_t lineNumber, bool byTag = false);
    // A non-empty line as it is staged (cut where it had to be), after levelZero() for a
    // level-0 line.
    void line(gedcom::LineKind kind, std::string_view text, int64_t lineNumber,
              SplitBytes split = {});
    // A line staged in pieces (kept whole however long): its kind, then every byte of it from
    // its start, then its end.
    void lineStart(gedcom::LineKind kind, int64_t lineNumber);
    void linePiece(std::string_view bytes) { pieces_.add(bytes); }
    void lineEnd();
    void emptyLine() { ++report_.emptyLines; }
    // The line just given was cut, or continued on parts CONC lines.
    void lineCut(int64_t lineNumber);
    void lineContinued(int64_t lineNumber, int64_t parts);
    // A non-empty line after the trailer, left out.
    void afterTrailer(int64_t lineNumber) {
        if (report_.firstLinesAfterTrailer.size() < RunReport::kFirstLinesKept)
            report_.firstLinesAfterTrailer.push_back(lineNumber);
        ++report_.linesAfterTrailer;
    }
    // The CONC line concLine begins inside a character that the line before it ends with;
    // repaired: the split was moved between characters.
    void splitCharacter(int64_t concLine, bool repaired);
    // The staging pass is over; linesRead lines up to the last one taken.
    void staged(int64_t linesRead, const SelfCheck& check);
    // A write-out is over, checked by check.
    void written(const SelfCheck& check);

    RunReport& report() { return report_; }

private:
    // A line of the header part, other than a record's.
    void headerLine(std::string_view text);
    // A record placed by its tag: counted with its tag's.
    void numberedByTag(const gedcom::LevelZero& parts);
    // What the bytes of a staged line show, for the encoding seen and the invalid lines.
    void judgeBytes(int64_t lineNumber, gedcom::TextBytes bytes);
    // The bytes of a line that holds split characters, without them.
    static gedcom::TextBytes bytesOf(std::string_view text, SplitBytes split);
    void leaveHeader();
    void settleEncoding();

    RunReport report_;
    bool inHeader_ = true;
    // The xref, or the tag, of the last level-0 line: the record the next lines belong to.
    std::string record_;
    std::vector<int64_t> headerInvalidUtf8_;
    // The output's order of the last record staged: its group, then its number.
    gedcom::LineKind lastKind_ = gedcom::LineKind::Ordinary;
    RecordNumber lastNumber_;
    std::string lastDigits_;  // a long last number's
    // What the bytes showed so far: every line is looked at until one is not UTF-8, and in a
    // UTF-8 file every line.
    bool seenNonAscii_ = false;
    bool seenEightBit_ = false;
    // The line given in pieces.
    gedcom::TextBytesScan pieces_;
    int64_t piecesLine_ = 0;
};

}  // namespace brelin

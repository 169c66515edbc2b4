// What a run did to its input, for the user: counts, the records that deserve a look, the lines
// left out or cut, the encoding seen, and whether the self-check passed. ReportGatherer fills it
// from the lines the staging pass takes and the blocks the write-out writes.
//
// The self-check: a count and an order-independent digest (the sum of a 64-bit hash per line,
// line end excluded) of every line staged, and the same of every line written; they must be
// equal before the output is committed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "block_stager.h"
#include "file_system.h"
#include "staging_database.h"

namespace brelin {

struct ReportedLine {
    int64_t line = 0;
    // The xref of the level-0 line the line belongs to, or that line's tag when it has none.
    std::string record;

    bool operator==(const ReportedLine&) const = default;
};

struct RunReport {
    struct Records {
        int64_t individuals = 0;
        int64_t families = 0;
        int64_t sources = 0;
        int64_t notes = 0;

        bool operator==(const Records&) const = default;
    };

    // The lines of the input up to the trailer (all of them without one), empty ones included:
    // the count the window's status bar shows.
    int64_t linesRead = 0;
    Records records;
    // The lines written before the first record.
    int64_t headerLines = 0;
    // Level-0 records after the first record that travel with the record before them, by tag.
    std::map<std::string, int64_t> otherRecords;
    // No record changed place.
    bool alreadyInOrder = true;
    // Xrefs found on more than one level-0 line, with those lines, by their first line.
    std::vector<std::pair<std::string, std::vector<int64_t>>> duplicateXrefs;
    // Records of one group with the same whole number under different xrefs (@I12@, @I012@):
    // the lines of each such group, ascending. Records that share the xref too are in
    // duplicateXrefs; a group is listed here only when it spells its number in two ways.
    std::vector<std::vector<int64_t>> equalNumbers;
    // Record lines whose number is not a whole number.
    std::vector<int64_t> nonWholeNumbers;
    std::vector<ReportedLine> cutLines;
    std::vector<ReportedLine> continuedLines;
    int64_t emptyLines = 0;
    // Non-empty lines after the trailer, which are neither staged nor written.
    int64_t linesAfterTrailer = 0;
    bool trailer = false;
    bool byteOrderMark = false;
    // The value of the header's "1 CHAR" line.
    std::optional<std::string> declaredChar;
    // In a UTF-8 file (mark or declaration): the lines holding bytes that are not valid UTF-8,
    // as far as they are written (the part of a cut line that is kept).
    std::vector<int64_t> invalidUtf8Lines;
    bool utf8 = false;
    // The self-check passed: the lines written are the lines staged.
    bool verified = false;
    int64_t linesStaged = 0;
    int64_t linesWritten = 0;

    // What the user is told after the run, as the short lines and the window's notice do.
    bool deservesAttention() const {
        return !cutLines.empty() || linesAfterTrailer > 0 || !trailer || !duplicateXrefs.empty() ||
               !invalidUtf8Lines.empty();
    }
};

// The lines' count and digest, the self-check's measure.
struct LineTally {
    int64_t count = 0;
    uint64_t digest = 0;

    void add(std::string_view line);
    bool operator==(const LineTally&) const = default;
};

// Fed in this order: begin(), the staging pass's lines (line, emptyLine, lineCut,
// lineContinued, afterTrailer), then staged(), findDuplicates(), then writtenLine() for every
// line the write-out writes, then verify(), then locate() where wantsLines(). The write-out's
// calls may come from a thread of their own (CheckedOutput), as long as no other call overlaps
// them. Memory: 8 bytes per level-0 line with an xref other than a record with a whole number,
// besides the lists of the report itself.
class ReportGatherer {
public:
    // byteOrderMark: the input starts with a UTF-8 byte-order mark.
    void begin(bool byteOrderMark);
    // A non-empty line as it is staged (cut where it had to be), of the kind the stager gave it.
    void line(LineKind kind, std::string_view text, int64_t lineNumber);
    void emptyLine() { ++report_.emptyLines; }
    // The line just given was cut, or continued on CONC lines.
    void lineCut(int64_t lineNumber);
    void lineContinued(int64_t lineNumber);
    // A non-empty line after the trailer.
    void afterTrailer() { ++report_.linesAfterTrailer; }
    // The staging pass is over; linesRead lines up to the trailer.
    void staged(int64_t linesRead);

    // Finds the xrefs staged more than once, whose texts the write-out's lines give.
    void findDuplicates();
    // One line the write-out writes, without its CR LF, in the order written.
    void writtenLine(std::string_view line);
    // True when the lines written are those staged.
    bool verify();
    // True when xrefs found twice, or numbers spelled two ways, want their lines.
    bool wantsLines() const { return !duplicateTexts_.empty() || !equalSpellings_.empty(); }
    // Reads the input again, up to its trailer, for the lines of those xrefs: rare, so that the
    // common run keeps no line number of its records.
    void locate(ByteSource& input);

    const RunReport& report() const { return report_; }
    RunReport& report() { return report_; }

private:
    void levelZero(LineKind kind, std::string_view text, int64_t lineNumber);
    void leaveHeader();
    void closeEqualNumbers();

    RunReport report_;
    LineTally staged_;
    LineTally written_;
    bool inHeader_ = true;
    std::string record_;
    std::vector<int64_t> headerInvalidUtf8_;
    // The output's order key of the last record staged: (table, whole numbers first, number).
    std::tuple<int, int, int64_t> lastKey_{0, 0, 0};

    // The hashes of the xrefs of the level-0 lines other than records with a whole number,
    // sorted once staged, and those among them found twice. A record with a whole number needs
    // no room here: it comes out of the store beside its equals, where the write-out compares
    // their xrefs.
    std::vector<uint64_t> otherXrefs_;
    std::vector<uint64_t> otherDuplicates_;
    // What the write-out found: xrefs on more than one level-0 line, and the spellings of one
    // number in one group; locate() finds their lines.
    std::set<std::string, std::less<>> duplicateTexts_;
    std::vector<std::vector<std::string>> equalSpellings_;
    // The write-out's last record and, while the records that follow it have the same whole
    // number, their xrefs.
    Table writtenTable_ = Table::Individuals;
    std::optional<int64_t> writtenNumber_;
    std::string writtenXref_;
    std::vector<std::string> sameNumber_;
};

// The report as one JSON object, keys as the README lists them. Bytes that are not valid UTF-8
// are written as \u00XX, the byte read as Latin-1; control characters as \u00XX.
std::string toJson(const RunReport& report);

// A JSON string literal, quotes included, by the same rule.
std::string jsonString(std::string_view bytes);

// bytes as UTF-8 text for the user: valid UTF-8 as it is, any other byte read as Latin-1,
// control characters as "\xNN".
std::string printableText(std::string_view bytes);

// True when text is valid UTF-8: no stray or missing continuation byte, no overlong form, no
// surrogate, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);

}  // namespace brelin

// Gathers a run's report from the lines the staging pass takes and the blocks the write-out
// writes, and keeps the self-check: a count and an order-independent digest (the sum of a 64-bit
// hash per line, line end excluded) of every line staged, and the same of every line written;
// they must be equal before the output is committed.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "block_stager.h"
#include "file_system.h"
#include "run_report.h"

namespace brelin {

// The lines' count and digest, the self-check's measure.
struct LineTally {
    int64_t count = 0;
    uint64_t digest = 0;

    void add(std::string_view line);
    bool operator==(const LineTally&) const = default;
};

// Fed in this order: begin(), the staging pass's lines (line, emptyLine, lineCut,
// lineContinued, afterTrailer), then staged(), findDuplicates(), then beginWriteOut() and
// writtenLine() for every line the write-out writes (again from beginWriteOut() for another
// write-out after a failed one), then verify(), then locate() where wantsLines(). The write-out's
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
    // A write-out begins: what an earlier one, which failed, found is forgotten.
    void beginWriteOut();
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

}  // namespace brelin

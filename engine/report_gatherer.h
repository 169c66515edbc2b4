// Gathers a run's report from the lines the staging pass takes and the blocks the write-out
// writes, and keeps the self-check: a count and an order-independent digest (the sum of a 64-bit
// hash per line, line end excluded) of every line staged, and the same of every line written;
// they must be equal before the output is committed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "block_stager.h"
#include "file_system.h"
#include "gedcom_file.h"
#include "gedcom_line.h"
#include "pointer_check.h"
#include "run_report.h"

namespace brelin {

// The lines' count and digest, the self-check's measure.
struct LineTally {
    int64_t count = 0;
    uint64_t digest = 0;

    void add(std::string_view line);
    // A line whose hash is known: a line given in pieces, hashed as it came.
    void addHash(uint64_t hash) {
        ++count;
        digest += hash;
    }
    bool operator==(const LineTally&) const = default;
};

// The bytes of split characters in a staged line (gedcom::splitCharacter), left out when its
// bytes are judged as UTF-8: those at the start of its value, those at its end.
struct SplitBytes {
    size_t atValueStart = 0;
    size_t atEnd = 0;
};

// Fed in this order: begin(), the staging pass's lines (line, or lineStart, lineMore and
// lineEnd for a line given in pieces; emptyLine, lineCut, lineContinued, afterTrailer,
// splitCharacter), then staged(), findDuplicates(), then beginWriteOut() and the write-out's
// lines (writtenLine, writtenPiece) in the order written (again from beginWriteOut() for another
// write-out after a failed one), then verify(), then locate() where wantsLines(). The
// write-out's calls may come from a thread of their own (CheckedOutput), as long as no other call
// overlaps them. Memory: 8 bytes per level-0 line with an xref other than a record with a whole
// number, the pointer check's pages and hashes (pointer_check.h), besides the lists of the report
// itself.
class ReportGatherer {
public:
    ReportGatherer();
    ~ReportGatherer();
    ReportGatherer(const ReportGatherer&) = delete;
    ReportGatherer& operator=(const ReportGatherer&) = delete;

    // byteOrderMark: the input starts with a UTF-8 byte-order mark; header: what its header
    // part says.
    void begin(bool byteOrderMark, const gedcom::HeaderFacts& header = {});
    // A non-empty line as it is staged (cut where it had to be), of the kind the stager gave it;
    // whole is false for a line cut or a part of one continued.
    void line(LineKind kind, std::string_view text, int64_t lineNumber, bool whole = true,
              SplitBytes split = {});
    // A line staged in pieces (kept whole however long): its head and kind, then every byte of
    // it from its start, then its end.
    void lineStart(LineKind kind, std::string_view head, int64_t lineNumber);
    void lineMore(std::string_view bytes);
    void lineEnd();
    void emptyLine() { ++report_.emptyLines; }
    // The line just given was cut, or continued on parts CONC lines.
    void lineCut(int64_t lineNumber);
    void lineContinued(int64_t lineNumber, int64_t parts);
    // A non-empty line after the trailer, left out.
    void afterTrailer() { ++report_.linesAfterTrailer; }
    // The CONC line concLine begins inside a character that the line before it ends with;
    // repaired: the split was moved between characters.
    void splitCharacter(int64_t concLine, bool repaired);
    // The staging pass is over; linesRead lines up to the last one taken.
    void staged(int64_t linesRead);

    // Finds the xrefs staged more than once, whose texts the write-out's lines give.
    void findDuplicates();
    // A write-out begins: what an earlier one, which failed, found is forgotten.
    void beginWriteOut();
    // One line the write-out writes, without its CR LF, in the order written; the end of a line
    // given in pieces before.
    void writtenLine(std::string_view line);
    // The first bytes of a line that the next writtenPiece or writtenLine goes on with.
    void writtenPiece(std::string_view bytes);
    // True when the lines written are those staged.
    bool verify();
    // True when xrefs found twice, numbers spelled two ways, or pointers to nothing want their
    // lines.
    bool wantsLines() const {
        return !duplicateTexts_.empty() || !equalSpellings_.empty() || pointersMissing_;
    }
    // Reads the input again, over the lines the staging pass took, for the lines of those xrefs
    // and pointers: rare, so that the common run keeps no line number of its records.
    void locate(ByteSource& input);

    const RunReport& report() const { return report_; }
    RunReport& report() { return report_; }

private:
    struct Pieces;

    void levelZero(LineKind kind, std::string_view text, int64_t lineNumber);
    // A line of the header part, other than a record's.
    void headerLine(std::string_view text);
    // What the bytes of a staged line show, for the encoding seen and the invalid lines.
    void judgeBytes(int64_t lineNumber, gedcom::TextBytes bytes);
    // The bytes of a line that holds split characters, without them.
    static gedcom::TextBytes bytesOf(std::string_view text, SplitBytes split);
    void leaveHeader();
    void closeEqualNumbers();
    void settleEncoding();
    // The end of a line the write-out gave in pieces.
    void writtenLastPiece(std::string_view line);
    // The write-out's level-0 line, its head given.
    void writtenLevelZero(std::string_view head);

    RunReport report_;
    LineTally staged_;
    LineTally written_;
    bool inHeader_ = true;
    std::string record_;
    std::vector<int64_t> headerInvalidUtf8_;
    // The output's order key of the last record staged: (table, whole numbers first, number).
    std::tuple<int, int, int64_t> lastKey_{0, 0, 0};
    // What the bytes showed so far: every line is looked at until one is not UTF-8, and in a
    // UTF-8 file every line.
    bool seenNonAscii_ = false;
    bool seenEightBit_ = false;
    std::unique_ptr<Pieces> stagedPieces_;
    std::unique_ptr<Pieces> writtenPieces_;
    bool writtenInPieces_ = false;

    // The hashes of the xrefs of the level-0 lines other than records with a whole number,
    // sorted once staged, and those among them found twice. A record with a whole number needs
    // no room here: it comes out of the store beside its equals, where the write-out compares
    // their xrefs.
    std::vector<uint64_t> otherXrefs_;
    std::vector<uint64_t> otherDuplicates_;
    PointerCheck pointers_;
    bool pointersMissing_ = false;
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

// What a run did to its input, for the user: counts, the records that deserve a look, the lines
// left out, cut or continued, the encoding seen, and whether the self-check passed. The run
// gathers it (report_gatherer.h); the front ends word it; report_json.h writes it for scripts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
};

// What deserves the user's attention after a completed run, in the order the front ends tell it.
enum class Finding {
    LinesCut,           // lines cut to 255 bytes: their end is not in the output
    LinesContinued,     // lines continued on CONC lines
    LinesAfterTrailer,  // lines after the trailer left out
    NoTrailer,          // the input has no trailer, nor has the output
    DuplicateXrefs,     // xrefs on more than one level-0 line
    InvalidUtf8,        // bytes that are not UTF-8 in a UTF-8 file
};

// The findings of report, each once; empty when nothing deserves attention. Every front end
// tells this list, and only this list.
std::vector<Finding> findings(const RunReport& report);

}  // namespace brelin

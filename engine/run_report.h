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

#include "gedcom_line.h"

namespace brelin {

struct ReportedLine {
    int64_t line = 0;
    // The xref of the level-0 line the line belongs to, or that line's tag when it has none.
    std::string record;

    bool operator==(const ReportedLine&) const = default;
};

// A level-0 line whose tag and xref disagree on its group, which stays where its xref puts it: a
// record of a group's tag whose xref does not put it in that group, in a group numbered the usual
// way ("0 @PERSON1@ INDI" stays in place), or a record whose xref puts it in a group that is not
// its tag's ("0 @I5@ OBJE" goes among the individuals). Records placed by their tag are not.
struct GroupMismatch {
    int64_t line = 0;
    std::string xref;
    std::string tag;
    // Where the xref puts the record: a group's kind, or Ordinary (it stays in place).
    gedcom::LineKind placedAs = gedcom::LineKind::Ordinary;

    bool operator==(const GroupMismatch&) const = default;
};

// The records of one tag that a group numbered by tag took (record_rules.h): "0 @3I@ INDI".
struct TagNumbering {
    std::string tag;
    int64_t records = 0;
    // The first one's xref.
    std::string firstXref;

    bool operator==(const TagNumbering&) const = default;
};

// A pointer that names no level-0 record of the file.
struct MissingPointer {
    int64_t line = 0;
    std::string pointer;

    bool operator==(const MissingPointer&) const = default;
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
    // The output's order is the input's: no record changed place, and no record followed an
    // early trailer (which is written last).
    bool alreadyInOrder = true;
    // No record changed place among the records, wherever the trailer stood.
    bool recordsInOrder = true;
    // Xrefs found on more than one level-0 line, with those lines, by their first line.
    std::vector<std::pair<std::string, std::vector<int64_t>>> duplicateXrefs;
    // Records of one group with the same whole number under different xrefs (@I12@, @I012@):
    // the lines of each such group, ascending. Records that share the xref too are in
    // duplicateXrefs; a group is listed here only when it spells its number in two ways.
    std::vector<std::vector<int64_t>> equalNumbers;
    // Record lines whose number is not a whole number.
    std::vector<int64_t> nonWholeNumbers;
    // The records placed by their tag, in groups the file numbers by tag, per tag, in the order
    // of the groups; empty when every group was numbered the usual way.
    std::vector<TagNumbering> numberedByTag;
    // Level-0 lines whose tag and xref disagree on their group, left where their xref puts them,
    // in the order of the input.
    std::vector<GroupMismatch> groupMismatches;
    // The pointers to records that are not in the file, in the order of the input.
    std::vector<MissingPointer> missingPointers;
    std::vector<ReportedLine> cutLines;
    std::vector<ReportedLine> continuedLines;
    // The CONC lines added to continue the lines of continuedLines.
    int64_t concLinesAdded = 0;
    int64_t emptyLines = 0;
    // Non-empty lines after the trailer that are left out: neither staged nor written; the
    // first kFirstLinesKept of them by number.
    int64_t linesAfterTrailer = 0;
    static constexpr size_t kFirstLinesKept = 20;
    std::vector<int64_t> firstLinesAfterTrailer;
    // Records (level-0 lines) after the first trailer that are kept, as before it.
    int64_t recordsAfterTrailer = 0;
    bool trailer = false;
    bool byteOrderMark = false;
    // The value of the header's "1 CHAR" line.
    std::optional<std::string> declaredChar;
    // The header's version, as written under "1 GEDC" ("2 VERS 5.5.1"); version 7 keeps every
    // line whole.
    std::optional<std::string> gedcomVersion;
    bool version7 = false;
    // What the bytes of the lines staged show, a character split between a line and its CONC
    // line counted whole; and whether that disagrees with what the file declares (its "1 CHAR"
    // line, its UTF-8 byte-order mark, version 7, which is UTF-8).
    gedcom::TextBytes encodingSeen = gedcom::TextBytes::Ascii;
    bool encodingMismatch = false;
    // In a UTF-8 file (mark, declaration or version 7): the lines holding bytes that are not
    // valid UTF-8, as far as they are written (the part of a cut line that is kept), a character
    // split between a line and its CONC line aside.
    std::vector<int64_t> invalidUtf8Lines;
    bool utf8 = false;
    // CONC lines whose value begins inside a UTF-8 character that the line before them begins
    // (each line is invalid UTF-8 alone); in the CONC mode the split moves between characters,
    // which concRepaired counts.
    std::vector<int64_t> splitCharacters;
    int64_t concRepaired = 0;
    // The self-check passed: the lines written are the lines staged.
    bool verified = false;
    int64_t linesStaged = 0;
    int64_t linesWritten = 0;
};

// What deserves the user's attention after a completed run, in the order the front ends tell it.
enum class Finding {
    Version7,             // a GEDCOM 7 file: lines kept whole, which 5.5.1 readers may refuse
    LinesCut,             // lines cut to 255 bytes: their end is not in the output
    LinesContinued,       // lines continued on CONC lines
    LinesAfterTrailer,    // lines after the trailer left out
    RecordsAfterTrailer,  // records after the trailer kept
    NoTrailer,            // the input has no trailer, nor has the output
    DuplicateXrefs,       // xrefs on more than one level-0 line
    NumberedByTag,        // groups numbered by tag: records placed by their tag
    GroupMismatches,      // records whose tag and xref disagree on their group
    MissingPointers,      // pointers to records that are not in the file
    EncodingMismatch,     // the bytes are not in the encoding the file declares
    InvalidUtf8,          // bytes that are not UTF-8 in a UTF-8 file
    SplitCharacters,      // UTF-8 characters split between a line and its CONC line
};

// The findings of report, each once; empty when nothing deserves attention. Every front end
// tells this list, and only this list.
std::vector<Finding> findings(const RunReport& report);

// Which of what a file says of its encoding disagree with the bytes seen (encodingSeen): its
// UTF-8 byte-order mark and version 7 promise UTF-8; its "1 CHAR" line UTF-8 (UTF-8, UNICODE),
// ASCII, or any other name an 8-bit character set. RunReport::encodingMismatch is any().
struct EncodingDisagreement {
    bool mark = false;
    bool version7 = false;
    bool declaration = false;

    bool any() const { return mark || version7 || declaration; }
};
EncodingDisagreement encodingDisagreement(const RunReport& report);

}  // namespace brelin

// How a run takes the input's lines, one by one, into the block stager, the self-check, the xref
// findings and the report: a line of
// at most 255 bytes as it is; a longer one cut, continued on CONC lines (the CONC mode) or, in a
// version 7 file, kept whole, streamed in pieces; the lines after the first trailer left out
// until a record line (gedcom::TrailerGate); a UTF-8 character split between a line and its CONC
// line found, and in the CONC mode moved whole to one of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "block_stager.h"
#include "file_system.h"
#include "gedcom_file.h"
#include "gedcom_line.h"
#include "line_reader.h"
#include "record_rules.h"
#include "report_gatherer.h"
#include "self_check.h"
#include "truncation_log.h"
#include "xref_findings.h"

namespace brelin {

class LineStaging {
public:
    struct Settings {
        gedcom::LineRule rule = gedcom::LineRule::Bytes;
        // Long lines are continued on CONC lines (not under LineRule::Whole).
        bool conc = false;
        // Characters split between a line and its CONC line are looked for: in a file that is
        // UTF-8, or that declares no character set.
        bool splits = false;
        // How records are placed and numbered: the stager's rules.
        RecordRules rules;
    };

    // Everything given must outlive the object; source is read again by position for the long
    // lines that are continued or kept whole.
    LineStaging(ByteSource& source, BlockStager& stager, TruncationLog& log, SelfCheck& check,
                XrefFindings& xrefs, ReportGatherer& report, Settings settings,
                std::string inputPath);

    // The input's next line, empty or not, and its number. Throws RunError for a first
    // character that is not "0" and for a header line after the trailer.
    void take(const Line& line, int64_t lineNumber);
    // After the last line.
    void finish();

    // True once a character other than blanks, tabs and line ends was read.
    bool contentSeen() const { return contentSeen_; }
    // The lines read, up to lastLine: up to the last line taken after a trailer, all without.
    int64_t linesRead(int64_t lastLine) const;
    // The bytes staged, CR LF after each line.
    uint64_t stagedBytes() const { return stagedBytes_; }
    // The groups the file numbers by tag (record_rules.h), once the last line is taken; for a
    // run under the usual rule alone.
    GroupSet groupsByTag() const { return survey_.byTag(); }

private:
    struct Held {
        std::string text;
        int64_t lineNumber = 0;
        // The bytes of a split character at the start of its value (a CONC line's).
        size_t splitAtValueStart = 0;
    };

    // Stages a line of the input, cut, continued or kept whole where it is longer than 255.
    void stage(const Line& line, int64_t lineNumber);
    // Stages text, a whole line or a part of one.
    LineKind stageText(std::string_view text, int64_t lineNumber, bool whole,
                       SplitBytes split = {});
    void stageWhole(const Line& line, int64_t lineNumber);
    // A level-0 line staged, of the kind the stager gave it, told to the xrefs and the report.
    void levelZero(LineKind kind, std::string_view text, int64_t lineNumber);
    // Stages the line held back, if any, then next (a short line) after it, a character split
    // between them found and, in the CONC mode, mended.
    void releaseHeld(const Line* next, int64_t nextNumber);

    ByteSource& source_;
    BlockStager& stager_;
    TruncationLog& log_;
    SelfCheck& check_;
    XrefFindings& xrefs_;
    ReportGatherer& report_;
    Settings settings_;
    std::string inputPath_;
    gedcom::TrailerGate gate_;
    bool contentSeen_ = false;
    int64_t lastTaken_ = 0;
    uint64_t stagedBytes_ = 0;
    // A line that ends with the first bytes of a UTF-8 character, held back until the next line
    // shows whether its CONC value begins with the rest.
    std::optional<Held> held_;
    GroupSurvey survey_;
};

}  // namespace brelin

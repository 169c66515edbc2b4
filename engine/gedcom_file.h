// What a GEDCOM file says beyond one line: whether it is GEDCOM text at all (its first line, its
// first character), what its header part declares (the version under "1 GEDC", the character set
// of "1 CHAR"), and so the rule its long lines are cut by; and which lines after its first
// trailer are taken.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "file_system.h"
#include "gedcom_line.h"
#include "line_reader.h"

namespace brelin::gedcom {

// True for a version 7 value of the header's "2 VERS" line under "1 GEDC": "7", "7.0", "7.1"…
bool isVersion7(std::string_view version);

// What a file's header part says about how to read it, gathered from its lines in order up to
// its first record: the version under "1 GEDC" ("2 VERS 5.5.1") and the first "1 CHAR" value.
class HeaderFacts {
public:
    // Takes the next line of the header part; false once nothing more is to be learnt from it.
    bool take(std::string_view line);

    const std::optional<std::string>& version() const { return version_; }
    const std::optional<std::string>& declaredChar() const { return declaredChar_; }
    bool version7() const { return version_ && isVersion7(*version_); }

private:
    std::optional<std::string> version_;
    std::optional<std::string> declaredChar_;
    bool inGedc_ = false;
    bool inHead_ = false;
};

// Which lines after the first trailer are taken. Lines are left out until a line that begins
// with "0 " and is neither a trailer nor a header; from there on lines are taken as before the
// trailer, up to the next trailer line, after which the same holds again. A header line after
// the trailer means two files put end to end.
class TrailerGate {
public:
    enum class Verdict { Take, LeaveOut, SecondHeader };

    // The verdict on the next non-empty line, given its head.
    Verdict pass(std::string_view head) {
        // Before the trailer, nearly every line is settled by its first byte.
        if (!trailerSeen_ && (head.empty() || head[0] != '0')) return Verdict::Take;
        return passLevelZero(head);
    }
    // True once the first trailer line has been taken.
    bool pastTrailer() const { return trailerSeen_; }

private:
    Verdict passLevelZero(std::string_view head);

    bool trailerSeen_ = false;
    bool taking_ = true;
};

// The rule for a file, by its byte-order mark and its header.
LineRule lineRuleFor(bool utf8Mark, const HeaderFacts& header);

// What the start of the input says: its byte-order mark and its header part.
struct InputStart {
    bool utf8Mark = false;
    HeaderFacts header;
};

// Reads the header part from the input's start, by position. Throws RunError where the input is
// not GEDCOM text at all: UTF-16, a zip archive, a first character that is not "0".
InputStart readInputStart(ByteSource& source, const std::string& inputPath);

// Throws RunError for a first line that shows UTF-16, a zip archive, or a second UTF-8 mark.
void refuseFirstLine(ByteOrderMark mark, std::string_view head, const std::string& inputPath);

// True for the line where a file's content starts: something other than blanks and tabs, which
// must be "0" (else RunError). Readers ignore blanks before a line's level: a file may begin
// with lines of blanks or with a blank before its "0".
bool startsContent(std::string_view head, const std::string& inputPath);

}  // namespace brelin::gedcom

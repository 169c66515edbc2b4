// How a run groups and numbers a file's records. The usual rule (gedcom::classifyLine) places a
// record by its xref's first letter ("0 @I12@" among the individuals) and numbers it by the text
// after that letter. A file that numbers a group otherwise (Heredis's "0 @3I@ INDI", webtrees's
// "0 @X12@ INDI") has that group numbered by tag: there, a level-0 line "0 @XREF@ TAG…" that the
// usual rule leaves ordinary, whose tag is the group's, starts a record of the group too,
// numbered by the first run of digits in XREF.
//
// Whether a group is numbered by tag depends on the whole file: a group is, when the usual rule
// places no record carrying the group's own tag in it (INDI; FAM; SOUR; NOTE or SNOTE) while some
// level-0 line would start a record of it by its tag. GroupSurvey finds those groups as the lines
// go by; the run then stages the file again under the rules that number them by tag.
#pragma once

#include <cstdint>
#include <string_view>

#include "gedcom_line.h"
#include "record_number.h"

namespace brelin {

using gedcom::LineKind;

// A set of groups, by their records' kind.
class GroupSet {
public:
    GroupSet() = default;
    bool empty() const { return bits_ == 0; }
    bool has(LineKind kind) const { return (bits_ & bit(kind)) != 0; }
    void add(LineKind kind) { bits_ = static_cast<uint8_t>(bits_ | bit(kind)); }
    GroupSet without(GroupSet other) const { return GroupSet(bits_ & ~other.bits_); }
    bool operator==(const GroupSet&) const = default;

private:
    explicit GroupSet(int bits) : bits_(static_cast<uint8_t>(bits)) {}
    static uint8_t bit(LineKind kind) { return static_cast<uint8_t>(1u << static_cast<int>(kind)); }

    uint8_t bits_ = 0;

    friend class GroupSurvey;
};

// The group a level-0 line "0 @XREF@ TAG…" names by its tag, of which parts are the xref and tag
// (gedcom::parseLevelZero): XREF not empty and closed by its "@", TAG one of a group's (exactly,
// case included) after one blank or more. Ordinary for any other line.
LineKind tagGroup(const gedcom::LevelZero& parts);

class RecordRules {
public:
    // The usual rule alone.
    RecordRules() = default;
    // The usual rule, and numbering by tag in byTag's groups.
    explicit RecordRules(GroupSet byTag) : byTag_(byTag) {}

    GroupSet byTag() const { return byTag_; }

    // The kind of a line: a record's, the trailer's, or Ordinary. Inline: every line is asked.
    LineKind kindOf(std::string_view line) const {
        const LineKind kind = gedcom::classifyLine(line);
        if (kind != LineKind::Ordinary || byTag_.empty()) return kind;
        return kindByTag(line);
    }
    // True when the record line line, of a record's kind, is placed by its tag.
    bool placedByTag(std::string_view line) const {
        return !byTag_.empty() && gedcom::classifyLine(line) == LineKind::Ordinary;
    }
    // The number of a record line (kindOf gives a record's kind), viewing line: the usual rule's
    // number text, or for a line placed by its tag the first run of digits in its xref, as a
    // whole number of any length when it is one.
    RecordNumber numberOf(std::string_view line) const;

private:
    LineKind kindByTag(std::string_view line) const;

    GroupSet byTag_;
};

// Finds, from the level-0 lines as the usual rule places them, the groups to number by tag.
class GroupSurvey {
public:
    // A level-0 line other than a trailer, of the kind the usual rule gave it, and its parts.
    void levelZero(LineKind kind, const gedcom::LevelZero& parts) {
        // Nothing is to be learnt from a record of a group that has a record with its tag, nor
        // from anything once every group has one.
        if (kind == LineKind::Ordinary ? usual_.bits_ != kAllGroups : !usual_.has(kind))
            levelZeroSeen(kind, parts);
    }
    // The groups to number by tag: those with records by tag and none with their tag by the
    // usual rule.
    GroupSet byTag() const { return byTag_.without(usual_); }

private:
    static constexpr int kAllGroups = 0b11110;  // Individual to Note
    void levelZeroSeen(LineKind kind, const gedcom::LevelZero& parts);

    GroupSet usual_;  // groups where the usual rule places a record with the group's tag
    GroupSet byTag_;  // groups that lines would start records of by their tag
};

}  // namespace brelin

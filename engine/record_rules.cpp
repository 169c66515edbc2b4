#include "record_rules.h"

namespace brelin {

static_assert(static_cast<int>(LineKind::Individual) == 1 && static_cast<int>(LineKind::Note) == 4,
              "the groups' kinds are the bits of GroupSurvey::kAllGroups");

namespace {

// The first run of ASCII digits in xref; empty when it has none.
std::string_view firstDigits(std::string_view xref) {
    const size_t start = xref.find_first_of("0123456789");
    if (start == std::string_view::npos) return {};
    const size_t end = xref.find_first_not_of("0123456789", start);
    return xref.substr(start, end == std::string_view::npos ? end : end - start);
}

}  // namespace

LineKind tagGroup(const gedcom::LevelZero& parts) {
    const std::string_view xref = parts.xref;
    if (xref.size() < 3 || xref.back() != '@') return LineKind::Ordinary;
    // The tag follows the xref after a blank ("0 @X1@INDI" has none).
    if (parts.tag.data() == xref.data() + xref.size()) return LineKind::Ordinary;
    return gedcom::recordKindOfTag(parts.tag);
}

RecordNumber RecordRules::numberOf(std::string_view line) const {
    if (placedByTag(line)) {
        return RecordNumber::ofDigits(firstDigits(gedcom::parseLevelZero(line).xref));
    }
    return RecordNumber::ofDigits(gedcom::recordNumberText(line));
}

LineKind RecordRules::kindByTag(std::string_view line) const {
    if (!gedcom::isLevelZero(line) || line.size() < 3 || line[2] != '@') return LineKind::Ordinary;
    const LineKind kind = tagGroup(gedcom::parseLevelZero(line));
    return byTag_.has(kind) ? kind : LineKind::Ordinary;
}

void GroupSurvey::levelZeroSeen(LineKind kind, const gedcom::LevelZero& parts) {
    if (kind == LineKind::Ordinary) {
        const LineKind group = tagGroup(parts);
        if (group != LineKind::Ordinary) byTag_.add(group);
    } else if (gedcom::recordKindOfTag(parts.tag) == kind) {
        usual_.add(kind);
    }
}

}  // namespace brelin

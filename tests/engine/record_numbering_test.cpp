// How records are grouped and numbered: whole numbers of any length in one order, and the usual
// rule and numbering by tag, line by line (numbering_test.cpp runs whole files).
#include "record_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brelin {
namespace {

// Texts in ascending order, each inner list a number written in several ways; the last list
// writes no whole number.
TEST(RecordNumber, WholeNumbersOfAnyLengthInAscendingOrderThenTheRest) {
    const std::vector<std::vector<std::string>> ascending = {
        {"0", "000"},
        {"7", "007"},
        {"12"},
        {"999999999999999999", "0999999999999999999"},  // 18 digits, the largest value
        {"1000000000000000000"},                        // 19 digits
        {"1234567890123456789", "00001234567890123456789"},
        {"9999999999999999999"},
        {"1000000000000000000000000"},  // 25 digits
        {"1000000000000000000000001"},
        {"", "-5", "+5", "1e3", " 12", "12 ", "12@", "IV", "\xD9\xA3"},
    };
    std::vector<std::pair<size_t, RecordNumber>> numbers;
    for (size_t rank = 0; rank < ascending.size(); ++rank) {
        for (const std::string& text : ascending[rank])
            numbers.emplace_back(rank, RecordNumber::ofDigits(text));
    }
    for (const auto& [rankA, a] : numbers) {
        EXPECT_EQ(a.isWhole(), rankA + 1 < ascending.size());
        for (const auto& [rankB, b] : numbers) {
            const int expected = (rankA > rankB) - (rankA < rankB);
            EXPECT_EQ(compare(a, b), expected) << rankA << " " << rankB;
        }
    }
    // Up to 18 significant digits, a number is held as its value.
    EXPECT_EQ(RecordNumber::ofDigits("000000000000000000000012").form(), RecordNumber::Form::Value);
    EXPECT_EQ(RecordNumber::ofDigits("000000000000000000000012").value(), 12);
    EXPECT_EQ(RecordNumber::ofDigits("01234567890123456789").digits(), "1234567890123456789");
}

GroupSet groups(std::initializer_list<LineKind> kinds) {
    GroupSet set;
    for (const LineKind kind : kinds) set.add(kind);
    return set;
}

struct LineCase {
    std::string line;
    GroupSet byTag;
    LineKind kind;
    std::string number;  // the whole number's significant digits; empty for none
};

std::string digitsOf(const RecordNumber& number) {
    if (number.form() == RecordNumber::Form::Digits) return std::string(number.digits());
    return number.isWhole() ? std::to_string(number.value()) : "";
}

TEST(RecordRules, PlaceAndNumberEachLine) {
    const GroupSet usual;
    const GroupSet people = groups({LineKind::Individual});
    const GroupSet all =
        groups({LineKind::Individual, LineKind::Family, LineKind::Source, LineKind::Note});
    const std::vector<LineCase> cases = {
        // The usual rule, whatever the groups numbered by tag.
        {"0 @I12@ INDI", all, LineKind::Individual, "12"},
        {"0 @I5@ OBJE", usual, LineKind::Individual, "5"},
        {"0 @F3@ INDI", people, LineKind::Family, "3"},
        {"0 @S02915@ SOUR", usual, LineKind::Source, "2915"},
        {"0 @SRC1@ SOUR", all, LineKind::Source, ""},
        {"0 @I1234567890123456789012345@ INDI", usual, LineKind::Individual,
         "1234567890123456789012345"},
        {"0 @3I@ INDI", usual, LineKind::Ordinary, ""},
        // By tag, in the groups numbered so: the first digits of the xref.
        {"0 @3I@ INDI", people, LineKind::Individual, "3"},
        {"0 @181U@ FAM", all, LineKind::Family, "181"},
        {"0 @181U@ FAM", people, LineKind::Ordinary, ""},
        {"0 @X12@ INDI", people, LineKind::Individual, "12"},
        {"0 @PERSON6@ INDI", people, LineKind::Individual, "6"},
        {"0 @P0012@ INDI", people, LineKind::Individual, "12"},
        {"0 @f1@ FAM", all, LineKind::Family, "1"},
        {"0 @X1@ SNOTE", all, LineKind::Note, "1"},
        {"0 @12x34@ SOUR", all, LineKind::Source, "12"},
        {"0 @P1234567890123456789012@ INDI", people, LineKind::Individual,
         "1234567890123456789012"},
        {"0 @PARENTS@ FAM", all, LineKind::Family, ""},
        {"0 @X1@ INDI Jean", people, LineKind::Individual, "1"},
        {"0 @X1@  INDI", people, LineKind::Individual, "1"},
        // Not "0 @XREF@ TAG" with a group's tag, exactly.
        {"0 @X1@ indi", all, LineKind::Ordinary, ""},
        {"0 @X1@ INDIV", all, LineKind::Ordinary, ""},
        {"0 @X1@INDI", all, LineKind::Ordinary, ""},
        {"0 @X1 INDI", all, LineKind::Ordinary, ""},
        {"0 @@ INDI", all, LineKind::Ordinary, ""},
        {"0 INDI", all, LineKind::Ordinary, ""},
        {"1 @X1@ INDI", all, LineKind::Ordinary, ""},
        {"  0 @X1@ INDI", all, LineKind::Ordinary, ""},
        {"0 @S0@ SUBM", all, LineKind::Ordinary, ""},
        {"0 TRLR", all, LineKind::Trailer, ""},
    };
    for (const LineCase& c : cases) {
        const RecordRules rules(c.byTag);
        const LineKind kind = rules.kindOf(c.line);
        EXPECT_EQ(kind, c.kind) << c.line;
        if (kind == LineKind::Ordinary || kind == LineKind::Trailer) continue;
        EXPECT_EQ(digitsOf(rules.numberOf(c.line)), c.number) << c.line;
        EXPECT_EQ(rules.placedByTag(c.line), gedcom::classifyLine(c.line) != kind) << c.line;
    }
}

}  // namespace
}  // namespace brelin

#include "line_continuation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brelin {
namespace {

using gedcom::LineRule;

// The output lines of one long line, fed in pieces of the given size.
std::vector<std::string> continued(const std::string& line, LineRule rule, size_t piece = 7) {
    std::vector<std::string> parts;
    const auto plan = planContinuation(line.substr(0, 256));
    if (!plan) return parts;
    LineContinuer continuer(*plan, rule, [&](std::string_view part) { parts.emplace_back(part); });
    for (size_t i = 0; i < line.size(); i += piece) continuer.add(line.substr(i, piece));
    continuer.finish();
    return parts;
}

// The value of a GEDCOM line: what follows its level, xref, tag and their delimiter.
std::string valueOf(const std::string& line, size_t valueStart) {
    return line.substr(valueStart);
}

struct ContinuationCase {
    const char* name;
    std::string line;
    LineRule rule;
    const char* concPrefix;  // of every continuation
};

class ContinuationTest : public ::testing::TestWithParam<ContinuationCase> {};

TEST_P(ContinuationTest, PartsFitRebuildTheValueAndSplitBetweenNonBlanks) {
    const ContinuationCase& c = GetParam();
    const auto plan = planContinuation(c.line.substr(0, 256));
    ASSERT_TRUE(plan);
    for (const size_t piece : {size_t(1), size_t(7), size_t(300), size_t(1) << 20}) {
        const std::vector<std::string> parts = continued(c.line, c.rule, piece);
        ASSERT_GE(parts.size(), 2u);
        EXPECT_EQ(parts[0].substr(0, plan->valueStart), c.line.substr(0, plan->valueStart));
        std::string value = valueOf(parts[0], plan->valueStart);
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_LE(parts[i].size(), 255u) << i;
            if (i == 0) continue;
            ASSERT_EQ(parts[i].rfind(c.concPrefix, 0), 0u) << parts[i];
            const std::string text = parts[i].substr(std::string(c.concPrefix).size());
            ASSERT_FALSE(text.empty());
            // Where the value leaves a choice, a split has non-blanks on both sides and no
            // UTF-8 character across it, whatever the file declares.
            EXPECT_NE(text.front(), ' ') << i;
            EXPECT_NE(value.back(), ' ') << i;
            EXPECT_TRUE(gedcom::isValidUtf8(text)) << i;
            value += text;
        }
        EXPECT_EQ(value, valueOf(c.line, plan->valueStart)) << piece;
    }
}

// Characters of one to four bytes, with a blank now and then.
std::string mixedCharacters(size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += "é€😀 a";
    return text;
}

std::string words(size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += "Jean Dupont, laboureur à Saint-Étienne; ";
    return text.substr(0, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ContinuationTest,
    ::testing::Values(
        ContinuationCase{"NoteOneLevelBelow", "1 NOTE " + std::string(600, 'n'), LineRule::Bytes,
                         "2 CONC "},
        ContinuationCase{"RecordWithXref", "0 @N12@ NOTE " + words(700), LineRule::Utf8, "1 CONC "},
        ContinuationCase{"ContinuationStaysAtItsLevel", "2 CONT " + words(900), LineRule::Bytes,
                         "2 CONC "},
        ContinuationCase{"ConcStaysAtItsLevel", "3 CONC " + words(400), LineRule::Bytes, "3 CONC "},
        ContinuationCase{"TwoDigitLevel", "12 TEXT " + words(520), LineRule::Bytes, "13 CONC "},
        ContinuationCase{"Utf8Characters", "1 NOTE " + mixedCharacters(800), LineRule::Utf8,
                         "2 CONC "},
        // A file that does not say it is UTF-8: the bytes show it.
        ContinuationCase{"UndeclaredUtf8Characters", "1 NOTE " + mixedCharacters(800),
                         LineRule::Bytes, "2 CONC "},
        ContinuationCase{"BlanksAroundEveryPossibleSplit",
                         "1 NOTE " +
                             [] {
                                 std::string s;
                                 while (s.size() < 700) s += "ab    ";
                                 return s;
                             }(),
                         LineRule::Bytes, "2 CONC "},
        ContinuationCase{"LeadingBlanksBeforeTheLevel", "  1 NOTE " + words(300), LineRule::Bytes,
                         "2 CONC "}),
    [](const auto& test) { return test.param.name; });

TEST(Continuation, ValueOfBlanksOnlyIsSplitAnywayAndRebuilt) {
    const std::string line = "1 NOTE x" + std::string(600, ' ') + "y";
    const std::vector<std::string> parts = continued(line, LineRule::Bytes);
    std::string value = parts.at(0).substr(7);
    for (size_t i = 1; i < parts.size(); ++i) {
        EXPECT_LE(parts[i].size(), 255u);
        value += parts[i].substr(7);
    }
    EXPECT_EQ(value, line.substr(7));
}

TEST(Continuation, LinesThatCannotBeContinued) {
    const std::string cases[] = {
        std::string(300, 'x'),                          // no level
        "1" + std::string(300, 'x'),                    // no blank after the level
        "1 " + std::string(300, 'T'),                   // a tag and no value
        "1 @" + std::string(300, 'X'),                  // an xref that never closes
        "0 @" + std::string(250, 'X') + "@ NOTE long",  // level, xref and tag fill 255 bytes
        "123 NOTE " + std::string(300, 'x'),            // not a level
    };
    for (const std::string& line : cases)
        EXPECT_FALSE(planContinuation(line.substr(0, 256))) << line.substr(0, 20);
}

}  // namespace
}  // namespace brelin

// Whole runs over files numbered every way other programs number them: the records' order in the
// output, the invariant, what the report says, and the second reading pass of a file numbered
// by tag.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "invariant.h"
#include "run_fixture.h"

namespace brelin {
namespace {

using gedcom::LineKind;
using testing::crlf;
using testing::kLog;

// An input, the level-0 lines of its output in order, and what its report says.
struct NumberingCase {
    const char* name;
    std::vector<std::string> input;
    std::vector<std::string> levelZero;
    std::function<void(const RunReport&)> check;
};

void PrintTo(const NumberingCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<std::string> levelZeroLines(const std::string& output) {
    std::vector<std::string> lines;
    for (const std::string_view line : testing::splitLines(output)) {
        if (line.starts_with("0 ")) lines.emplace_back(line);
    }
    return lines;
}

class NumberingTest : public testing::RunFixture,
                      public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(NumberingTest, RecordsComeOutInTheirGroupsByNumber) {
    std::string input;
    for (const std::string& line : GetParam().input) input += line + "\r\n";
    for (const bool conc : {false, true}) {
        options.conc = conc;
        const RunResult result = convert(input);
        ASSERT_EQ(result.outcome, RunOutcome::Completed);
        ASSERT_TRUE(output());
        EXPECT_EQ(levelZeroLines(*output()), GetParam().levelZero);
        EXPECT_EQ(testing::checkInvariant(input, output()), "");
        EXPECT_TRUE(result.report.verified);
        GetParam().check(result.report);
    }
}

using Lines = std::vector<int64_t>;
using Tags = std::vector<TagNumbering>;

INSTANTIATE_TEST_SUITE_P(
    Files, NumberingTest,
    ::testing::Values(
        NumberingCase{
            "NumberFirstFamiliesAmongIndividuals",
            {"0 HEAD", "1 CHAR ANSI", "0 @S0@ SUBM", "0 @3I@ INDI", "1 FAMS @181U@", "0 @181U@ FAM",
             "1 HUSB @3I@", "0 @1I@ INDI", "0 @7U@ FAM", "0 @2I@ INDI", "0 @2S@ SOUR",
             "0 @1S@ SOUR", "0 @1N@ NOTE a", "0 TRLR"},
            {"0 HEAD", "0 @S0@ SUBM", "0 @1I@ INDI", "0 @2I@ INDI", "0 @3I@ INDI", "0 @7U@ FAM",
             "0 @181U@ FAM", "0 @1S@ SOUR", "0 @2S@ SOUR", "0 @1N@ NOTE a", "0 TRLR"},
            [](const RunReport& r) {
                EXPECT_EQ(r.numberedByTag, (Tags{{"INDI", 3, "@3I@"},
                                                 {"FAM", 2, "@181U@"},
                                                 {"SOUR", 2, "@2S@"},
                                                 {"NOTE", 1, "@1N@"}}));
                EXPECT_EQ(r.records, (RunReport::Records{3, 2, 2, 1}));
                EXPECT_EQ(r.headerLines, 3);
                EXPECT_FALSE(r.alreadyInOrder);
                EXPECT_TRUE(r.groupMismatches.empty());
                EXPECT_EQ(findings(r), std::vector<Finding>{Finding::NumberedByTag});
            }},
        NumberingCase{"OneLetterForEveryGroup",
                      {"0 HEAD", "0 @X3@ INDI", "0 @X1@ FAM", "0 @X2@ INDI", "0 @X9@ SOUR",
                       "0 @X5@ NOTE", "0 TRLR"},
                      {"0 HEAD", "0 @X2@ INDI", "0 @X3@ INDI", "0 @X1@ FAM", "0 @X9@ SOUR",
                       "0 @X5@ NOTE", "0 TRLR"},
                      [](const RunReport& r) { EXPECT_EQ(r.numberedByTag.size(), 4u); }},
        NumberingCase{"SeveralLettersLeadingZerosAndAUsualGroup",
                      {"0 HEAD", "0 @PERSON10@ INDI", "0 @SRC2@ SOUR", "0 @P0012@ INDI",
                       "0 @SRC1@ SOUR", "0 @PERSON2@ INDI", "0 TRLR"},
                      {"0 HEAD", "0 @PERSON2@ INDI", "0 @PERSON10@ INDI", "0 @P0012@ INDI",
                       "0 @SRC2@ SOUR", "0 @SRC1@ SOUR", "0 TRLR"},
                      [](const RunReport& r) {
                          EXPECT_EQ(r.numberedByTag, (Tags{{"INDI", 3, "@PERSON10@"}}));
                          EXPECT_EQ(r.nonWholeNumbers, (Lines{3, 5}));
                      }},
        NumberingCase{"LowerCaseAndNoDigitAfterTheNumbers",
                      {"0 HEAD", "0 @I1@ INDI", "0 @PARENTS@ FAM", "0 @f2@ FAM", "0 @ADOPTIVE@ FAM",
                       "0 @f1@ FAM", "0 TRLR"},
                      {"0 HEAD", "0 @I1@ INDI", "0 @f1@ FAM", "0 @f2@ FAM", "0 @PARENTS@ FAM",
                       "0 @ADOPTIVE@ FAM", "0 TRLR"},
                      [](const RunReport& r) {
                          EXPECT_EQ(r.numberedByTag, (Tags{{"FAM", 4, "@PARENTS@"}}));
                          EXPECT_EQ(r.nonWholeNumbers, (Lines{3, 5}));
                      }},
        NumberingCase{
            "NineteenAndTwentyFiveDigitsBothWays",
            {"0 HEAD", "0 @I1234567890123456789012345@ INDI", "0 @I1234567890123456789@ INDI",
             "0 @I999@ INDI", "0 @I01234567890123456789@ INDI", "0 @IX@ INDI",
             "0 @1234567890123456789012345U@ FAM", "0 @12U@ FAM", "0 @9999999999999999999U@ FAM",
             "0 TRLR"},
            {"0 HEAD", "0 @I999@ INDI", "0 @I1234567890123456789@ INDI",
             "0 @I01234567890123456789@ INDI", "0 @I1234567890123456789012345@ INDI", "0 @IX@ INDI",
             "0 @12U@ FAM", "0 @9999999999999999999U@ FAM", "0 @1234567890123456789012345U@ FAM",
             "0 TRLR"},
            [](const RunReport& r) {
                EXPECT_EQ(r.nonWholeNumbers, (Lines{6}));
                EXPECT_EQ(r.equalNumbers, (std::vector<Lines>{{3, 5}}));
            }},
        NumberingCase{"AUsualGroupKeepsItsOddRecordsInPlace",
                      {"0 HEAD", "0 @I2@ INDI", "0 @PERSON1@ INDI", "0 @I1@ INDI", "0 TRLR"},
                      {"0 HEAD", "0 @I1@ INDI", "0 @I2@ INDI", "0 @PERSON1@ INDI", "0 TRLR"},
                      [](const RunReport& r) {
                          EXPECT_TRUE(r.numberedByTag.empty());
                          EXPECT_EQ(r.groupMismatches,
                                    (std::vector<GroupMismatch>{
                                        {3, "@PERSON1@", "INDI", LineKind::Ordinary}}));
                      }},
        NumberingCase{
            "ARecordOfAnotherTagInTheGroup",
            {"0 HEAD", "0 @I5@ OBJE", "0 @P2@ INDI", "0 @P1@ INDI", "0 TRLR"},
            {"0 HEAD", "0 @P1@ INDI", "0 @P2@ INDI", "0 @I5@ OBJE", "0 TRLR"},
            [](const RunReport& r) {
                EXPECT_EQ(r.numberedByTag, (Tags{{"INDI", 2, "@P2@"}}));
                EXPECT_EQ(r.groupMismatches,
                          (std::vector<GroupMismatch>{{2, "@I5@", "OBJE", LineKind::Individual}}));
            }},
        NumberingCase{"ByTagAfterAnEarlyTrailer",
                      {"0 HEAD", "0 @2I@ INDI", "0 TRLR", "0 @1I@ INDI", "1 NAME A", "0 TRLR"},
                      {"0 HEAD", "0 @1I@ INDI", "0 @2I@ INDI", "0 TRLR"},
                      [](const RunReport& r) {
                          EXPECT_EQ(r.numberedByTag, (Tags{{"INDI", 2, "@2I@"}}));
                          EXPECT_EQ(r.recordsAfterTrailer, 1);
                          EXPECT_EQ(r.linesAfterTrailer, 1);
                      }},
        NumberingCase{
            "RepeatsAmongRecordsByTag",
            {"0 HEAD", "0 @X12@ INDI", "0 @3I@ OBJE", "0 @P12@ INDI", "0 @3I@ INDI", "0 TRLR"},
            {"0 HEAD", "0 @3I@ INDI", "0 @X12@ INDI", "0 @3I@ OBJE", "0 @P12@ INDI", "0 TRLR"},
            [](const RunReport& r) {
                EXPECT_EQ(r.equalNumbers, (std::vector<Lines>{{2, 4}}));
                ASSERT_EQ(r.duplicateXrefs.size(), 1u);
                EXPECT_EQ(r.duplicateXrefs[0].second, (Lines{3, 5}));
            }},
        NumberingCase{"SharedNotesOfVersion7",
                      {"0 HEAD", "1 GEDC", "2 VERS 7.0", "0 @I1@ INDI", "0 @X2@ SNOTE b",
                       "0 @X1@ SNOTE a", "0 TRLR"},
                      {"0 HEAD", "0 @I1@ INDI", "0 @X1@ SNOTE a", "0 @X2@ SNOTE b", "0 TRLR"},
                      [](const RunReport& r) {
                          EXPECT_EQ(r.numberedByTag, (Tags{{"SNOTE", 2, "@X2@"}}));
                      }}),
    [](const auto& test) { return test.param.name; });

class SecondPassTest : public testing::RunFixture {};

// A file numbered by tag is read twice, and told so; what the first pass began (the log, the
// report) is begun again, not doubled.
TEST_F(SecondPassTest, ReadsAgainFromTheStartAndTellsItOnce) {
    const std::string longNote = "1 NOTE " + std::string(300, 'x');
    const struct {
        std::string firstRecord;
        std::vector<RunPass> passes;
    } cases[] = {
        {"0 @I1@ INDI", {RunPass::Reading, RunPass::Writing}},
        {"0 @1I@ INDI", {RunPass::Reading, RunPass::Reading, RunPass::Writing}},
    };
    for (const auto& c : cases) {
        frontend.passes.clear();
        const RunResult result =
            convert(crlf({"0 HEAD", longNote, c.firstRecord, longNote, "0 TRLR"}));
        ASSERT_EQ(result.outcome, RunOutcome::Completed) << c.firstRecord;
        EXPECT_EQ(frontend.passes, c.passes) << c.firstRecord;
        EXPECT_EQ(result.report.cutLines.size(), 2u) << c.firstRecord;
        EXPECT_EQ(result.report.linesRead, 5) << c.firstRecord;
        EXPECT_EQ(result.report.linesStaged, 5) << c.firstRecord;
        EXPECT_EQ(result.report.headerLines, 2) << c.firstRecord;
        EXPECT_EQ(log().find("La ligne 2"), log().rfind("La ligne 2")) << log();
        EXPECT_NE(log().find("La ligne 4"), std::string::npos) << log();
    }
}

// A stop asked for during the first pass ends the run there: nothing is read again.
TEST_F(SecondPassTest, AStopInTheFirstPassEndsTheRun) {
    std::vector<std::string> lines = {"0 HEAD"};
    for (int i = 300; i > 0; --i) lines.push_back("0 @" + std::to_string(i) + "I@ INDI");
    std::string input;
    for (const std::string& line : lines) input += line + "\r\n";
    frontend.stopAnswers = {true};
    frontend.onProgress = [this](int) { frontend.stop = true; };
    const RunResult result = convert(input);
    EXPECT_EQ(result.outcome, RunOutcome::Abandoned);
    EXPECT_EQ(frontend.passes, std::vector<RunPass>{RunPass::Reading});
    EXPECT_FALSE(output());
}

}  // namespace
}  // namespace brelin

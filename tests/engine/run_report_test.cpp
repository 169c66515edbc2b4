// The run's report: what it counts on inputs made to show each item, the self-check firing when
// the staged blocks change before the write-out, and the JSON's escaping.
#include "run_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "error_text.h"
#include "memory_file_system.h"
#include "report_json.h"
#include "run_fixture.h"
#include "scripted_frontend.h"
#include "xref_findings.h"

namespace brelin {
namespace {

using gedcom::LineKind;
using testing::crlf;
using testing::kOutput;

const std::string k300(300, 'x');

class RunReportTest : public testing::RunFixture {};

// One input per item of the report; each case checks the fields it is about.
struct ReportCase {
    const char* name;
    std::string input;
    std::function<void(const RunReport&)> check;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

class ReportItemTest : public RunReportTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportItemTest, IsReported) {
    const RunResult result = convert(GetParam().input);
    ASSERT_EQ(result.outcome, RunOutcome::Completed) << (result.error ? result.error->what() : "");
    EXPECT_TRUE(result.report.verified);
    GetParam().check(result.report);
}

using Lines = std::vector<int64_t>;

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReportItemTest,
    ::testing::Values(
        ReportCase{"Counts",
                   crlf({"0 HEAD", "1 CHAR ANSEL", "0 @U1@ SUBM", "", "0 @I2@ INDI", "0 @R1@ REPO",
                         "0 @I1@ INDI", "0 @F1@ FAM", "0 @O1@ OBJE", "0 @O2@ OBJE", "0 @S1@ SOUR",
                         "0 @N1@ NOTE", "0 _EVENT_DEFN x", "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_EQ(r.linesRead, 14);
                       EXPECT_EQ(r.records, (RunReport::Records{2, 1, 1, 1}));
                       EXPECT_EQ(r.headerLines, 3);
                       EXPECT_EQ(r.otherRecords,
                                 (std::map<std::string, int64_t>{
                                     {"OBJE", 2}, {"REPO", 1}, {"_EVENT_DEFN", 1}}));
                       EXPECT_FALSE(r.alreadyInOrder);
                       EXPECT_EQ(r.emptyLines, 1);
                       EXPECT_TRUE(r.trailer);
                       EXPECT_EQ(r.declaredChar, "ANSEL");
                       EXPECT_TRUE(findings(r).empty());
                       EXPECT_EQ(r.linesWritten, 13);
                   }},
        ReportCase{"InOrder",
                   crlf({"0 HEAD", "0 @I0@ INDI", "0 @I1@ INDI", "0 @I1@ INDI", "0 @IX@ INDI",
                         "0 @F1@ FAM", "0 @S1@ SOUR", "0 @N1@ NOTE", "0 TRLR"}),
                   [](const RunReport& r) { EXPECT_TRUE(r.alreadyInOrder); }},
        ReportCase{"NonWholeBeforeWhole", crlf({"0 HEAD", "0 @IX@ INDI", "0 @I1@ INDI", "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_FALSE(r.alreadyInOrder);
                       EXPECT_EQ(r.nonWholeNumbers, Lines{2});
                   }},
        ReportCase{"DuplicatesInAnyGroup",
                   crlf({"0 HEAD", "0 @S1@ SUBM", "0 @I12@ INDI", "0 @I3@ INDI", "0 @I12@ INDI",
                         "0 @S1@ SOUR", "0 @I12@ INDI", "0 TRLR"}),
                   [](const RunReport& r) {
                       ASSERT_EQ(r.duplicateXrefs.size(), 2u);
                       EXPECT_EQ(r.duplicateXrefs[0].first, "@S1@");
                       EXPECT_EQ(r.duplicateXrefs[0].second, (Lines{2, 6}));
                       EXPECT_EQ(r.duplicateXrefs[1].first, "@I12@");
                       EXPECT_EQ(r.duplicateXrefs[1].second, (Lines{3, 5, 7}));
                       EXPECT_TRUE(r.equalNumbers.empty());
                   }},
        ReportCase{"EqualNumbersSpeltApart",
                   crlf({"0 HEAD", "0 @I012@ INDI", "0 @F7@ FAM", "0 @I12@ INDI", "0 @F07@ FAM",
                         "0 @I0012@ INDI", "0 @F8@ FAM", "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_EQ(r.equalNumbers, (std::vector<Lines>{{2, 4, 6}, {3, 5}}));
                       EXPECT_TRUE(r.duplicateXrefs.empty());
                   }},
        ReportCase{"CutLinesNameTheirRecord",
                   crlf({"0 HEAD", "1 NOTE " + k300, "0 @I1@ INDI " + k300, "1 NAME " + k300,
                         "0 @R1@ REPO", "1 NOTE " + k300, "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_EQ(r.cutLines,
                                 (std::vector<ReportedLine>{
                                     {2, "HEAD"}, {3, "@I1@"}, {4, "@I1@"}, {6, "@R1@"}}));
                       EXPECT_EQ(findings(r), std::vector<Finding>{Finding::LinesCut});
                   }},
        ReportCase{"AfterTheTrailerLinesLeftOutRecordsKept",
                   crlf({"0 HEAD", "0 TRLR", "", "\x1A", "0 TRLR", "0 @I1@ INDI", "1 NOTE " + k300,
                         "0 TRLR", "junk", ""}),
                   [](const RunReport& r) {
                       EXPECT_EQ(r.linesAfterTrailer, 4);
                       EXPECT_EQ(r.recordsAfterTrailer, 1);
                       // The trailer, written last, changed place.
                       EXPECT_FALSE(r.alreadyInOrder);
                       EXPECT_EQ(r.emptyLines, 2);
                       EXPECT_EQ(r.linesRead, 7);
                       EXPECT_EQ(r.cutLines, (std::vector<ReportedLine>{{7, "@I1@"}}));
                       EXPECT_EQ(r.records.individuals, 1);
                       EXPECT_EQ(findings(r), (std::vector<Finding>{Finding::LinesCut,
                                                                    Finding::LinesAfterTrailer,
                                                                    Finding::RecordsAfterTrailer}));
                   }},
        ReportCase{"NoTrailer", crlf({"0 HEAD", "0 @I1@ INDI"}),
                   [](const RunReport& r) {
                       EXPECT_FALSE(r.trailer);
                       EXPECT_EQ(findings(r), std::vector<Finding>{Finding::NoTrailer});
                   }},
        ReportCase{"Utf8ByMark",
                   "\xEF\xBB\xBF" +
                       crlf({"0 HEAD", "1 NOTE caf\xE9", "0 @I1@ INDI",
                             "1 NAME \xC3\xA9l\xC3\xA9onore", "1 NOTE \xED\xA0\x80", "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_TRUE(r.byteOrderMark);
                       EXPECT_EQ(r.declaredChar, std::nullopt);
                       EXPECT_EQ(r.invalidUtf8Lines, (Lines{2, 5}));
                   }},
        ReportCase{
            "Utf8ByDeclarationCountsTheHeaderToo",
            crlf({"0 HEAD", "1 NOTE \xFF", "1 CHAR UTF-8", "0 @I1@ INDI", "1 NAME \xE9", "0 TRLR"}),
            [](const RunReport& r) {
                EXPECT_EQ(r.declaredChar, "UTF-8");
                EXPECT_EQ(r.invalidUtf8Lines, (Lines{2, 5}));
            }},
        ReportCase{"RecordsOutOfTheirGroup",
                   crlf({"0 HEAD", "0 @PERSON1@ INDI", "0 @I5@ OBJE", "0 @F3@ INDI", "0 @N1@ SNOTE",
                         "0 @S1@ SUBM", "0 @S2@ SOUR", "0 @R1@ REPO", "0 @I1@ INDI", "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_EQ(
                           r.groupMismatches,
                           (std::vector<GroupMismatch>{{2, "@PERSON1@", "INDI", LineKind::Ordinary},
                                                       {3, "@I5@", "OBJE", LineKind::Individual},
                                                       {4, "@F3@", "INDI", LineKind::Family}}));
                       EXPECT_EQ(r.records.individuals, 2);
                       EXPECT_TRUE(r.numberedByTag.empty());
                   }},
        ReportCase{
            "PointersToNothing",
            crlf({"0 HEAD", "1 SUBM @U1@", "0 @I1@ INDI", "1 FAMS @F9@", "1 FAMC @F1@",
                  "1 ASSO @PERSON2@", "1 NOTE @@ et @#DJULIAN@", "2 CONC @F8@", "1 FAMS @VOID@",
                  "0 @F1@ FAM", "1 CHIL @I1@", "1 WIFE @F9@", "1 HUSB @PERSON1@", "1 OBJE @MEDIA@",
                  "1 REPO @DEPOT@", "0 @DEPOT@ REPO", "0 TRLR", "1 CHIL @F7@", "0 @PERSON1@ INDI"}),
            [](const RunReport& r) {
                EXPECT_EQ(r.missingPointers, (std::vector<MissingPointer>{{2, "@U1@"},
                                                                          {4, "@F9@"},
                                                                          {6, "@PERSON2@"},
                                                                          {12, "@F9@"},
                                                                          {14, "@MEDIA@"}}));
                EXPECT_EQ(r.recordsAfterTrailer, 1);
            }},
        ReportCase{"VersionAndBytesAsDeclared",
                   crlf({"0 HEAD", "1 GEDC", "2 VERS 5.5.1", "1 CHAR ANSI", "0 @I1@ INDI",
                         "1 NAME Andr\xE9", "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_EQ(r.gedcomVersion, "5.5.1");
                       EXPECT_FALSE(r.version7);
                       EXPECT_EQ(r.encodingSeen, gedcom::TextBytes::EightBit);
                       EXPECT_FALSE(r.encodingMismatch);
                       EXPECT_TRUE(findings(r).empty());
                   }},
        ReportCase{"AnselBytesAreNoConcern",
                   crlf({"0 HEAD", "1 CHAR ANSEL", "0 @I1@ INDI",
                         "1 NAME \xE2"
                         "e",
                         "0 TRLR"}),
                   [](const RunReport& r) {
                       EXPECT_TRUE(r.invalidUtf8Lines.empty());
                       EXPECT_FALSE(r.utf8);
                   }}),
    [](const auto& test) { return test.param.name; });

// What the bytes show against what the file declares: its "1 CHAR", its mark, version 7.
TEST_F(RunReportTest, EncodingSeenAndWhetherItMatchesTheDeclaration) {
    struct Case {
        std::string declaration;  // the header's lines after "0 HEAD"
        std::string name;         // an individual's name
        gedcom::TextBytes seen;
        bool mismatch;
    };
    const std::string utf8Name = "\xC3\x89lise";
    const std::string ansiName = "\xC9lise";
    const Case cases[] = {
        {"1 CHAR ANSI", utf8Name, gedcom::TextBytes::Utf8, true},
        {"1 CHAR ANSEL", utf8Name, gedcom::TextBytes::Utf8, true},
        {"1 CHAR ANSI", ansiName, gedcom::TextBytes::EightBit, false},
        {"1 CHAR UTF-8", ansiName, gedcom::TextBytes::EightBit, true},
        {"1 CHAR UTF-8", utf8Name, gedcom::TextBytes::Utf8, false},
        {"1 CHAR ASCII", ansiName, gedcom::TextBytes::EightBit, true},
        {"1 CHAR ASCII", "Elise", gedcom::TextBytes::Ascii, false},
        {"1 GEDC\r\n2 VERS 7.0", ansiName, gedcom::TextBytes::EightBit, true},
        {"1 SOUR X", utf8Name, gedcom::TextBytes::Utf8, false},  // nothing declared
    };
    for (const Case& c : cases) {
        const RunResult result = convert("0 HEAD\r\n" + c.declaration +
                                         "\r\n0 @I1@ INDI\r\n1 NAME " + c.name + "\r\n0 TRLR\r\n");
        EXPECT_EQ(result.report.encodingSeen, c.seen) << c.declaration << " " << c.name;
        EXPECT_EQ(result.report.encodingMismatch, c.mismatch) << c.declaration << " " << c.name;
    }
}

// An early trailer moves no count: records kept after it count as they would before it, where
// they are written, whichever side of it they stand on.
TEST_F(RunReportTest, CountsDoNotDependOnWhichSideOfAnEarlyTrailerARecordStands) {
    const std::pair<std::string, std::string> cases[] = {
        {crlf({"0 HEAD", "0 TRLR", "0 @U1@ SUBM", "0 @I1@ INDI"}),
         crlf({"0 HEAD", "0 @U1@ SUBM", "0 TRLR", "0 @I1@ INDI"})},
        {crlf({"0 HEAD", "1 CHAR UTF-8", "0 TRLR", "0 @U1@ SUBM", "1 NAME \xE9", "0 @I1@ INDI",
               "0 @R1@ REPO"}),
         crlf({"0 HEAD", "1 CHAR UTF-8", "0 @U1@ SUBM", "1 NAME \xE9", "0 @I1@ INDI", "0 TRLR",
               "0 @R1@ REPO"})},
        {crlf({"0 HEAD", "0 @I2@ INDI", "0 TRLR", "0 @O1@ OBJE", "0 @I1@ INDI"}),
         crlf({"0 HEAD", "0 @I2@ INDI", "0 @O1@ OBJE", "0 TRLR", "0 @I1@ INDI"})},
    };
    for (const auto& [before, after] : cases) {
        const RunResult first = convert(before);
        const std::optional<std::string> firstOutput = output();
        const RunResult second = convert(after);
        ASSERT_EQ(output(), firstOutput) << before;
        const RunReport& a = first.report;
        const RunReport& b = second.report;
        EXPECT_EQ(a.headerLines, b.headerLines) << before;
        EXPECT_EQ(a.otherRecords, b.otherRecords) << before;
        EXPECT_EQ(a.records, b.records) << before;
        EXPECT_EQ(a.invalidUtf8Lines.size(), b.invalidUtf8Lines.size()) << before;
    }
}

// The self-check: the staged blocks changed or lost between staging and write-out.
struct TamperCase {
    const char* name;
    const char* statement;
};

void PrintTo(const TamperCase& c, std::ostream* out) {
    *out << c.name;
}

class SelfCheckTest : public RunReportTest, public ::testing::WithParamInterface<TamperCase> {};

TEST_P(SelfCheckTest, FailsAndWritesNothing) {
    files.put(kOutput, "old content");
    frontend.onChooseOutput = [this] { db.executeStatement(GetParam().statement); };
    const RunResult result =
        convert(crlf({"0 HEAD", "0 @I2@ INDI", "1 NAME B", "0 @I1@ INDI", "1 NAME A", "0 TRLR"}));
    ASSERT_TRUE(testing::failedAt(result, FailedStep::SelfCheck));
    EXPECT_EQ(result.error->path(), kOutput);
    EXPECT_FALSE(result.report.verified);
    EXPECT_EQ(files.at(kOutput), "old content");
    EXPECT_NE(text::describe(*result.error).find("erreur du programme"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Tampering, SelfCheckTest,
    ::testing::Values(
        TamperCase{"LineChanged",
                   "UPDATE INDITRI SET GedBloc = CAST('0 @I1@ INDI' || "
                   "char(13,10) || '1 NAME Z' AS BLOB) WHERE GedIndex = 1"},
        TamperCase{"LineDropped",
                   "UPDATE INDITRI SET GedBloc = CAST('0 @I1@ INDI' AS BLOB) "
                   "WHERE GedIndex = 1"},
        TamperCase{"RowDeleted", "DELETE FROM INDITRI WHERE GedIndex = 2"},
        TamperCase{"LineRepeatedInPlaceOfAnother",
                   "UPDATE INDITRI SET GedBloc = CAST('0 @I1@ INDI' || char(13,10) || '1 NAME "
                   "B' AS BLOB) WHERE GedIndex = 1"}),
    [](const auto& test) { return test.param.name; });

TEST(XrefFindings, FindsRepeatsAtTheWriteOutAndTheirLinesInTheInput) {
    // As the run stages them: the level-0 lines, their kinds, whether their numbers are whole.
    struct Staged {
        std::string line;
        LineKind kind;
        bool whole;
    };
    const std::vector<Staged> input = {
        {"0 HEAD", LineKind::Ordinary, false},        {"0 @I1@ INDI", LineKind::Individual, true},
        {"1 NOTE long", LineKind::Ordinary, false},   {"0 @M1@ OBJE", LineKind::Ordinary, false},
        {"0 @I01@ INDI", LineKind::Individual, true}, {"0 @I1@ INDI", LineKind::Individual, true},
        {"0 @M1@ OBJE", LineKind::Ordinary, false},   {"0 @S12@ REPO", LineKind::Ordinary, false},
        {"0 @S12@ SOUR", LineKind::Source, true},     {"0 TRLR", LineKind::Trailer, false}};
    XrefFindings xrefs;
    std::string bytes;
    for (const Staged& line : input) {
        if (gedcom::isLevelZero(line.line) && line.kind != LineKind::Trailer)
            xrefs.levelZero(line.kind, gedcom::parseLevelZero(line.line).xref, line.whole);
        bytes += line.line + "\n";
    }
    xrefs.staged();
    // Then the write-out's rows, in the output's order, with the numbers they were staged under.
    xrefs.beginWriteOut();
    xrefs.writtenRow("0 HEAD", 0);
    xrefs.writtenRow("0 @I1@ INDI\r\n1 NOTE long\r\n0 @M1@ OBJE", 1);
    xrefs.writtenRow("0 @I01@ INDI", 1);
    xrefs.writtenRow("0 @I1@ INDI\r\n0 @M1@ OBJE\r\n0 @S12@ REPO", 1);
    xrefs.writtenRow("0 @S12@ SOUR", 12);
    xrefs.endWriteOut();
    ASSERT_TRUE(xrefs.wantsLines());
    testing::StringSource source(bytes + "0 @I1@ INDI\n");  // after the trailer: not counted
    RunReport r;
    xrefs.locate(source, static_cast<int64_t>(input.size()), r);

    EXPECT_EQ(r.duplicateXrefs, (std::vector<std::pair<std::string, std::vector<int64_t>>>{
                                    {"@I1@", {2, 6}}, {"@M1@", {4, 7}}, {"@S12@", {8, 9}}}));
    EXPECT_EQ(r.equalNumbers, (std::vector<std::vector<int64_t>>{{2, 5, 6}}));
}

TEST(Json, EscapesAnyByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"@I1@", "\"@I1@\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {std::string("\0\x01\n\x1F\x7F", 5), "\"\\u0000\\u0001\\u000a\\u001f\\u007f\""},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\""},
        {"caf\xE9", "\"caf\\u00e9\""},                  // not UTF-8: the byte as Latin-1
        {"\xC3", "\"\\u00c3\""},                        // a sequence cut short
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},  // a surrogate
        {"\xC0\xAF", "\"\\u00c0\\u00af\""},             // an overlong form
    };
    for (const auto& [bytes, json] : cases) EXPECT_EQ(jsonString(bytes), json) << json;
}

TEST(Json, KeysInOrder) {
    RunReport report;
    report.duplicateXrefs.push_back({"@I1@", {2, 5}});
    report.equalNumbers.push_back({3, 4});
    report.declaredChar = "UTF-8";
    report.groupMismatches.push_back({7, "@P1@", "INDI", LineKind::Ordinary});
    report.missingPointers.push_back({9, "@F2@"});
    report.numberedByTag = {{"INDI", 22, "@3I@"}, {"FAM", 1, "@181U@"}};
    report.recordsAfterTrailer = 1;
    report.gedcomVersion = "7.0";
    report.encodingSeen = gedcom::TextBytes::EightBit;
    report.encodingMismatch = true;
    report.splitCharacters = {11};
    report.concRepaired = 1;
    EXPECT_EQ(toJson(report),
              "{\"lines_read\":0,\"records\":{\"individuals\":0,\"families\":0,\"sources\":0,"
              "\"notes\":0},\"header_lines\":0,\"other_records\":{},\"already_in_order\":true,"
              "\"duplicate_xrefs\":{\"@I1@\":[2,5]},\"equal_numbers\":[[3,4]],"
              "\"non_whole_numbers\":[],\"numbered_by_tag\":{\"INDI\":22,\"FAM\":1},"
              "\"group_mismatches\":[{\"line\":7,\"xref\":\"@P1@\","
              "\"tag\":\"INDI\"}],\"missing_pointers\":[{\"line\":9,\"pointer\":\"@F2@\"}],"
              "\"cut_lines\":[],\"continued_lines\":[],\"empty_lines\":0,"
              "\"lines_after_trailer\":0,\"records_after_trailer\":1,\"trailer\":false,"
              "\"byte_order_mark\":false,\"declared_char\":\"UTF-8\",\"gedcom_version\":\"7.0\","
              "\"encoding_seen\":\"8-bit\",\"encoding_mismatch\":true,\"invalid_utf8_lines\":[],"
              "\"split_characters\":[11],\"conc_repaired\":1,\"verified\":false}");
}

}  // namespace
}  // namespace brelin

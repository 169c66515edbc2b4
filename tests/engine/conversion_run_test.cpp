#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine.h"
#include "invariant.h"
#include "line_count.h"
#include "memory_file_system.h"
#include "run_fixture.h"
#include "scripted_frontend.h"

namespace brelin {
namespace {

using testing::checkInvariant;
using testing::expectedOutput;
using testing::failedAt;

using testing::crlf;
using testing::kInput;
using testing::kLog;
using testing::kOutput;

class ConversionRunTest : public testing::RunFixture {};

TEST_F(ConversionRunTest, WorkedExampleComesOutInNumberOrder) {
    const RunResult result = convert(
        crlf({"0 HEAD", "1 CHAR ANSEL", "0 @S1@ SUBM", "1 NAME X", "0 @I2@ INDI", "1 NAME B",
              "0 @I1@ INDI", "1 NAME A", "0 @F1@ FAM", "1 HUSB @I1@", "0 TRLR"}));
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(output(),
              crlf({"0 HEAD", "1 CHAR ANSEL", "0 @S1@ SUBM", "1 NAME X", "0 @I1@ INDI", "1 NAME A",
                    "0 @I2@ INDI", "1 NAME B", "0 @F1@ FAM", "1 HUSB @I1@", "0 TRLR"}));
    EXPECT_EQ(log(), "");
}

TEST_F(ConversionRunTest, NotesFollowTheSourcesAndNothingIsDropped) {
    convert(
        crlf({"0 HEAD", "0 @I1@ INDI", "0 @N2@ NOTE deux", "1 CONT suite", "0 @N1@ NOTE un",
              "0 @F1@ FAM", "0 @S2@ SOUR", "0 @S1@ SOUR", "0 @SUBN@ SUBN", "0 TRASH", "0 TRLR"}));
    EXPECT_EQ(output(), crlf({"0 HEAD", "0 @I1@ INDI", "0 @F1@ FAM", "0 @S1@ SOUR", "0 @SUBN@ SUBN",
                              "0 TRASH", "0 @S2@ SOUR", "0 @N1@ NOTE un", "0 @N2@ NOTE deux",
                              "1 CONT suite", "0 TRLR"}));
}

TEST_F(ConversionRunTest, TrailerIsLastWhateverTheNumbers) {
    convert(crlf({"0 HEAD", "0 @I1000000000@ INDI", "0 @F999999999@ FAM", "0 @F1000000000@ FAM",
                  "0 @S99999999999@ SOUR", "0 @SX@ SOUR", "0 TRLR", "0 @I1@ INDI"}));
    EXPECT_EQ(output(),
              crlf({"0 HEAD", "0 @I1@ INDI", "0 @I1000000000@ INDI", "0 @F999999999@ FAM",
                    "0 @F1000000000@ FAM", "0 @S99999999999@ SOUR", "0 @SX@ SOUR", "0 TRLR"}));
}

// Each input is damaged or unusual in one way; the output must keep the invariant exactly.
struct InvariantCase {
    const char* name;
    std::string input;
};

void PrintTo(const InvariantCase& c, std::ostream* out) {
    *out << c.name;
}

class InvariantTest : public ConversionRunTest,
                      public ::testing::WithParamInterface<InvariantCase> {};

TEST_P(InvariantTest, OutputKeepsEveryLineInOrder) {
    const RunResult result = convert(GetParam().input);
    EXPECT_EQ(result.outcome, RunOutcome::Completed) << (result.error ? result.error->what() : "");
    EXPECT_EQ(checkInvariant(GetParam().input, output()), "");
}

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Inputs, InvariantTest,
    ::testing::Values(
        InvariantCase{"FamilyBeforeIndividuals", crlf({"0 HEAD", "0 @F2@ FAM", "0 @I3@ INDI",
                                                       "0 @F1@ FAM", "0 @I1@ INDI", "0 TRLR"})},
        InvariantCase{"NoFamilies",
                      crlf({"0 HEAD", "0 @I2@ INDI", "1 NAME B", "0 @I1@ INDI", "0 TRLR"})},
        InvariantCase{"NoIndividuals", crlf({"0 HEAD", "0 @F2@ FAM", "0 @F1@ FAM", "0 TRLR"})},
        InvariantCase{"NoHeader", crlf({"0 @I2@ INDI", "0 @I1@ INDI", "0 TRLR"})},
        InvariantCase{"OnlyTrailer", crlf({"0 TRLR"})},
        InvariantCase{"BlankLinesThenIndentedHeader",
                      crlf({"   ", "\t", "  0 HEAD", "0 @I2@ INDI", "0 @I1@ INDI", "0 TRLR"})},
        InvariantCase{"HeaderWithoutRecords", crlf({"0 HEAD", "1 CHAR ANSI", "0 TRLR"})},
        InvariantCase{"NoTrailer", crlf({"0 HEAD", "0 @I2@ INDI", "0 @I1@ INDI", "1 NAME A"})},
        InvariantCase{"NoTrailerNoFinalLineEnd", "0 HEAD\r\n0 @F2@ FAM\r\n0 @F1@ FAM"},
        InvariantCase{"LinesAfterTrailer", crlf({"0 HEAD", "0 TRLR", "0 @I1@ INDI", "junk"})},
        InvariantCase{"EmptyLinesEverywhere",
                      "\r\n\r\n0 HEAD\r\n\r\n0 @I2@ INDI\n\n0 @I1@ INDI\r\r0 TRLR\r\n\r\n"},
        InvariantCase{"CrOnly", "0 HEAD\r0 @I2@ INDI\r0 @I1@ INDI\r0 TRLR\r"},
        InvariantCase{"LfOnly", "0 HEAD\n0 @I2@ INDI\n0 @I1@ INDI\n0 TRLR\n"},
        InvariantCase{
            "QuotesAndSqlInNumbersAndLines",
            crlf({"0 HEAD", "1 NOTE \"quoted\" it's", "0 @I2\"); DROP TABLE INDITRI; --@ INDI",
                  "0 @I1'@ INDI", "1 NAME \"Jean\"", "0 @S\"1@ SUBM", "0 @I3@ INDI", "0 TRLR"})},
        InvariantCase{"NulAndHighBytes",
                      std::string("0 HEAD\r\n1 NOTE a\0b\xff\r\n0 @I\0@ INDI\r\n0 TRLR\r\n", 38)},
        InvariantCase{"WeirdNumbers",
                      crlf({"0 HEAD", "0 @I-5@ INDI", "0 @I123456789012345678901234567890@ INDI",
                            "0 @I007@ INDI", "0 @I7@ INDI", "0 @I@ INDI", "0 @I12 INDI",
                            "0 @I6@ INDI", "0 TRLR"})},
        InvariantCase{"TrailingBlanksOnRecordLines",
                      crlf({"0 HEAD", "0 @I12@ INDI ", "0 @I3@ INDI", "0 @F1@ FAM", "0 @S3@ SOUR ",
                            "0 @S2@ SOUR", "0 TRLR "})},
        InvariantCase{"IndividualNumberedZeroAfterHeader",
                      crlf({"0 HEAD", "0 @I0@ INDI", "0 TRLR"})},
        InvariantCase{"LongLinesCut",
                      crlf({"0 HEAD", "1 NOTE " + k300, "0 @I1@ INDI " + k300, "0 TRLR"})},
        InvariantCase{
            "Utf8ByMarkCutsBetweenCharacters",
            "\xEF\xBB\xBF" +
                crlf({"0 HEAD", "1 NOTE " + std::string(247, 'a') + "\xC3\xA9\xC3\xA9", "0 TRLR"})},
        InvariantCase{
            "Utf8ByCharLine",
            crlf({"0 HEAD", "1 CHAR UTF-8",
                  "1 NOTE " + std::string(246, 'a') + "\xE2\x82\xAC\xE2\x82\xAC", "0 TRLR"})},
        InvariantCase{"AnselIsCutPlainly",
                      crlf({"0 HEAD", "1 CHAR ANSEL",
                            "1 NOTE " + std::string(247, 'a') + "\xC3\xA9\xC3\xA9", "0 TRLR"})}),
    [](const auto& test) { return test.param.name; });

TEST_F(ConversionRunTest, ByteOrderMarkStaysAtTheFront) {
    convert("\xEF\xBB\xBF" + crlf({"0 @I2@ INDI", "0 @I1@ INDI", "0 TRLR"}));
    EXPECT_EQ(output(), "\xEF\xBB\xBF" + crlf({"0 @I1@ INDI", "0 @I2@ INDI", "0 TRLR"}));
}

TEST_F(ConversionRunTest, Utf8LineIsCutBeforeASplitCharacterAndStillReported) {
    const std::string head = "1 NOTE " + std::string(247, 'a');  // 254 bytes
    convert(crlf({"0 HEAD", "1 CHAR UTF-8", head + "\xC3\xA9" + "b", "0 TRLR"}));
    EXPECT_EQ(output(), crlf({"0 HEAD", "1 CHAR UTF-8", head, "0 TRLR"}));
    EXPECT_NE(log().find("La ligne 3 "), std::string::npos);
}

TEST_F(ConversionRunTest, LogOfTheWorkedExampleIs284Bytes) {
    std::vector<std::string> lines(45, "1 NOTE x");
    lines[0] = "0 HEAD";
    lines[11] = "1 NOTE " + k300;
    lines[39] = "1 NOTE " + k300;
    lines[44] = "0 TRLR";
    std::string input;
    for (const auto& line : lines) input += line + "\r\n";
    const RunResult result = convert(input);
    EXPECT_EQ(result.report.cutLines.size(), 2u);
    EXPECT_EQ(log(),
              "   ###############################################\r\n"
              "   #  Ligne(s) du GEDCOM comportant des erreurs  #\r\n"
              "   ###############################################\r\n"
              "La ligne 12 comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
              "e.\r\n"
              "La ligne 40 comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
              "e.\r\n");
    EXPECT_EQ(log().size(), 284u);
}

TEST_F(ConversionRunTest, LineNumbersCountEmptyLinesAnd255StaysWhole) {
    const std::string line255 = "1 NOTE " + std::string(248, 'a');
    convert("\r\n\r\n" + crlf({"0 HEAD", line255, line255 + "b", "0 TRLR"}));
    EXPECT_EQ(log().substr(156),
              "La ligne 5 comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
              "e.\r\n");
    EXPECT_EQ(output(), crlf({"0 HEAD", line255, line255, "0 TRLR"}));
}

TEST_F(ConversionRunTest, RunWithoutCutsLeavesNoLogEvenWhenOneWasThere) {
    files.put(kLog, "old log");
    convert(crlf({"0 HEAD", "0 TRLR"}));
    EXPECT_FALSE(files.has(kLog));
}

TEST_F(ConversionRunTest, CompletedRunTellsItsMeasurePassesAndResult) {
    const RunResult result = convert(crlf({"0 HEAD", "", "0 TRLR"}));
    EXPECT_EQ(frontend.passes, (std::vector<RunPass>{RunPass::Reading, RunPass::Writing}));
    ASSERT_TRUE(frontend.measure);
    EXPECT_EQ(frontend.measure->lineTotal, 3);
    EXPECT_FALSE(frontend.measure->estimated);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(result.measure.lineTotal, 3);
    EXPECT_EQ(result.report.linesRead, 3);
    EXPECT_EQ(result.outputPath, kOutput);
    EXPECT_GE(result.seconds, 0.0);
}

TEST_F(ConversionRunTest, CancelledOutputEndsWithoutWriting) {
    frontend.output.reset();
    const RunResult result = convert(crlf({"0 HEAD", "0 TRLR"}));
    EXPECT_EQ(result.outcome, RunOutcome::OutputCancelled);
    EXPECT_EQ(frontend.passes, std::vector<RunPass>{RunPass::Reading});
    EXPECT_EQ(output(), std::nullopt);
}

std::string numberedInput(int lines) {
    std::string input = "0 HEAD\r\n";
    for (int i = 2; i < lines; ++i) input += "1 NOTE " + std::to_string(i) + "\r\n";
    return input + "0 TRLR\r\n";
}

// Stop pressed at every progress step, the question answered by answers, in order.
void stopAtEveryStep(testing::ScriptedFrontend& frontend, std::vector<bool> answers) {
    frontend.stopAnswers = std::move(answers);
    frontend.onProgress = [&frontend](int) { frontend.stop = true; };
}

TEST_F(ConversionRunTest, ProgressEveryHundredLinesReachesExactly100) {
    convert(numberedInput(300));
    EXPECT_EQ(frontend.progress, (std::vector<int>{33, 66, 100}));
}

TEST_F(ConversionRunTest, EmptyLineAtAHundredGivesNoProgressStep) {
    std::string input = numberedInput(150);
    input.replace(input.find("1 NOTE 100\r\n"), 12, "\r\n");
    convert(input);
    EXPECT_TRUE(frontend.progress.empty());
}

TEST_F(ConversionRunTest, EstimatedInputProgressFollowsTheBytesToExactly100) {
    std::string input = "0 HEAD\r\n";
    while (input.size() < kCountThreshold) input += "1 A\r\n";  // 5 bytes a line, not 15
    input += "0 TRLR\r\n";
    frontend.output.reset();  // the staging pass alone
    convert(input);
    ASSERT_TRUE(frontend.measure);
    EXPECT_TRUE(frontend.measure->estimated);
    const std::vector<int>& p = frontend.progress;
    ASSERT_GE(p.size(), 2u);
    // By the bytes read, the bar moves evenly, each whole percent once, and reaches 100 only
    // at the end.
    EXPECT_TRUE(std::adjacent_find(p.begin(), p.end(), std::greater_equal<>()) == p.end());
    EXPECT_NEAR(p[p.size() / 2], 50, 1);
    EXPECT_LT(p[p.size() - 2], 100);
    EXPECT_EQ(p.back(), 100);
}

TEST_F(ConversionRunTest, WriteOutShowsProgressAndAStopThereWritesNothing) {
    std::string input = "0 HEAD\r\n";
    for (int i = 1000; i >= 1; --i) input += "0 @I" + std::to_string(i) + "@ INDI\r\n";
    input += "0 TRLR\r\n";
    frontend.onChooseOutput = [this] {
        frontend.progress.clear();
        frontend.onProgress = [this](int percent) {
            EXPECT_EQ(frontend.passes.back(), RunPass::Writing);
            if (percent >= 50) frontend.stop = true;
        };
    };
    frontend.stopAnswers = {false, true};
    const RunResult result = convert(input);
    // Blocks are written out in tens of progress steps; the first stop is refused, the second
    // abandons the write-out before its end.
    EXPECT_EQ(result.outcome, RunOutcome::Abandoned);
    EXPECT_EQ(frontend.stopQuestions, 2);
    EXPECT_LT(frontend.progress.back(), 100);
    EXPECT_EQ(output(), std::nullopt);
}

TEST_F(ConversionRunTest, AnotherRunHoldingTheLogFailsAtOnceTouchingNothing) {
    files.put(kLog, "the other run's log");
    const auto held = files.tryLock(testing::kFiles.lockPath);
    ASSERT_TRUE(held);
    const RunResult result = convert(crlf({"0 HEAD", "1 NOTE " + k300, "0 TRLR"}));
    EXPECT_TRUE(failedAt(result, FailedStep::RunLocked));
    EXPECT_EQ(log(), "the other run's log");
    EXPECT_EQ(frontend.outputQuestions, 0);
    EXPECT_EQ(output(), std::nullopt);
}

// In CONC mode a long line is continued instead of cut: every output line fits, and the values
// joined back are the input's.
class ConcRunTest : public ConversionRunTest {
protected:
    void SetUp() override {
        ConversionRunTest::SetUp();
        options.conc = true;
    }
};

TEST_F(ConcRunTest, LongLinesAreContinuedAndListedEverythingElseAsInNormalMode) {
    const std::string note(600, 'n');
    const std::string input = crlf({"0 HEAD", "1 CHAR ANSI", "0 @I2@ INDI", "1 NOTE " + note,
                                    "2 CONT " + note, "0 @I1@ INDI", "0 TRLR " + note});
    files.readChunk = 97;  // the long lines cross the reader's refills
    const RunResult result = convert(input);
    ASSERT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(result.report.continuedLines.size(), 2u);
    EXPECT_EQ(result.report.cutLines.size(), 1u);  // the trailer, which nothing may follow
    const std::string written = *output();
    const std::vector<std::string_view> lines = testing::splitLines(written);
    for (const std::string_view line : lines) EXPECT_LE(line.size(), 255u);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(std::string(lines[0]) + "|" + std::string(lines[1]) + "|" + std::string(lines[2]),
              "0 HEAD|1 CHAR ANSI|0 @I1@ INDI");
    // The value of the line at i, joined with the values of the CONC lines after it.
    size_t i = 4;
    const auto joined = [&] {
        std::string value(lines[i].substr(7));
        for (++i; i < lines.size() && lines[i].substr(0, 7) == "2 CONC "; ++i)
            value += lines[i].substr(7);
        return value;
    };
    EXPECT_EQ(lines[3], "0 @I2@ INDI");
    EXPECT_EQ(lines[4].substr(0, 7), "1 NOTE ");
    EXPECT_EQ(joined(), note);
    ASSERT_EQ(lines[i].substr(0, 7), "2 CONT ");
    EXPECT_EQ(joined(), note);
    ASSERT_EQ(i + 1, lines.size());
    EXPECT_EQ(lines[i], ("0 TRLR " + note).substr(0, 255));
    // After the banner of a CONC run's log.
    EXPECT_EQ(log().substr(log().find("La ligne ")),
              "La ligne 4 comporte plus de 255 caract\xE8res et a \xE9t\xE9 continu\xE9"
              "e sur des lignes CONC.\r\n"
              "La ligne 5 comporte plus de 255 caract\xE8res et a \xE9t\xE9 continu\xE9"
              "e sur des lignes CONC.\r\n"
              "La ligne 7 comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
              "e.\r\n");
}

TEST_F(ConversionRunTest, StopAnsweredNoGoesOnThenYesAbandons) {
    stopAtEveryStep(frontend, {false, true});
    const RunResult result = convert(numberedInput(500));
    EXPECT_EQ(frontend.stopQuestions, 2);
    EXPECT_EQ(result.outcome, RunOutcome::Abandoned);
    EXPECT_EQ(result.report.linesRead, 200);
    EXPECT_EQ(output(), std::nullopt);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(frontend.passes, std::vector<RunPass>{RunPass::Reading});
}

TEST_F(ConversionRunTest, StopAnsweredNoCompletesTheSameOutput) {
    stopAtEveryStep(frontend, {});
    convert(numberedInput(500));
    EXPECT_EQ(frontend.stopQuestions, 5);
    EXPECT_EQ(output(), numberedInput(500));
}

TEST_F(ConversionRunTest, StopDuringTheWriteOutIsAskedToo) {
    frontend.onChooseOutput = [this] { frontend.stop = true; };
    frontend.stopAnswers = {false, true};
    const std::string input = crlf({"0 HEAD", "0 @I2@ INDI", "0 @I1@ INDI", "0 TRLR"});
    EXPECT_EQ(convert(input).outcome, RunOutcome::Completed);
    EXPECT_FALSE(frontend.stop);
    EXPECT_EQ(output(), expectedOutput(input));
    files.files.erase(kOutput);
    EXPECT_EQ(convert(input).outcome, RunOutcome::Abandoned);
    EXPECT_EQ(output(), std::nullopt);
    EXPECT_EQ(frontend.stopQuestions, 2);
}

TEST_F(ConversionRunTest, SecondRunOwesNothingToTheFirst) {
    convert(crlf({"0 HEAD", "0 @I9@ INDI", "0 @F9@ FAM", "0 @S9@ SOUR", "0 @N9@ NOTE", "0 TRLR"}));
    const std::string second =
        crlf({"0 HEAD", "0 @I2@ INDI", "0 @I1@ INDI", "0 @F1@ FAM", "0 TRLR"});
    convert(second);
    EXPECT_EQ(output(), expectedOutput(second));
    convert(second);
    EXPECT_EQ(output(), expectedOutput(second));
}

TEST_F(ConversionRunTest, AbandonedRunLeavesTheDatabaseReady) {
    stopAtEveryStep(frontend, {true});
    convert(numberedInput(300));
    frontend.onProgress = nullptr;
    const std::string second = crlf({"0 HEAD", "0 @I2@ INDI", "0 @I1@ INDI", "0 TRLR"});
    EXPECT_EQ(convert(second).outcome, RunOutcome::Completed);
    EXPECT_EQ(output(), expectedOutput(second));
}

struct RefusalCase {
    const char* name;
    std::string input;
    FailedStep step;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class RefusedInputTest : public ConversionRunTest,
                         public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedInputTest, FailsClearlyAndWritesNothing) {
    const RunResult result = convert(GetParam().input);
    ASSERT_TRUE(failedAt(result, GetParam().step));
    EXPECT_EQ(result.error->path(), kInput);
    EXPECT_EQ(output(), std::nullopt);
    EXPECT_EQ(frontend.outputQuestions, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedInputTest,
    ::testing::Values(
        RefusalCase{"Empty", "", FailedStep::InputEmpty},
        RefusalCase{"OnlyEmptyLines", "\r\n\n\r", FailedStep::InputEmpty},
        RefusalCase{"OnlyBlankLines", "  \r\n\t\n \t\r", FailedStep::InputEmpty},
        RefusalCase{"BlanksThenText", "  \r\n  HEAD\r\n0 TRLR\r\n", FailedStep::InputNotGedcom},
        RefusalCase{"Binary", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR", FailedStep::InputNotGedcom},
        RefusalCase{"TwoMarks",
                    "\xEF\xBB\xBF\xEF\xBB\xBF"
                    "0 HEAD\r\n0 TRLR\r\n",
                    FailedStep::InputTwoMarks},
        RefusalCase{"Utf16WithMark",
                    std::string("\xFF\xFE"
                                "0\0 \0H\0",
                                8),
                    FailedStep::InputEncoding},
        RefusalCase{"Utf16WithoutMark", std::string("0\0 \0H\0E\0", 8), FailedStep::InputEncoding},
        RefusalCase{"GedzipArchive", std::string("PK\x03\x04\x14\0\0\0gedcom.ged", 18),
                    FailedStep::InputArchive}),
    [](const auto& test) { return test.param.name; });

TEST_F(ConversionRunTest, MissingInputFails) {
    EXPECT_TRUE(failedAt(start(), FailedStep::ReadInput));
}

TEST_F(ConversionRunTest, ReadFailureMidwayWritesNothingAndTheNextRunWorks) {
    files.readChunk = 16;
    const std::string input = numberedInput(20);
    convert(input);
    // The count pass and the staging pass each take about half of a run's reads.
    files.failReadAt = files.reads * 3 / 4;
    files.reads = 0;
    files.files.erase(kOutput);
    const RunResult failed = convert(input);
    EXPECT_EQ(failed.outcome, RunOutcome::Failed);
    EXPECT_EQ(failed.measure.lineTotal, 20);
    EXPECT_EQ(output(), std::nullopt);
    EXPECT_FALSE(db.inTransaction());
    files.failReadAt.reset();
    EXPECT_EQ(convert(input).outcome, RunOutcome::Completed);
    EXPECT_EQ(output(), expectedOutput(input));
}

TEST_F(ConversionRunTest, FullOutputKeepsTheOldFile) {
    files.put(kOutput, "old content");
    files.outputSpace = 10;
    EXPECT_TRUE(failedAt(convert(numberedInput(50)), FailedStep::WriteOutput));
    EXPECT_EQ(output(), "old content");
}

// A write-out that fails for its output, and the front end that asks again: the same staged
// records go where the user then says, and the report tells that write-out alone.
struct FailedWriteCase {
    const char* name;
    std::function<void(testing::MemoryFileSystem&)> breakOutput;
};

void PrintTo(const FailedWriteCase& c, std::ostream* out) {
    *out << c.name;
}

class FailedWriteTest : public ConversionRunTest,
                        public ::testing::WithParamInterface<FailedWriteCase> {
protected:
    // Out of order, with a line to cut, an xref twice and a number spelled two ways: every part
    // of the report the write-out gathers.
    const std::string input =
        crlf({"0 HEAD", "0 @I3@ INDI", "1 NOTE " + std::string(300, 'n'), "0 @I1@ INDI",
              "0 @I01@ INDI", "0 @R1@ REPO", "0 @R1@ REPO", "0 @I2@ INDI", "0 TRLR"});
    const std::string elsewhere = "/elsewhere/sorted.ged";

    void SetUp() override {
        ConversionRunTest::SetUp();
        files.put(kInput, input);
        GetParam().breakOutput(files);
        frontend.asksAgain = true;
        // The output cannot be written until the user is asked again.
        frontend.onChooseOutput = [this] {
            if (frontend.outputQuestions == 2) {
                files.outputSpace.reset();
                files.unwritableFolders.clear();
            }
        };
    }
};

TEST_P(FailedWriteTest, AnotherPlaceGetsTheSameBytesAndReport) {
    // The same input written at once, on files of its own.
    testing::MemoryFileSystem directFiles;
    directFiles.put(kInput, input);
    testing::ScriptedFrontend plain;
    plain.output = kOutput;
    const RunResult direct = testing::runOn(db, directFiles, plain, kInput);
    frontend.outputsAfterFailure = {elsewhere};
    const RunResult result = start();

    ASSERT_EQ(result.outcome, RunOutcome::Completed);
    ASSERT_EQ(frontend.failuresShown.size(), 1u);
    EXPECT_EQ(frontend.failuresShown[0].step(), FailedStep::WriteOutput);
    EXPECT_EQ(frontend.failuresShown[0].path(), kOutput);
    EXPECT_EQ(result.outputPath, elsewhere);
    EXPECT_FALSE(files.has(kOutput));
    EXPECT_EQ(files.at(elsewhere), directFiles.at(kOutput));
    // Read once: the input's lines were staged once, and only written again.
    EXPECT_EQ(std::count(frontend.passes.begin(), frontend.passes.end(), RunPass::Reading), 1);
    EXPECT_EQ(frontend.passes.back(), RunPass::Writing);
    EXPECT_TRUE(result.report.verified);
    EXPECT_EQ(result.report.linesWritten, direct.report.linesWritten);
    EXPECT_EQ(result.report.duplicateXrefs, direct.report.duplicateXrefs);
    EXPECT_EQ(result.report.equalNumbers, direct.report.equalNumbers);
    EXPECT_EQ(result.report.cutLines, direct.report.cutLines);
    EXPECT_NE(log().find("La ligne 3 "), std::string::npos);
}

TEST_P(FailedWriteTest, CancelledThenEndsAsACancelledChoiceWithoutLog) {
    const RunResult result = start();
    EXPECT_EQ(result.outcome, RunOutcome::OutputCancelled);
    EXPECT_EQ(frontend.failuresShown.size(), 1u);
    EXPECT_EQ(result.outputPath, "");
    EXPECT_FALSE(result.error);
    EXPECT_EQ(output(), std::nullopt);
    EXPECT_FALSE(files.has(kLog));
}

TEST_P(FailedWriteTest, FrontEndThatDoesNotAskAgainFails) {
    frontend.asksAgain = false;
    EXPECT_TRUE(failedAt(start(), FailedStep::WriteOutput));
    EXPECT_EQ(frontend.outputQuestions, 1);
    EXPECT_FALSE(files.has(kLog));
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, FailedWriteTest,
    ::testing::Values(FailedWriteCase{"FolderNotWritable",
                                      [](auto& files) { files.unwritableFolders = {"/out"}; }},
                      FailedWriteCase{"DiskFull", [](auto& files) { files.outputSpace = 10; }}),
    [](const auto& test) { return test.param.name; });

TEST_F(ConversionRunTest, AFailureOfTheStoreIsNotAskedAgain) {
    frontend.asksAgain = true;
    frontend.outputsAfterFailure = {"/elsewhere/sorted.ged"};
    frontend.onChooseOutput = [this] { db.close(); };  // the write-out cannot read the store
    EXPECT_TRUE(failedAt(convert(crlf({"0 HEAD", "0 @I1@ INDI", "0 TRLR"})), FailedStep::Database));
    EXPECT_TRUE(frontend.failuresShown.empty());
}

}  // namespace
}  // namespace brelin

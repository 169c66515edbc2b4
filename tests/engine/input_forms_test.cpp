// Files as other programs write them: version 7 with lines of any length, UTF-8 that nobody
// declared, records after an early trailer, characters split between a line and its CONC line;
// and a run that only checks. Each run goes through both modes where the mode could matter.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine.h"
#include "gedcom_line.h"
#include "invariant.h"
#include "run_fixture.h"

namespace brelin {
namespace {

using testing::crlf;
using testing::kInput;
using testing::kLog;
using testing::kOutput;
using testing::splitLines;

class InputFormsTest : public testing::RunFixture {
protected:
    // Runs input in the normal mode, then in the CONC mode, each without the output of the
    // other; check sees each run, once completed, in its mode (options.conc).
    void inBothModes(const std::string& input, const std::function<void(const RunResult&)>& check) {
        for (const bool conc : {false, true}) {
            files.files.erase(kOutput);
            options.conc = conc;
            const RunResult result = convert(input);
            ASSERT_EQ(result.outcome, RunOutcome::Completed) << "conc " << conc;
            check(result);
        }
    }
};

TEST_F(InputFormsTest, Version7KeepsEveryLineWholeInBothModesAndPutsRecordsInOrder) {
    const std::string url = "1 WWW https://example.org/" + std::string(773, 'u');  // 799 bytes
    const std::string input = crlf({"0 HEAD", "1 GEDC", "2 VERS 7.0", "0 @I2@ INDI", url,
                                    "0 @I1@ INDI", "1 FAMS @VOID@", "0 TRLR"});
    inBothModes(input, [&](const RunResult& result) {
        EXPECT_EQ(output(), crlf({"0 HEAD", "1 GEDC", "2 VERS 7.0", "0 @I1@ INDI", "1 FAMS @VOID@",
                                  "0 @I2@ INDI", url, "0 TRLR"}));
        EXPECT_EQ(log(), "");
        EXPECT_EQ(result.report.gedcomVersion, "7.0");
        EXPECT_EQ(findings(result.report), std::vector<Finding>{Finding::Version7});
    });
}

TEST_F(InputFormsTest, MultiMegabyteLineCrossesBlockPartsByteForByte) {
    std::string note = "1 NOTE ";
    while (note.size() < 2'500'000) note += "Généalogie de la famille 😀 ";
    const std::string input = crlf({"0 HEAD", "1 GEDC", "2 VERS 7.1", "0 @N2@ NOTE", "1 CONT avant",
                                    note, "1 CONT après", "0 @N1@ NOTE", note, "0 TRLR"});
    files.readChunk = 4093;  // the line crosses the reader's refills too
    inBothModes(input, [&](const RunResult& result) {
        EXPECT_TRUE(result.report.verified);
        EXPECT_TRUE(output() ==
                    crlf({"0 HEAD", "1 GEDC", "2 VERS 7.1", "0 @N1@ NOTE", note, "0 @N2@ NOTE",
                          "1 CONT avant", note, "1 CONT après", "0 TRLR"}));
        EXPECT_EQ(result.report.encodingSeen, gedcom::TextBytes::Utf8);
    });
}

// A character of every length that a cut at 255 would split, in a file that declares nothing.
TEST_F(InputFormsTest, UndeclaredUtf8ComesOutValidInBothModes) {
    for (const char* character : {"é", "€", "😀"}) {
        const std::string line = "1 NOTE é" + std::string(245, 'a') + character + character;
        const std::string input = crlf({"0 HEAD", "0 @I1@ INDI", line, "2 CONT " + line, "0 TRLR"});
        inBothModes(input, [&](const RunResult& result) {
            ASSERT_TRUE(output());
            EXPECT_TRUE(gedcom::isValidUtf8(*output())) << character << options.conc;
            for (const std::string_view written : splitLines(*output()))
                EXPECT_LE(written.size(), 255u);
            EXPECT_EQ(result.report.encodingSeen, gedcom::TextBytes::Utf8);
            EXPECT_EQ(
                options.conc ? result.report.continuedLines.size() : result.report.cutLines.size(),
                2u);
            if (!options.conc) {
                EXPECT_EQ(testing::checkInvariant(input, output()), "");
            }
        });
    }
}

struct TrailerCase {
    const char* name;
    std::vector<std::string> lines;
    int64_t recordsAfter;
    int64_t linesLeftOut;
};

class EarlyTrailerTest : public InputFormsTest,
                         public ::testing::WithParamInterface<TrailerCase> {};

TEST_P(EarlyTrailerTest, RecordsAfterItAreKeptInOrderOneTrailerLast) {
    std::string input;
    for (const std::string& line : GetParam().lines) input += line + "\r\n";
    const RunResult result = convert(input);
    ASSERT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(testing::checkInvariant(input, output()), "");
    EXPECT_EQ(result.report.recordsAfterTrailer, GetParam().recordsAfter);
    EXPECT_EQ(result.report.linesAfterTrailer, GetParam().linesLeftOut);
    EXPECT_EQ(output()->substr(output()->size() - 8), "0 TRLR\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, EarlyTrailerTest,
    ::testing::Values(
        TrailerCase{"RecordsAfterIt",
                    {"0 HEAD", "0 @I2@ INDI", "0 TRLR", "0 @I3@ INDI", "1 FAMS @F1@", "0 @F1@ FAM",
                     "1 HUSB @I3@", "0 @I1@ INDI", "0 TRLR"},
                    3,
                    1},
        TrailerCase{"EndOfFileMarkNulsAndBlanks",
                    {"0 HEAD", "0 @I1@ INDI", "0 TRLR", "\x1A", std::string("\0\0", 2), "   "},
                    0,
                    3},
        TrailerCase{"SecondTrailerThenRecords",
                    {"0 HEAD", "0 TRLR", "0 TRLR", "1 NAME orphan", "0 @I1@ INDI", "0 @R1@ REPO"},
                    2,
                    2}),
    [](const auto& test) { return test.param.name; });

TEST_F(InputFormsTest, HeaderAfterTheTrailerIsTwoFilesEndToEnd) {
    for (const std::string& mark : {std::string(), std::string(gedcom::kUtf8Mark)}) {
        const RunResult result = convert(crlf(
            {"0 HEAD", "0 @I1@ INDI", "0 TRLR", "", mark + "0 HEAD", "0 @I1@ INDI", "0 TRLR"}));
        ASSERT_TRUE(testing::failedAt(result, FailedStep::SecondHeader));
        EXPECT_EQ(result.error->line(), 5);
        EXPECT_EQ(output(), std::nullopt);
        EXPECT_EQ(frontend.outputQuestions, 0);
    }
}

// An exporter that split "é" between a line and its CONC line: told in both modes, mended in
// the CONC mode, where the joined value keeps its bytes and every line is valid again.
TEST_F(InputFormsTest, CharacterSplitOverAConcLineIsMendedInTheConcMode) {
    const std::string input = crlf({"0 HEAD", "1 CHAR UTF-8", "0 @I1@ INDI", "1 NOTE Caf\xC3",
                                    "2 CONC \xA9 au lait", "0 TRLR"});
    inBothModes(input, [&](const RunResult& result) {
        EXPECT_EQ(result.report.splitCharacters, std::vector<int64_t>{5});
        EXPECT_EQ(result.report.concRepaired, options.conc ? 1 : 0);
        EXPECT_TRUE(result.report.invalidUtf8Lines.empty());
        EXPECT_FALSE(result.report.encodingMismatch);
        EXPECT_EQ(output(), options.conc ? crlf({"0 HEAD", "1 CHAR UTF-8", "0 @I1@ INDI",
                                                 "1 NOTE Caf", "2 CONC \xC3\xA9 au lait", "0 TRLR"})
                                         : input);
    });
}

TEST_F(InputFormsTest, CheckWritesNothingAndTouchesNoLog) {
    files.put(kLog, "the last run's log");
    const auto held =
        files.tryLock(testing::kFiles.lockPath);  // a run at work: a check needs no lock
    const std::string input = crlf({"0 HEAD", "1 NOTE " + std::string(300, 'x'), "0 @I2@ INDI",
                                    "1 FAMC @F9@", "0 @I1@ INDI", "0 TRLR"});
    options.checkOnly = true;
    const RunResult result = convert(input);
    ASSERT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_TRUE(result.checkOnly);
    EXPECT_TRUE(result.report.verified);
    EXPECT_EQ(result.report.linesWritten, 6);
    EXPECT_EQ(result.report.cutLines.size(), 1u);
    EXPECT_EQ(result.report.missingPointers, (std::vector<MissingPointer>{{4, "@F9@"}}));
    EXPECT_EQ(frontend.outputQuestions, 0);
    EXPECT_EQ(log(), "the last run's log");
    EXPECT_EQ(files.files.size(), 2u);  // the input and the log
}

}  // namespace
}  // namespace brelin

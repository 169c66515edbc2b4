// The log and the report beside the output: a run writes them beside their names and puts them in
// place with its output, so a run that ends without output, whichever way it ends, leaves the
// last run's exactly as they were; a completed run whose log or report cannot be put in place
// says so and leaves no earlier one behind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "invariant.h"
#include "report_text.h"
#include "run_fixture.h"

namespace brelin {
namespace {

using testing::crlf;
using testing::failedAt;
using testing::kLog;
using testing::kOutput;

const std::string& kReport = testing::kFiles.reportPath;
const std::string kLastLog = "the last run's log";
const std::string kLastReport = "the last run's report";

// Out of order, with a line to cut and enough lines for progress steps in both passes.
std::string inputWithACut() {
    std::string input = "0 HEAD\r\n1 NOTE " + std::string(300, 'x') + "\r\n";
    for (int i = 400; i >= 1; --i) input += "0 @I" + std::to_string(i) + "@ INDI\r\n";
    return input + "0 TRLR\r\n";
}

class SideFilesTest : public testing::RunFixture {
protected:
    void SetUp() override {
        RunFixture::SetUp();
        options.reportText = text::reportText;
        files.put(kLog, kLastLog);
        files.put(kReport, kLastReport);
        files.put(kOutput, "the last output");
    }
};

// What a way to end sets up before the run.
struct Setup {
    testing::ScriptedFrontend& frontend;
    testing::MemoryFileSystem& files;
    std::string& input;
    std::unique_ptr<FileLock>& held;  // a lock another run holds
};

// Each way a run ends without output.
struct NoOutputCase {
    const char* name;
    RunOutcome outcome;
    std::function<void(Setup)> end;
};

void PrintTo(const NoOutputCase& c, std::ostream* out) {
    *out << c.name;
}

class NoOutputTest : public SideFilesTest, public ::testing::WithParamInterface<NoOutputCase> {};

TEST_P(NoOutputTest, LeavesTheLastLogAndReportAsTheyWere) {
    std::string input = inputWithACut();
    std::unique_ptr<FileLock> held;
    GetParam().end({frontend, files, input, held});
    const RunResult result = convert(input);
    EXPECT_EQ(result.outcome, GetParam().outcome);
    EXPECT_FALSE(result.reportWritten);
    EXPECT_EQ(log(), kLastLog);
    EXPECT_EQ(files.at(kReport), kLastReport);
    EXPECT_EQ(output(), "the last output");
    // Nothing else beside them: the input, the output, the log and the report.
    EXPECT_EQ(files.files.size(), 4u);
}

// Stopped at the n-th stop question of the run (the staging pass's first, the write-out's
// first, the last one before the output is put in place).
void stopAt(testing::ScriptedFrontend& frontend, int question) {
    frontend.stop = true;
    frontend.onProgress = [&frontend](int) { frontend.stop = true; };
    frontend.stopAnswers.assign(static_cast<size_t>(question), false);
    frontend.stopAnswers.back() = true;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, NoOutputTest,
    ::testing::Values(
        NoOutputCase{"StoppedReading", RunOutcome::Abandoned,
                     [](Setup s) { stopAt(s.frontend, 1); }},
        NoOutputCase{"StoppedWriting", RunOutcome::Abandoned,
                     [](Setup s) {
                         s.frontend.onChooseOutput = [&frontend = s.frontend] {
                             stopAt(frontend, 1);
                         };
                     }},
        // Too few records for a stop question in the write-out: the first one asked is the
        // last, before the output is put in place.
        NoOutputCase{"StoppedWhenWritten", RunOutcome::Abandoned,
                     [](Setup s) {
                         s.input = crlf({"0 HEAD", "1 NOTE " + std::string(300, 'x'), "0 @I2@ INDI",
                                         "0 @I1@ INDI", "0 TRLR"});
                         s.frontend.onChooseOutput = [&frontend = s.frontend] {
                             stopAt(frontend, 1);
                         };
                     }},
        NoOutputCase{"Cancelled", RunOutcome::OutputCancelled,
                     [](Setup s) { s.frontend.output.reset(); }},
        NoOutputCase{"WriteFailed", RunOutcome::Failed, [](Setup s) { s.files.outputSpace = 10; }},
        NoOutputCase{"ReadFailed", RunOutcome::Failed,
                     [](Setup s) {
                         s.files.readChunk = 64;
                         s.frontend.onProgress = [&files = s.files](int) {
                             if (!files.failReadAt) files.failReadAt = files.reads + 1;
                         };
                     }},
        NoOutputCase{"Utf16Refused", RunOutcome::Failed,
                     [](Setup s) {
                         s.input = std::string(
                             "\xFF\xFE"
                             "0\0 \0",
                             6);
                     }},
        NoOutputCase{"SecondHeader", RunOutcome::Failed,
                     [](Setup s) {
                         s.input += crlf({"0 HEAD", "0 TRLR"});
                     }},
        NoOutputCase{"Locked", RunOutcome::Failed,
                     [](Setup s) { s.held = s.files.tryLock(testing::kFiles.lockPath); }}),
    [](const auto& test) { return test.param.name; });

// A completed run puts its log (or none) and its report in place of the last run's.
TEST_F(SideFilesTest, ACompletedRunReplacesBoth) {
    for (const bool cut : {true, false}) {
        const RunResult result =
            convert(cut ? inputWithACut() : crlf({"0 HEAD", "0 @I2@ INDI", "0 TRLR"}));
        ASSERT_EQ(result.outcome, RunOutcome::Completed);
        EXPECT_TRUE(result.reportWritten);
        EXPECT_FALSE(result.logOrReportFailure);
        EXPECT_EQ(files.at(kReport), text::reportText(result));
        EXPECT_EQ(files.has(kLog), cut);
        if (cut) {
            EXPECT_NE(log().find("La ligne 2 "), std::string::npos);
        }
    }
}

// The output is in place, the log or the report is not: the failure is told, the run completed,
// and no earlier file is left to tell an earlier run.
TEST_F(SideFilesTest, ALogOrReportThatCannotBePutInPlaceIsToldAndNoEarlierOneStays) {
    struct Case {
        const char* name;
        std::function<void(testing::MemoryFileSystem&)> breakFile;
        FailedStep step;
    };
    const Case cases[] = {
        {"log not renamed", [](auto& memory) { memory.failingCommits = {kLog}; },
         FailedStep::WriteLog},
        {"report not renamed", [](auto& memory) { memory.failingCommits = {kReport}; },
         FailedStep::WriteReport},
        {"report not created", [](auto& memory) { memory.unwritableFolders = {"/prog"}; },
         FailedStep::WriteReport},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.put(kLog, kLastLog);
        files.put(kReport, kLastReport);
        // The log is written in the staging pass, the report once the output is: the folder
        // refuses the report alone.
        frontend.onChooseOutput = [&] { c.breakFile(files); };
        const RunResult result = convert(inputWithACut());
        frontend.onChooseOutput = nullptr;
        files.failingCommits.clear();
        files.unwritableFolders.clear();

        ASSERT_EQ(result.outcome, RunOutcome::Completed);
        ASSERT_TRUE(result.logOrReportFailure);
        EXPECT_EQ(result.logOrReportFailure->step(), c.step);
        EXPECT_EQ(output(), testing::expectedOutput(inputWithACut()));
        const bool logFailed = c.step == FailedStep::WriteLog;
        EXPECT_EQ(files.has(kLog), !logFailed);
        EXPECT_EQ(files.has(kReport), logFailed);
        EXPECT_EQ(result.reportWritten, logFailed);
    }
}

}  // namespace
}  // namespace brelin

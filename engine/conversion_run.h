// One conversion run: from the input choice to the written output. The run stages every record
// of the input by its number in the staging database, then writes the header part, the
// individuals, families, sources and notes, each group in ascending number, and the trailer.
//
// The run talks to its front end only through RunFrontend, and tells it facts (the input's
// measure, the state, the progress, the result); the front end words them. A failure never
// escapes start(): it ends the run with outcome Failed, leaves no output behind and the
// database ready for the next run.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "file_system.h"
#include "line_count.h"
#include "run_error.h"
#include "run_report.h"
#include "staging_database.h"

namespace brelin {

class BlockStager;
class TruncationLog;
struct Line;
enum class LineKind;

enum class RunState { Idle, Running, Writing };

enum class RunOutcome { InputCancelled, OutputCancelled, Completed, Abandoned, Failed };

// What a run did. Past the input choice, the input, its measure, the lines read and cut and the
// time are known whatever the outcome (as far as the run got); the report is complete for a
// completed run.
struct RunResult {
    RunOutcome outcome = RunOutcome::InputCancelled;
    std::string inputPath;
    std::string outputPath;
    InputMeasure measure;
    int64_t linesRead = 0;
    int64_t linesCut = 0;
    int64_t linesContinued = 0;
    double seconds = 0;
    std::optional<RunError> error;
    RunReport report;
};

class RunFrontend {
public:
    virtual ~RunFrontend() = default;

    // The user's choices. nullopt when the user cancels.
    virtual std::optional<std::string> chooseInput() = 0;
    // Asked after the staging pass. The front end refuses the input itself (sameFile) and asks
    // before replacing a file.
    virtual std::optional<std::string> chooseOutput(const std::string& inputPath) = 0;

    // What happens, in this order: runStarted, setState(Running), inputMeasured, progress,
    // setState(Writing), runEnded, setState(Idle). A failure skips to runEnded; a run the user
    // abandons gets no setState(Idle), since its front end ends.
    virtual void runStarted(const std::string& inputPath) = 0;
    virtual void setState(RunState state) = 0;
    virtual void inputMeasured(const InputMeasure& measure) = 0;
    virtual void showProgress(bool visible) = 0;
    // Moves the progress to percent (0 to 100), then lets the front end handle what is pending
    // (a click on stop, the help window). Called every 100 lines.
    virtual void updateProgress(float percent) = 0;
    // Not called when the input choice is cancelled.
    virtual void runEnded(const RunResult& result) = 0;

    // The stop request: polled after every line, answered by the stop question.
    virtual bool stopRequested() = 0;
    virtual void clearStopRequest() = 0;
    // True abandons the run.
    virtual bool confirmStop() = 0;
};

// How a run treats its input, chosen by the user.
struct RunOptions {
    // A line longer than 255 bytes is continued on CONC lines instead of being cut.
    bool continueLongLines = false;
};

class ConversionRun {
public:
    static constexpr size_t kLineLimit = 255;
    static constexpr int64_t kProgressStep = 100;
    // The write-out shows its progress, and answers a stop request, every so many blocks.
    static constexpr int64_t kWriteProgressStep = 100;

    // Everything given must outlive the run object. logPath is the truncation log's file; the
    // run holds the lock file beside it (lockPathFor) for its whole length.
    ConversionRun(StagingDatabase& database, FileSystem& files, RunFrontend& frontend,
                  std::string logPath, RunOptions options = {});

    RunResult start();

    // The path of the last run's input, kept between runs.
    const std::string& inputPath() const { return inputPath_; }

private:
    struct Staged;

    void begin(const std::string& input, RunResult& result);
    InputMeasure measure();
    // False when the user abandons the run.
    bool stagingPass(TruncationLog& log, RunResult& result, Staged& staged,
                     ReportGatherer& gatherer);
    // Fails with SelfCheck, writing nothing, when the lines written are not those staged.
    bool writeOut(const std::string& output, const Staged& staged, ReportGatherer& gatherer);
    // Stages line, cut or continued where it is longer than 255 bytes. Returns its kind.
    LineKind stageLine(const Line& line, int64_t lineNumber, bool utf8, ByteSource& source,
                       BlockStager& stager, TruncationLog& log, Staged& staged,
                       ReportGatherer& gatherer);
    // The lines of the xrefs the report found twice, read again from the input.
    void locateReported(ReportGatherer& gatherer);
    // True when a stop was requested and the user confirms it.
    bool stopConfirmed();
    RunResult finish(RunResult& result, RunOutcome outcome, ReportGatherer& gatherer);

    StagingDatabase& database_;
    FileSystem& files_;
    RunFrontend& frontend_;
    std::string logPath_;
    RunOptions options_;
    std::string inputPath_;
    std::chrono::steady_clock::time_point startTime_;
};

// The file a run locks, beside the truncation log at logPath: "NAME.lock" for "LogNAME.log".
std::string lockPathFor(const std::string& logPath);

// How many bytes of a line of length bytes, whose head is given, stay after the cut: the whole
// line up to 255 bytes; in UTF-8 the longest prefix of whole characters of at most 255 bytes.
size_t cutLength(std::string_view head, uint64_t length, bool utf8);

}  // namespace brelin

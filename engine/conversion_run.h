// One conversion run of a given input: the run stages every record of the input by its number in
// the staging database, then writes the header part, the individuals, families, sources and
// notes, each group in ascending number, and the trailer. A line longer than 255 bytes is cut, or
// continued on CONC lines when the options ask for it, and told to the truncation log; in a
// version 7 file, which has no length limit, it is kept whole.
//
// The run tells its front end facts through RunFrontend (the input's measure, the state, the
// progress, the result with its report), and asks its user two things through RunQuestions (the
// output's name, whether to stop); the front ends word the facts. A failure never escapes
// start(): it ends the run with outcome Failed, leaves no output behind and the database ready
// for the next run. A run that writes no output leaves no truncation log either: the log would
// list lines of a file that does not exist.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "file_system.h"
#include "gedcom_line.h"
#include "line_count.h"
#include "run_error.h"
#include "run_report.h"

namespace brelin {

class ReportGatherer;
class RunDatabase;
class TruncationLog;

enum class RunState { Idle, Running, Writing };

enum class RunOutcome { OutputCancelled, Completed, Abandoned, Failed };

// What a run did. The input, its measure and the time are known whatever the outcome; the report
// holds what the run got to (the lines cut and continued; the lines read, once the staging pass
// ended or was stopped), and is complete for a completed run.
struct RunResult {
    RunOutcome outcome = RunOutcome::Failed;
    std::string inputPath;
    std::string outputPath;
    InputMeasure measure;
    double seconds = 0;
    std::optional<RunError> error;
    RunReport report;
    // The run only checked its input (RunOptions::checkOnly): nothing was written.
    bool checkOnly = false;
};

// What happens during a run, in this order: runStarted, setState(Running), inputMeasured,
// progress, setState(Writing), runEnded, setState(Idle). A failure skips to runEnded; a run the
// user abandons gets no setState(Idle), since its front end ends.
class RunFrontend {
public:
    virtual ~RunFrontend() = default;

    virtual void runStarted(const std::string& inputPath) = 0;
    virtual void setState(RunState state) = 0;
    virtual void inputMeasured(const InputMeasure& measure) = 0;
    virtual void showProgress(bool visible) = 0;
    // Moves the progress to percent (0 to 100): every 100 lines of the staging pass, every 100
    // blocks of the write-out.
    virtual void updateProgress(float percent) = 0;
    // Right after each progress step: the front end handles what is pending for its user (a
    // click on stop, the help window), so that it stays alive during a long run.
    virtual void handlePending() = 0;
    virtual void runEnded(const RunResult& result) = 0;
};

// The two things a run asks its user.
class RunQuestions {
public:
    virtual ~RunQuestions() = default;

    // Asked after the staging pass, with failure null; nullopt when the user cancels. The front
    // end refuses the input itself (sameFile) and asks before replacing a file. Where
    // asksAgainAfterFailedWrite(), a write-out that fails for its output (FailedStep::WriteOutput:
    // a folder that cannot be written, a full disk…) asks again, with that failure, and the same
    // staged records are written where the user then says; nullopt there ends the run as
    // OutputCancelled.
    virtual std::optional<std::string> chooseOutput(const std::string& inputPath,
                                                    const RunError* failure) = 0;
    // False: a failed write-out fails the run (the output was given once and for all).
    virtual bool asksAgainAfterFailedWrite() const { return false; }

    // Polled after every line and every block: whether the user asked to stop.
    virtual bool stopRequested() = 0;
    // The stop question, asked when a stop was requested: true abandons the run; false goes on,
    // and the front end forgets that request.
    virtual bool confirmStop() = 0;
};

// How a run treats its input, chosen by the user (--conc, the check box "Conserver la fin des
// lignes longues (CONC)").
struct RunOptions {
    // A line longer than 255 bytes is continued on CONC lines instead of being cut.
    bool conc = false;
    // The run reads, stages and checks as ever, but writes nothing: no output (the output is not
    // asked for), no log, no lock (brelin-cli --check).
    bool checkOnly = false;
};

class ConversionRun {
public:
    static constexpr int64_t kProgressStep = 100;
    // The write-out shows its progress, and answers a stop request, every so many blocks.
    static constexpr int64_t kWriteProgressStep = 100;

    // Everything given must outlive the run object. logPath is the truncation log's file; the
    // run holds the lock file beside it (lockPathFor) for its whole length.
    ConversionRun(RunDatabase& database, FileSystem& files, RunFrontend& frontend,
                  RunQuestions& questions, std::string logPath, RunOptions options = {});

    // Runs on the file at inputPath.
    RunResult start(const std::string& inputPath);

private:
    struct Staged;

    void begin(const std::string& inputPath, RunResult& result);
    // False when the user abandons the run.
    bool stagingPass(ByteSource& source, TruncationLog& log, RunResult& result, Staged& staged,
                     ReportGatherer& gatherer);
    // Asks for the output and writes it, asking again after a failed write where the front end
    // does. Nullopt when the user cancels; otherwise whether the output was written (false: the
    // user abandoned the run).
    std::optional<bool> chooseAndWrite(const Staged& staged, RunResult& result,
                                       ReportGatherer& gatherer);
    // Fails with SelfCheck, writing nothing, when the lines written are not those staged.
    bool writeOut(const std::string& output, const Staged& staged, ReportGatherer& gatherer);
    // One progress step: the bar moves, the front end handles what is pending.
    void progress(float percent);
    // True when a stop was requested and the user confirms it.
    bool stopConfirmed();
    // Ends the run. A run without output removes the log it began, unless another run holds it.
    RunResult finish(RunResult& result, RunOutcome outcome, ReportGatherer& gatherer,
                     TruncationLog* ownLog);

    RunDatabase& database_;
    FileSystem& files_;
    RunFrontend& frontend_;
    RunQuestions& questions_;
    std::string logPath_;
    RunOptions options_;
    std::string inputPath_;
    std::chrono::steady_clock::time_point startTime_;
};

// The file a run locks, beside the truncation log at logPath: "NAME.lock" for "LogNAME.log".
std::string lockPathFor(const std::string& logPath);

}  // namespace brelin

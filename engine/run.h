// What a front end gives a run and gets from it: the options the user chose, the facts the run
// tells while it goes (RunEvents), the two things it asks its user (RunQuestions), and what it
// did (RunResult). The front ends word the facts (text/); nothing here is a sentence.
#pragma once

#include <optional>
#include <string>

#include "line_count.h"
#include "run_error.h"
#include "run_report.h"

namespace brelin {

struct RunResult;

// How a run treats its input, chosen by the user (--conc, the check box "Conserver la fin des
// lignes longues (CONC)"), and the report file its front end keeps.
struct RunOptions {
    // A line longer than 255 bytes is continued on CONC lines instead of being cut.
    bool conc = false;
    // The run reads, stages and checks as ever, but writes nothing: no output (the output is not
    // asked for), no log, no report, no lock (brelin-cli --check).
    bool checkOnly = false;
    // The words of the report file, for a front end that keeps one (the window and brelin-cli
    // give text::reportText): a completed run writes them at ProgramFiles::reportPath, put in
    // place with the output and the log. Null: no report file (the page).
    std::string (*reportText)(const RunResult& result) = nullptr;
};

// The two passes of a run over its lines: the input's, into the store, and the output's.
enum class RunPass { Reading, Writing };

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
    // A completed run's report file was put in place (RunOptions::reportText).
    bool reportWritten = false;
    // A completed run's log or report that could not be written or put in place
    // (FailedStep::WriteLog, FailedStep::WriteReport): the output is in place all the same, and
    // no earlier log or report is left under that name to tell an earlier run.
    std::optional<RunError> logOrReportFailure;
};

// What a run tells its front end while it goes: a pass begins, and it moves on. A run that fails
// or is abandoned simply ends: the front end learns how from the result.
class RunEvents {
public:
    virtual ~RunEvents() = default;

    // A pass begins, its progress at 0: Reading once the input is measured (measure is the
    // input's size), Writing once the output is opened (again after a write-out that failed).
    virtual void passStarted(RunPass pass, const InputMeasure& measure) = 0;
    // The pass has gone so far, in whole percent (0 to 100), told once for each value.
    virtual void progressed(int percent) = 0;
};

// The two things a run asks its user.
class RunQuestions {
public:
    virtual ~RunQuestions() = default;

    // Asked after the reading pass, with failure null; nullopt when the user cancels. The front
    // end refuses the input itself (sameFile) and asks before replacing a file. Where
    // asksAgainAfterFailedWrite(), a write-out that fails for its output (FailedStep::WriteOutput:
    // a folder that cannot be written, a full disk…) asks again, with that failure, and the same
    // staged records are written where the user then says; nullopt there ends the run as
    // OutputCancelled.
    virtual std::optional<std::string> chooseOutput(const std::string& inputPath,
                                                    const RunError* failure) = 0;
    // False: a failed write-out fails the run (the output was given once and for all).
    virtual bool asksAgainAfterFailedWrite() const { return false; }

    // Asked every 100 lines read and every 100 records written, and once the output is
    // written, before it is put in place: whether the user asked to stop. The front end may handle
    // what is pending for its user there (a click on stop, the help window), so that it stays alive
    // during a long run.
    virtual bool stopRequested() = 0;
    // The stop question, asked when a stop was requested: true abandons the run; false goes on,
    // and the front end forgets that request.
    virtual bool confirmStop() = 0;
};

}  // namespace brelin

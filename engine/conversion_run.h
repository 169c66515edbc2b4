// One conversion run of a given input, as Engine::run starts it: the run stages every record of
// the input by its number in the staging database (record_rules.h says how records are grouped
// and numbered), then writes the header part, the individuals, families, sources and notes, each
// group in ascending number, and the trailer. A line longer than 255 bytes is cut, or continued
// on CONC lines when the options ask for it, and told to the truncation log; in a version 7
// file, which has no length limit, it is kept whole.
//
// A failure never escapes start(): it ends the run with outcome Failed, leaves no output behind
// and the database ready for the next run. The truncation log and the report file are written
// beside their names and put in place right after the output: a run that writes no output
// leaves the last run's log and report exactly as they were.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "file_system.h"
#include "program_paths.h"
#include "record_rules.h"
#include "run.h"

namespace brelin {

class StagingDatabase;
class TruncationLog;

class ConversionRun {
public:
    static constexpr int64_t kProgressStep = 100;
    // The write-out shows its progress, and answers a stop request, every so many blocks.
    static constexpr int64_t kWriteProgressStep = 100;

    // Everything given must outlive the run object. The run writes the truncation log at
    // files.logPath, and holds files.lockPath for its whole length.
    ConversionRun(StagingDatabase& database, FileSystem& fileSystem, RunEvents& events,
                  RunQuestions& questions, ProgramFiles files, RunOptions options = {});

    // Runs on the file at inputPath.
    RunResult start(const std::string& inputPath);

private:
    struct Staged;
    struct Findings;
    // How a staging pass ends: its records staged, the run abandoned by the user, or the input
    // to be staged again, with some groups numbered by tag.
    enum class PassEnd { Staged, Abandoned, Again };

    // Stages the input under rules. Under the usual rule alone, a file that numbers some groups
    // by tag ends the pass with Again, rolled back, and rules set to number them so.
    PassEnd stagingPass(ByteSource& source, TruncationLog& log, RunResult& result, Staged& staged,
                        Findings& findings, RecordRules& rules);
    // Asks for the output and writes it, asking again after a failed write where the front end
    // does. Nullopt when the user cancels; otherwise whether the output was put in place (false:
    // the user abandoned the run).
    std::optional<bool> chooseAndWrite(const Staged& staged, ByteSource& source, RunResult& result,
                                       Findings& findings);
    // Writes the staged records to output (to nothing for a check), then reads the input again
    // for the lines of what the write-out found, and asks whether to stop. The file is not yet
    // in place; nullptr when the user abandoned the run. Fails with SelfCheck, writing nothing,
    // when the lines written are not those staged.
    std::unique_ptr<OutputFile> writeOut(const std::string& output, const Staged& staged,
                                         ByteSource& source, Findings& findings);
    // Writes the report file beside its name, for the front end that keeps one. A failure is
    // told in the result, not thrown: the output is written all the same.
    void writeReport(RunResult& result, Findings& findings);
    // Once the output is in place: the log, then the report.
    void putInPlace(TruncationLog& log, RunResult& result);
    void startPass(RunPass pass, const InputMeasure& measure);
    // One step of the pass: its progress, told when its whole percent moved.
    void progress(float percent);
    // True when a stop was requested and the user confirms it.
    bool stopConfirmed();
    double elapsed() const;
    RunResult finish(RunResult& result, RunOutcome outcome, Findings& findings);

    StagingDatabase& database_;
    FileSystem& files_;
    RunEvents& events_;
    RunQuestions& questions_;
    ProgramFiles paths_;
    RunOptions options_;
    std::string inputPath_;
    std::chrono::steady_clock::time_point startTime_;
    int lastPercent_ = -1;
    // The lines of what the write-out found were read: a write-out after a failed one finds
    // the same.
    bool located_ = false;
    // The report file, written, waiting for the output to be in place.
    std::unique_ptr<OutputFile> report_;
};

}  // namespace brelin

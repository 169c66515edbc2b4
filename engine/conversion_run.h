// One conversion run of a given input, as Engine::run starts it: the run stages every record of
// the input by its number in the staging database (record_rules.h says how records are grouped
// and numbered), then writes the header part, the individuals, families, sources and notes, each
// group in ascending number, and the trailer. A line longer than 255 bytes is cut, or continued
// on CONC lines when the options ask for it, and told to the truncation log; in a version 7
// file, which has no length limit, it is kept whole.
//
// A failure never escapes start(): it ends the run with outcome Failed, leaves no output behind
// and the database ready for the next run. A run that writes no output leaves no truncation log
// either: the log would list lines of a file that does not exist.
#pragma once

#include <chrono>
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
    // does. Nullopt when the user cancels; otherwise whether the output was written (false: the
    // user abandoned the run).
    std::optional<bool> chooseAndWrite(const Staged& staged, RunResult& result, Findings& findings);
    // Fails with SelfCheck, writing nothing, when the lines written are not those staged.
    bool writeOut(const std::string& output, const Staged& staged, Findings& findings);
    void startPass(RunPass pass, const InputMeasure& measure);
    // One step of the pass: its progress, told when its whole percent moved.
    void progress(float percent);
    // True when a stop was requested and the user confirms it.
    bool stopConfirmed();
    // Ends the run. A run without output removes the log it began, unless another run holds it.
    RunResult finish(RunResult& result, RunOutcome outcome, Findings& findings,
                     TruncationLog* ownLog);

    StagingDatabase& database_;
    FileSystem& files_;
    RunEvents& events_;
    RunQuestions& questions_;
    ProgramFiles paths_;
    RunOptions options_;
    std::string inputPath_;
    std::chrono::steady_clock::time_point startTime_;
    int lastPercent_ = -1;
};

}  // namespace brelin

// Implementation details: the input is opened once. Under 20 MiB a count pass reads it from its
// start by position; then the header pass reads its header part by position, and the staging
// pass reads it as a stream; a long line continued on CONC lines or kept whole, and the rare run
// that must find the lines of xrefs it met twice or of pointers to nothing, read it again by
// position. Every line of the staging pass goes to LineStaging (line_staging.h), which cuts,
// continues or keeps whole the long ones and reports them to the truncation log first, hands them
// to the block stager and to the report's gatherer; progress steps come every 100 lines, and
// every 100 blocks of the write-out. The whole pass runs inside one transaction; anything that
// goes wrong rolls it back, and the output, written through an OutputFile, only appears once
// complete and checked against the lines staged.
#include "conversion_run.h"

#include <new>

#include "batch_thread.h"
#include "block_stager.h"
#include "checked_output.h"
#include "line_reader.h"
#include "line_staging.h"
#include "report_gatherer.h"
#include "run_database.h"
#include "staging_database.h"
#include "store_failure.h"
#include "truncation_log.h"

namespace brelin {

using gedcom::kLineEnd;

namespace {

// The output of a run that only checks its input: the lines go to the self-check, not to a file.
class DiscardedOutput : public OutputFile {
public:
    void write(std::string_view) override {}
    void commit() override {}
};

}  // namespace

// What the staging pass leaves for the write-out, besides the staged blocks.
struct ConversionRun::Staged {
    uint64_t bytes = 0;  // the bytes of the blocks staged, CR LF after each
    InputStart start;
    bool sourcesSeen = false;
    std::optional<std::string> trailer;
};

std::string lockPathFor(const std::string& logPath) {
    const auto slash = logPath.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = logPath.substr(nameStart);
    if (name.rfind("Log", 0) == 0) name.erase(0, 3);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return logPath.substr(0, nameStart) + name + ".lock";
}

ConversionRun::ConversionRun(RunDatabase& database, FileSystem& files, RunFrontend& frontend,
                             RunQuestions& questions, std::string logPath, RunOptions options)
    : database_(database),
      files_(files),
      frontend_(frontend),
      questions_(questions),
      logPath_(std::move(logPath)),
      options_(options) {}

RunResult ConversionRun::start(const std::string& inputPath) {
    RunResult result;
    begin(inputPath, result);

    // A check touches no log: its log has no file.
    TruncationLog log(files_, options_.checkOnly ? std::string() : logPath_);
    ReportGatherer gatherer;
    result.checkOnly = options_.checkOnly;
    // Held until the run has ended, failures included: the log is this run's alone meanwhile.
    std::unique_ptr<FileLock> lock;
    try {
        // One run at a time per log: another run of the same program in the same folder would
        // mix its list with this one's. A check touches no log, and takes no lock.
        if (!options_.checkOnly) {
            lock = files_.tryLock(lockPathFor(logPath_));
            if (!lock) throw RunError(FailedStep::RunLocked, logPath_);
            log.reset();
        }
        database_.staging().clearTables();
        const std::unique_ptr<ByteSource> source = files_.openInput(inputPath_);
        {
            SourceFromStart counted(*source);
            result.measure = measureInput(counted, source->size());
        }
        frontend_.inputMeasured(result.measure);

        Staged staged;
        staged.start = readInputStart(*source, inputPath_);
        if (!stagingPass(*source, log, result, staged, gatherer))
            return finish(result, RunOutcome::Abandoned, gatherer, &log);

        frontend_.setState(RunState::Writing);
        if (options_.checkOnly) {
            if (!writeOut(result.outputPath, staged, gatherer))
                return finish(result, RunOutcome::Abandoned, gatherer, &log);
        } else {
            const std::optional<bool> written = chooseAndWrite(staged, result, gatherer);
            if (!written) return finish(result, RunOutcome::OutputCancelled, gatherer, &log);
            if (!*written) return finish(result, RunOutcome::Abandoned, gatherer, &log);
        }
        if (gatherer.wantsLines()) {
            try {
                SourceFromStart again(*source);
                gatherer.locate(again);
            } catch (const RunError&) {
                // The output is written: an input that can no longer be read leaves the report
                // without those lines.
            }
        }
    } catch (const RunError& error) {
        result.error = error;
    } catch (const StoreError& error) {
        result.error = databaseFailure(error, database_.path());
    } catch (const std::bad_alloc&) {
        result.error = RunError(FailedStep::Internal, inputPath_, Cause::OutOfMemory);
    } catch (const std::exception& error) {
        result.error = RunError(FailedStep::Internal, inputPath_, Cause::Unexpected, error.what());
    }
    if (result.error) {
        frontend_.showProgress(false);
        // A run refused for want of the lock leaves the log of the run that holds it alone.
        return finish(result, RunOutcome::Failed, gatherer, lock ? &log : nullptr);
    }
    return finish(result, RunOutcome::Completed, gatherer, &log);
}

void ConversionRun::begin(const std::string& inputPath, RunResult& result) {
    inputPath_ = inputPath;
    result.inputPath = inputPath;
    frontend_.runStarted(inputPath);
    frontend_.setState(RunState::Running);
    startTime_ = std::chrono::steady_clock::now();
}

bool ConversionRun::stagingPass(ByteSource& source, TruncationLog& log, RunResult& result,
                                Staged& staged, ReportGatherer& gatherer) {
    frontend_.showProgress(true);
    LineReader reader(source);
    StagingDatabase& database = database_.staging();
    Transaction transaction(database);
    BlockStager stager(database);
    stager.reset();

    const gedcom::HeaderFacts& header = staged.start.header;
    LineStaging::Settings settings;
    settings.rule = gedcom::lineRuleFor(staged.start.utf8Mark, header);
    settings.conc = options_.conc;
    settings.splits = settings.rule != gedcom::LineRule::Bytes || !header.declaredChar();
    LineStaging lines(source, stager, log, gatherer, settings, inputPath_);
    gatherer.begin(staged.start.utf8Mark, header);

    const InputMeasure& measure = result.measure;
    int64_t lineNumber = 0;
    Line line;
    while (reader.next(line)) {
        ++lineNumber;
        if (lineNumber == 1) refuseFirstLine(reader.byteOrderMark(), line.head, inputPath_);
        lines.take(line, lineNumber);
        // An empty line is only counted: no progress step, no stop.
        if (line.empty()) continue;

        if (lineNumber % kProgressStep == 0) {
            // An estimated count is only a guess: the bar follows the bytes read instead.
            progress(measure.estimated ? progressValue(static_cast<int64_t>(reader.position()),
                                                       static_cast<int64_t>(measure.sizeInBytes))
                                       : progressValue(lineNumber, measure.lineTotal));
        }
        if (stopConfirmed()) {
            // The transaction rolls back; nothing is written. The report tells how far it went.
            gatherer.staged(lines.linesRead(lineNumber));
            return false;
        }
    }
    lines.finish();
    if (!lines.contentSeen()) throw RunError(FailedStep::InputEmpty, inputPath_);
    if (measure.estimated) progress(100.0f);
    stager.finish();
    // The report looks for the xrefs staged twice while the last batch goes into the store.
    struct NoBatch {};
    NoBatch none;
    BatchThread<NoBatch> duplicates;
    duplicates.start(none, [&gatherer](NoBatch&) { gatherer.findDuplicates(); });
    transaction.commit();
    duplicates.wait();
    frontend_.showProgress(false);
    gatherer.staged(lines.linesRead(lineNumber));

    staged.bytes = lines.stagedBytes();
    staged.sourcesSeen = stager.sourcesSeen();
    if (stager.trailerSeen()) staged.trailer = stager.trailer();
    return true;
}

std::optional<bool> ConversionRun::chooseAndWrite(const Staged& staged, RunResult& result,
                                                  ReportGatherer& gatherer) {
    std::optional<RunError> failure;
    for (;;) {
        const std::optional<std::string> output =
            questions_.chooseOutput(inputPath_, failure ? &*failure : nullptr);
        if (!output) {
            result.outputPath.clear();
            return std::nullopt;
        }
        result.outputPath = *output;
        try {
            return writeOut(*output, staged, gatherer);
        } catch (const RunError& error) {
            // The staged records stay in the store: another place only needs another write-out.
            if (error.step() != FailedStep::WriteOutput || !questions_.asksAgainAfterFailedWrite())
                throw;
            frontend_.showProgress(false);
            failure = error;
        }
    }
}

bool ConversionRun::writeOut(const std::string& output, const Staged& staged,
                             ReportGatherer& gatherer) {
    // A write-out after a failed one reports and checks only its own lines.
    gatherer.beginWriteOut();
    const std::unique_ptr<OutputFile> file =
        options_.checkOnly ? std::make_unique<DiscardedOutput>() : files_.createOutput(output);
    frontend_.showProgress(true);
    if (staged.start.utf8Mark) file->write(gedcom::kUtf8Mark);
    // The lines go to the file through the self-check's thread.
    CheckedOutput checked(*file, gatherer);
    uint64_t written = 0;
    int64_t blocks = 0;
    const auto write = [&](std::string_view lines) {
        checked.writeLines(lines);
        written += lines.size() + kLineEnd.size();
    };
    StagingDatabase& database = database_.staging();
    for (const Table table : kAllTables) {
        if (table == Table::Sources && !staged.sourcesSeen) continue;
        auto rows = database.selectOrdered(table);
        if (!rows) continue;
        for (; !rows->isPastEnd(); rows->moveNext()) {
            const std::string_view block = rows->columnValue(0);
            if (!block.empty() && block.back() == BlockStager::kLineGoesOn) {
                // A part of a long line: the next part goes on with it.
                checked.writeUnended(block.substr(0, block.size() - 1));
                written += block.size() - 1;
            } else {
                write(block);
            }
            if (++blocks % kWriteProgressStep != 0) continue;
            // The window stays alive during a long write-out, and a stop abandons it.
            progress(
                progressValue(static_cast<int64_t>(written), static_cast<int64_t>(staged.bytes)));
            if (stopConfirmed()) return false;  // the output file is discarded
        }
    }
    if (staged.trailer) write(*staged.trailer);
    checked.finish();
    // A difference is the program's own fault: the file is discarded, the old one kept.
    if (!gatherer.verify())
        throw RunError(FailedStep::SelfCheck, options_.checkOnly ? inputPath_ : output);
    if (stopConfirmed()) return false;  // the output file is discarded
    file->commit();
    frontend_.showProgress(false);
    return true;
}

void ConversionRun::progress(float percent) {
    frontend_.updateProgress(percent);
    frontend_.handlePending();
}

bool ConversionRun::stopConfirmed() {
    return questions_.stopRequested() && questions_.confirmStop();
}

RunResult ConversionRun::finish(RunResult& result, RunOutcome outcome, ReportGatherer& gatherer,
                                TruncationLog* ownLog) {
    if (outcome != RunOutcome::Completed && ownLog != nullptr) {
        try {
            ownLog->reset();
        } catch (const RunError&) {
            // A log that cannot be removed changes nothing to the run's outcome, told already.
        }
    }
    result.outcome = outcome;
    result.report = std::move(gatherer.report());
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime_).count();
    frontend_.runEnded(result);
    if (outcome != RunOutcome::Abandoned) frontend_.setState(RunState::Idle);
    return result;
}

}  // namespace brelin

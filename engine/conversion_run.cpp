// Implementation details: the input is opened once. Under 20 MiB a count pass reads it from its
// start by position; then the header pass reads its header part by position, and the staging
// pass reads it as a stream; a long line continued on CONC lines or kept whole, and the rare run
// that must find the lines of xrefs it met twice or of pointers to nothing, read it again by
// position. Every line of the staging pass goes to LineStaging (line_staging.h), which cuts,
// continues or keeps whole the long ones and reports them to the truncation log first, hands them
// to the block stager, the self-check, the xref findings and the report; progress steps come
// every 100 lines, and every 100 blocks of the write-out. The whole pass runs inside one
// transaction; anything that goes wrong rolls it back, and the output, written through an
// OutputFile, only appears once complete and checked against the lines staged; the log and the
// report, written beside their names meanwhile, are put in place right after it. A file that
// numbers some groups by tag (record_rules.h), which only its last line can show, is staged
// twice: the first pass, under the usual rule, is rolled back at its end, and a second one, told
// to the front end as a new reading pass, stages it under the rules that number those groups.
#include "conversion_run.h"

#include <cmath>
#include <new>

#include "batch_thread.h"
#include "block_stager.h"
#include "checked_output.h"
#include "line_reader.h"
#include "line_staging.h"
#include "report_gatherer.h"
#include "self_check.h"
#include "staging_database.h"
#include "store_failure.h"
#include "truncation_log.h"
#include "xref_findings.h"

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
    gedcom::InputStart start;
    bool sourcesSeen = false;
    std::optional<std::string> trailer;
};

// What watches the run's lines on their way: the program's own guard, the xrefs for the report,
// and the report, which takes what the other two found.
struct ConversionRun::Findings {
    explicit Findings(RecordRules rules = {}) : xrefs(rules) {}

    SelfCheck check;
    XrefFindings xrefs;
    ReportGatherer report;
};

ConversionRun::ConversionRun(StagingDatabase& database, FileSystem& fileSystem, RunEvents& events,
                             RunQuestions& questions, ProgramFiles files, RunOptions options)
    : database_(database),
      files_(fileSystem),
      events_(events),
      questions_(questions),
      paths_(std::move(files)),
      options_(options) {}

RunResult ConversionRun::start(const std::string& inputPath) {
    inputPath_ = inputPath;
    startTime_ = std::chrono::steady_clock::now();
    RunResult result;
    result.inputPath = inputPath;
    result.checkOnly = options_.checkOnly;

    // A check touches no log: its log has no file. Made anew, as the findings, for a second
    // staging pass, which watches the lines afresh.
    const std::string logPath = options_.checkOnly ? std::string() : paths_.logPath;
    std::optional<TruncationLog> log(std::in_place, files_, logPath, options_.conc);
    std::optional<Findings> findings(std::in_place);
    // Held until the run has ended, failures included: the log is this run's alone meanwhile.
    std::unique_ptr<FileLock> lock;
    try {
        // One run at a time per log: another run of the same program in the same folder would
        // put its log and report in place of this one's. A check touches no log, and takes no
        // lock.
        if (!options_.checkOnly) {
            lock = files_.tryLock(paths_.lockPath);
            if (!lock) throw RunError(FailedStep::RunLocked, paths_.logPath);
        }
        database_.clearTables();
        const std::unique_ptr<ByteSource> source = files_.openInput(inputPath_);
        {
            SourceFromStart counted(*source);
            result.measure = measureInput(counted, source->size());
        }
        startPass(RunPass::Reading, result.measure);

        Staged staged;
        staged.start = gedcom::readInputStart(*source, inputPath_);
        RecordRules rules;
        // The first pass reads the input as a stream; a second one reads it by position.
        std::optional<SourceFromStart> fromStart;
        for (;;) {
            ByteSource& input = fromStart ? *fromStart : *source;
            const PassEnd end = stagingPass(input, *log, result, staged, *findings, rules);
            if (end == PassEnd::Abandoned) return finish(result, RunOutcome::Abandoned, *findings);
            if (end == PassEnd::Staged) break;
            // The file numbers some groups by tag: it is staged again from its start, and
            // everything the first pass told (the log, the report) is begun afresh.
            fromStart.emplace(*source);
            findings.emplace(rules);
            log.emplace(files_, logPath, options_.conc);
            database_.clearTables();
            startPass(RunPass::Reading, result.measure);
        }

        if (options_.checkOnly) {
            if (!writeOut(result.outputPath, staged, *source, *findings))
                return finish(result, RunOutcome::Abandoned, *findings);
        } else {
            const std::optional<bool> written =
                chooseAndWrite(staged, *source, result, *findings);
            if (!written) return finish(result, RunOutcome::OutputCancelled, *findings);
            if (!*written) return finish(result, RunOutcome::Abandoned, *findings);
            putInPlace(*log, result);
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
    if (result.error) return finish(result, RunOutcome::Failed, *findings);
    return finish(result, RunOutcome::Completed, *findings);
}

ConversionRun::PassEnd ConversionRun::stagingPass(ByteSource& source, TruncationLog& log,
                                                  RunResult& result, Staged& staged,
                                                  Findings& findings, RecordRules& rules) {
    LineReader reader(source);
    Transaction transaction(database_);
    BlockStager stager(database_, rules);
    stager.reset();

    const gedcom::HeaderFacts& header = staged.start.header;
    LineStaging::Settings settings;
    settings.rule = gedcom::lineRuleFor(staged.start.utf8Mark, header);
    settings.conc = options_.conc;
    settings.splits = settings.rule != gedcom::LineRule::Bytes || !header.declaredChar();
    settings.rules = rules;
    LineStaging lines(source, stager, log, findings.check, findings.xrefs, findings.report,
                      settings, inputPath_);
    findings.report.begin(staged.start.utf8Mark, header);

    const InputMeasure& measure = result.measure;
    int64_t lineNumber = 0;
    Line line;
    while (reader.next(line)) {
        ++lineNumber;
        if (lineNumber == 1) gedcom::refuseFirstLine(reader.byteOrderMark(), line.head, inputPath_);
        lines.take(line, lineNumber);
        // An empty line is only counted: no progress step, no stop.
        if (line.empty() || lineNumber % kProgressStep != 0) continue;

        // An estimated count is only a guess: the bar follows the bytes read instead.
        progress(measure.estimated ? progressValue(static_cast<int64_t>(reader.position()),
                                                   static_cast<int64_t>(measure.sizeInBytes))
                                   : progressValue(lineNumber, measure.lineTotal));
        if (stopConfirmed()) {
            // The transaction rolls back; nothing is written. The report tells how far it went.
            findings.report.staged(lines.linesRead(lineNumber), findings.check);
            return PassEnd::Abandoned;
        }
    }
    lines.finish();
    if (!lines.contentSeen()) throw RunError(FailedStep::InputEmpty, inputPath_);
    if (rules.byTag().empty() && !lines.groupsByTag().empty()) {
        // Everything staged is rolled back with the transaction.
        rules = RecordRules(lines.groupsByTag());
        return PassEnd::Again;
    }
    if (measure.estimated) progress(100.0f);
    stager.finish();
    // The xrefs staged twice are looked for while the last batch goes into the store.
    struct NoBatch {};
    NoBatch none;
    BatchThread<NoBatch> xrefs;
    xrefs.start(none, [&findings](NoBatch&) { findings.xrefs.staged(); });
    transaction.commit();
    xrefs.wait();
    findings.report.staged(lines.linesRead(lineNumber), findings.check);

    staged.bytes = lines.stagedBytes();
    staged.sourcesSeen = stager.sourcesSeen();
    if (stager.trailerSeen()) staged.trailer = stager.trailer();
    return PassEnd::Staged;
}

std::optional<bool> ConversionRun::chooseAndWrite(const Staged& staged, ByteSource& source,
                                                  RunResult& result, Findings& findings) {
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
            const std::unique_ptr<OutputFile> file = writeOut(*output, staged, source, findings);
            if (!file) return false;  // the output file is discarded
            writeReport(result, findings);
            file->commit();
            return true;
        } catch (const RunError& error) {
            // The staged records stay in the store: another place only needs another write-out.
            if (error.step() != FailedStep::WriteOutput || !questions_.asksAgainAfterFailedWrite())
                throw;
            failure = error;
        }
    }
}

std::unique_ptr<OutputFile> ConversionRun::writeOut(const std::string& output, const Staged& staged,
                                                    ByteSource& source, Findings& findings) {
    // A write-out after a failed one checks and reports only its own lines.
    findings.check.beginWriteOut();
    findings.xrefs.beginWriteOut();
    std::unique_ptr<OutputFile> file =
        options_.checkOnly ? std::make_unique<DiscardedOutput>() : files_.createOutput(output);
    startPass(RunPass::Writing, {});
    if (staged.start.utf8Mark) file->write(gedcom::kUtf8Mark);
    // The lines go to the file through the self-check's thread.
    CheckedOutput checked(*file, findings.check);
    uint64_t written = 0;
    int64_t blocks = 0;
    const auto write = [&](std::string_view lines) {
        checked.writeLines(lines);
        written += lines.size() + kLineEnd.size();
    };
    // A row that begins inside a line: the previous one ended with a part of that line.
    bool insideLine = false;
    for (const Table table : kAllTables) {
        if (table == Table::Sources && !staged.sourcesSeen) continue;
        auto rows = database_.selectOrdered(table);
        if (!rows) continue;
        for (; !rows->isPastEnd(); rows->moveNext()) {
            const std::string_view block = rows->columnValue(0);
            if (!insideLine) findings.xrefs.writtenRow(block, rows->number());
            insideLine = !block.empty() && block.back() == BlockStager::kLineGoesOn;
            if (insideLine) {
                // A part of a long line: the next part goes on with it.
                checked.writeUnended(block.substr(0, block.size() - 1));
                written += block.size() - 1;
            } else {
                write(block);
            }
            if (++blocks % kWriteProgressStep != 0) continue;
            progress(
                progressValue(static_cast<int64_t>(written), static_cast<int64_t>(staged.bytes)));
            if (stopConfirmed()) return nullptr;  // the output file is discarded
        }
    }
    if (staged.trailer) write(*staged.trailer);
    checked.finish();
    findings.xrefs.endWriteOut();
    findings.report.written(findings.check);
    // A difference is the program's own fault: the file is discarded, the old one kept.
    if (!findings.check.verify())
        throw RunError(FailedStep::SelfCheck, options_.checkOnly ? inputPath_ : output);
    if (findings.xrefs.wantsLines() && !located_) {
        RunReport& report = findings.report.report();
        try {
            SourceFromStart again(source);
            findings.xrefs.locate(again, report.linesRead, report);
        } catch (const RunError&) {
            // The output is written: an input that can no longer be read leaves the report
            // without those lines.
        }
        located_ = true;
    }
    if (stopConfirmed()) return nullptr;  // the output file is discarded
    return file;
}

void ConversionRun::writeReport(RunResult& result, Findings& findings) {
    report_.reset();
    if (options_.reportText == nullptr || paths_.reportPath.empty()) return;
    // The report tells the run as it ends, its output in place.
    RunResult done = result;
    done.outcome = RunOutcome::Completed;
    done.report = findings.report.report();
    done.seconds = elapsed();
    try {
        report_ = files_.createSideFile(paths_.reportPath, FailedStep::WriteReport);
        report_->write(options_.reportText(done));
    } catch (const RunError& error) {
        report_.reset();
        result.logOrReportFailure = error;
    }
}

void ConversionRun::putInPlace(TruncationLog& log, RunResult& result) {
    // The output is in place: a failure here is told, and the run stays completed.
    const auto told = [&result](const RunError& error) {
        if (!result.logOrReportFailure) result.logOrReportFailure = error;
    };
    try {
        log.putInPlace();
    } catch (const RunError& error) {
        told(error);
    }
    if (options_.reportText == nullptr || paths_.reportPath.empty()) return;
    try {
        if (report_) {
            report_->commit();
            result.reportWritten = true;
            return;
        }
    } catch (const RunError& error) {
        told(error);
    }
    // The last run's report no longer tells the last run.
    try {
        files_.removeFile(paths_.reportPath);
    } catch (const RunError&) {
        // The failure told is the one the user can act on.
    }
}

void ConversionRun::startPass(RunPass pass, const InputMeasure& measure) {
    lastPercent_ = 0;
    events_.passStarted(pass, measure);
}

void ConversionRun::progress(float percent) {
    const auto whole = static_cast<int>(std::floor(percent));
    if (whole == lastPercent_) return;
    lastPercent_ = whole;
    events_.progressed(whole);
}

bool ConversionRun::stopConfirmed() {
    return questions_.stopRequested() && questions_.confirmStop();
}

double ConversionRun::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime_).count();
}

RunResult ConversionRun::finish(RunResult& result, RunOutcome outcome, Findings& findings) {
    // A run without output drops the log and report it wrote, leaving the last run's.
    report_.reset();
    result.outcome = outcome;
    result.report = std::move(findings.report.report());
    result.seconds = elapsed();
    return result;
}

}  // namespace brelin

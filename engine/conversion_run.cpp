// Implementation details: the run reads its input twice when it is counted (the count pass, then
// the staging pass) and once when its size is only estimated. Every non-empty line of the
// staging pass is cut if longer than 255 bytes (and reported to the truncation log first),
// handed to the block stager and to the report's gatherer, and followed every 100 lines by a
// progress step. Past the trailer the pass reads on only to count the lines left out. The whole
// pass runs inside one transaction; anything that goes wrong rolls it back, and the output,
// written through an OutputFile, only appears once complete and checked against the lines
// staged.
#include "conversion_run.h"

#include <new>

#include "batch_thread.h"
#include "block_stager.h"
#include "checked_output.h"
#include "line_continuation.h"
#include "line_reader.h"
#include "run_database.h"
#include "truncation_log.h"

namespace brelin {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool declaresUtf8(std::string_view line) {
    const auto last = line.find_last_not_of(" \t");
    line = line.substr(0, last == std::string_view::npos ? 0 : last + 1);
    return line == "1 CHAR UTF-8" || line == "1 CHAR UTF8";
}

// UTF-16 without a byte-order mark shows a NUL beside the level digit of "0 HEAD".
bool looksLikeUtf16(std::string_view head) {
    return head.size() >= 2 &&
           ((head[0] == '0' && head[1] == '\0') || (head[0] == '\0' && head[1] == '0'));
}

// Reads the whole of line, which is longer than the reader keeps, into continuer. The input is
// read again where the line starts; a line end met there (the file changed under the run) ends
// the line.
void readLine(ByteSource& source, const Line& line, LineContinuer& continuer) {
    char buffer[64 * 1024];
    uint64_t offset = line.offset;
    uint64_t left = line.length;
    while (left > 0) {
        const size_t got = source.readAt(
            offset, buffer, static_cast<size_t>(std::min<uint64_t>(left, sizeof buffer)));
        if (got == 0) return;
        const std::string_view bytes(buffer, got);
        const size_t end = bytes.find_first_of("\r\n");
        continuer.add(bytes.substr(0, end));
        if (end != std::string_view::npos) return;
        offset += got;
        left -= got;
    }
}

}  // namespace

// What the staging pass leaves for the write-out, besides the staged blocks.
struct ConversionRun::Staged {
    uint64_t bytes = 0;  // the bytes of the blocks staged, CR LF after each
    bool utf8Mark = false;
    bool sourcesSeen = false;
    std::optional<std::string> trailer;
};

size_t cutLength(std::string_view head, uint64_t length, bool utf8) {
    constexpr size_t kLimit = ConversionRun::kLineLimit;
    if (length <= kLimit) return static_cast<size_t>(length);
    if (!utf8 || head.size() <= kLimit) return kLimit;
    // The cut [0, k) keeps whole characters when head[k] does not continue one.
    size_t k = kLimit;
    for (int step = 0; step < 4; ++step, --k) {
        if ((static_cast<unsigned char>(head[k]) & 0xC0) != 0x80) return k;
    }
    return kLimit;  // not UTF-8 after all: a plain cut
}

std::string lockPathFor(const std::string& logPath) {
    const auto slash = logPath.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = logPath.substr(nameStart);
    if (name.rfind("Log", 0) == 0) name.erase(0, 3);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return logPath.substr(0, nameStart) + name + ".lock";
}

ConversionRun::ConversionRun(StagingDatabase& database, FileSystem& files, RunFrontend& frontend,
                             std::string logPath, RunOptions options)
    : database_(database),
      files_(files),
      frontend_(frontend),
      logPath_(std::move(logPath)),
      options_(options) {}

RunResult ConversionRun::start() {
    RunResult result;
    const std::optional<std::string> input = frontend_.chooseInput();
    if (!input) return result;
    begin(*input, result);

    TruncationLog log(files_, logPath_);
    ReportGatherer gatherer;
    const auto end = [&](RunOutcome outcome) {
        result.linesCut = log.cutCount();
        result.linesContinued = log.continuedCount();
        return finish(result, outcome, gatherer);
    };
    try {
        // One run at a time per log: another run of the same program in the same folder would
        // mix its list with this one's.
        const std::unique_ptr<FileLock> lock = files_.tryLock(lockPathFor(logPath_));
        if (!lock) throw RunError(FailedStep::RunLocked, logPath_);
        log.reset();
        database_.clearTables();
        result.measure = measure();
        frontend_.inputMeasured(result.measure);

        Staged staged;
        if (!stagingPass(log, result, staged, gatherer)) return end(RunOutcome::Abandoned);

        frontend_.setState(RunState::Writing);
        const std::optional<std::string> output = frontend_.chooseOutput(inputPath_);
        if (!output) return end(RunOutcome::OutputCancelled);
        result.outputPath = *output;
        if (!writeOut(*output, staged, gatherer)) return end(RunOutcome::Abandoned);
        locateReported(gatherer);
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
        return end(RunOutcome::Failed);
    }
    return end(RunOutcome::Completed);
}

void ConversionRun::begin(const std::string& input, RunResult& result) {
    inputPath_ = input;
    result.inputPath = input;
    frontend_.runStarted(input);
    frontend_.clearStopRequest();
    frontend_.setState(RunState::Running);
    startTime_ = std::chrono::steady_clock::now();
}

InputMeasure ConversionRun::measure() {
    auto source = files_.openInput(inputPath_);
    return measureInput(*source, source->size());
}

bool ConversionRun::stagingPass(TruncationLog& log, RunResult& result, Staged& staged,
                                ReportGatherer& gatherer) {
    frontend_.showProgress(true);
    auto source = files_.openInput(inputPath_);
    LineReader reader(*source);
    Transaction transaction(database_);
    BlockStager stager(database_);
    stager.reset();

    const InputMeasure& measure = result.measure;
    bool utf8 = false;
    bool contentSeen = false;
    bool pastTrailer = false;
    // The lines read count up to the trailer, as the count pass does; those after it are told
    // apart.
    int64_t lineNumber = 0;
    Line line;
    while (reader.next(line)) {
        ++lineNumber;
        if (lineNumber == 1) {
            if (reader.byteOrderMark() == ByteOrderMark::Utf16 || looksLikeUtf16(line.head))
                throw RunError(FailedStep::InputEncoding, inputPath_);
            utf8 = reader.byteOrderMark() == ByteOrderMark::Utf8;
            gatherer.begin(utf8);
        }
        if (line.empty()) {
            gatherer.emptyLine();
            continue;
        }
        if (pastTrailer) {
            gatherer.afterTrailer();
        } else {
            if (!contentSeen) {
                // Readers ignore blanks before a line's level: a file may begin with lines of
                // blanks or with a blank before its "0". Such lines are copied as they are.
                const auto first = line.head.find_first_not_of(" \t");
                if (first != std::string_view::npos) {
                    contentSeen = true;
                    if (line.head[first] != '0')
                        throw RunError(FailedStep::InputNotGedcom, inputPath_);
                }
            }
            const LineKind kind =
                stageLine(line, lineNumber, utf8, *source, stager, log, staged, gatherer);
            if (stager.inHeader() && declaresUtf8(line.head.substr(0, kLineLimit))) utf8 = true;
            pastTrailer = kind == LineKind::Trailer;
            result.linesRead = lineNumber;
        }

        if (lineNumber % kProgressStep == 0) {
            // An estimated count is only a guess: the bar follows the bytes read instead.
            frontend_.updateProgress(measure.estimated
                                         ? progressValue(static_cast<int64_t>(reader.position()),
                                                         static_cast<int64_t>(measure.sizeInBytes))
                                         : progressValue(lineNumber, measure.lineTotal));
        }
        if (stopConfirmed()) return false;  // the transaction rolls back; nothing is written
    }
    if (!pastTrailer) result.linesRead = lineNumber;
    if (!contentSeen) throw RunError(FailedStep::InputEmpty, inputPath_);
    if (measure.estimated) frontend_.updateProgress(100.0f);
    stager.finish();
    // The report looks for the xrefs staged twice while the last batch goes into the store.
    struct NoBatch {};
    NoBatch none;
    BatchThread<NoBatch> duplicates;
    duplicates.start(none, [&gatherer](NoBatch&) { gatherer.findDuplicates(); });
    transaction.commit();
    duplicates.wait();
    frontend_.showProgress(false);
    gatherer.staged(result.linesRead);

    staged.utf8Mark = reader.byteOrderMark() == ByteOrderMark::Utf8;
    staged.sourcesSeen = stager.sourcesSeen();
    if (stager.trailerSeen()) staged.trailer = stager.trailer();
    return true;
}

LineKind ConversionRun::stageLine(const Line& line, int64_t lineNumber, bool utf8,
                                  ByteSource& source, BlockStager& stager, TruncationLog& log,
                                  Staged& staged, ReportGatherer& gatherer) {
    const auto accept = [&](std::string_view text) {
        const LineKind kind = stager.accept(text);
        gatherer.line(kind, text, lineNumber);
        if (kind != LineKind::Trailer) staged.bytes += text.size() + kCrLf.size();
        return kind;
    };
    if (line.length <= kLineLimit) return accept(line.head);
    // The trailer is cut, never continued: nothing may follow it.
    if (options_.continueLongLines && classifyLine(line.head) != LineKind::Trailer) {
        if (const auto plan = planContinuation(line.head)) {
            log.reportContinued(lineNumber);
            std::optional<LineKind> kind;
            LineContinuer continuer(*plan, utf8, [&](std::string_view part) {
                const LineKind partKind = accept(part);
                if (!kind) kind = partKind;
            });
            readLine(source, line, continuer);
            continuer.finish();
            gatherer.lineContinued(lineNumber);
            return *kind;
        }
    }
    log.reportCut(lineNumber);
    const LineKind kind = accept(line.head.substr(0, cutLength(line.head, line.length, utf8)));
    gatherer.lineCut(lineNumber);
    return kind;
}

bool ConversionRun::writeOut(const std::string& output, const Staged& staged,
                             ReportGatherer& gatherer) {
    auto file = files_.createOutput(output);
    frontend_.showProgress(true);
    if (staged.utf8Mark) file->write(kUtf8Mark);
    // The lines go to the file through the self-check's thread.
    CheckedOutput checked(*file, gatherer);
    uint64_t written = 0;
    int64_t blocks = 0;
    const auto write = [&](std::string_view lines) {
        checked.writeLines(lines);
        written += lines.size() + kCrLf.size();
    };
    for (const Table table : kAllTables) {
        if (table == Table::Sources && !staged.sourcesSeen) continue;
        auto rows = database_.selectOrdered(table);
        if (!rows) continue;
        for (; !rows->isPastEnd(); rows->moveNext()) {
            write(rows->columnValue(0));
            if (++blocks % kWriteProgressStep != 0) continue;
            // The window stays alive during a long write-out, and a stop abandons it.
            frontend_.updateProgress(
                progressValue(static_cast<int64_t>(written), static_cast<int64_t>(staged.bytes)));
            if (stopConfirmed()) return false;  // the output file is discarded
        }
    }
    if (staged.trailer) write(*staged.trailer);
    checked.finish();
    // A difference is the program's own fault: the file is discarded, the old one kept.
    if (!gatherer.verify()) throw RunError(FailedStep::SelfCheck, output);
    if (stopConfirmed()) return false;  // the output file is discarded
    file->commit();
    frontend_.showProgress(false);
    return true;
}

void ConversionRun::locateReported(ReportGatherer& gatherer) {
    if (!gatherer.wantsLines()) return;
    try {
        gatherer.locate(*files_.openInput(inputPath_));
    } catch (const RunError&) {
        // The output is written: an input gone since leaves the report without those lines.
    }
}

bool ConversionRun::stopConfirmed() {
    if (!frontend_.stopRequested()) return false;
    if (frontend_.confirmStop()) return true;
    frontend_.clearStopRequest();
    return false;
}

RunResult ConversionRun::finish(RunResult& result, RunOutcome outcome, ReportGatherer& gatherer) {
    result.outcome = outcome;
    result.report = std::move(gatherer.report());
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime_).count();
    frontend_.runEnded(result);
    if (outcome != RunOutcome::Abandoned) frontend_.setState(RunState::Idle);
    return result;
}

}  // namespace brelin

// Implementation details: the run reads its input twice when it is counted (the count pass, then
// the staging pass) and once when its size is only estimated. Every non-empty line of the
// staging pass is cut if longer than 255 bytes (and reported to the truncation log first),
// handed to the block stager, and followed every 100 lines by a progress step. The whole pass
// runs inside one transaction; anything that goes wrong rolls it back, and the output, written
// through an OutputFile, only appears once complete.
#include "conversion_run.h"

#include <chrono>
#include <new>

#include "block_stager.h"
#include "line_count.h"
#include "line_reader.h"
#include "messages.h"
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

void writeTable(StagingDatabase& database, Table table, OutputFile& output) {
    auto rows = database.selectOrdered(table);
    if (!rows) return;
    for (; !rows->isPastEnd(); rows->moveNext()) {
        output.write(rows->columnValue(0));
        output.write(kCrLf);
    }
}

}  // namespace

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

ConversionRun::ConversionRun(StagingDatabase& database, FileSystem& files, RunFrontend& frontend,
                             std::string logPath)
    : database_(database), files_(files), frontend_(frontend), logPath_(std::move(logPath)) {}

RunResult ConversionRun::start() {
    RunResult result;
    const std::optional<InputChoice> input = frontend_.chooseInput();
    if (!input) return result;

    inputPath_ = input->path;
    result.inputPath = inputPath_;
    frontend_.setPanel(2, input->fileTitle);
    frontend_.setPanel(1, "");
    frontend_.setPanel(3, "");
    frontend_.clearStopRequest();
    frontend_.setState(RunState::Running);
    const auto startTime = std::chrono::steady_clock::now();

    TruncationLog log(files_, logPath_);
    try {
        log.reset();
        database_.clearTables();

        InputMeasure measure;
        {
            auto source = files_.openInput(inputPath_);
            measure = measureInput(*source, source->size());
        }
        frontend_.setPanel(1, measure.panelText);

        frontend_.showProgress(true);
        auto source = files_.openInput(inputPath_);
        LineReader reader(*source);
        Transaction transaction(database_);
        BlockStager stager(database_);
        stager.reset();

        bool utf8 = false;
        bool anyLine = false;
        int64_t lineNumber = 0;
        Line line;
        while (reader.next(line)) {
            ++lineNumber;
            if (lineNumber == 1) {
                if (reader.byteOrderMark() == ByteOrderMark::Utf16 || looksLikeUtf16(line.head))
                    throw RunError(FailedStep::InputEncoding, inputPath_, "UTF-16");
                utf8 = reader.byteOrderMark() == ByteOrderMark::Utf8;
            }
            if (line.empty()) continue;
            if (!anyLine) {
                anyLine = true;
                if (line.head[0] != '0')
                    throw RunError(FailedStep::InputNotGedcom, inputPath_,
                                   "sa première ligne ne commence pas par le niveau 0");
            }
            size_t keep = static_cast<size_t>(std::min<uint64_t>(line.length, kLineLimit));
            if (line.length > kLineLimit) {
                log.reportCut(lineNumber);
                keep = cutLength(line.head, line.length, utf8);
            }
            const std::string_view text = line.head.substr(0, keep);
            const LineKind kind = stager.accept(text);
            if (stager.inHeader() && declaresUtf8(text)) utf8 = true;

            if (lineNumber % kProgressStep == 0)
                frontend_.updateProgress(progressValue(lineNumber, measure.lineTotal));
            if (frontend_.stopRequested()) {
                if (frontend_.confirmStop()) {
                    result.outcome = RunOutcome::Abandoned;
                    result.linesRead = lineNumber;
                    result.linesCut = log.cutCount();
                    return result;  // the transaction rolls back; nothing is written
                }
                frontend_.clearStopRequest();
            }
            if (kind == LineKind::Trailer) break;
        }
        if (!anyLine) throw RunError(FailedStep::InputEmpty, inputPath_, "aucune ligne");
        stager.finish();
        transaction.commit();
        result.linesRead = lineNumber;
        result.linesCut = log.cutCount();

        frontend_.showProgress(false);
        frontend_.setState(RunState::Writing);
        const std::optional<std::string> output = frontend_.chooseOutput(inputPath_);
        if (!output) {
            result.outcome = RunOutcome::OutputCancelled;
            frontend_.setState(RunState::Idle);
            return result;
        }
        result.outputPath = *output;
        auto file = files_.createOutput(*output);
        if (reader.byteOrderMark() == ByteOrderMark::Utf8) file->write(kUtf8Mark);
        for (const Table table : kAllTables) {
            if (table == Table::Sources && !stager.sourcesSeen()) continue;
            writeTable(database_, table, *file);
        }
        if (stager.trailerSeen()) {
            file->write(stager.trailer());
            file->write(kCrLf);
        }
        if (frontend_.stopRequested()) {
            if (frontend_.confirmStop()) {
                result.outcome = RunOutcome::Abandoned;
                return result;  // the output file is discarded
            }
            frontend_.clearStopRequest();
        }
        file->commit();
    } catch (const RunError& error) {
        result.error = error;
    } catch (const StoreError& error) {
        result.error = RunError(FailedStep::Database, database_.path(), error.what());
    } catch (const std::bad_alloc&) {
        result.error = RunError(FailedStep::Internal, inputPath_, "mémoire insuffisante");
    } catch (const std::exception& error) {
        result.error = RunError(FailedStep::Internal, inputPath_, error.what());
    }
    if (result.error) {
        result.outcome = RunOutcome::Failed;
        result.linesCut = log.cutCount();
        frontend_.showProgress(false);
        frontend_.setState(RunState::Idle);
        return result;
    }

    result.outcome = RunOutcome::Completed;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    frontend_.setPanel(3, text::elapsedText(result.seconds));
    frontend_.setPanel(2, text::kDone);
    frontend_.setState(RunState::Idle);
    return result;
}

}  // namespace brelin

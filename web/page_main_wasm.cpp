// The page's entry into the engine: one run on the file the host gives, through the page's
// front end and files, then the run's facts told to the host in the programs' wording. The host
// (web/worker.js in the page, tests/web/node_host.js under Node) shows them; it words nothing
// itself. The entries, the host's methods and the facts are those of web/page_contract.js.
//
// A run happens in a worker of its own, and "Arrêter" ends that worker: the engine's stop
// question is never asked here, and nothing of a stopped run reaches the page.
#include <emscripten.h>

#include <new>
#include <string>
#include <vector>

#include "attention.h"
#include "engine.h"
#include "error_text.h"
#include "messages.h"
#include "page_contract.h"
#include "page_file_system_wasm.h"
#include "page_texts.h"
#include "report_json.h"
#include "report_text.h"

namespace brelin {

namespace {

// The largest input the page takes: its staged copy and the sorted file both live in the
// browser's memory (bench/README.md). 2000.5 Mo, the largest size the page's words show as
// "2000 Mo", so that a file it refuses is never said to be as large as the limit.
constexpr uint64_t kMaxInputBytes = 4001 * (uint64_t{1} << 19);

// The names of a run's files, all after the input's name NAME.ext, so that the files of two runs
// never collide and each log and report is seen to go with its file: the sorted NAME-trie.ged, as
// the window suggests, its log NAME-journal.log and its report NAME-rapport.txt (their bytes are
// the programs'). The staging database's file is in emscripten's memory file system (its
// tables, temporary, stay in the module's memory); the log, its lock and the report in the
// page's files.
constexpr const char* kLogNameEnding = "-journal";
constexpr const char* kReportNameEnding = "-rapport";

struct RunFiles {
    std::string output;
    ProgramFiles program;
};

RunFiles runFilesFor(const std::string& inputName) {
    const auto dot = inputName.find_last_of('.');
    const std::string base = dot == std::string::npos ? inputName : inputName.substr(0, dot);
    RunFiles files{base + text::kOutputNameEnding + ".ged", programFilesIn("", "brelin")};
    files.program.logPath = base + kLogNameEnding + ".log";
    files.program.reportPath = base + kReportNameEnding + ".txt";
    return files;
}

void tell(Fact key, std::string_view bytes) {
    host::tell(key, bytes);
}

// The page's answers to the run: the output is given, a stop never comes through the engine.
class PageFrontend : public RunEvents, public RunQuestions {
public:
    explicit PageFrontend(std::string output) : output_(std::move(output)) {}

    // The output is kept in memory: a failed write is the browser's lack of memory, which a
    // second try would not cure.
    std::optional<std::string> chooseOutput(const std::string&, const RunError*) override {
        return output_;
    }
    bool stopRequested() override { return false; }
    bool confirmStop() override { return true; }

    void passStarted(RunPass pass, const InputMeasure& measure) override {
        tell(Fact::Phase, pass == RunPass::Writing ? "writing" : "reading");
        if (pass == RunPass::Reading) tell(Fact::Measure, text::measureText(measure));
    }
    void progressed(int percent) override { host::progress(percent); }

private:
    std::string output_;
};

void failed(const std::string& description) {
    tell(Fact::State, text::kFailed);
    tell(Fact::Error, description);
}

// A completed run's facts as the window shows them: its three panels, then its notice, one fact
// a line, or that there is nothing to note; after lines were cut outside the CONC mode, how the
// box would have kept their end. The JSON report only when asked.
void tellResult(const RunResult& result, const RunOptions& options, const ProgramFiles& names,
                PageFileSystem& files, bool json) {
    if (result.outcome != RunOutcome::Completed) {
        if (result.error) failed(text::describe(*result.error));
        return;
    }
    tell(Fact::Measure, text::measureText(result.measure));
    tell(Fact::State, text::kDone);
    tell(Fact::Elapsed, text::elapsedText(result.seconds));
    const std::vector<std::string> notice =
        text::attentionLines(result.report, text::Voice::Notice);
    if (notice.empty())
        tell(Fact::NothingToNote, text::kNoticeNothingToNote);
    else
        tell(Fact::NoticeIntro, text::kPageNoticeIntro);
    for (const std::string& line : notice) tell(Fact::Notice, line);
    if (!result.report.cutLines.empty() && !options.conc)
        tell(Fact::ConcAdvice, text::kNoticeConcHint);
    tell(Fact::Report, text::reportText(result));
    if (json) tell(Fact::Json, toJson(result.report));
    tell(Fact::ReportName, names.reportPath);
    if (const std::string* log = files.kept(names.logPath)) {
        tell(Fact::LogName, names.logPath);
        tell(Fact::Log, *log);
    }
}

}  // namespace

}  // namespace brelin

using namespace brelin;

// The texts the page shows before any run, and after a run its worker could not finish.
extern "C" EMSCRIPTEN_KEEPALIVE void brelin_texts() {
    tell(Fact::Version, text::kVersion);
    tell(Fact::Stopped, text::kCliAbandoned);
    tell(Fact::Attention, text::kAttention);
    tell(Fact::Failed, text::kFailed);
    tell(Fact::NoticeTitle, text::kNoticeTitle);
    tell(Fact::SizeLimit, text::megabytesText(kMaxInputBytes));
}

// One run on the host's input, known as inputName; its facts go to the host as they come, the
// JSON report among them with json.
extern "C" EMSCRIPTEN_KEEPALIVE void brelin_run(const char* inputName, int conc, int json) {
    const std::string input = inputName;
    const RunFiles names = runFilesFor(input);
    tell(Fact::Output, names.output);
    // Should the worker die of a lack of memory or of a fault, the page says so in these words.
    tell(Fact::OutOfMemory,
         text::describe(RunError(FailedStep::Internal, input, Cause::OutOfMemory)));
    tell(Fact::Unexpected, text::describe(RunError(FailedStep::Internal, input)));

    PageFileSystem files(input);
    try {
        const uint64_t size = files.openInput(input)->size();
        if (size > kMaxInputBytes) return failed(text::pageTooLarge(input, size, kMaxInputBytes));
        PageFrontend frontend(names.output);
        RunOptions options;
        options.conc = conc != 0;
        const RunResult result = runOnce(names.program, files, input, options, frontend, frontend);
        tellResult(result, options, names.program, files, json != 0);
    } catch (const RunError& error) {
        failed(text::describe(error));
    } catch (const std::bad_alloc&) {
        failed(text::describe(RunError(FailedStep::Internal, input, Cause::OutOfMemory)));
    }
}

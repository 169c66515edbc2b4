#include "command_line.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "attention.h"
#include "command_words.h"
#include "engine.h"
#include "error_text.h"
#include "file_system.h"
#include "messages.h"
#include "process.h"
#include "program_paths.h"
#include "report_json.h"
#include "report_text.h"

namespace brelin {

namespace {

struct Arguments {
    bool force = false;
    bool conc = false;
    bool report = false;
    bool json = false;
    bool check = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
};

std::optional<Arguments> parse(int argc, const char* const* argv, std::ostream& err) {
    const CommandWords words = splitCommandLine(argc, argv);
    Arguments arguments;
    for (const std::string& option : words.options) {
        if (option == "-f" || option == "--force") {
            arguments.force = true;
        } else if (option == "--conc") {
            arguments.conc = true;
        } else if (option == "--report") {
            arguments.report = true;
        } else if (option == "--json") {
            arguments.json = true;
        } else if (option == "--check") {
            arguments.check = true;
        } else if (option == "-h" || option == "--help") {
            arguments.help = true;
        } else if (option == "--version") {
            arguments.version = true;
        } else {
            err << text::cliUnknownOption(option) << "\n" << text::kCliUsage;
            return std::nullopt;
        }
    }
    arguments.files = words.files;
    const size_t files = arguments.check ? 1 : 2;
    if (!arguments.help && !arguments.version && arguments.files.size() != files) {
        err << text::cliFileCount(arguments.files.size(), arguments.check) << "\n"
            << text::kCliUsage;
        return std::nullopt;
    }
    return arguments;
}

// Answers the run's questions from the command line: the output is given, a stop request
// (Ctrl+C) is always confirmed. Progress goes to a terminal only, on one line that each step
// rewrites.
class CommandLineFrontend : public RunEvents, public RunQuestions {
public:
    CommandLineFrontend(const std::string& input, std::string output, std::ostream& err)
        : name_(std::filesystem::path(input).filename().string()),
          output_(std::move(output)),
          err_(err),
          showProgress_(errorStreamIsTerminal()) {}
    ~CommandLineFrontend() override { clearProgress(); }
    CommandLineFrontend(const CommandLineFrontend&) = delete;
    CommandLineFrontend& operator=(const CommandLineFrontend&) = delete;

    std::optional<std::string> chooseOutput(const std::string&, const RunError*) override {
        return output_;
    }
    bool stopRequested() override { return interruptRequested(); }
    bool confirmStop() override { return true; }

    void passStarted(RunPass pass, const InputMeasure&) override {
        clearProgress();
        pass_ = text::progressPass(pass);
    }
    void progressed(int percent) override {
        if (!showProgress_) return;
        err_ << "\r" << name_ << " : " << pass_ << " " << percent << " %" << std::flush;
        shown_ = true;
    }

    // The progress line goes before anything else is printed.
    void clearProgress() {
        if (shown_) err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    std::string name_;
    std::string output_;
    std::ostream& err_;
    bool showProgress_;
    bool shown_ = false;
    std::string pass_;
};

// A completed run prints its summary, then one short line for each thing that deserves
// attention; --report adds the whole report, --json prints the report alone, as JSON.
int report(const RunResult& result, const Arguments& arguments, const std::string& logPath,
           std::ostream& out, std::ostream& err) {
    switch (result.outcome) {
        case RunOutcome::Completed: {
            // A check's status says whether something deserves attention.
            const int status =
                arguments.check && !findings(result.report).empty() ? kExitAttention : kExitOk;
            if (arguments.json) {
                out << toJson(result.report) << "\n";
                return status;
            }
            out << text::completedLine(result) << "\n";
            out << (arguments.check ? text::cliChecked(result.inputPath)
                                    : text::cliWritten(result.outputPath))
                << "\n";
            const text::Voice voice =
                arguments.check ? text::Voice::Check : text::Voice::CommandLine;
            for (const std::string& line : text::attentionLines(result.report, voice, logPath))
                out << line << "\n";
            if (arguments.report) out << "\n" << text::reportText(result);
            // The output is written: a log or a report that could not be is told, no more.
            if (result.logOrReportFailure)
                err << text::describe(*result.logOrReportFailure) << "\n";
            return status;
        }
        case RunOutcome::Abandoned:
            err << text::kCliAbandoned << "\n";
            return kExitInterrupted;
        case RunOutcome::Failed:
            err << text::describe(*result.error) << "\n";
            return kExitFailure;
        case RunOutcome::OutputCancelled:
            break;
    }
    return kExitFailure;
}

int convert(const Arguments& arguments, const std::string& executablePath, std::ostream& out,
            std::ostream& err) {
    const std::string& input = arguments.files[0];
    // A check writes no output.
    const std::string output = arguments.check ? std::string() : arguments.files[1];
    if (!arguments.check && sameFile(input, output)) {
        err << text::cliSameAsInput(output) << "\n";
        return kExitRefused;
    }
    std::error_code ignored;
    if (!arguments.check && !arguments.force &&
        std::filesystem::exists(std::filesystem::symlink_status(output, ignored))) {
        err << text::cliOutputExists(output) << "\n";
        return kExitRefused;
    }

    ProgramFiles files = programFiles(executablePath);
    // A check writes nothing beside the program: it stages in memory, whose temporary tables
    // spill to the system's temporary folder, removed with the database.
    if (arguments.check) files.databasePath.clear();
    DiskFileSystem disk;
    RunOptions options;
    options.conc = arguments.conc;
    options.checkOnly = arguments.check;
    // The report file, as the window keeps it, beside the log.
    options.reportText = text::reportText;
    clearInterruptRequest();
    CommandLineFrontend frontend(input, output, err);
    const RunResult result = runOnce(files, disk, input, options, frontend, frontend);
    frontend.clearProgress();
    return report(result, arguments, files.logPath, out, err);
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, const std::string& executablePath,
                   std::ostream& out, std::ostream& err) {
    const std::optional<Arguments> arguments = parse(argc, argv, err);
    if (!arguments) return kExitRefused;
    if (arguments->help) {
        out << text::kCliUsage;
        return kExitOk;
    }
    if (arguments->version) {
        out << text::kVersion << "\n";
        return kExitOk;
    }
    return convert(*arguments, executablePath, out, err);
}

}  // namespace brelin

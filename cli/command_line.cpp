#include "command_line.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "attention.h"
#include "command_words.h"
#include "conversion_run.h"
#include "error_text.h"
#include "file_system.h"
#include "messages.h"
#include "process.h"
#include "program_paths.h"
#include "report_json.h"
#include "report_text.h"
#include "run_database.h"

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
// (Ctrl+C) is always confirmed. Progress goes to a terminal only.
class CommandLineFrontend : public RunFrontend, public RunQuestions {
public:
    CommandLineFrontend(std::string output, std::ostream& err)
        : output_(std::move(output)), err_(err), showProgress_(errorStreamIsTerminal()) {}

    std::optional<std::string> chooseOutput(const std::string&, const RunError*) override {
        return output_;
    }
    bool stopRequested() override { return interruptRequested(); }
    bool confirmStop() override { return true; }

    void runStarted(const std::string& inputPath) override {
        clearInterruptRequest();
        name_ = std::filesystem::path(inputPath).filename().string();
    }
    void setState(RunState state) override { pass_ = text::progressPass(state); }
    void inputMeasured(const InputMeasure&) override {}
    void showProgress(bool visible) override {
        if (!showProgress_) return;
        if (!visible && lastPercent_ >= 0) err_ << "\r\033[K" << std::flush;
        lastPercent_ = -1;
    }
    void updateProgress(float percent) override {
        if (!showProgress_) return;
        const int whole = static_cast<int>(std::floor(percent));
        if (whole == lastPercent_) return;
        lastPercent_ = whole;
        err_ << "\r" << name_ << " : " << pass_ << " " << whole << " %" << std::flush;
    }
    void handlePending() override {}
    void runEnded(const RunResult&) override {}

private:
    std::string output_;
    std::ostream& err_;
    bool showProgress_;
    int lastPercent_ = -1;
    std::string name_;
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

    const ProgramFiles files = programFiles(executablePath);
    std::unique_ptr<RunDatabase> database;
    try {
        database = RunDatabase::open(files.databasePath);
    } catch (const RunError& error) {
        err << text::describe(error) << "\n";
        return kExitFailure;
    }

    DiskFileSystem disk;
    CommandLineFrontend frontend(output, err);
    RunOptions options;
    options.conc = arguments.conc;
    options.checkOnly = arguments.check;
    ConversionRun run(*database, disk, frontend, frontend, files.logPath, options);
    const RunResult result = run.start(input);
    try {
        database->close();
    } catch (const RunError&) {
        // The run's outcome stands; the database file is replaced at the next start.
    }
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

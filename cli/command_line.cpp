#include "command_line.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion_run.h"
#include "file_system.h"
#include "messages.h"
#include "program_paths.h"
#include "public.h"

namespace brelin {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

constexpr const char* kUsage =
    "Usage : brelin-cli [-f|--force] ENTRÉE SORTIE\n"
    "\n"
    "Remet les enregistrements du fichier GEDCOM ENTRÉE en ordre croissant de leurs numéros\n"
    "(en-tête, individus, familles, sources, notes, fin) et écrit le résultat dans SORTIE.\n"
    "Les lignes de plus de 255 caractères sont coupées et signalées dans le journal.\n"
    "\n"
    "  -f, --force   remplace SORTIE s'il existe déjà\n"
    "  --help        affiche cette aide\n"
    "  --version     affiche la version\n"
    "\n"
    "Codes de sortie : 0 terminé, 1 échec, 2 refusé, 130 interrompu (Ctrl+C).\n";

struct Arguments {
    bool force = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
};

std::optional<Arguments> parse(int argc, const char* const* argv, std::ostream& err) {
    Arguments arguments;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (options && word == "--") {
            options = false;
        } else if (options && (word == "-f" || word == "--force")) {
            arguments.force = true;
        } else if (options && (word == "-h" || word == "--help")) {
            arguments.help = true;
        } else if (options && word == "--version") {
            arguments.version = true;
        } else if (options && word.size() > 1 && word[0] == '-') {
            err << "brelin-cli : option inconnue « " << word << " »\n" << kUsage;
            return std::nullopt;
        } else {
            arguments.files.push_back(word);
        }
    }
    if (!arguments.help && !arguments.version && arguments.files.size() != 2) {
        err << kUsage;
        return std::nullopt;
    }
    return arguments;
}

// Answers the run's questions from the command line: the files are given, a stop request
// (Ctrl+C) is always confirmed.
class CommandLineFrontend : public RunFrontend {
public:
    CommandLineFrontend(std::string input, std::string output, std::ostream& err)
        : input_(std::move(input)),
          output_(std::move(output)),
          err_(err),
          showProgress_(::isatty(STDERR_FILENO) == 1) {}

    std::optional<InputChoice> chooseInput() override {
        return InputChoice{input_, std::filesystem::path(input_).filename().string()};
    }
    std::optional<std::string> chooseOutput(const std::string&) override { return output_; }
    void setState(RunState) override {}
    void setPanel(int panel, const std::string& text) override { panels_[panel - 1] = text; }
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
        err_ << "\r" << panels_[1] << " : " << whole << " %" << std::flush;
    }
    bool stopRequested() override { return interrupted; }
    void clearStopRequest() override { interrupted = false; }
    bool confirmStop() override { return true; }

    const std::string& panel(int panel) const { return panels_[panel - 1]; }

private:
    std::string input_;
    std::string output_;
    std::ostream& err_;
    bool showProgress_;
    int lastPercent_ = -1;
    std::string panels_[3];
};

int convert(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& input = arguments.files[0];
    const std::string& output = arguments.files[1];
    if (sameFile(input, output)) {
        err << "Le fichier de sortie DOIT être différent du fichier d'entrée.\n";
        return kExitRefused;
    }
    std::error_code ignored;
    if (!arguments.force &&
        std::filesystem::exists(std::filesystem::symlink_status(output, ignored))) {
        err << "Un fichier du même nom existe déjà.\n";
        return kExitRefused;
    }

    const ProgramFiles files = programFiles(currentExecutablePath());
    std::unique_ptr<StagingDatabase> database;
    try {
        database = Public::openStagingDatabase(files.databasePath);
    } catch (const std::exception& error) {
        err << text::describe(RunError(FailedStep::Database, files.databasePath, error.what()))
            << "\n";
        return kExitFailure;
    }

    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // Under a file size limit (ulimit -f) a write past the limit would otherwise kill the program
    // with SIGXFSZ, leaving a temporary file and no message; ignored, the write fails with EFBIG
    // and the run reports it like any other write failure.
    signal(SIGXFSZ, SIG_IGN);

    DiskFileSystem disk;
    CommandLineFrontend frontend(input, output, err);
    ConversionRun run(*database, disk, frontend, files.logPath);
    const RunResult result = run.start();
    try {
        Public::closeStagingDatabase(database);
    } catch (const std::exception&) {
        // The run's outcome stands; the database file is replaced at the next start.
    }

    switch (result.outcome) {
        case RunOutcome::Completed:
            out << frontend.panel(1) << "  " << frontend.panel(2) << "  " << frontend.panel(3)
                << "\n";
            out << "Fichier écrit : " << result.outputPath << "\n";
            if (result.linesCut > 0)
                out << result.linesCut << " ligne(s) coupée(s) à 255 caractères, voir le journal "
                    << files.logPath << "\n";
            return kExitOk;
        case RunOutcome::Abandoned:
            err << "Arrêt demandé : aucun fichier n'a été écrit.\n";
            return kExitInterrupted;
        case RunOutcome::Failed:
            err << text::describe(*result.error) << "\n";
            if (result.linesCut > 0)
                err << "Les lignes coupées jusque-là sont dans le journal " << files.logPath
                    << "\n";
            return kExitFailure;
        case RunOutcome::InputCancelled:
        case RunOutcome::OutputCancelled:
            break;
    }
    return kExitFailure;
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const std::optional<Arguments> arguments = parse(argc, argv, err);
    if (!arguments) return kExitRefused;
    if (arguments->help) {
        out << kUsage;
        return kExitOk;
    }
    if (arguments->version) {
        out << text::kVersion << "\n";
        return kExitOk;
    }
    return convert(*arguments, out, err);
}

}  // namespace brelin

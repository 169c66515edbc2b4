#include "truncation_log.h"

#include <cstdint>

namespace brelin {

namespace {

// The log's fixed texts, in Windows-1252 bytes ("è" is E8, "é" E9) on every platform, as
// docs/file-formats.md gives them: its banner, then one line per line cut or continued. A run
// that cuts calls its lines errors; a CONC run's lines lost nothing, and its banner says what
// they are.
constexpr std::string_view kBanner =
    "   ###############################################\r\n"
    "   #  Ligne(s) du GEDCOM comportant des erreurs  #\r\n"
    "   ###############################################\r\n";
constexpr std::string_view kConcBanner =
    "   ##############################################\r\n"
    "   #  Ligne(s) du GEDCOM de plus de 255 octets  #\r\n"
    "   ##############################################\r\n";
constexpr std::string_view kLineStart = "La ligne ";
constexpr std::string_view kOverCharacters = " comporte plus de 255 caract\xE8res";
constexpr std::string_view kOverBytes = " comporte plus de 255 octets";
constexpr std::string_view kCutEnd =
    " et a \xE9t\xE9 tronqu\xE9"
    "e.\r\n";
constexpr std::string_view kContinuedEnd =
    " et a \xE9t\xE9 continu\xE9"
    "e sur des lignes CONC.\r\n";

std::string logLine(int64_t lineNumber, Overlong overlong, std::string_view end) {
    std::string line(kLineStart);
    line += std::to_string(lineNumber);
    line += overlong == Overlong::Characters ? kOverCharacters : kOverBytes;
    line += end;
    return line;
}

}  // namespace

TruncationLog::TruncationLog(FileSystem& files, std::string logPath, bool conc)
    : files_(files), path_(std::move(logPath)), conc_(conc) {}

void TruncationLog::reportCut(int64_t lineNumber, Overlong overlong) {
    report(logLine(lineNumber, overlong, kCutEnd));
}

void TruncationLog::reportContinued(int64_t lineNumber, Overlong overlong) {
    report(logLine(lineNumber, overlong, kContinuedEnd));
}

void TruncationLog::report(const std::string& message) {
    if (path_.empty()) return;
    if (!file_) {
        file_ = files_.createSideFile(path_, FailedStep::WriteLog);
        file_->write(conc_ ? kConcBanner : kBanner);
    }
    file_->write(message);
}

void TruncationLog::putInPlace() {
    if (path_.empty()) return;
    try {
        if (file_) {
            file_->commit();
        } else {
            files_.removeFile(path_);
        }
    } catch (const RunError& error) {
        try {
            files_.removeFile(path_);
        } catch (const RunError&) {
            // The failure told below is the one the user can act on.
        }
        throw RunError(FailedStep::WriteLog, path_, error.cause(), error.detail());
    }
}

}  // namespace brelin

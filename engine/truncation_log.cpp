#include "truncation_log.h"

#include <cstdint>

namespace brelin {

namespace {

// The log's fixed texts, in Windows-1252 bytes ("è" is E8, "é" E9) on every platform, as
// docs/file-formats.md gives them: its banner, then one line per line cut or continued.
constexpr std::string_view kBanner =
    "   ###############################################\r\n"
    "   #  Ligne(s) du GEDCOM comportant des erreurs  #\r\n"
    "   ###############################################\r\n";
constexpr std::string_view kLineStart = "La ligne ";
constexpr std::string_view kCutEnd =
    " comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
    "e.\r\n";
constexpr std::string_view kContinuedEnd =
    " comporte plus de 255 caract\xE8res et a \xE9t\xE9 continu\xE9"
    "e sur des lignes CONC.\r\n";

std::string logLine(int64_t lineNumber, std::string_view end) {
    std::string line(kLineStart);
    line += std::to_string(lineNumber);
    line += end;
    return line;
}

}  // namespace

TruncationLog::TruncationLog(FileSystem& files, std::string logPath)
    : files_(files), path_(std::move(logPath)) {}

void TruncationLog::reset() {
    file_.reset();
    if (!path_.empty()) files_.removeFile(path_);
    firstCut_ = true;
}

void TruncationLog::reportCut(int64_t lineNumber) {
    report(logLine(lineNumber, kCutEnd));
}

void TruncationLog::reportContinued(int64_t lineNumber) {
    report(logLine(lineNumber, kContinuedEnd));
}

void TruncationLog::report(const std::string& message) {
    if (path_.empty()) return;
    if (firstCut_) {
        file_ = files_.openAppend(path_, true);
        file_->append(kBanner);
        firstCut_ = false;
    }
    try {
        if (file_->removed()) {
            // The log was removed while the run held it open (by hand, or by a program that
            // does not take the run's lock): the reports go on in the file now under its name,
            // if there is one.
            file_ = files_.openAppend(path_, false);
        }
        file_->append(message);
    } catch (const RunError&) {
        // The log is gone: it is begun again. Where it cannot be created at all (its folder
        // gone), this fails too and the failure stands.
        beginAgain(message);
    }
}

void TruncationLog::beginAgain(const std::string& message) {
    file_ = files_.openAppend(path_, true);
    file_->append(std::string(kBanner) + message);
}

}  // namespace brelin

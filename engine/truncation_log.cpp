#include "truncation_log.h"

#include "messages.h"

namespace brelin {

TruncationLog::TruncationLog(FileSystem& files, std::string logPath)
    : files_(files), path_(std::move(logPath)) {}

void TruncationLog::reset() {
    file_.reset();
    files_.removeFile(path_);
    firstCut_ = true;
    cutCount_ = 0;
    continuedCount_ = 0;
}

void TruncationLog::reportCut(int64_t lineNumber) {
    report(text::logLineCut(lineNumber));
    ++cutCount_;
}

void TruncationLog::reportContinued(int64_t lineNumber) {
    report(text::logLineContinued(lineNumber));
    ++continuedCount_;
}

void TruncationLog::report(const std::string& message) {
    if (firstCut_) {
        file_ = files_.openAppend(path_, true);
        file_->append(text::kLogBanner);
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
    file_->append(std::string(text::kLogBanner) + message);
}

}  // namespace brelin

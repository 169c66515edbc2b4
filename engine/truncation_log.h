// The truncation log: the numbers of the input lines a run has cut to 255 bytes, or continued on
// CONC lines, each with what made it long (over 255 characters, or over 255 bytes only), under a
// banner that says what the log lists, in a text file beside the program. The file belongs to the
// last run that wrote its output: a run writes its log beside it (FileSystem::createSideFile), from
// its first cut on, and puts it in place only once its output is; a run that ends without output
// leaves the last run's log as it was. Its bytes (Windows-1252, CR LF) are the same on every
// platform: docs/file-formats.md.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "file_system.h"

namespace brelin {

// What a long line is longer than: 255 characters (and so 255 bytes), or 255 bytes only (a
// UTF-8 line whose accented letters take two bytes each).
enum class Overlong { Characters, BytesOnly };

class TruncationLog {
public:
    // files must outlive the log. A log without a path writes nothing: a run that only checks
    // its input touches no file. conc: the run continues long lines on CONC lines, so that its
    // log lists no error, and its banner says so.
    TruncationLog(FileSystem& files, std::string logPath, bool conc);

    void reportCut(int64_t lineNumber, Overlong overlong);
    // A line continued on CONC lines instead of being cut.
    void reportContinued(int64_t lineNumber, Overlong overlong);

    // Puts this run's log in place of the last run's, once the run's output is in place: the
    // lines reported, or no log at all where none was. Throws RunError (FailedStep::WriteLog),
    // the last run's log then removed, since it no longer tells the last run. A log destroyed
    // before this leaves the last run's as it was.
    void putInPlace();

private:
    void report(const std::string& message);

    FileSystem& files_;
    std::string path_;
    bool conc_;
    std::unique_ptr<OutputFile> file_;
};

}  // namespace brelin

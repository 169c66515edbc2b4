// The truncation log: the numbers of the input lines a run has cut to 255 bytes, or continued on
// CONC lines, under a banner, in a text file beside the program. The file belongs to one run:
// reset() deletes the previous run's file, and the file is created again only at the run's first
// cut. The file is then held open until the next reset or the log's end, but each report is
// complete in the file (one write, after the banner's) before reportCut returns: nothing is
// buffered between reports. Its bytes (Windows-1252, CR LF) are the same on every platform:
// docs/file-formats.md.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "file_system.h"

namespace brelin {

class TruncationLog {
public:
    // files must outlive the log. A log without a path writes nothing: a run that only checks
    // its input touches no file.
    TruncationLog(FileSystem& files, std::string logPath);

    void reset();
    void reportCut(int64_t lineNumber);
    // A line continued on CONC lines instead of being cut.
    void reportContinued(int64_t lineNumber);

private:
    void report(const std::string& message);
    void beginAgain(const std::string& message);

    FileSystem& files_;
    std::unique_ptr<AppendFile> file_;
    std::string path_;
    bool firstCut_ = true;
};

}  // namespace brelin

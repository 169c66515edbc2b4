// The one error type of the engine: which step failed, on which file, and why, as facts. The
// front ends word it for the user once, with the wording's describe(); nothing below the front
// ends holds a sentence for the user.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brelin {

enum class FailedStep {
    ReadInput,       // the input cannot be opened or read
    InputNotFile,    // the input is a folder, a device or another non-regular file
    InputEncoding,   // the input is UTF-16, which the program does not read
    InputArchive,    // the input is a zip archive (GEDZIP), not the GEDCOM file it holds
    InputNotGedcom,  // the input's first line is not a level-0 line
    SecondHeader,    // a header line after the trailer: two files end to end (line: that line)
    InputEmpty,      // the input holds no line at all
    WriteOutput,     // the output cannot be created, written or put in place
    WriteLog,        // the truncation log cannot be written
    Database,        // the staging database failed
    RunLocked,       // another run holds the lock of the log (path: the log)
    SelfCheck,       // the lines to write are not the lines read: a fault of the program
    WriteReport,     // the run's report file cannot be written
    Internal,        // anything else (memory exhausted…)
};

// Why the step failed. The system's refusals and the database's faults that mean the same to
// the user (a full disk, an input-output error, no memory) share one value.
enum class Cause {
    None,            // the step says it all
    NotFound,        // no such file or folder
    AccessDenied,    // the system refused the access
    DiskFull,        // the disk, or the database's disk, is full
    QuotaExceeded,   // the user's disk quota is reached
    FileTooLarge,    // past the size a file may have
    ReadOnlyMedium,  // the file system is mounted read-only
    Folder,          // the path names a folder
    NotAFolder,      // a part of the path is not a folder
    NameTooLong,     // the path or a name in it is too long
    DiskIo,          // an input-output error, of the disk or of the database's file
    TooManyFiles,    // too many files open
    OutOfMemory,     // memory exhausted
    SystemRefused,   // another refusal of the system: detail() holds the system's words
    NotRegularFile,  // the path names a device, a pipe or a socket
    CannotOpen,      // the database cannot be opened or created
    ReadOnly,        // the database cannot be written
    Corrupt,         // the database's file is damaged
    Busy,            // another program holds the database
    Unexpected,      // detail() says what
};

class RunError : public std::runtime_error {
public:
    // detail: the system's or the database's own words, in English, for the curious user.
    RunError(FailedStep step, std::string path, Cause cause = Cause::None, std::string detail = {})
        : std::runtime_error(path + (detail.empty() ? "" : ": " + detail)),
          step_(step),
          cause_(cause),
          path_(std::move(path)),
          detail_(std::move(detail)) {}

    // The system refused with the error number error (errno), told as a Cause by the platform's
    // file (system_error.h).
    static RunError fromSystem(FailedStep step, std::string path, int error);
    // A step that failed at a line of the input file at path.
    static RunError atLine(FailedStep step, std::string path, int64_t line) {
        RunError error(step, std::move(path));
        error.line_ = line;
        return error;
    }

    FailedStep step() const { return step_; }
    Cause cause() const { return cause_; }
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }
    // The input's line the failure is about; 0 when none.
    int64_t line() const { return line_; }

private:
    FailedStep step_;
    Cause cause_;
    std::string path_;
    std::string detail_;
    int64_t line_ = 0;
};

}  // namespace brelin

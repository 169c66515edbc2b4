// What a failure is, as facts: the step of a run that failed and why. The ground floor of the
// engine's errors, which RunError carries (run_error.h) and the platform's files tell from their
// own error numbers (system_error.h).
#pragma once

namespace brelin {

enum class FailedStep {
    ReadInput,       // the input cannot be opened or read
    InputNotFile,    // the input is a folder, a device or another non-regular file
    InputEncoding,   // the input is UTF-16, which the program does not read
    InputArchive,    // the input is a zip archive (GEDZIP), not the GEDCOM file it holds
    InputNotGedcom,  // the input's first line is not a level-0 line
    InputTwoMarks,   // the input starts with two UTF-8 byte-order marks
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

}  // namespace brelin

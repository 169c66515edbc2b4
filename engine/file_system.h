// The engine's seam to files: the run reads, writes and logs only through FileSystem, so tests
// can run it in memory. Every failure is thrown as RunError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "run_error.h"

namespace brelin {

// A forward-only stream of the input's bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to capacity bytes of buffer; returns 0 only at the end of the input.
    virtual size_t read(char* buffer, size_t capacity) = 0;
    // The input's size in bytes when it was opened.
    virtual uint64_t size() const = 0;
    // Fills up to capacity bytes of buffer from offset, leaving the stream where it was; returns
    // 0 only at the end of the input.
    virtual size_t readAt(uint64_t offset, char* buffer, size_t capacity) = 0;
};

// Reads another source from its start by position (readAt), leaving that source's own stream
// where it is: a pass over an input that is also read as a stream, without opening it again.
class SourceFromStart : public ByteSource {
public:
    // source must outlive this object.
    explicit SourceFromStart(ByteSource& source) : source_(source) {}
    size_t read(char* buffer, size_t capacity) override;
    uint64_t size() const override { return source_.size(); }
    size_t readAt(uint64_t offset, char* buffer, size_t capacity) override {
        return source_.readAt(offset, buffer, capacity);
    }

private:
    ByteSource& source_;
    uint64_t position_ = 0;
};

// An output file that appears whole or not at all: its bytes become visible under its name
// only when commit() returns. Destroying it uncommitted leaves any older file of that name
// as it was, and no trace of the new one.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;
};

// An exclusive lock on a file, held until this object goes.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// Locks held within one program alone, for the files of a FileSystem that no other program
// shares (the page's, the tests' in memory). The table must outlive its locks.
class LockTable {
public:
    // The lock of path; nullptr while another holds it.
    std::unique_ptr<FileLock> tryLock(const std::string& path);

private:
    std::set<std::string> held_;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<ByteSource> openInput(const std::string& path) = 0;
    virtual std::unique_ptr<OutputFile> createOutput(const std::string& path) = 0;
    // Appends bytes to a file in one write, complete in the file when it returns. With create
    // false the file must already exist.
    virtual void appendToFile(const std::string& path, std::string_view bytes, bool create) = 0;
    // Removes a file; a missing file is not an error.
    virtual void removeFile(const std::string& path) = 0;
    // A file a run writes for its user beside its output (the truncation log, the report), as an
    // OutputFile: its bytes replace the file of that name only when committed, and destroyed
    // uncommitted it leaves that file as it was and no trace of its own. Its failures are thrown
    // as step's (FailedStep::WriteLog, FailedStep::WriteReport). The disk's is written as an
    // output is. This default, for a file system that keeps no file from one run to the next
    // (the page's), writes under the name itself through appendToFile, the older file removed at
    // the first write, and removes the file when destroyed uncommitted.
    virtual std::unique_ptr<OutputFile> createSideFile(const std::string& path, FailedStep step);
    // Takes the exclusive lock of the file at path, creating the file when missing; nullptr when
    // another program or object holds it. The lock goes with its holder, even one that is killed.
    virtual std::unique_ptr<FileLock> tryLock(const std::string& path) = 0;
};

// Files on disk. Outputs, and the files beside them, are written to a temporary file beside
// them, which is renamed over them on commit. The platform's file provides it
// (disk_file_system_posix.cpp), along with the functions below.
class DiskFileSystem : public FileSystem {
public:
    std::unique_ptr<ByteSource> openInput(const std::string& path) override;
    std::unique_ptr<OutputFile> createOutput(const std::string& path) override;
    void appendToFile(const std::string& path, std::string_view bytes, bool create) override;
    void removeFile(const std::string& path) override;
    std::unique_ptr<OutputFile> createSideFile(const std::string& path, FailedStep step) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;
};

// The name prefix of an output's temporary file in its folder: ".NAME.brelin-PID-".
std::string temporaryOutputPrefix(const std::string& outputName);

// Removes, from folder, the temporary outputs left by programs that are no longer running.
void removeStaleTemporaryOutputs(const std::string& folder);

// True when both paths name one file: the same text, or the same file on disk (another
// spelling, a symbolic or a hard link).
bool sameFile(const std::string& a, const std::string& b);

// True when an ordinary file (or a link to one) exists at path.
bool fileExists(const std::string& path);

}  // namespace brelin

// What every platform shares of the file seam; the disk's own files are the platform's
// (disk_file_system_posix.cpp).
#include "file_system.h"

namespace brelin {

namespace {

// A side file written under its own name through FileSystem::appendToFile: the older file is
// removed at the first write, and the file when it is destroyed uncommitted.
class SideFileInPlace : public OutputFile {
public:
    SideFileInPlace(FileSystem& files, std::string path, FailedStep step)
        : files_(files), path_(std::move(path)), step_(step) {}
    ~SideFileInPlace() override {
        if (!started_ || committed_) return;
        try {
            files_.removeFile(path_);
        } catch (const RunError&) {
            // A destructor never throws; the run has failed already.
        }
    }
    SideFileInPlace(const SideFileInPlace&) = delete;
    SideFileInPlace& operator=(const SideFileInPlace&) = delete;

    void write(std::string_view bytes) override {
        try {
            if (!started_) files_.removeFile(path_);
            files_.appendToFile(path_, bytes, !started_);
            started_ = true;
        } catch (const RunError& error) {
            throw RunError(step_, path_, error.cause(), error.detail());
        }
    }
    void commit() override { committed_ = true; }

private:
    FileSystem& files_;
    std::string path_;
    FailedStep step_;
    bool started_ = false;
    bool committed_ = false;
};

class TableLock : public FileLock {
public:
    TableLock(std::set<std::string>& held, std::string path)
        : held_(held), path_(std::move(path)) {}
    ~TableLock() override { held_.erase(path_); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

private:
    std::set<std::string>& held_;
    std::string path_;
};

}  // namespace

std::unique_ptr<FileLock> LockTable::tryLock(const std::string& path) {
    if (!held_.insert(path).second) return nullptr;
    return std::make_unique<TableLock>(held_, path);
}

size_t SourceFromStart::read(char* buffer, size_t capacity) {
    const size_t got = source_.readAt(position_, buffer, capacity);
    position_ += got;
    return got;
}

std::unique_ptr<OutputFile> FileSystem::createSideFile(const std::string& path, FailedStep step) {
    return std::make_unique<SideFileInPlace>(*this, path, step);
}

}  // namespace brelin

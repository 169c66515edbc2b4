// What every platform shares of the file seam; the disk's own files are the platform's
// (disk_file_system_posix.cpp).
#include "file_system.h"

namespace brelin {

namespace {

// Appends through FileSystem::appendToFile: the file is created, when asked, at the first append.
class AppendThroughFileSystem : public AppendFile {
public:
    AppendThroughFileSystem(FileSystem& files, std::string path, bool create)
        : files_(files), path_(std::move(path)), create_(create) {}
    void append(std::string_view bytes) override {
        files_.appendToFile(path_, bytes, create_);
        create_ = false;
    }
    bool removed() override { return false; }

private:
    FileSystem& files_;
    std::string path_;
    bool create_;
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

std::unique_ptr<AppendFile> FileSystem::openAppend(const std::string& path, bool create) {
    return std::make_unique<AppendThroughFileSystem>(*this, path, create);
}

}  // namespace brelin

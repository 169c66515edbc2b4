#include "memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brelin::testing {

namespace {

class MemorySource : public ByteSource {
public:
    MemorySource(MemoryFileSystem& files, std::string path)
        : files_(files), path_(std::move(path)), size_(files.at(path_).size()) {}

    size_t read(char* buffer, size_t capacity) override {
        ++files_.reads;
        if (files_.failReadAt && files_.reads == *files_.failReadAt)
            throw RunError::fromSystem(FailedStep::ReadInput, path_, EIO);
        // Reads what is there now, so a test can change the file under the run.
        const auto it = files_.files.find(path_);
        if (it == files_.files.end() || offset_ >= it->second.size()) return 0;
        const size_t count = std::min({capacity, files_.readChunk, it->second.size() - offset_});
        std::memcpy(buffer, it->second.data() + offset_, count);
        offset_ += count;
        return count;
    }
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, char* buffer, size_t capacity) override {
        ++files_.reads;
        if (files_.failReadAt && files_.reads == *files_.failReadAt)
            throw RunError::fromSystem(FailedStep::ReadInput, path_, EIO);
        const auto it = files_.files.find(path_);
        if (it == files_.files.end() || offset >= it->second.size()) return 0;
        const size_t count =
            std::min({capacity, files_.readChunk, static_cast<size_t>(it->second.size() - offset)});
        std::memcpy(buffer, it->second.data() + offset, count);
        return count;
    }

private:
    MemoryFileSystem& files_;
    std::string path_;
    uint64_t size_;
    size_t offset_ = 0;
};

// An output, or a side file (step), kept apart until committed.
class MemoryOutput : public OutputFile {
public:
    MemoryOutput(MemoryFileSystem& files, std::string path, FailedStep step)
        : files_(files), path_(std::move(path)), step_(step) {}
    void write(std::string_view bytes) override {
        if (step_ == FailedStep::WriteOutput && files_.outputSpace &&
            bytes_.size() + bytes.size() > *files_.outputSpace)
            throw RunError::fromSystem(step_, path_, ENOSPC);
        bytes_.append(bytes);
    }
    void commit() override {
        if (files_.failingCommits.count(path_) > 0) throw RunError::fromSystem(step_, path_, EIO);
        files_.files[path_] = bytes_;
    }

private:
    MemoryFileSystem& files_;
    std::string path_;
    FailedStep step_;
    std::string bytes_;
};

}  // namespace

std::unique_ptr<ByteSource> MemoryFileSystem::openInput(const std::string& path) {
    if (!has(path)) throw RunError::fromSystem(FailedStep::ReadInput, path, ENOENT);
    return std::make_unique<MemorySource>(*this, path);
}

std::unique_ptr<OutputFile> MemoryFileSystem::createOutput(const std::string& path) {
    return createSideFile(path, FailedStep::WriteOutput);
}

std::unique_ptr<OutputFile> MemoryFileSystem::createSideFile(const std::string& path,
                                                             FailedStep step) {
    if (unwritableFolders.count(path.substr(0, path.find_last_of('/'))) > 0)
        throw RunError::fromSystem(step, path, EACCES);
    return std::make_unique<MemoryOutput>(*this, path, step);
}

void MemoryFileSystem::appendToFile(const std::string& path, std::string_view bytes, bool create) {
    if (!create && !has(path)) throw RunError::fromSystem(FailedStep::WriteLog, path, ENOENT);
    files[path].append(bytes);
}

void MemoryFileSystem::removeFile(const std::string& path) {
    files.erase(path);
}

std::unique_ptr<FileLock> MemoryFileSystem::tryLock(const std::string& path) {
    return locks.tryLock(path);
}

size_t StringSource::readAt(uint64_t offset, char* buffer, size_t capacity) {
    if (offset >= bytes_.size()) return 0;
    const size_t count = std::min({capacity, chunk_, static_cast<size_t>(bytes_.size() - offset)});
    std::memcpy(buffer, bytes_.data() + offset, count);
    return count;
}

size_t StringSource::read(char* buffer, size_t capacity) {
    const size_t count = std::min({capacity, chunk_, bytes_.size() - offset_});
    std::memcpy(buffer, bytes_.data() + offset_, count);
    offset_ += count;
    return count;
}

}  // namespace brelin::testing

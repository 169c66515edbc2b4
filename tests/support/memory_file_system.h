// Files in memory for engine tests, with failures that can be set up on purpose.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "file_system.h"

namespace brelin::testing {

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;

    // The read that fails: the Nth read call on any input (1-based), or none.
    std::optional<int> failReadAt;
    // Output writes fail once this many bytes have been written to one output.
    std::optional<size_t> outputSpace;
    // Folders where no output can be created, as a read-only folder refuses it.
    std::set<std::string> unwritableFolders;
    // The side files (the log, the report) whose commit fails, as a rename can.
    std::set<std::string> failingCommits;
    // Chunk size of reads, to cut lines across buffer refills.
    size_t readChunk = 1 << 20;

    void put(const std::string& path, std::string bytes) { files[path] = std::move(bytes); }
    bool has(const std::string& path) const { return files.count(path) > 0; }
    const std::string& at(const std::string& path) const { return files.at(path); }

    std::unique_ptr<ByteSource> openInput(const std::string& path) override;
    std::unique_ptr<OutputFile> createOutput(const std::string& path) override;
    void appendToFile(const std::string& path, std::string_view bytes, bool create) override;
    void removeFile(const std::string& path) override;
    // Kept apart until committed, as the disk's are.
    std::unique_ptr<OutputFile> createSideFile(const std::string& path, FailedStep step) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;

    LockTable locks;

    int reads = 0;
};

// A source over a string, read in chunks of the given size.
class StringSource : public ByteSource {
public:
    explicit StringSource(std::string bytes, size_t chunk = 1 << 20)
        : bytes_(std::move(bytes)), chunk_(chunk) {}
    size_t read(char* buffer, size_t capacity) override;
    uint64_t size() const override { return bytes_.size(); }
    size_t readAt(uint64_t offset, char* buffer, size_t capacity) override;

private:
    std::string bytes_;
    size_t chunk_;
    size_t offset_ = 0;
};

}  // namespace brelin::testing

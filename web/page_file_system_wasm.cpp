// The host is the JavaScript object Module.brelinHost, which the page's worker (web/worker.js)
// or the Node host of the tests (tests/web/node_host.js) sets before a run; its methods are
// those of web/page_contract.js. Its calls return -1 or false on a failure of its own (a file
// changed or gone since it was chosen, memory refused), which become the run's errors here:
// nothing thrown in JavaScript crosses the engine.
#include "page_file_system_wasm.h"

#include <algorithm>
#include <cerrno>

#include "page_contract.h"

namespace brelin {

namespace {

class HostSource : public ByteSource {
public:
    HostSource(std::string path, uint64_t size) : path_(std::move(path)), size_(size) {}

    size_t read(char* buffer, size_t capacity) override {
        const size_t got = readAt(position_, buffer, capacity);
        position_ += got;
        return got;
    }
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, char* buffer, size_t capacity) override {
        const double got =
            host::read(static_cast<double>(offset), {buffer, std::min(capacity, kMaxRead)});
        if (got < 0) throw RunError::fromSystem(FailedStep::ReadInput, path_, EIO);
        return static_cast<size_t>(got);
    }

private:
    // A slice of the file per call, as large as the engine's own buffers ask.
    static constexpr size_t kMaxRead = 4 << 20;

    std::string path_;
    uint64_t size_;
    uint64_t position_ = 0;
};

class HostOutput : public OutputFile {
public:
    HostOutput(std::string path, int id) : path_(std::move(path)), id_(id) {}
    ~HostOutput() override {
        if (!committed_) host::outputDiscard(id_);
    }
    HostOutput(const HostOutput&) = delete;
    HostOutput& operator=(const HostOutput&) = delete;

    void write(std::string_view bytes) override {
        if (!host::outputWrite(id_, bytes)) fail();
    }
    void commit() override {
        if (!host::outputCommit(id_)) fail();
        committed_ = true;
    }

private:
    // The host keeps the bytes in the browser's memory: refusing them means there is none left.
    [[noreturn]] void fail() const {
        throw RunError::fromSystem(FailedStep::WriteOutput, path_, ENOMEM);
    }

    std::string path_;
    int id_;
    bool committed_ = false;
};

}  // namespace

PageFileSystem::PageFileSystem(std::string inputName) : inputName_(std::move(inputName)) {}

std::unique_ptr<ByteSource> PageFileSystem::openInput(const std::string& path) {
    if (path != inputName_) throw RunError::fromSystem(FailedStep::ReadInput, path, ENOENT);
    const double size = host::inputSize();
    if (size < 0) throw RunError::fromSystem(FailedStep::ReadInput, path, EIO);
    return std::make_unique<HostSource>(path, static_cast<uint64_t>(size));
}

std::unique_ptr<OutputFile> PageFileSystem::createOutput(const std::string& path) {
    const int id = host::outputOpen(path);
    if (id < 0) throw RunError::fromSystem(FailedStep::WriteOutput, path, ENOMEM);
    return std::make_unique<HostOutput>(path, id);
}

void PageFileSystem::appendToFile(const std::string& path, std::string_view bytes, bool create) {
    const auto file = kept_.find(path);
    if (file == kept_.end()) {
        if (!create) throw RunError::fromSystem(FailedStep::WriteLog, path, ENOENT);
        kept_[path] = bytes;
        return;
    }
    file->second.append(bytes);
}

void PageFileSystem::removeFile(const std::string& path) {
    kept_.erase(path);
}

std::unique_ptr<FileLock> PageFileSystem::tryLock(const std::string& path) {
    return locks_.tryLock(path);
}

const std::string* PageFileSystem::kept(const std::string& path) const {
    const auto file = kept_.find(path);
    return file == kept_.end() ? nullptr : &file->second;
}

}  // namespace brelin

// Files on a POSIX disk. Inputs are read with read(2) into the caller's buffer; outputs (and the
// log and the report beside them) are gathered in 1 MiB buffers and written to a temporary file
// made in the output's own folder (so that the final rename stays on one file system), then synced,
// given the mode of the file they replace, and renamed over the output. A full buffer is written by
// a thread of its own while the writer fills the other one, so that the writes overlap whatever
// produces the bytes, and its pages are sent on to the disk at once where the system allows, so
// that the final sync has little left to wait for. A new temporary file is created with the mode
// any new file gets here (0666 through the umask and the folder's default ACL), so the output needs
// no other. A temporary file carries the writer's process id in its name, so a later run in that
// folder can tell a leftover from the file of a program still at work.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "batch_thread.h"
#include "file_handle_posix.h"
#include "file_system.h"

namespace brelin {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void writeAll(int fd, const char* data, size_t size, const std::string& path, FailedStep step) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw RunError::fromSystem(step, path, errno);
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

// Asks the system to start writing [offset, offset + size) of a file to its disk now, where it
// can (Linux), without waiting for it: the output's pages then go to the disk while the rest is
// produced, and the final sync waits for the last ones only. A hint: its failure is ignored, and
// the sync reports any fault.
void startWriteBack(int fd, off_t offset, size_t size) {
#if defined(SYNC_FILE_RANGE_WRITE)
    ::sync_file_range(fd, offset, static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd, (void)offset, (void)size;
#endif
}

// The cause of a path that is not an ordinary file.
Cause notRegular(mode_t mode) {
    return S_ISDIR(mode) ? Cause::Folder : Cause::NotRegularFile;
}

class FileSource : public ByteSource {
public:
    FileSource(FileHandle file, uint64_t size, std::string path)
        : file_(std::move(file)), size_(size), path_(std::move(path)) {}

    size_t read(char* buffer, size_t capacity) override {
        for (;;) {
            const ssize_t got = ::read(file_.get(), buffer, capacity);
            if (got >= 0) return static_cast<size_t>(got);
            if (errno != EINTR) throw RunError::fromSystem(FailedStep::ReadInput, path_, errno);
        }
    }
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, char* buffer, size_t capacity) override {
        for (;;) {
            const ssize_t got = ::pread(file_.get(), buffer, capacity, static_cast<off_t>(offset));
            if (got >= 0) return static_cast<size_t>(got);
            if (errno != EINTR) throw RunError::fromSystem(FailedStep::ReadInput, path_, errno);
        }
    }

private:
    FileHandle file_;
    uint64_t size_;
    std::string path_;
};

// Threads: the owner (the run) makes every call. While a buffer is written, the descriptor and
// that buffer are the writer thread's: the owner waits for it (writer_.wait or join) before it
// uses the descriptor itself. A failed write is reported by the owner's next call that hands a
// buffer over or commits; the output is then never committed.
class TemporaryOutput : public OutputFile {
public:
    static constexpr size_t kBufferSize = 1 << 20;

    // replacedMode: the mode of the file the output replaces, if there is one; step: the step
    // its failures are told as.
    TemporaryOutput(std::string path, std::string temporaryPath, FileHandle file,
                    std::optional<mode_t> replacedMode, FailedStep step)
        : path_(std::move(path)),
          temporaryPath_(std::move(temporaryPath)),
          file_(std::move(file)),
          replacedMode_(replacedMode),
          step_(step) {
        buffer_.reserve(kBufferSize);
    }

    ~TemporaryOutput() override {
        writer_.join();
        file_.reset();
        if (!committed_) ::unlink(temporaryPath_.c_str());
    }

    void write(std::string_view bytes) override {
        if (buffer_.size() + bytes.size() > kBufferSize) handOver();
        if (bytes.size() >= kBufferSize) {
            writer_.wait();
            writeAll(file_.get(), bytes.data(), bytes.size(), path_, step_);
            startWriteBack(file_.get(), handedOver_, bytes.size());
            handedOver_ += static_cast<off_t>(bytes.size());
        } else {
            buffer_.append(bytes);
        }
    }

    void commit() override {
        handOver();
        writer_.wait();
        if (replacedMode_ && ::fchmod(file_.get(), *replacedMode_) != 0) fail(errno);
        if (::fdatasync(file_.get()) != 0) fail(errno);
        if (const int error = file_.close()) fail(error);
        if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) fail(errno);
        committed_ = true;
    }

private:
    [[noreturn]] void fail(int error) { throw RunError::fromSystem(step_, path_, error); }
    // Gives the buffer to the writer thread, after the previous one is written, and takes back
    // that one's buffer, empty.
    void handOver() {
        if (buffer_.empty()) return;
        const off_t offset = handedOver_;
        const size_t size = buffer_.size();
        writer_.start(buffer_,
                      [fd = file_.get(), &path = path_, offset, step = step_](std::string& bytes) {
                          writeAll(fd, bytes.data(), bytes.size(), path, step);
                          startWriteBack(fd, offset, bytes.size());
                          bytes.clear();
                      });
        handedOver_ += static_cast<off_t>(size);
        if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
    }

    std::string path_;
    std::string temporaryPath_;
    FileHandle file_;
    std::optional<mode_t> replacedMode_;
    FailedStep step_;
    std::string buffer_;
    off_t handedOver_ = 0;  // the bytes written or handed to the writer thread
    bool committed_ = false;
    BatchThread<std::string> writer_;
};

// flock(2): held by the open file, so it goes with the program whatever ends it.
class DiskFileLock : public FileLock {
public:
    explicit DiskFileLock(FileHandle file) : file_(std::move(file)) {}

private:
    FileHandle file_;
};

FileHandle openForAppend(const std::string& path, bool create) {
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0);
    FileHandle file(::open(path.c_str(), flags, 0666));
    if (!file) throw RunError::fromSystem(FailedStep::WriteLog, path, errno);
    return file;
}

// Six characters for a temporary file's name, as mkstemp would choose them.
std::string randomSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kLetters[pick(generator)];
    return suffix;
}

// A temporary file beside requestedPath, renamed over it on commit; failures told as step's.
std::unique_ptr<OutputFile> createTemporary(const std::string& requestedPath, FailedStep step) {
    // Replacing a link replaces the file it points to, as writing to it would.
    std::string path = requestedPath;
    if (char* resolved = ::realpath(requestedPath.c_str(), nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    std::optional<mode_t> replacedMode;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) throw RunError(step, requestedPath, notRegular(info.st_mode));
        replacedMode = info.st_mode & 07777;
    }
    const std::string folder = folderOf(path);
    removeStaleTemporaryOutputs(folder);
    const std::string prefix = folder + "/" + temporaryOutputPrefix(nameOf(path));
    for (int attempt = 0;; ++attempt) {
        std::string temporaryPath = prefix + randomSuffix();
        FileHandle file(
            ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file)
            return std::make_unique<TemporaryOutput>(path, std::move(temporaryPath),
                                                     std::move(file), replacedMode, step);
        if (errno != EEXIST || attempt == 100)
            throw RunError::fromSystem(step, requestedPath, errno);
    }
}

}  // namespace

std::unique_ptr<ByteSource> DiskFileSystem::openInput(const std::string& path) {
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file) throw RunError::fromSystem(FailedStep::ReadInput, path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw RunError::fromSystem(FailedStep::ReadInput, path, errno);
    if (!S_ISREG(info.st_mode))
        throw RunError(FailedStep::InputNotFile, path, notRegular(info.st_mode));
    // O_NONBLOCK only kept open() from waiting on a FIFO; a regular file reads as usual.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<FileSource>(std::move(file), static_cast<uint64_t>(info.st_size), path);
}

std::unique_ptr<OutputFile> DiskFileSystem::createOutput(const std::string& path) {
    return createTemporary(path, FailedStep::WriteOutput);
}

std::unique_ptr<OutputFile> DiskFileSystem::createSideFile(const std::string& path,
                                                           FailedStep step) {
    return createTemporary(path, step);
}

void DiskFileSystem::appendToFile(const std::string& path, std::string_view bytes, bool create) {
    FileHandle file = openForAppend(path, create);
    writeAll(file.get(), bytes.data(), bytes.size(), path, FailedStep::WriteLog);
    if (const int error = file.close())
        throw RunError::fromSystem(FailedStep::WriteLog, path, error);
}

std::unique_ptr<FileLock> DiskFileSystem::tryLock(const std::string& path) {
    FileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!file) throw RunError::fromSystem(FailedStep::WriteLog, path, errno);
    while (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return nullptr;
        if (errno != EINTR) throw RunError::fromSystem(FailedStep::WriteLog, path, errno);
    }
    return std::make_unique<DiskFileLock>(std::move(file));
}

void DiskFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw RunError::fromSystem(FailedStep::WriteLog, path, errno);
}

std::string temporaryOutputPrefix(const std::string& outputName) {
    return "." + outputName + ".brelin-" + std::to_string(::getpid()) + "-";
}

void removeStaleTemporaryOutputs(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const auto mark = name.rfind(".brelin-");
        if (name.empty() || name[0] != '.' || mark == std::string::npos || mark == 0) continue;
        // ".NAME.brelin-PID-XXXXXX": six random characters after the process id.
        const std::string tail = name.substr(mark + 8);
        const auto dash = tail.find('-');
        if (dash == std::string::npos || dash == 0 || tail.size() != dash + 7) continue;
        if (tail.find_first_not_of("0123456789") != dash) continue;
        const long pid = std::strtol(tail.substr(0, dash).c_str(), nullptr, 10);
        if (pid <= 0) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) continue;  // still at work
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat first {
    }, second{};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace brelin

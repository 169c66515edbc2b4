// Implementation details: inputs are read with read(2) into the caller's buffer; outputs are
// gathered in a 1 MiB buffer and written to a temporary file made with mkstemp in the output's
// own folder (so that the final rename stays on one file system), then synced, given the mode
// a new file would have (or the mode of the file it replaces) and renamed over the output.
// A temporary file carries the writer's process id in its name, so a later run in that folder
// can tell a leftover from the file of a program still at work.
#include "file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
            throw RunError(step, path, systemCause(errno));
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

class FileSource : public ByteSource {
public:
    FileSource(int fd, uint64_t size, std::string path)
        : fd_(fd), size_(size), path_(std::move(path)) {}
    ~FileSource() override { ::close(fd_); }

    size_t read(char* buffer, size_t capacity) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, capacity);
            if (got >= 0) return static_cast<size_t>(got);
            if (errno != EINTR) throw RunError(FailedStep::ReadInput, path_, systemCause(errno));
        }
    }
    uint64_t size() const override { return size_; }

private:
    int fd_;
    uint64_t size_;
    std::string path_;
};

class TemporaryOutput : public OutputFile {
public:
    static constexpr size_t kBufferSize = 1 << 20;

    TemporaryOutput(std::string path, std::string temporaryPath, int fd, mode_t mode)
        : path_(std::move(path)), temporaryPath_(std::move(temporaryPath)), fd_(fd), mode_(mode) {
        buffer_.reserve(kBufferSize);
    }

    ~TemporaryOutput() override {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(temporaryPath_.c_str());
    }

    void write(std::string_view bytes) override {
        if (buffer_.size() + bytes.size() > kBufferSize) flush();
        if (bytes.size() >= kBufferSize) {
            writeAll(fd_, bytes.data(), bytes.size(), path_, FailedStep::WriteOutput);
        } else {
            buffer_.append(bytes);
        }
    }

    void commit() override {
        flush();
        if (::fchmod(fd_, mode_) != 0 || ::fdatasync(fd_) != 0)
            throw RunError(FailedStep::WriteOutput, path_, systemCause(errno));
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throw RunError(FailedStep::WriteOutput, path_, systemCause(errno));
        if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0)
            throw RunError(FailedStep::WriteOutput, path_, systemCause(errno));
        committed_ = true;
    }

private:
    void flush() {
        writeAll(fd_, buffer_.data(), buffer_.size(), path_, FailedStep::WriteOutput);
        buffer_.clear();
    }

    std::string path_;
    std::string temporaryPath_;
    int fd_;
    mode_t mode_;
    std::string buffer_;
    bool committed_ = false;
};

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

// A file descriptor held open with O_APPEND: each append is one write(2).
class DiskAppendFile : public AppendFile {
public:
    DiskAppendFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~DiskAppendFile() override { ::close(fd_); }
    void append(std::string_view bytes) override {
        writeAll(fd_, bytes.data(), bytes.size(), path_, FailedStep::WriteLog);
    }
    bool removed() override {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 && info.st_nlink == 0;
    }

private:
    int fd_;
    std::string path_;
};

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string systemCause(int error) {
    switch (error) {
        case ENOENT:
            return "le fichier ou le dossier n'existe pas";
        case EACCES:
        case EPERM:
            return "l'accès est refusé";
        case ENOSPC:
            return "le disque est plein";
        case EDQUOT:
            return "le quota du disque est atteint";
        case EFBIG:
            return "le fichier dépasse la taille permise";
        case EROFS:
            return "le support est en lecture seule";
        case EISDIR:
            return "c'est un dossier";
        case ENOTDIR:
            return "un élément du chemin n'est pas un dossier";
        case ENAMETOOLONG:
            return "le nom est trop long";
        case EIO:
            return "erreur d'entrée-sortie du disque";
        case EMFILE:
        case ENFILE:
            return "trop de fichiers ouverts";
        default:
            return std::strerror(error);
    }
}

std::unique_ptr<ByteSource> DiskFileSystem::openInput(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw RunError(FailedStep::ReadInput, path, systemCause(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throw RunError(FailedStep::ReadInput, path, systemCause(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw RunError(
            FailedStep::InputNotFile, path,
            S_ISDIR(info.st_mode) ? "c'est un dossier" : "ce n'est pas un fichier ordinaire");
    }
    // O_NONBLOCK only kept open() from waiting on a FIFO; a regular file reads as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<FileSource>(fd, static_cast<uint64_t>(info.st_size), path);
}

std::unique_ptr<OutputFile> DiskFileSystem::createOutput(const std::string& requestedPath) {
    // Replacing a link replaces the file it points to, as writing to it would.
    std::string path = requestedPath;
    if (char* resolved = ::realpath(requestedPath.c_str(), nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    mode_t mode = newFileMode();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            throw RunError(
                FailedStep::WriteOutput, requestedPath,
                S_ISDIR(info.st_mode) ? "c'est un dossier" : "ce n'est pas un fichier ordinaire");
        mode = info.st_mode & 07777;
    }
    const std::string folder = folderOf(path);
    removeStaleTemporaryOutputs(folder);
    std::string pattern = folder + "/" + temporaryOutputPrefix(nameOf(path)) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw RunError(FailedStep::WriteOutput, requestedPath, systemCause(errno));
    return std::make_unique<TemporaryOutput>(path, std::string(name.data()), fd, mode);
}

void DiskFileSystem::appendToFile(const std::string& path, std::string_view bytes, bool create) {
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) throw RunError(FailedStep::WriteLog, path, systemCause(errno));
    try {
        writeAll(fd, bytes.data(), bytes.size(), path, FailedStep::WriteLog);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) throw RunError(FailedStep::WriteLog, path, systemCause(errno));
}

std::unique_ptr<AppendFile> DiskFileSystem::openAppend(const std::string& path, bool create) {
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) throw RunError(FailedStep::WriteLog, path, systemCause(errno));
    return std::make_unique<DiskAppendFile>(fd, path);
}

std::unique_ptr<AppendFile> FileSystem::openAppend(const std::string& path, bool create) {
    return std::make_unique<AppendThroughFileSystem>(*this, path, create);
}

void DiskFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw RunError(FailedStep::WriteLog, path, systemCause(errno));
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

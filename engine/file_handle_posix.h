// A POSIX file descriptor owned by one object: closed when its owner goes, moved, never copied.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace brelin {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { reset(); }
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    // Closes the descriptor now; the errno value of a failed close, or 0.
    int close() {
        if (fd_ < 0) return 0;
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0 ? 0 : errno;
    }
    void reset() { close(); }

private:
    int fd_ = -1;
};

}  // namespace brelin

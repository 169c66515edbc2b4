#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace brelin::testing {

namespace {

std::string readAll(int fd) {
    std::string bytes;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingFolder, const std::function<void()>& inChild) {
    // Captured in memory files: a pipe could fill up and block the child.
    outFd_ = ::memfd_create("stdout", MFD_CLOEXEC);
    errFd_ = ::memfd_create("stderr", MFD_CLOEXEC);
    if (outFd_ < 0 || errFd_ < 0) throw std::runtime_error("memfd_create failed");
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::dup2(outFd_, STDOUT_FILENO);
        ::dup2(errFd_, STDERR_FILENO);
        const int nullFd = ::open("/dev/null", O_RDONLY);
        if (nullFd >= 0) ::dup2(nullFd, STDIN_FILENO);
        // The program starts with the signal dispositions a shell would give it.
        for (const int signal : {SIGINT, SIGTERM, SIGXFSZ, SIGPIPE}) ::signal(signal, SIG_DFL);
        if (::chdir(workingFolder.c_str()) != 0) ::_exit(126);
        if (inChild) inChild();
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !waited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) ::close(outFd_);
    if (errFd_ >= 0) ::close(errFd_);
}

void ChildProcess::kill(int signal) {
    ::kill(pid_, signal);
}

ProcessResult ChildProcess::wait() {
    ProcessResult result;
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid_, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("wait4 failed");
    }
    waited_ = true;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.maxRssKiB = usage.ru_maxrss;
    result.out = readAll(outFd_);
    result.err = readAll(errFd_);
    return result;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder, const std::function<void()>& inChild) {
    ChildProcess child(program, arguments, workingFolder, inChild);
    return child.wait();
}

pid_t endedProcessId() {
    ChildProcess child("/bin/true", {});
    child.wait();
    return child.pid();
}

std::string copyCli(const std::string& folder, const std::string& name) {
    const std::string copy = folder + "/" + name;
    std::filesystem::copy_file(BRELIN_CLI_PATH, copy,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    return copy;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> temporaryOutputs(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string& name : folderEntries(folder)) {
        if (!name.empty() && name[0] == '.' && name.find(".brelin-") != std::string::npos)
            names.push_back(name);
    }
    return names;
}

}  // namespace brelin::testing

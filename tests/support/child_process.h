// brelin-cli in a child process, for the tests where the real program, its files and the system
// matter: its exit status, what it printed, and its peak memory.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace brelin::testing {

struct ProcessResult {
    int exitCode = -1;  // -1 when a signal ended the process
    int signal = 0;     // the signal that ended it, or 0
    long maxRssKiB = 0;
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    // Starts program with arguments in the folder workingFolder. inChild runs in the child just
    // before the program replaces it (to set a limit, for instance).
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingFolder = ".", const std::function<void()>& inChild = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void kill(int signal);
    // Waits for the end of the process and collects what it left.
    ProcessResult wait();

private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    bool waited_ = false;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder = ".",
                         const std::function<void()>& inChild = {});

// The id of a process that has ended: a process id no running program has.
pid_t endedProcessId();

// A private copy of brelin-cli in folder, so that its database and its log (kept beside the
// executable) belong to the test. Returns the copy's path.
std::string copyCli(const std::string& folder, const std::string& name = "brelin-cli");

// The names in folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// The names in folder that look like an output's temporary file (".NAME.brelin-PID-XXXXXX").
std::vector<std::string> temporaryOutputs(const std::string& folder);

}  // namespace brelin::testing

// brelin-bench-measure: runs one command and reports its wall time, its peak resident memory and
// the peak disk space of the files it holds open under a watched folder (SQLite's temporary
// files are deleted as soon as they are opened, so only their open descriptors show them).
//
//   brelin-bench-measure [--watch FOLDER]... -- COMMAND [ARGUMENT...]
//
// Prints one line: "seconds=S cpu_seconds=C max_rss_kib=K peak_watch_bytes=B status=X" (C is the
// command's user and system time, less disturbed than S by other work on the machine), and exits
// with the command's exit status.
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// The disk space of the open files of process pid whose path starts with one of folders.
uint64_t watchedBytes(pid_t pid, const std::vector<std::string>& folders) {
    const std::string fdFolder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fdFolder.c_str());
    if (dir == nullptr) return 0;
    uint64_t total = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string link = fdFolder + "/" + entry->d_name;
        char target[4096];
        const ssize_t size = ::readlink(link.c_str(), target, sizeof target - 1);
        if (size <= 0) continue;
        target[size] = '\0';
        bool watched = false;
        for (const std::string& folder : folders)
            watched = watched || std::strncmp(target, folder.c_str(), folder.size()) == 0;
        if (!watched) continue;
        struct stat info {};
        if (::stat(link.c_str(), &info) == 0) total += static_cast<uint64_t>(info.st_blocks) * 512;
    }
    ::closedir(dir);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> watch;
    int first = 1;
    while (first < argc && std::strcmp(argv[first], "--") != 0) {
        if (std::strcmp(argv[first], "--watch") == 0 && first + 1 < argc) {
            watch.emplace_back(argv[first + 1]);
            if (watch.back().back() != '/') watch.back() += '/';
            first += 2;
        } else {
            std::fprintf(stderr, "usage: brelin-bench-measure [--watch FOLDER] -- COMMAND...\n");
            return 2;
        }
    }
    if (first + 1 >= argc) {
        std::fprintf(stderr, "usage: brelin-bench-measure [--watch FOLDER] -- COMMAND...\n");
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        ::execvp(argv[first + 1], argv + first + 1);
        std::perror(argv[first + 1]);
        ::_exit(127);
    }

    std::atomic<bool> done{false};
    std::atomic<uint64_t> peak{0};
    std::thread sampler;
    if (!watch.empty()) {
        sampler = std::thread([&] {
            while (!done.load()) {
                const uint64_t bytes = watchedBytes(pid, watch);
                if (bytes > peak.load()) peak = bytes;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    if (sampler.joinable()) sampler.join();

    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const auto cpu = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    std::printf("seconds=%.4f cpu_seconds=%.4f max_rss_kib=%ld peak_watch_bytes=%llu status=%d\n",
                seconds, cpu(usage.ru_utime) + cpu(usage.ru_stime), usage.ru_maxrss,
                static_cast<unsigned long long>(peak.load()), code);
    return code;
}

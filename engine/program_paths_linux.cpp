// Where a Linux system keeps programs and their users' data (the XDG base directories).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "program_paths.h"

namespace brelin {

std::string currentExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("brelin") : path.string();
}

std::string userDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (dataHome != nullptr && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.local/share";
    }
    return base + "/brelin";
}

bool isSystemProgramFolder(const std::string& folder) {
    return folder == "/bin" || folder == "/sbin" || folder.rfind("/usr/", 0) == 0;
}

bool canWriteFolder(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace brelin

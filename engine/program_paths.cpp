#include "program_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace brelin {

namespace {

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

}  // namespace

std::string currentExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("brelin") : path.string();
}

std::string executableName(const std::string& executablePath) {
    std::string name = std::filesystem::path(executablePath).filename().string();
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

ProgramFiles programFiles(const std::string& executablePath) {
    const std::string name = executableName(executablePath);
    std::error_code ignored;
    const auto parent = std::filesystem::absolute(executablePath, ignored).parent_path();
    std::string folder = parent.empty() ? std::string(".") : parent.string();
    ProgramFiles files;
    // An installed program's folder is not its to write, even where the system would let it
    // (the administrator runs it).
    const bool installed = folder == "/bin" || folder == "/sbin" || folder.rfind("/usr/", 0) == 0;
    if (installed || ::access(folder.c_str(), W_OK | X_OK) != 0) {
        folder = userDataFolder();
        std::filesystem::create_directories(folder, ignored);
        files.inUserDataFolder = true;
    }
    files.databasePath = folder + "/" + name + ".db";
    files.logPath = folder + "/Log" + name + ".log";
    return files;
}

}  // namespace brelin

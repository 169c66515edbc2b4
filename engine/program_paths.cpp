#include "program_paths.h"

#include <filesystem>
#include <system_error>

namespace brelin {

std::string executableName(const std::string& executablePath) {
    std::string name = std::filesystem::path(executablePath).filename().string();
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string reportPathBeside(const std::string& logPath) {
    const std::filesystem::path log(logPath);
    std::string name = log.stem().string();
    if (name.rfind("Log", 0) == 0) name.erase(0, 3);
    return (log.parent_path() / ("Rapport" + name + ".txt")).string();
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

ProgramFiles programFiles(const std::string& executablePath) {
    const std::string name = executableName(executablePath);
    std::error_code ignored;
    const auto parent = std::filesystem::absolute(executablePath, ignored).parent_path();
    std::string folder = parent.empty() ? std::string(".") : parent.string();
    ProgramFiles files;
    // An installed program's folder is not its to write, even where the system would let it
    // (the administrator runs it).
    if (isSystemProgramFolder(folder) || !canWriteFolder(folder)) {
        folder = userDataFolder();
        std::filesystem::create_directories(folder, ignored);
    }
    files.databasePath = folder + "/" + name + ".db";
    files.logPath = folder + "/Log" + name + ".log";
    return files;
}

}  // namespace brelin

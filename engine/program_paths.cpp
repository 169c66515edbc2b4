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

ProgramFiles programFilesIn(const std::string& folder, const std::string& name) {
    const std::string start = folder.empty() ? std::string() : folder + "/";
    return {start + name + ".db", start + "Log" + name + ".log", start + name + ".lock",
            start + "Rapport" + name + ".txt"};
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
    // An installed program's folder is not its to write, even where the system would let it
    // (the administrator runs it).
    if (isSystemProgramFolder(folder) || !canWriteFolder(folder)) {
        folder = userDataFolder();
        std::filesystem::create_directories(folder, ignored);
    }
    return programFilesIn(folder, name);
}

}  // namespace brelin

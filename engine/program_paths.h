// Where the program keeps its staging database, its truncation log, the lock of its runs and its
// last run's report: beside its executable, named after it ("NAME.db", "LogNAME.log",
// "NAME.lock", "RapportNAME.txt"); or, where that folder cannot be written (an installed
// program), in the per-user data folder ($XDG_DATA_HOME/brelin, by default
// ~/.local/share/brelin) under the same names.
#pragma once

#include <string>

namespace brelin {

struct ProgramFiles {
    std::string databasePath;
    std::string logPath;
    // Held by a run for its whole length: one run at a time writes the log.
    std::string lockPath;
    std::string reportPath;
};

// The files of a program called name whose files are in folder ("" for none: bare names).
ProgramFiles programFilesIn(const std::string& folder, const std::string& name);

// path made absolute from the current folder, as a file dialog would give it; path itself when
// the current folder cannot be known.
std::string absolutePath(const std::string& path);

// The executable's file name without its folder and extension.
std::string executableName(const std::string& executablePath);

// The files of the program at executablePath. Creates the per-user data folder when needed.
ProgramFiles programFiles(const std::string& executablePath);

// What the platform's file provides (program_paths_linux.cpp):
// the running program's own executable;
std::string currentExecutablePath();
// the folder of the user's own data for the program;
std::string userDataFolder();
// whether folder is one the system installs programs in;
bool isSystemProgramFolder(const std::string& folder);
// whether the program may create files in folder.
bool canWriteFolder(const std::string& folder);

}  // namespace brelin

// Start-up of the desktop program: the staging database made anew in its file, then the main
// window, ready to be shown. A failure is told to the user in a message box.
#pragma once

#include <memory>

#include "program_paths.h"

namespace brelin {

class Dialogs;
class FileSystem;
class MainWindow;

// Replaces any old database file, opens the database with its four tables and makes the main
// window around it. Returns nothing, after telling the user why, when the database cannot be
// opened. files and dialogs must outlive the window.
std::unique_ptr<MainWindow> startUp(const ProgramFiles& paths, FileSystem& files, Dialogs& dialogs);

}  // namespace brelin

// The desktop program's command line: brelin [--help|--version] [--] [FICHIER]. It is read
// twice: before Qt starts, for the help and the version, which need no display; then once Qt has
// taken its own options (-platform, -style...) out of argv, for the file to open.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace brelin {

struct DesktopCommandLine {
    bool help = false;
    bool version = false;
    std::vector<std::string> unknownOptions;
    std::vector<std::string> files;
};

DesktopCommandLine parseDesktopCommandLine(int argc, const char* const* argv);
// The same before Qt starts, Qt's own options and their values left out as Qt will take them
// (-platform xcb, --style=fusion…), so that what is wrong is told before a display is looked
// for.
DesktopCommandLine parseDesktopCommandLineBeforeQt(int argc, const char* const* argv);

// Before Qt starts: prints the help or the version to out and gives the exit status 0, or
// nullopt when the window is to open. Unknown words are left for refusal().
std::optional<int> helpOrVersion(const DesktopCommandLine& line, std::ostream& out);

// Once Qt has taken its options: an unknown option or more than one file is told to err, then the
// usage, and gives the exit status 2; nullopt when the command line is sound.
std::optional<int> refusal(const DesktopCommandLine& line, std::ostream& err);

// Before Qt starts: whether the platform Qt is to use (-platform NAME, QT_QPA_PLATFORM, or X11
// and Wayland by default) has its display named (DISPLAY, WAYLAND_DISPLAY). Platforms that
// need none (offscreen, vnc…) always have one.
bool displayNamed(int argc, const char* const* argv);

}  // namespace brelin

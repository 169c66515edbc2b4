#include "desktop_command_line.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "command_words.h"
#include "messages.h"

namespace brelin {

DesktopCommandLine parseDesktopCommandLine(int argc, const char* const* argv) {
    CommandWords words = splitCommandLine(argc, argv);
    DesktopCommandLine line;
    for (const std::string& option : words.options) {
        if (option == "-h" || option == "--help") {
            line.help = true;
        } else if (option == "--version") {
            line.version = true;
        } else {
            line.unknownOptions.push_back(option);
        }
    }
    line.files = std::move(words.files);
    return line;
}

namespace {

// The options QGuiApplication and QApplication take out of argv, with one dash or two: those
// here take the next word as their value, unless given as "-NAME=VALUE".
constexpr std::string_view kQtOptionsWithValue[] = {"platform",
                                                    "platformpluginpath",
                                                    "platformtheme",
                                                    "plugin",
                                                    "qwindowgeometry",
                                                    "qwindowicon",
                                                    "qwindowtitle",
                                                    "session",
                                                    "display",
                                                    "geometry",
                                                    "name",
                                                    "title",
                                                    "visual",
                                                    "style",
                                                    "stylesheet"};
constexpr std::string_view kQtOptionsAlone[] = {
    "reverse", "nograb", "dograb", "sync", "widgetcount", "qmljsdebugger", "testability"};

template <size_t N>
bool among(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

DesktopCommandLine parseDesktopCommandLineBeforeQt(int argc, const char* const* argv) {
    std::vector<const char*> left = {argc > 0 ? argv[0] : ""};
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--") {
            left.insert(left.end(), argv + i, argv + argc);
            break;
        }
        std::string_view name = word;
        if (name.starts_with("--")) {
            name.remove_prefix(2);
        } else if (name.starts_with("-")) {
            name.remove_prefix(1);
        } else {
            left.push_back(argv[i]);
            continue;
        }
        const size_t equals = name.find('=');
        if (among(name.substr(0, equals), kQtOptionsWithValue)) {
            if (equals == std::string_view::npos) ++i;  // its value
            continue;
        }
        if (among(name.substr(0, equals), kQtOptionsAlone)) continue;
        left.push_back(argv[i]);
    }
    return parseDesktopCommandLine(static_cast<int>(left.size()), left.data());
}

std::optional<int> helpOrVersion(const DesktopCommandLine& line, std::ostream& out) {
    if (line.help) {
        out << text::kDesktopUsage;
        return 0;
    }
    if (line.version) {
        out << text::kVersion << "\n";
        return 0;
    }
    return std::nullopt;
}

std::optional<int> refusal(const DesktopCommandLine& line, std::ostream& err) {
    if (!line.unknownOptions.empty()) {
        err << text::desktopUnknownOption(line.unknownOptions.front()) << "\n"
            << text::kDesktopUsage;
        return 2;
    }
    if (line.files.size() > 1) {
        err << text::desktopFileCount(line.files.size()) << "\n" << text::kDesktopUsage;
        return 2;
    }
    return std::nullopt;
}

namespace {

bool variableSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The platforms named, as Qt reads them: "xcb", "wayland;xcb", "offscreen:fontengine=…".
bool anyHasDisplay(std::string_view platforms) {
    while (!platforms.empty()) {
        const size_t end = platforms.find(';');
        std::string_view name = platforms.substr(0, end);
        name = name.substr(0, name.find(':'));
        if (name.starts_with("xcb")) {
            if (variableSet("DISPLAY")) return true;
        } else if (name.starts_with("wayland")) {
            if (variableSet("WAYLAND_DISPLAY")) return true;
        } else if (!name.empty()) {
            return true;
        }
        if (end == std::string_view::npos) break;
        platforms.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

bool displayNamed(int argc, const char* const* argv) {
    // Qt takes "-platform" and "--platform", the last one given winning.
    const char* platform = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--") break;
        if (word == "-platform" || word == "--platform") platform = argv[i + 1];
    }
    if (platform == nullptr) platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return anyHasDisplay(platform);
    return variableSet("DISPLAY") || variableSet("WAYLAND_DISPLAY");
}

}  // namespace brelin

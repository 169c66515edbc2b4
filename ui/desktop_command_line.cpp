#include "desktop_command_line.h"

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
        err << text::kDesktopUsage;
        return 2;
    }
    return std::nullopt;
}

}  // namespace brelin

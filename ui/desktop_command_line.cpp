#include "desktop_command_line.h"

#include "messages.h"

namespace brelin {

DesktopCommandLine parseDesktopCommandLine(int argc, const char* const* argv) {
    DesktopCommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (options && word == "--") {
            options = false;
        } else if (options && (word == "-h" || word == "--help")) {
            line.help = true;
        } else if (options && word == "--version") {
            line.version = true;
        } else if (options && word.size() > 1 && word[0] == '-') {
            line.unknownOptions.push_back(word);
        } else {
            line.files.push_back(word);
        }
    }
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

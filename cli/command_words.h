// The words of a program's command line, split as both programs read them: options first, "--"
// ending them, the rest the files. Each program then says what its options mean.
#pragma once

#include <string>
#include <vector>

namespace brelin {

struct CommandWords {
    // The words taken as options ("-f", "--conc"…), in order, before "--".
    std::vector<std::string> options;
    // Every other word: a lone "-", and everything after "--".
    std::vector<std::string> files;
};

CommandWords splitCommandLine(int argc, const char* const* argv);

}  // namespace brelin

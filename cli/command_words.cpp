#include "command_words.h"

namespace brelin {

CommandWords splitCommandLine(int argc, const char* const* argv) {
    CommandWords words;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (options && word == "--") {
            options = false;
        } else if (options && word.size() > 1 && word[0] == '-') {
            words.options.push_back(word);
        } else {
            words.files.push_back(word);
        }
    }
    return words;
}

}  // namespace brelin

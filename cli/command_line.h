// brelin-cli: one conversion run from a terminal, on the same engine as the desktop program.
#pragma once

#include <ostream>
#include <string>

namespace brelin {

// Exit statuses of brelin-cli.
enum ExitStatus {
    kExitOk = 0,
    kExitFailure = 1,
    kExitRefused = 2,
    kExitAttention = 3,  // --check only: something deserves attention
    kExitInterrupted = 130
};

// Runs the command line argv as the program at executablePath, whose files (the staging database,
// the truncation log) are named after it (programFiles); results go to out, progress and
// messages to err.
int runCommandLine(int argc, const char* const* argv, const std::string& executablePath,
                   std::ostream& out, std::ostream& err);

}  // namespace brelin

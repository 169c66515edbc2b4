// What a system error number (errno) means, as the platform's file tells it
// (system_error_posix.cpp): the engine and the store pass the number on, and no other file names
// a platform's error values or words.
#pragma once

#include <string>

#include "causes.h"

namespace brelin {

// The cause of a refusal with error number error; Cause::SystemRefused for a number the program
// has no cause of its own for.
Cause causeOfSystemError(int error);

// The system's own words for error, in English whatever the user's language, for the curious
// user after the program's sentence.
std::string systemErrorText(int error);

}  // namespace brelin

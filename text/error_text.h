// A failure, worded once for every front end.
#pragma once

#include <string>

#include "run_error.h"

namespace brelin::text {

// A sentence for the user that names the file and the cause; the system's or the database's
// own words, where there are any, follow in brackets.
std::string describe(const RunError& error);

}  // namespace brelin::text

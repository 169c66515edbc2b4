// The whole report of a run, in French.
#pragma once

#include <string>

#include "run.h"

namespace brelin::text {

// Lines ending in LF: what brelin-cli --report prints, the window writes beside its log and the
// page offers. Lists show their first kListedItems items, then "et N autres".
std::string reportText(const RunResult& result);

}  // namespace brelin::text

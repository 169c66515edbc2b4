// What deserves the user's attention after a completed run (the engine's findings()), in French:
// the same list for every front end, in the voice of each.
#pragma once

#include <string>
#include <vector>

#include "run_report.h"

namespace brelin::text {

// How a front end speaks: brelin-cli's short lines name the log; the window's and the page's
// notice offer it by a button; brelin-cli --check tells what a run would do, with no log.
enum class Voice { CommandLine, Notice, Check };

// One line per finding of report, in its order; empty when nothing deserves attention. logPath
// is the truncation log, named by the command line's lines.
std::vector<std::string> attentionLines(const RunReport& report, Voice voice,
                                        const std::string& logPath = {});

}  // namespace brelin::text

// What deserves the user's attention after a completed run (the engine's findings()), in French:
// the same list for every front end, each finding worded once in the three voices a front end
// speaks in.
#pragma once

#include <string>
#include <vector>

#include "run_report.h"

namespace brelin::text {

// The voices: the window's and the page's notice say what the run did and offer the log by a
// button; brelin-cli's short lines say it too and name the log; brelin-cli --check says what a
// run would do, with no log.
enum class Voice { Notice, CommandLine, Check };

// What one finding says in each voice.
struct Sentences {
    std::string done;   // Voice::Notice
    std::string brief = {};  // Voice::CommandLine; empty where it says what done says
    std::string would = {};  // Voice::Check; empty where it says what done says
};

// The sentences of finding, one of findings(report). logPath is the truncation log, which the
// command line's lines name.
Sentences sentences(Finding finding, const RunReport& report, const std::string& logPath = {});

// One line per finding of report, in its order, in voice; empty when nothing deserves attention.
std::vector<std::string> attentionLines(const RunReport& report, Voice voice,
                                        const std::string& logPath = {});

}  // namespace brelin::text

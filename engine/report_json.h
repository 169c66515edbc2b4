// The run's report as one JSON object on one line, for scripts: docs/file-formats.md gives its
// keys, which keep their names and meaning, and its escaping.
#pragma once

#include <string>
#include <string_view>

#include "run_report.h"

namespace brelin {

// The report as one JSON object. Bytes that are not valid UTF-8 are written as \u00XX, the byte
// read as Latin-1; control characters as \u00XX.
std::string toJson(const RunReport& report);

// A JSON string literal, quotes included, by the same rule.
std::string jsonString(std::string_view bytes);

}  // namespace brelin

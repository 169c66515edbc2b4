// Feeds arbitrary bytes through a whole conversion run (reader, stager, staging database, writer)
// and checks the output against the invariant. Each input runs twice in the normal mode, once
// read in large chunks into a database that stages it in one batch, and once read in small
// chunks (lines straddle the reader's refills) into a database that stages it in many small
// sorted runs; both must agree. It runs once more in the CONC mode, where every line fits in 255
// bytes (but in a version 7 file, which the mode leaves as the normal mode writes it) and the
// values joined back are the input's. In both modes, valid UTF-8 in gives valid UTF-8 out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine.h"
#include "gedcom_line.h"
#include "invariant.h"
#include "memory_file_system.h"
#include "scripted_frontend.h"
#include "staging_database.h"

namespace {

using brelin::testing::MemoryFileSystem;
using brelin::testing::ScriptedFrontend;

constexpr const char* kInput = "/data/arbre.ged";
constexpr const char* kOutput = "/data/arbre-trie.ged";

[[noreturn]] void finding(const std::string& what) {
    std::fprintf(stderr, "FINDING: %s\n", what.c_str());
    std::abort();
}

// One database per way of staging, kept from input to input as the program keeps its own from
// run to run. The small one cuts the staged blocks into runs of a few records, so that an input
// of a few kilobytes goes through the insertion thread, the merge of several runs and, past three
// runs in one table, the sort of the whole table.
brelin::StagingDatabase& database(bool smallRuns) {
    static brelin::StagingDatabase* shared[2] = {};
    brelin::StagingDatabase*& db = shared[smallRuns ? 1 : 0];
    if (db == nullptr) {
        db = smallRuns ? new brelin::StagingDatabase(brelin::StagingLimits{97, 3})
                       : new brelin::StagingDatabase;
        db->openFile(":memory:");
        db->createTables();
    }
    return *db;
}

struct Converted {
    std::optional<std::string> output;
    brelin::RunReport report;
};

Converted convert(const std::string& bytes, size_t readChunk, bool smallRuns, bool conc) {
    MemoryFileSystem files;
    files.readChunk = readChunk;
    files.put(kInput, bytes);
    ScriptedFrontend frontend;
    frontend.output = kOutput;
    const brelin::RunResult result = brelin::testing::runOn(database(smallRuns), files, frontend,
                                                            kInput, brelin::RunOptions{conc});

    const bool written = files.has(kOutput);
    if (result.outcome == brelin::RunOutcome::Completed) {
        if (!written) finding("a completed run wrote no output");
        if (result.error) finding("a completed run carries an error");
        if (!result.report.verified) finding("a completed run did not check itself");
    } else if (result.outcome == brelin::RunOutcome::Failed) {
        if (!result.error) finding("a failed run carries no error");
        if (written) finding("a failed run left an output");
    } else {
        finding("unexpected outcome " + std::to_string(static_cast<int>(result.outcome)));
    }
    if (files.at(kInput) != bytes) finding("the input was changed");
    if (!std::is_sorted(frontend.progress.begin(), frontend.progress.end()) &&
        frontend.passes.size() < 2)
        finding("progress went back within a pass");
    for (const int percent : frontend.progress) {
        if (percent < 0 || percent > 100) finding("progress out of range");
    }
    if (!written) return {std::nullopt, result.report};
    const std::string& logPath = brelin::testing::kFiles.logPath;
    const std::string log = files.has(logPath) ? files.at(logPath) : std::string();
    size_t reports = 0;
    for (size_t at = log.find("La ligne "); at != std::string::npos;
         at = log.find("La ligne ", at + 1))
        ++reports;
    if (reports != result.report.cutLines.size() + result.report.continuedLines.size())
        finding("the log does not list every line cut or continued");
    return {files.at(kOutput), result.report};
}

// The lines of text, each line "N CONC value" joined to the line before it.
std::vector<std::string> joined(std::string_view text) {
    std::vector<std::string> lines;
    for (const std::string_view line : brelin::testing::splitLines(text)) {
        const size_t level = line.find_first_not_of(' ');
        const size_t tag = line.find(' ', level);
        const bool conc = level != std::string_view::npos && tag != std::string_view::npos &&
                          line.substr(tag, 6) == " CONC " && !lines.empty() &&
                          line.substr(level, tag - level).find_first_not_of("0123456789") ==
                              std::string_view::npos;
        if (conc) {
            lines.back() += line.substr(tag + 6);
        } else {
            lines.emplace_back(line);
        }
    }
    return lines;
}

// True when got is want with bytes removed from one place at or before its byte 255: a line cut
// to 255 bytes, maybe followed by the CONC lines joined to it.
bool cutOnce(const std::string& got, const std::string& want) {
    if (got.size() >= want.size()) return false;
    size_t prefix = 0;
    while (prefix < got.size() && got[prefix] == want[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < got.size() && got[got.size() - 1 - suffix] == want[want.size() - 1 - suffix])
        ++suffix;
    return got.size() - suffix <= std::min<size_t>(prefix, 255);
}

// text without the byte-order mark that may start it, which is no part of its first line.
std::string_view withoutMark(std::string_view text) {
    if (text.starts_with(brelin::gedcom::kUtf8Mark)) text.remove_prefix(3);
    return text;
}

void checkConcMode(const std::string& bytes, const Converted& normal, const Converted& conc) {
    if (normal.output.has_value() != conc.output.has_value())
        finding("the CONC mode refuses what the normal mode takes, or the reverse");
    if (!conc.output) return;
    if (conc.report.version7) {
        if (conc.output != normal.output) finding("the CONC mode changed a version 7 file");
        return;
    }
    const std::string_view lines = withoutMark(*conc.output);
    for (const std::string_view line : brelin::testing::splitLines(lines)) {
        if (line.size() > 255) finding("a line longer than 255 bytes in the CONC mode");
    }
    const std::vector<std::string> got = joined(lines);
    const std::string expected = *brelin::testing::expectedOutput(bytes, false);
    const std::vector<std::string> want = joined(withoutMark(expected));
    if (got.size() != want.size())
        finding("the CONC mode gives " + std::to_string(got.size()) + " lines joined back for " +
                std::to_string(want.size()));
    size_t cut = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] == want[i]) continue;
        // A line that cannot be continued, and the trailer, are cut as in the normal mode.
        if (cutOnce(got[i], want[i])) {
            ++cut;
            continue;
        }
        finding("the CONC mode's values joined back differ from the input's at joined line " +
                std::to_string(i + 1));
    }
    if (cut > conc.report.cutLines.size()) finding("the CONC mode cut a line it does not report");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Converted large = convert(bytes, 1 << 20, false, false);
    const Converted small = convert(bytes, 1 + size % 7, true, false);
    const Converted conc = convert(bytes, 1 + size % 5, size % 2 == 1, true);

    const std::string problem = brelin::testing::checkInvariant(bytes, large.output);
    if (!problem.empty()) finding(problem);
    if (large.output != small.output) finding("the output depends on how the input is read");
    int64_t cuts = 0;
    brelin::testing::expectedOutput(bytes, true, &cuts);
    if (large.output && static_cast<int64_t>(large.report.cutLines.size()) != cuts)
        finding("wrong count of cut lines");
    if (large.report.cutLines.size() != small.report.cutLines.size())
        finding("the cut count depends on how the input is read");
    checkConcMode(bytes, large, conc);

    const std::string_view text =
        bytes.substr(0, 3) == brelin::gedcom::kUtf8Mark ? std::string_view(bytes).substr(3) : bytes;
    if (brelin::gedcom::isValidUtf8(text)) {
        if (large.output && !brelin::gedcom::isValidUtf8(*large.output))
            finding("valid UTF-8 in, not valid UTF-8 out");
        if (conc.output && !brelin::gedcom::isValidUtf8(*conc.output))
            finding("valid UTF-8 in, not valid UTF-8 out in the CONC mode");
    }
    return 0;
}

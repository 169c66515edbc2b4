// Feeds arbitrary bytes through a whole conversion run (reader, stager, staging database, writer)
// and checks the output against the invariant. Each input runs twice, once read in large chunks
// into a database that stages it in one batch, and once read in small chunks (lines straddle the
// reader's refills) into a database that stages it in many small sorted runs; both must agree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "conversion_run.h"
#include "invariant.h"
#include "memory_file_system.h"
#include "run_database.h"
#include "scripted_frontend.h"
#include "staging_database.h"

namespace {

using brelin::testing::MemoryFileSystem;
using brelin::testing::ScriptedFrontend;

constexpr const char* kInput = "/data/arbre.ged";
constexpr const char* kOutput = "/data/arbre-trie.ged";
constexpr const char* kLog = "/prog/Logbrelin.log";

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

// The lines a run must report as cut: the non-empty lines longer than 255 bytes, up to and
// including the trailer.
int64_t expectedCuts(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    int64_t cuts = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        if (line.size() > 255) ++cuts;
        if (line.substr(0, 6) == "0 TRLR") break;
        start = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() &&
            bytes[start] == '\n')
            ++start;
    }
    return cuts;
}

std::optional<std::string> convert(const std::string& bytes, size_t readChunk, bool smallRuns,
                                   int64_t& cuts) {
    MemoryFileSystem files;
    files.readChunk = readChunk;
    files.put(kInput, bytes);
    ScriptedFrontend frontend;
    frontend.output = kOutput;
    brelin::RunDatabase runDatabase(database(smallRuns));
    brelin::ConversionRun run(runDatabase, files, frontend, frontend, kLog);
    const brelin::RunResult result = run.start(kInput);

    const bool written = files.has(kOutput);
    if (result.outcome == brelin::RunOutcome::Completed) {
        if (!written) finding("a completed run wrote no output");
        if (result.error) finding("a completed run carries an error");
    } else if (result.outcome == brelin::RunOutcome::Failed) {
        if (!result.error) finding("a failed run carries no error");
        if (written) finding("a failed run left an output");
    } else {
        finding("unexpected outcome " + std::to_string(static_cast<int>(result.outcome)));
    }
    if (frontend.state != brelin::RunState::Idle) finding("the run did not end idle");
    if (files.at(kInput) != bytes) finding("the input was changed");
    for (const float percent : frontend.progress) {
        if (!(percent >= 0.0f && percent <= 100.0f)) finding("progress out of range");
    }
    cuts = static_cast<int64_t>(result.report.cutLines.size());
    if (!written) return std::nullopt;
    const std::string log = files.has(kLog) ? files.at(kLog) : std::string();
    size_t reports = 0;
    for (size_t at = log.find("La ligne "); at != std::string::npos;
         at = log.find("La ligne ", at + 1))
        ++reports;
    if (static_cast<int64_t>(reports) != cuts) finding("the log does not list every cut");
    return files.at(kOutput);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    int64_t cutsLarge = 0;
    int64_t cutsSmall = 0;
    const std::optional<std::string> large = convert(bytes, 1 << 20, false, cutsLarge);
    const std::optional<std::string> small = convert(bytes, 1 + size % 7, true, cutsSmall);

    const std::string problem = brelin::testing::checkInvariant(bytes, large);
    if (!problem.empty()) finding(problem);
    if (large != small) finding("the output depends on how the input is read or staged");
    if (large && cutsLarge != expectedCuts(bytes)) finding("wrong count of cut lines");
    if (cutsLarge != cutsSmall) finding("the cut count depends on how the input is read");
    return 0;
}

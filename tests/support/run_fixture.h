// A conversion run for one test: files in memory, a scripted front end and a staging database of
// its own in memory. Also crlf(), the GEDCOM texts the tests write, and failedAt(), how the tests
// that run the engine check a failure.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "engine.h"
#include "memory_file_system.h"
#include "scripted_frontend.h"
#include "staging_database.h"

namespace brelin::testing {

inline const std::string kInput = "/in/family.ged";
inline const std::string kOutput = "/out/sorted.ged";
inline const std::string& kLog = kFiles.logPath;

// The lines, each ended by CR LF.
inline std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// Whether the run failed at step, with its error: for EXPECT_TRUE, or ASSERT_TRUE before the
// error is looked into further.
inline ::testing::AssertionResult failedAt(const RunResult& result, FailedStep step) {
    if (result.outcome != RunOutcome::Failed)
        return ::testing::AssertionFailure()
               << "the run did not fail: outcome " << static_cast<int>(result.outcome);
    if (!result.error) return ::testing::AssertionFailure() << "the run failed without an error";
    if (result.error->step() != step)
        return ::testing::AssertionFailure()
               << "the run failed at step " << static_cast<int>(result.error->step()) << ", not "
               << static_cast<int>(step) << ": " << result.error->what();
    return ::testing::AssertionSuccess();
}

class RunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        db.openFile(":memory:");
        db.createTables();
        frontend.output = kOutput;
    }

    // One run of input, answered by the front end's script.
    RunResult convert(const std::string& input) {
        files.put(kInput, input);
        return start();
    }
    // One run of the input as it is in files.
    RunResult start() { return engine.run(kInput, options, frontend, frontend); }

    std::optional<std::string> output() const {
        if (!files.has(kOutput)) return std::nullopt;
        return files.at(kOutput);
    }

    std::string log() const { return files.has(kLog) ? files.at(kLog) : ""; }

    MemoryFileSystem files;
    ScriptedFrontend frontend;
    StagingDatabase db;
    RunOptions options;
    Engine engine{db, kFiles, files};
};

}  // namespace brelin::testing

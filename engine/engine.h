// The one way into the engine, for every front end. An Engine holds the program's staging
// database, open from the Engine's making until close(): the desktop program's for its whole
// life, brelin-cli's and the page's for one run (runOnce). It runs conversions on it, one at a
// time: each reads its input into the database and writes the header part, the individuals,
// families, sources and notes, each group in ascending number, and the trailer (run.h says what
// a run tells and asks). docs/file-formats.md describes the bytes read and written.
#pragma once

#include <memory>
#include <string>

#include "file_system.h"
#include "program_paths.h"
#include "run.h"

namespace brelin {

class StagingDatabase;

class Engine {
public:
    // Opens the staging database at files.databasePath, made anew with its tables, or in memory
    // for an empty path. Throws RunError (FailedStep::Database). Each run writes the truncation
    // log at files.logPath and holds files.lockPath meanwhile. fileSystem must outlive the
    // engine.
    Engine(ProgramFiles files, FileSystem& fileSystem);
    // An engine on a database the caller made and keeps (tests, benchmarks), with the other
    // files of files: close() leaves the database open.
    Engine(StagingDatabase& database, ProgramFiles files, FileSystem& fileSystem);
    // Closes the database, a failure then going unreported. Never throws.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Runs a conversion of the file at inputPath. Never throws: a failure ends the run with
    // outcome Failed, leaves no output behind and the database ready for the next run. events
    // and questions are used during the call only.
    RunResult run(const std::string& inputPath, const RunOptions& options, RunEvents& events,
                  RunQuestions& questions);

    // Closes the database; no run may follow. Throws RunError; does nothing when closed.
    void close();

    const ProgramFiles& files() const { return files_; }

private:
    ProgramFiles files_;
    FileSystem& fileSystem_;
    std::unique_ptr<StagingDatabase> owned_;
    StagingDatabase* database_;
};

// Opens an engine on files, runs once and closes it. A database that cannot be opened fails the
// run (outcome Failed, before any event); one that cannot be closed afterwards changes nothing to
// the run, whose database file the next start replaces.
RunResult runOnce(const ProgramFiles& files, FileSystem& fileSystem, const std::string& inputPath,
                  const RunOptions& options, RunEvents& events, RunQuestions& questions);

}  // namespace brelin

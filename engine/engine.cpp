#include "engine.h"

#include <new>

#include "conversion_run.h"
#include "public.h"
#include "staging_database.h"
#include "store_failure.h"

namespace brelin {

Engine::Engine(ProgramFiles files, FileSystem& fileSystem)
    : files_(std::move(files)), fileSystem_(fileSystem) {
    const std::string path = files_.databasePath.empty() ? Public::kInMemory : files_.databasePath;
    try {
        owned_ = Public::openStagingDatabase(path);
    } catch (const StoreError& error) {
        throw databaseFailure(error, files_.databasePath);
    } catch (const std::bad_alloc&) {
        throw RunError(FailedStep::Database, files_.databasePath, Cause::OutOfMemory);
    }
    database_ = owned_.get();
}

Engine::Engine(StagingDatabase& database, ProgramFiles files, FileSystem& fileSystem)
    : files_(std::move(files)), fileSystem_(fileSystem), database_(&database) {
    files_.databasePath = database.path();
}

Engine::~Engine() {
    try {
        close();
    } catch (const RunError&) {
        // Nothing of a run lives in the database once the run has ended, and the next start
        // replaces its file.
    }
}

RunResult Engine::run(const std::string& inputPath, const RunOptions& options, RunEvents& events,
                      RunQuestions& questions) {
    return ConversionRun(*database_, fileSystem_, events, questions, files_, options)
        .start(inputPath);
}

void Engine::close() {
    database_ = nullptr;
    if (!owned_) return;
    try {
        Public::closeStagingDatabase(owned_);
    } catch (const StoreError& error) {
        owned_.reset();
        throw databaseFailure(error, files_.databasePath);
    }
}

RunResult runOnce(const ProgramFiles& files, FileSystem& fileSystem, const std::string& inputPath,
                  const RunOptions& options, RunEvents& events, RunQuestions& questions) {
    std::unique_ptr<Engine> engine;
    try {
        engine = std::make_unique<Engine>(files, fileSystem);
    } catch (const RunError& error) {
        RunResult failed;
        failed.inputPath = inputPath;
        failed.checkOnly = options.checkOnly;
        failed.error = error;
        return failed;
    }
    RunResult result = engine->run(inputPath, options, events, questions);
    try {
        engine->close();
    } catch (const RunError&) {
        // The run's outcome stands; the database file is replaced at the next start.
    }
    return result;
}

}  // namespace brelin

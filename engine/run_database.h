// The staging database as a front end holds it, from start-up to quit: opened and closed through
// the one edge where the store's failures become RunErrors of step Database, so every front end
// reports them alike. The store itself stays behind the engine.
#pragma once

#include <memory>
#include <string>

#include "run_error.h"

namespace brelin {

class StagingDatabase;

class RunDatabase {
public:
    // Opens the program's staging database at path, made anew with its tables. Throws RunError.
    static std::unique_ptr<RunDatabase> open(const std::string& path);

    // A database the caller made and keeps (tests, benchmarks): closing it is the caller's.
    explicit RunDatabase(StagingDatabase& database);
    // Closes an open database the object owns; a failure then goes unreported. Never throws.
    ~RunDatabase();
    RunDatabase(const RunDatabase&) = delete;
    RunDatabase& operator=(const RunDatabase&) = delete;

    // Closes the database; nothing may use it after. Throws RunError; does nothing when closed.
    void close();

    // The database file's path, as errors name it.
    const std::string& path() const;
    // For the engine's run.
    StagingDatabase& staging() { return *database_; }

private:
    RunDatabase(std::unique_ptr<StagingDatabase> owned, std::string path);

    std::unique_ptr<StagingDatabase> owned_;
    StagingDatabase* database_;
    std::string path_;
};

}  // namespace brelin

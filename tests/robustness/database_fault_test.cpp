// A staging database whose disk fails: the Nth write or read of SQLite's files fails. Whatever the
// moment, the run must end Failed with a database error, leave the output as it was (an older
// file keeps its content, no temporary file is left) and the same database must serve the next
// run as if nothing had happened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "engine.h"
#include "faulty_vfs.h"
#include "file_system.h"
#include "invariant.h"
#include "run_fixture.h"
#include "scripted_frontend.h"
#include "staging_database.h"
#include "temp_dir.h"

namespace brelin::testing {
namespace {

// Enough records, in reverse order, for SQLite to spill its small page cache to its files.
std::string recordsInReverse(int count) {
    std::string text = "0 HEAD\r\n1 CHAR ANSI\r\n";
    for (int i = count; i >= 1; --i) {
        text += "0 @I" + std::to_string(i) + "@ INDI\r\n1 NAME Personne /" + std::to_string(i) +
                "/\r\n1 NOTE " + std::string(60, static_cast<char>('a' + i % 26)) + "\r\n";
    }
    for (int i = count / 4; i >= 1; --i) text += "0 @F" + std::to_string(i) + "@ FAM\r\n";
    return text + "0 TRLR\r\n";
}

enum class Fault { Write, Read };

// Test names show the fault's name.
void PrintTo(Fault fault, std::ostream* out) {
    *out << (fault == Fault::Write ? "Write" : "Read");
}

struct Scenario {
    TempDir dir;
    FaultyVfs vfs;  // before the database, which must open through it
    StagingDatabase database;
    DiskFileSystem disk;
    std::string input = dir.file("arbre.ged");
    std::string output = dir.file("arbre-trie.ged");
    std::string content = recordsInReverse(3000);

    Scenario() {
        writeFile(input, content);
        writeFile(output, "ancien contenu\r\n");
        database.openFile(dir.file("brelin.db"));
        database.createTables();
        // A page cache of a few pages makes SQLite go to its files with an input this small.
        database.executeStatement("PRAGMA temp.cache_size=8");
        database.executeStatement("PRAGMA main.cache_size=8");
    }

    RunResult run() {
        ScriptedFrontend frontend;
        frontend.output = output;
        return runOn(database, disk, frontend, input, {}, programFilesIn(dir.path(), "brelin"));
    }
};

// The counts of a clean run, so that the faults land all along it.
std::vector<int> spread(int total) {
    std::vector<int> points{1, 2, 3};
    for (int k = 1; k <= 8; ++k) points.push_back(std::max(1, total * k / 8));
    return points;
}

class DatabaseFaultTest : public ::testing::TestWithParam<Fault> {};

TEST_P(DatabaseFaultTest, FailedRunLeavesOutputUntouchedAndDatabaseReusable) {
    Scenario scenario;
    scenario.vfs.countOnly();
    ASSERT_EQ(scenario.run().outcome, RunOutcome::Completed);
    const int total = GetParam() == Fault::Write ? scenario.vfs.writes() : scenario.vfs.reads();
    ASSERT_GT(total, 10) << "the database never went to its files; the test proves nothing";

    for (const int at : spread(total)) {
        SCOPED_TRACE("fault at call " + std::to_string(at) + " of " + std::to_string(total));
        writeFile(scenario.output, "ancien contenu\r\n");
        if (GetParam() == Fault::Write) {
            scenario.vfs.failWriteAt(at);
        } else {
            scenario.vfs.failReadAt(at);
        }
        const RunResult failed = scenario.run();
        ASSERT_EQ(scenario.vfs.failures(), 1);
        EXPECT_TRUE(failedAt(failed, FailedStep::Database));
        EXPECT_EQ(readFile(scenario.output), "ancien contenu\r\n");
        EXPECT_TRUE(temporaryOutputs(scenario.dir.path()).empty());
        EXPECT_EQ(readFile(scenario.input), scenario.content);

        scenario.vfs.countOnly();
        const RunResult again = scenario.run();
        EXPECT_EQ(again.outcome, RunOutcome::Completed);
        EXPECT_EQ(checkInvariant(scenario.content, readFile(scenario.output)), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, DatabaseFaultTest, ::testing::Values(Fault::Write, Fault::Read),
                         [](const auto& param) {
                             return std::string(param.param == Fault::Write ? "Write" : "Read");
                         });

// A disk that stays broken: every write from the Nth on fails. The run fails cleanly; once the
// disk is back the same database works again.
TEST(DatabaseFault, DiskThatStaysBrokenFailsTheRunCleanly) {
    Scenario scenario;
    scenario.vfs.failWriteAt(5, true);
    EXPECT_TRUE(failedAt(scenario.run(), FailedStep::Database));
    EXPECT_EQ(readFile(scenario.output), "ancien contenu\r\n");
    EXPECT_TRUE(temporaryOutputs(scenario.dir.path()).empty());

    scenario.vfs.countOnly();
    EXPECT_EQ(scenario.run().outcome, RunOutcome::Completed);
    EXPECT_EQ(checkInvariant(scenario.content, readFile(scenario.output)), "");
}

}  // namespace
}  // namespace brelin::testing

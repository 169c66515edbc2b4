#include "staging_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "public.h"
#include "store_failure.h"
#include "temp_dir.h"

namespace brelin {
namespace {

// The blocks of a table as selectOrdered gives them.
std::vector<std::string> readBack(StagingDatabase& db, Table table) {
    std::vector<std::string> blocks;
    auto rows = db.selectOrdered(table);
    for (; rows && !rows->isPastEnd(); rows->moveNext()) blocks.emplace_back(rows->columnValue(0));
    return blocks;
}

class StagingDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.openFile(":memory:");
        db.createTables();
    }

    std::vector<std::string> readBack(Table table) { return brelin::readBack(db, table); }

    StagingDatabase db;
};

TEST_F(StagingDatabaseTest, WholeNumbersOrderNumericallyOthersFollowInStagingOrder) {
    const auto digits = [](const char* text) { return RecordNumber::ofDigits(text); };
    db.stage(Table::Families, 10, "ten");
    db.stage(Table::Families, RecordNumber(), "x-first");
    db.stage(Table::Families, digits("20000000000000000000"), "twenty digits");
    db.stage(Table::Families, 9, "nine");
    db.stage(Table::Families, 7, "seven-a");
    db.stage(Table::Families, RecordNumber(), "x-second");
    db.stage(Table::Families, digits("0000000000000000000007"), "seven-b");
    db.stage(Table::Families, 999999999999999999, "largest value");
    db.stage(Table::Families, digits("9999999999999999999"), "nineteen digits");
    db.stage(Table::Families, -3, "minus-three");
    db.stage(Table::Families, digits("0010000000000000000000"), "twenty digits again");
    db.stage(Table::Families, 256, "256");
    EXPECT_EQ(readBack(Table::Families),
              (std::vector<std::string>{"minus-three", "seven-a", "seven-b", "nine", "ten", "256",
                                        "largest value", "nineteen digits", "twenty digits again",
                                        "twenty digits", "x-first", "x-second"}));
}

TEST_F(StagingDatabaseTest, BlocksComeBackByteForByte) {
    const std::vector<std::string> blocks = {
        "1 NAME \"Jean\" l'\"ancien\"\r\n2 NOTE \"\"",
        std::string("a\0b\r\nc", 6),
        "\xE9\xE8\xFF\x80 '); DROP TABLE INDITRI; --",
        "",
    };
    for (const auto& block : blocks) db.stage(Table::Individuals, 1, block);
    EXPECT_EQ(readBack(Table::Individuals), blocks);
}

TEST_F(StagingDatabaseTest, EmptyTableGivesNoRowset) {
    EXPECT_EQ(db.selectOrdered(Table::Sources), nullptr);
    EXPECT_EQ(db.executeStatement("SELECT GedBloc FROM SOURTRI order by GedIndex"), nullptr);
}

// The tables as the statements sent to the store name them: each made with its two columns,
// read in order and emptied by these very texts.
TEST_F(StagingDatabaseTest, TablesAreMadeAndAddressedByTheirNames) {
    const std::pair<Table, std::string> cases[] = {
        {Table::Individuals, "INDITRI"},
        {Table::Families, "FAMTRI"},
        {Table::Sources, "SOURTRI"},
        {Table::Notes, "NOTETRI"},
    };
    for (const auto& [table, name] : cases) {
        EXPECT_EQ(tableName(table), name);
        // SQLite keeps the text a table was created with, less its TEMPORARY.
        auto schema =
            db.executeStatement("SELECT sql FROM sqlite_temp_master WHERE name = '" + name + "'");
        ASSERT_NE(schema, nullptr) << name;
        EXPECT_EQ(schema->columnValue(0),
                  "CREATE TABLE " + name + " (GedIndex INTEGER, GedBloc BLOB)");
        db.stage(table, 10, "b");
        db.stage(table, 9, "a");
        auto rows = db.executeStatement("SELECT GedBloc FROM " + name + " order by GedIndex", 0);
        ASSERT_NE(rows, nullptr) << name;
        EXPECT_EQ(rows->columnValue(0), "a") << name;
        rows->moveNext();
        EXPECT_EQ(rows->columnValue(0), "b") << name;
        rows->moveNext();
        EXPECT_TRUE(rows->isPastEnd()) << name;
        EXPECT_EQ(db.executeStatement("DELETE from " + name, 0), nullptr) << name;
        EXPECT_EQ(db.selectOrdered(table), nullptr) << name;
    }
}

// moveFirst runs the query again from its first row, wherever the rowset stands, as often as asked.
TEST_F(StagingDatabaseTest, MoveFirstGoesBackToTheFirstRow) {
    db.stage(Table::Individuals, 3, "c");
    db.stage(Table::Individuals, 1, "a");
    db.stage(Table::Individuals, 2, "b");
    const std::vector<std::string> all = {"a", "b", "c"};
    for (const size_t stepsBefore : {0, 1, 2, 3}) {  // 3: past the end
        auto rows = db.executeStatement("SELECT GedBloc FROM INDITRI order by GedIndex");
        ASSERT_NE(rows, nullptr);
        for (size_t i = 0; i < stepsBefore; ++i) rows->moveNext();
        for (int pass = 0; pass < 2; ++pass) {
            rows->moveFirst();
            std::vector<std::string> got;
            for (; !rows->isPastEnd(); rows->moveNext()) got.emplace_back(rows->columnValue(0));
            EXPECT_EQ(got, all) << stepsBefore << " steps, pass " << pass;
        }
    }
}

TEST_F(StagingDatabaseTest, ClearTablesEmptiesAllFour) {
    for (const Table table : kAllTables) db.stage(table, 1, "x");
    db.clearTables();
    for (const Table table : kAllTables)
        EXPECT_EQ(db.selectOrdered(table), nullptr) << tableName(table);
}

TEST_F(StagingDatabaseTest, UncommittedRowsAreGoneAfterRollback) {
    db.stage(Table::Notes, 1, "kept");
    {
        Transaction transaction(db);
        db.stage(Table::Notes, 2, "dropped");
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(readBack(Table::Notes), std::vector<std::string>{"kept"});
}

// A block written in place is staged only when ended; nothing else uses the database while it
// is open, and a rollback drops it.
TEST_F(StagingDatabaseTest, AnOpenBlockIsEndedOrDroppedBeforeAnythingElse) {
    const auto expectMisuse = [](const auto& call) {
        try {
            call();
            ADD_FAILURE() << "no StoreError";
        } catch (const StoreError& error) {
            EXPECT_EQ(error.code(), SQLITE_MISUSE);
        }
    };
    db.beginTransaction();
    db.beginBlock(Table::Notes, 1);
    db.appendToBlock("dropped");
    expectMisuse([&] { db.beginBlock(Table::Notes, 2); });
    expectMisuse([&] { db.selectOrdered(Table::Notes); });
    expectMisuse([&] { db.commitTransaction(); });
    db.rollbackTransaction();
    EXPECT_EQ(readBack(Table::Notes), std::vector<std::string>{});

    db.beginBlock(Table::Notes, 2);
    db.appendToBlock("kept");
    db.endBlock();
    EXPECT_EQ(readBack(Table::Notes), std::vector<std::string>{"kept"});
}

TEST_F(StagingDatabaseTest, FailuresAreThrownWithTheDatabaseMessage) {
    db.beginTransaction();
    EXPECT_THROW(db.beginTransaction(), StoreError);
    try {
        db.executeStatement("SELECT GedBloc FROM nowhere");
        ADD_FAILURE() << "no StoreError";
    } catch (const StoreError& error) {
        EXPECT_EQ(error.code(), SQLITE_ERROR);
        EXPECT_STREQ(error.what(), "no such table: nowhere");
    }
}

// executeStatement runs exactly one statement: a text with none, or with more than one, is
// refused before any of it is run; empty statements and comments around one are no more.
TEST_F(StagingDatabaseTest, ExecuteStatementRunsOneStatementOrRefuses) {
    struct Case {
        std::string text;
        const char* refusal;  // nullptr when the statement is run
    };
    const Case cases[] = {
        {"", "no statement to run"},
        {"  -- only a comment\n;", "no statement to run"},
        {"DELETE from FAMTRI; DELETE from INDITRI", "more than one statement to run"},
        {"DELETE from FAMTRI; ; -- then\n DELETE from INDITRI", "more than one statement to run"},
        {"DELETE from FAMTRI", nullptr},
        {" ; DELETE from FAMTRI ; ; -- done", nullptr},
    };
    for (const Case& c : cases) {
        db.stage(Table::Individuals, 1, "individual");
        db.stage(Table::Families, 1, "family");
        try {
            EXPECT_EQ(db.executeStatement(c.text), nullptr) << c.text;
            EXPECT_EQ(c.refusal, nullptr) << c.text << ": run";
            EXPECT_EQ(db.selectOrdered(Table::Families), nullptr) << c.text;
        } catch (const StoreError& error) {
            ASSERT_NE(c.refusal, nullptr) << c.text << ": " << error.what();
            EXPECT_EQ(error.code(), SQLITE_MISUSE) << c.text;
            EXPECT_STREQ(error.what(), c.refusal) << c.text;
            EXPECT_EQ(readBack(Table::Families), std::vector<std::string>{"family"}) << c.text;
        }
        EXPECT_NE(db.selectOrdered(Table::Individuals), nullptr) << c.text;
        db.clearTables();
    }
}

// A database never opened, or closed (here with a transaction and a staged block still open),
// refuses every use of its tables as a misuse, rather than answering as if they were empty.
// Closing it (again) and asking whether a transaction is open stay harmless.
TEST(StagingDatabase, WithoutAnOpenDatabaseEveryUseIsAMisuse) {
    struct State {
        const char* name;
        std::function<void(StagingDatabase&)> reach;
    };
    const State states[] = {
        {"never opened", [](StagingDatabase&) {}},
        {"closed",
         [](StagingDatabase& db) {
             db.openFile(":memory:");
             db.createTables();
             db.stage(Table::Notes, 1, "staged before");
             db.flushStaged();
             db.beginTransaction();
             db.stage(Table::Notes, 2, "pending");
             db.close();
         }},
    };
    struct Use {
        const char* name;
        std::function<void(StagingDatabase&)> call;
    };
    const Use uses[] = {
        {"createTables", [](StagingDatabase& db) { db.createTables(); }},
        {"clearTables", [](StagingDatabase& db) { db.clearTables(); }},
        {"beginTransaction", [](StagingDatabase& db) { db.beginTransaction(); }},
        {"commitTransaction", [](StagingDatabase& db) { db.commitTransaction(); }},
        {"executeStatement", [](StagingDatabase& db) { db.executeStatement("SELECT 1", 0); }},
        {"selectOrdered of a table staged in",
         [](StagingDatabase& db) { db.selectOrdered(Table::Notes); }},
        {"selectOrdered of a table never staged in",
         [](StagingDatabase& db) { db.selectOrdered(Table::Sources); }},
        {"stage, then flushStaged",
         [](StagingDatabase& db) {
             db.stage(Table::Notes, 3, "x");
             db.flushStaged();
         }},
    };
    for (const State& state : states) {
        for (const Use& use : uses) {
            StagingDatabase db;
            state.reach(db);
            try {
                use.call(db);
                ADD_FAILURE() << state.name << ", " << use.name << ": no StoreError";
            } catch (const StoreError& error) {
                EXPECT_EQ(error.code(), SQLITE_MISUSE) << state.name << ", " << use.name;
            }
            EXPECT_FALSE(db.inTransaction()) << state.name << ", " << use.name;
            EXPECT_NO_THROW(db.close()) << state.name << ", " << use.name;
        }
    }
}

// A database opened again after close starts with empty tables, whatever the first one held.
TEST(StagingDatabase, ReopenedAfterCloseHoldsOnlyWhatIsStagedAnew) {
    StagingDatabase db(StagingLimits{16, 512});
    db.openFile(":memory:");
    db.createTables();
    for (int i = 0; i < 20; ++i) db.stage(Table::Families, i, "before " + std::to_string(i));
    db.flushStaged();
    db.close();
    db.openFile(":memory:");
    db.createTables();
    db.stage(Table::Families, 5, "after");
    EXPECT_EQ(readBack(db, Table::Families), std::vector<std::string>{"after"});
}

TEST(StagingDatabase, AFileThatIsNotADatabaseIsCorrupt) {
    testing::TempDir dir;
    const std::string path = dir.file("brelin.db");
    testing::writeFile(path, std::string(4096, 'x'));
    StagingDatabase db;
    try {
        db.openFile(path);
        db.createTables();
        ADD_FAILURE() << "no StoreError";
    } catch (const StoreError& error) {
        EXPECT_EQ(databaseFailure(error, path).cause(), Cause::Corrupt)
            << error.code() << " " << error.what();
    }
}

// Every code of a kind, extended or not, gives the same cause.
// The primary codes are worded through their cause in Describe.FrenchCauseThenTheDetailsInBrackets;
// here, the extended codes and those the program has no words for.
TEST(StoreError, CauseFollowsThePrimaryCode) {
    const std::pair<int, Cause> cases[] = {
        {SQLITE_IOERR_FSYNC, Cause::DiskIo},        {SQLITE_CANTOPEN_ISDIR, Cause::CannotOpen},
        {SQLITE_READONLY_DBMOVED, Cause::ReadOnly}, {SQLITE_PERM, Cause::ReadOnly},
        {SQLITE_CORRUPT_INDEX, Cause::Corrupt},     {SQLITE_BUSY_SNAPSHOT, Cause::Busy},
        {SQLITE_MISUSE, Cause::Unexpected},         {SQLITE_CONSTRAINT_UNIQUE, Cause::Unexpected},
    };
    for (const auto& [code, cause] : cases) {
        const RunError error = databaseFailure(StoreError(code, sqlite3_errstr(code)), "/p/b.db");
        EXPECT_EQ(error.step(), FailedStep::Database);
        EXPECT_EQ(error.cause(), cause) << sqlite3_errstr(code);
        EXPECT_EQ(error.detail(), sqlite3_errstr(code));
    }
}

TEST(OpenStagingDatabase, ReplacesAnOldFileAndCreatesTheTables) {
    testing::TempDir dir;
    const std::string path = dir.file("brelin.db");
    testing::writeFile(path, "not a database at all");
    auto db = Public::openStagingDatabase(path);
    ASSERT_NE(db, nullptr);
    db->stage(Table::Notes, 3, "note");
    EXPECT_NE(db->selectOrdered(Table::Notes), nullptr);
    Public::closeStagingDatabase(db);
    EXPECT_EQ(db, nullptr);
}

// Whatever keeps the database from being made, the failure is a StoreError that cannot open.
TEST(OpenStagingDatabase, FailsAsCannotOpen) {
    testing::TempDir dir;
    // What stands at the path is a folder with a file in it: it cannot be removed.
    std::filesystem::create_directory(dir.file("taken"));
    testing::writeFile(dir.file("taken/brelin.db"), "x");
    for (const std::string& path : {dir.file("missing/brelin.db"), dir.file("taken")}) {
        try {
            Public::openStagingDatabase(path);
            ADD_FAILURE() << path << ": no StoreError";
        } catch (const StoreError& error) {
            const RunError failure = databaseFailure(error, path);
            EXPECT_EQ(failure.cause(), Cause::CannotOpen) << path << ": " << error.what();
            EXPECT_NE(failure.detail(), "") << path;
        }
    }
    EXPECT_EQ(testing::readFile(dir.file("taken/brelin.db")), "x");
}

}  // namespace
}  // namespace brelin

namespace brelin {
namespace {

// Blocks staged in several batches come back merged in order, whichever way they are read back.
class StagedRunsTest : public ::testing::TestWithParam<StagingLimits> {};

TEST_P(StagedRunsTest, MergeInNumberOrderWithTiesInStagingOrder) {
    StagingDatabase db(GetParam());
    db.openFile(":memory:");
    db.createTables();
    struct Staged {
        std::string digits;  // empty: no whole number
        std::string block;
    };
    std::vector<Staged> staged[std::size(kAllTables)];
    uint32_t random = 12345;
    auto next = [&random](uint32_t bound) {
        random = random * 1103515245u + 12345u;
        return (random >> 8) % bound;
    };
    Transaction transaction(db);
    for (int i = 0; i < 3000; ++i) {
        const size_t table = next(4);
        // Most numbers are short; one in ten is past 18 digits, one in ten none.
        const uint32_t form = next(10);
        std::string digits = std::to_string(next(500));
        if (form == 0) digits = std::string(next(3), '0') + "1" + std::string(18, '0') + digits;
        if (form == 1) digits.clear();
        const std::string block = "block " + std::to_string(i) + std::string(next(40), '.');
        const RecordNumber staging =
            digits.empty() ? RecordNumber() : RecordNumber::ofDigits(digits);
        if (i % 2 == 0) {
            db.stage(kAllTables[table], staging, block);
        } else {
            // Written in place, in pieces.
            db.beginBlock(kAllTables[table], staging);
            for (size_t at = 0; at < block.size(); at += 7) db.appendToBlock(block.substr(at, 7));
            EXPECT_EQ(db.blockSize(), block.size());
            db.endBlock();
        }
        staged[table].push_back({digits, block});
    }
    transaction.commit();
    for (const Table table : kAllTables) {
        auto& expected = staged[static_cast<size_t>(table)];
        // By value, then the long numbers (the same but for leading zeros and length), then none.
        const auto key = [](const Staged& one) {
            const std::string digits =
                one.digits.substr(std::min(one.digits.find_first_not_of('0'), one.digits.size()));
            return std::make_tuple(one.digits.empty(), digits.size(), digits);
        };
        std::stable_sort(expected.begin(), expected.end(),
                         [&key](const Staged& a, const Staged& b) { return key(a) < key(b); });
        std::vector<std::string> want;
        for (const auto& s : expected) want.push_back(s.block);
        EXPECT_EQ(readBack(db, table), want) << tableName(table);
    }
}

TEST_P(StagedRunsTest, RolledBackBatchesLeaveNoTrace) {
    StagingDatabase db(GetParam());
    db.openFile(":memory:");
    db.createTables();
    {
        Transaction transaction(db);
        for (int i = 0; i < 200; ++i)
            db.stage(Table::Families, 200 - i, "dropped " + std::to_string(i));
    }
    Transaction transaction(db);
    db.stage(Table::Families, 2, "b");
    db.stage(Table::Families, 1, "a");
    transaction.commit();
    EXPECT_EQ(readBack(db, Table::Families), (std::vector<std::string>{"a", "b"}));
}

// Batches handed over early (from 64 bytes, while the insertion thread is idle) make runs of
// many sizes, merged or, beyond three, sorted by SQLite.
INSTANTIATE_TEST_SUITE_P(Limits, StagedRunsTest,
                         ::testing::Values(StagingLimits{}, StagingLimits{256, 512},
                                           StagingLimits{256, 3}, StagingLimits{4096, 512, 64},
                                           StagingLimits{4096, 3, 64}),
                         [](const auto& test) {
                             return std::to_string(test.param.runBytes) + "Bytes" +
                                    std::to_string(test.param.maxMergedRuns) + "Runs" +
                                    std::to_string(test.param.firstRunBytes) + "First";
                         });

}  // namespace
}  // namespace brelin

namespace brelin {
namespace {

// A database goes away safely with batches still being inserted, whether it was ever opened or
// not: small batches make nearly every block start an insertion of its own.
class DestroyedWhileStagingTest : public ::testing::TestWithParam<bool> {};

TEST_P(DestroyedWhileStagingTest, WaitsForTheInsertionItStarted) {
    const bool opened = GetParam();
    for (int round = 0; round < 20; ++round) {
        auto db = std::make_unique<StagingDatabase>(StagingLimits{16, 512});
        if (opened) {
            db->openFile(":memory:");
            db->createTables();
        }
        // Without a database each insertion fails, and the next full batch reports it.
        int failures = 0;
        for (int i = 0; i < 50; ++i) {
            try {
                db->stage(Table::Individuals, i, "block number " + std::to_string(i));
            } catch (const StoreError&) {
                ++failures;
            }
        }
        EXPECT_EQ(failures > 0, !opened);
        db.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(Database, DestroyedWhileStagingTest, ::testing::Bool(),
                         [](const auto& test) { return test.param ? "Opened" : "NeverOpened"; });

}  // namespace
}  // namespace brelin

namespace brelin {
namespace {

TEST(BatchThread, TakesEachBatchAndReportsItsFailureOnce) {
    using Batch = std::vector<int>;
    std::vector<Batch> worked;  // the task's until wait
    BatchThread<Batch> thread;
    Batch batch{1, 2};
    thread.start(batch, [&worked](Batch& b) {
        worked.push_back(b);
        b.clear();
    });
    EXPECT_TRUE(batch.empty());
    batch = {3};
    thread.start(batch, [](Batch&) { throw std::runtime_error("failed"); });
    batch = {4};
    thread.join();
    // The failure comes out of the next start, which leaves the batch to its owner, then no more.
    EXPECT_THROW(thread.start(batch, [](Batch&) {}), std::runtime_error);
    EXPECT_EQ(batch, Batch{4});
    EXPECT_NO_THROW(thread.wait());
    EXPECT_EQ(worked, (std::vector<Batch>{Batch{1, 2}}));
}

TEST(BatchThread, DestructorWaitsForTheTask) {
    std::atomic<bool> done = false;
    {
        BatchThread<std::string> thread;
        std::string batch = "batch";
        thread.start(batch, [&done](std::string& b) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            b += " inserted";
            done = true;
        });
    }
    EXPECT_TRUE(done);
}

}  // namespace
}  // namespace brelin

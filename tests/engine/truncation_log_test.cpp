#include "truncation_log.h"

#include <gtest/gtest.h>

#include <optional>

#include "child_process.h"
#include "memory_file_system.h"
#include "temp_dir.h"

namespace brelin {
namespace {

const std::string kBanner =
    "   ###############################################\r\n"
    "   #  Ligne(s) du GEDCOM comportant des erreurs  #\r\n"
    "   ###############################################\r\n";

std::string message(int64_t line) {
    return "La ligne " + std::to_string(line) +
           " comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
           "e.\r\n";
}

// A log over the last run's, in memory: what is under the log's name once this run's log is put
// in place, or dropped.
struct LogCase {
    const char* name;
    std::vector<int64_t> cuts;
    bool putInPlace;
    std::optional<std::string> expected;  // nullopt: no log
};

TEST(TruncationLog, TakesTheLastRunsPlaceOnlyWhenPutInPlace) {
    const std::string last = "the last run's log";
    const LogCase cases[] = {
        {"cuts put in place",
         {12345, 2147483648},
         true,
         kBanner + message(12345) + message(2147483648)},
        {"no cut put in place", {}, true, std::nullopt},
        {"cuts dropped", {7}, false, last},
        {"no cut dropped", {}, false, last},
    };
    for (const LogCase& c : cases) {
        testing::MemoryFileSystem files;
        files.put("/Log.log", last);
        {
            TruncationLog log(files, "/Log.log");
            for (const int64_t line : c.cuts) log.reportCut(line);
            EXPECT_EQ(files.at("/Log.log"), last) << c.name;
            if (c.putInPlace) log.putInPlace();
        }
        EXPECT_EQ(files.has("/Log.log") ? std::optional(files.at("/Log.log")) : std::nullopt,
                  c.expected)
            << c.name;
        EXPECT_EQ(files.files.size(), c.expected ? 1u : 0u) << c.name;
    }
}

TEST(TruncationLog, ALogThatCannotBePutInPlaceLeavesNoEarlierOneBehind) {
    testing::MemoryFileSystem files;
    files.put("/Log.log", "the last run's log");
    files.failingCommits = {"/Log.log"};
    TruncationLog log(files, "/Log.log");
    log.reportCut(3);
    try {
        log.putInPlace();
        FAIL() << "no failure";
    } catch (const RunError& error) {
        EXPECT_EQ(error.step(), FailedStep::WriteLog);
        EXPECT_EQ(error.path(), "/Log.log");
    }
    EXPECT_FALSE(files.has("/Log.log"));
}

// On disk the log is written beside its name, which shows the last run's until it is put in
// place; a log dropped leaves no file of its own.
TEST(TruncationLog, OnDiskTheLastRunsLogStaysUntilThisOneIsInPlace) {
    testing::TempDir dir;
    DiskFileSystem disk;
    const std::string path = dir.file("Logbrelin.log");
    for (const bool putInPlace : {false, true}) {
        testing::writeFile(path, "the last run's log");
        {
            TruncationLog log(disk, path);
            log.reportCut(3);
            log.reportCut(4);
            EXPECT_EQ(testing::readFile(path), "the last run's log");
            if (putInPlace) log.putInPlace();
        }
        EXPECT_EQ(testing::readFile(path),
                  putInPlace ? kBanner + message(3) + message(4) : "the last run's log");
        EXPECT_EQ(testing::folderEntries(dir.path()), std::vector<std::string>{"Logbrelin.log"});
    }
}

// A file system that keeps no file from one run to the next (the page's) writes the log under
// its own name: there is no last run's log to keep.
class FilesOfOneRun : public testing::MemoryFileSystem {
public:
    std::unique_ptr<OutputFile> createSideFile(const std::string& path, FailedStep step) override {
        return FileSystem::createSideFile(path, step);
    }
};

TEST(TruncationLog, WithoutEarlierFilesTheLogIsWrittenInPlaceAndGoneWhenDropped) {
    for (const bool putInPlace : {false, true}) {
        FilesOfOneRun files;
        {
            TruncationLog log(files, "/Log.log");
            log.reportCut(3);
            EXPECT_EQ(files.at("/Log.log"), kBanner + message(3));
            if (putInPlace) log.putInPlace();
        }
        EXPECT_EQ(files.has("/Log.log"), putInPlace);
    }
}

TEST(TruncationLog, UnwritableFolderIsAClearFailure) {
    DiskFileSystem disk;
    TruncationLog log(disk, "/nonexistent-folder/Logbrelin.log");
    try {
        log.reportCut(1);
        FAIL() << "no failure";
    } catch (const RunError& error) {
        EXPECT_EQ(error.step(), FailedStep::WriteLog);
        EXPECT_EQ(error.path(), "/nonexistent-folder/Logbrelin.log");
    }
}

}  // namespace
}  // namespace brelin

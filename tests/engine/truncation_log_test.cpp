#include "truncation_log.h"

#include <gtest/gtest.h>

#include <cstdio>

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

TEST(TruncationLog, BannerOncePerRunThenOneLinePerCut) {
    testing::MemoryFileSystem files;
    TruncationLog log(files, "/Log.log");
    log.reset();
    log.reportCut(12345);
    log.reportCut(2147483648);
    EXPECT_EQ(files.at("/Log.log"), kBanner + message(12345) + message(2147483648));
    log.reset();
    EXPECT_FALSE(files.has("/Log.log"));
    log.reportCut(7);
    EXPECT_EQ(files.at("/Log.log"), kBanner + message(7));
}

// A run's log on disk, in a folder of the test's own, begun and with line 3 reported cut.
class TruncationLogOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        log.reset();
        log.reportCut(3);
    }

    testing::TempDir dir;
    DiskFileSystem disk;
    const std::string path = dir.file("Logbrelin.log");
    TruncationLog log{disk, path};
};

TEST_F(TruncationLogOnDisk, WritesEachReportThroughToDisk) {
    EXPECT_EQ(testing::readFile(path), kBanner + message(3));
    log.reportCut(4);
    EXPECT_EQ(testing::readFile(path), kBanner + message(3) + message(4));
}

TEST(TruncationLog, UnwritableFolderIsAClearFailure) {
    DiskFileSystem disk;
    TruncationLog log(disk, "/nonexistent-folder/Logbrelin.log");
    log.reset();
    try {
        log.reportCut(1);
        FAIL() << "no failure";
    } catch (const RunError& error) {
        EXPECT_EQ(error.step(), FailedStep::WriteLog);
        EXPECT_EQ(error.path(), "/nonexistent-folder/Logbrelin.log");
    }
}

// The log is held open for the run; another program of the same name removing it (and perhaps
// starting its own) must not make the later reports vanish into the removed file.
TEST_F(TruncationLogOnDisk, ReportsAfterTheFileIsRemovedOrReplacedReachTheFileUnderItsName) {
    std::remove(path.c_str());
    log.reportCut(4);
    EXPECT_EQ(testing::readFile(path), kBanner + message(4));

    std::remove(path.c_str());
    testing::writeFile(path, kBanner + message(100));  // the other program's log
    log.reportCut(5);
    EXPECT_EQ(testing::readFile(path), kBanner + message(100) + message(5));
}

}  // namespace
}  // namespace brelin

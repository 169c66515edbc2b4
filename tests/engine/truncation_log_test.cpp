#include "truncation_log.h"

#include <gtest/gtest.h>

#include <optional>

#include "child_process.h"
#include "memory_file_system.h"
#include "run_fixture.h"
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
            TruncationLog log(files, "/Log.log", false);
            for (const int64_t line : c.cuts) log.reportCut(line, Overlong::Characters);
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
    TruncationLog log(files, "/Log.log", false);
    log.reportCut(3, Overlong::Characters);
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
            TruncationLog log(disk, path, false);
            log.reportCut(3, Overlong::Characters);
            log.reportCut(4, Overlong::Characters);
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
            TruncationLog log(files, "/Log.log", false);
            log.reportCut(3, Overlong::Characters);
            EXPECT_EQ(files.at("/Log.log"), kBanner + message(3));
            if (putInPlace) log.putInPlace();
        }
        EXPECT_EQ(files.has("/Log.log"), putInPlace);
    }
}

TEST(TruncationLog, UnwritableFolderIsAClearFailure) {
    DiskFileSystem disk;
    TruncationLog log(disk, "/nonexistent-folder/Logbrelin.log", false);
    try {
        log.reportCut(1, Overlong::Characters);
        FAIL() << "no failure";
    } catch (const RunError& error) {
        EXPECT_EQ(error.step(), FailedStep::WriteLog);
        EXPECT_EQ(error.path(), "/nonexistent-folder/Logbrelin.log");
    }
}

// Each line of the log says what made its line long, and the banner what the log lists: errors
// where lines were cut, lines over 255 bytes where a CONC run continued them.
TEST(TruncationLog, EachLineSaysWhatItIsLongerThanAndTheBannerWhatTheLogLists) {
    const std::string concBanner =
        "   ##############################################\r\n"
        "   #  Ligne(s) du GEDCOM de plus de 255 octets  #\r\n"
        "   ##############################################\r\n";
    const std::string continued =
        " et a \xE9t\xE9 continu\xE9"
        "e sur des lignes CONC.\r\n";
    for (const bool conc : {false, true}) {
        testing::MemoryFileSystem files;
        TruncationLog log(files, "/Log.log", conc);
        log.reportCut(3, Overlong::Characters);
        log.reportCut(4, Overlong::BytesOnly);
        log.reportContinued(5, Overlong::Characters);
        log.reportContinued(6, Overlong::BytesOnly);
        log.putInPlace();
        EXPECT_EQ(files.at("/Log.log"),
                  (conc ? concBanner : kBanner) + message(3) +
                      "La ligne 4 comporte plus de 255 octets et a \xE9t\xE9 tronqu\xE9"
                      "e.\r\n"
                      "La ligne 5 comporte plus de 255 caract\xE8res" +
                      continued + "La ligne 6 comporte plus de 255 octets" + continued);
    }
}

// A run tells a line over 255 characters from a line over 255 bytes only, counting characters
// as a reader sees them: UTF-8 where the line's bytes are, one byte a character otherwise.
class LongLineRun : public testing::RunFixture {};

std::string times(int n, const std::string& text) {
    std::string repeated;
    for (int i = 0; i < n; ++i) repeated += text;
    return repeated;
}

TEST_F(LongLineRun, CountsTheCharactersOfEachLongLine) {
    const std::string e = "\xC3\xA9";  // "é" in UTF-8
    const struct {
        const char* name;
        std::string header;  // after "0 HEAD"
        std::string value;   // of "1 NOTE "
        bool conc;
        const char* told;
    } cases[] = {
        // 253 characters, 262 bytes: a French export.
        {"accented UTF-8", "1 CHAR UTF-8\r\n", std::string(237, 'a') + times(9, e), false,
         "octets et a \xE9t\xE9 tronqu\xE9"},
        {"continued", "1 CHAR UTF-8\r\n", std::string(237, 'a') + times(9, e), true,
         "octets et a \xE9t\xE9 continu\xE9"},
        {"undeclared", "", std::string(240, 'a') + times(6, e), false, "octets et a"},
        {"more characters too", "1 CHAR UTF-8\r\n", std::string(260, 'a') + e, false,
         "caract\xE8res et a"},
        {"ANSI", "1 CHAR ANSI\r\n", std::string(240, '\xE9') + std::string(20, 'a'), false,
         "caract\xE8res et a"},
        {"a thousand bytes", "1 CHAR UTF-8\r\n", times(550, e), false, "caract\xE8res et a"},
    };
    for (const auto& c : cases) {
        options.conc = c.conc;
        convert("0 HEAD\r\n" + c.header + "1 NOTE " + c.value + "\r\n0 TRLR\r\n");
        EXPECT_NE(log().find(c.told), std::string::npos) << c.name << ": " << log();
    }
}

}  // namespace
}  // namespace brelin

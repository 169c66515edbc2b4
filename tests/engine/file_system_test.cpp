#include "file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>

#include "child_process.h"
#include "program_paths.h"
#include "temp_dir.h"

namespace brelin {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

size_t fileCount(const std::string& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// An output on the disk, out.ged in a folder of the test's own.
class DiskOutput : public ::testing::Test {
protected:
    TempDir dir;
    const std::string path = dir.file("out.ged");
    DiskFileSystem disk;
};

TEST_F(DiskOutput, AppearsOnlyWhenCommitted) {
    writeFile(path, "old content");
    {
        auto output = disk.createOutput(path);
        output->write("new content");
        EXPECT_EQ(readFile(path), "old content");
    }
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_EQ(fileCount(dir.path()), 1u);

    auto output = disk.createOutput(path);
    output->write(std::string(3 << 20, 'x'));  // more than the write buffer
    output->write("end");
    output->commit();
    EXPECT_EQ(readFile(path), std::string(3 << 20, 'x') + "end");
    EXPECT_EQ(fileCount(dir.path()), 1u);
}

// The output's full buffers are written by a thread of their own while the next is filled.
// Whatever the sizes of the writes, below, at and above a buffer's size, the bytes arrive in
// order.
TEST_F(DiskOutput, WritesHandedOverArriveInOrder) {
    const size_t sizes[] = {1, 100, 4096, (1 << 20) - 1, 1 << 20, 7, (1 << 20) + 1, 3 << 20, 2};
    auto output = disk.createOutput(path);
    std::string expected;
    for (int round = 0; round < 3; ++round) {
        for (const size_t size : sizes) {
            const std::string bytes(size, static_cast<char>('a' + expected.size() % 26));
            output->write(bytes);
            expected += bytes;
        }
    }
    output->commit();
    EXPECT_EQ(readFile(path), expected);
}

// A write that fails once part of the output is on disk (here beyond a file size limit, while
// the writer thread writes a buffer) fails the output: write or commit reports it, the old file
// stays and no temporary file is left.
TEST_F(DiskOutput, AWriteThatFailsHalfWayLeavesNoOutput) {
    writeFile(path, "old content");
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit { 5 << 19, saved.rlim_max };
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::optional<RunError> failure;
    try {
        auto output = disk.createOutput(path);
        for (int i = 0; i < 6000; ++i) output->write(std::string(999, 'x') + "\n");
        output->commit();
    } catch (const RunError& error) {
        failure = error;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, savedSignal);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->step(), FailedStep::WriteOutput);
    EXPECT_EQ(failure->path(), path);
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_EQ(fileCount(dir.path()), 1u);
}

TEST_F(DiskOutput, KeepsTheModeOfTheFileItReplaces) {
    writeFile(path, "old");
    ::chmod(path.c_str(), 0640);
    auto output = disk.createOutput(path);
    output->write("new");
    output->commit();
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(DiskOutput, NewFileTakesTheModeOfAnyNewFile) {
    const mode_t previous = ::umask(027);
    auto output = disk.createOutput(dir.file("new.ged"));
    output->write("new");
    output->commit();
    ::umask(previous);
    struct stat info {};
    ::stat(dir.file("new.ged").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(DiskOutput, ReplacingALinkReplacesTheFileItPointsTo) {
    writeFile(dir.file("target.ged"), "old");
    fs::create_symlink(dir.file("target.ged"), dir.file("link.ged"));
    auto output = disk.createOutput(dir.file("link.ged"));
    output->write("new");
    output->commit();
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ged")));
    EXPECT_EQ(readFile(dir.file("target.ged")), "new");
}

TEST_F(DiskOutput, LeftoversOfFinishedProgramsAreRemovedOthersKept) {
    const pid_t child = testing::endedProcessId();
    const std::string stale = ".out.ged.brelin-" + std::to_string(child) + "-AbC123";
    const std::string live = ".out.ged.brelin-" + std::to_string(getpid()) + "-AbC123";
    for (const std::string& name :
         {stale, live, std::string(".out.ged.brelin-x-AbC123"), std::string("notes.txt")})
        writeFile(dir.file(name), "x");
    auto output = disk.createOutput(dir.file("other.ged"));
    EXPECT_FALSE(fs::exists(dir.file(stale)));
    EXPECT_TRUE(fs::exists(dir.file(live)));
    EXPECT_TRUE(fs::exists(dir.file(".out.ged.brelin-x-AbC123")));
    EXPECT_TRUE(fs::exists(dir.file("notes.txt")));
}

TEST(DiskInput, RefusesWhatIsNotAnOrdinaryFile) {
    TempDir dir;
    DiskFileSystem disk;
    for (const std::string& path :
         {dir.path(), std::string("/dev/zero"), std::string("/dev/null")}) {
        try {
            disk.openInput(path);
            ADD_FAILURE() << path << " was opened";
        } catch (const RunError& error) {
            EXPECT_EQ(error.step(), FailedStep::InputNotFile) << path;
        }
    }
}

TEST(SameFile, ComparesIdentityNotJustText) {
    TempDir dir;
    const std::string file = dir.file("a.ged");
    writeFile(file, "x");
    writeFile(dir.file("b.ged"), "x");
    fs::create_symlink(file, dir.file("link.ged"));
    fs::create_hard_link(file, dir.file("hard.ged"));
    EXPECT_TRUE(sameFile(file, file));
    EXPECT_TRUE(sameFile(file, dir.path() + "//./a.ged"));
    EXPECT_TRUE(sameFile(file, dir.file("link.ged")));
    EXPECT_TRUE(sameFile(file, dir.file("hard.ged")));
    EXPECT_FALSE(sameFile(file, dir.file("b.ged")));
    EXPECT_FALSE(sameFile(file, dir.file("missing.ged")));
}

TEST(ProgramFiles, AreNamedAfterTheExecutable) {
    EXPECT_EQ(executableName("/opt/outils/brelin"), "brelin");
    EXPECT_EQ(executableName("/opt/outils/Brelin.exe"), "Brelin");
    EXPECT_EQ(executableName("/opt/.hidden"), ".hidden");
    TempDir dir;
    const ProgramFiles files = programFiles(dir.file("brelin-cli"));
    EXPECT_EQ(files.databasePath, dir.file("brelin-cli.db"));
    EXPECT_EQ(files.logPath, dir.file("Logbrelin-cli.log"));
    EXPECT_EQ(programFiles("brelin").databasePath, fs::current_path().string() + "/brelin.db");
}

TEST(ProgramFiles, GoToTheUserDataFolderWhereTheProgramsFolderCannotBeWritten) {
    TempDir dir;
    ::setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    const ProgramFiles files = programFiles("/nonexistent/bin/brelin");
    const ProgramFiles installed = programFiles("/usr/bin/brelin");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(installed.databasePath, dir.file("brelin/brelin.db"));
    EXPECT_EQ(files.databasePath, dir.file("brelin/brelin.db"));
    EXPECT_EQ(files.logPath, dir.file("brelin/Logbrelin.log"));
    EXPECT_TRUE(fs::is_directory(dir.file("brelin")));
}

}  // namespace
}  // namespace brelin

// An output that cannot be written whole: a full disk, a file size limit, the output's folder
// removed during the run, an output that is a folder. Each run must fail with a clear message,
// leave an existing file of that name with its old content and leave no temporary file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <string>

#include "child_process.h"
#include "engine.h"
#include "error_text.h"
#include "file_system.h"
#include "invariant.h"
#include "messages.h"
#include "run_fixture.h"
#include "temp_dir.h"

namespace brelin::testing {
namespace {

const std::string kOld = "ancien contenu\r\n";

std::string sampleInput(int individuals) {
    std::string text = "0 HEAD\r\n";
    for (int i = individuals; i >= 1; --i)
        text +=
            "0 @I" + std::to_string(i) + "@ INDI\r\n1 NAME Nom " + std::string(40, 'n') + "\r\n";
    return text + "0 @F1@ FAM\r\n0 TRLR\r\n";
}

// --- a full disk at every point of the write-out

struct DiskFullCase {
    const char* name;
    double fraction;  // of the complete output that fits
};

// Test names show the case's name, not its bytes.
void PrintTo(const DiskFullCase& diskFull, std::ostream* out) {
    *out << diskFull.name;
}

class DiskFullTest : public RunFixture, public ::testing::WithParamInterface<DiskFullCase> {};

TEST_P(DiskFullTest, KeepsTheOldFileAndSaysTheDiskIsFull) {
    const std::string input = sampleInput(500);
    files.put(kOutput, kOld);
    files.outputSpace = static_cast<size_t>(static_cast<double>(expectedOutput(input)->size()) *
                                            GetParam().fraction);
    const RunResult result = convert(input);

    ASSERT_TRUE(failedAt(result, FailedStep::WriteOutput));
    EXPECT_NE(text::describe(*result.error).find("le disque est plein"), std::string::npos);
    EXPECT_EQ(output(), kOld);
}

INSTANTIATE_TEST_SUITE_P(Points, DiskFullTest,
                         ::testing::Values(DiskFullCase{"NoSpaceAtAll", 0.0},
                                           DiskFullCase{"AFewBytes", 0.001},
                                           DiskFullCase{"Half", 0.5},
                                           DiskFullCase{"AllButTheTrailer", 0.9999}),
                         [](const auto& param) { return std::string(param.param.name); });

// --- a file size limit on the real program

TEST(OutputFault, FileSizeLimitFailsTheRunClearlyAndKeepsTheOldFile) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    const std::string input = sampleInput(8000);  // about 500 KB, far above the limit below
    writeFile(dir.file("in.ged"), input);
    writeFile(dir.file("out.ged"), kOld);

    const ProcessResult limited = runProcess(cli, {"--force", "in.ged", "out.ged"}, dir.path(), [] {
        const struct rlimit limit { 64 * 1024, 64 * 1024 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(limited.signal, 0) << "the program was killed instead of reporting the failure";
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_NE(limited.err.find("out.ged"), std::string::npos) << limited.err;
    EXPECT_NE(limited.err.find("dépasse la taille permise"), std::string::npos) << limited.err;
    EXPECT_EQ(readFile(dir.file("out.ged")), kOld);
    EXPECT_EQ(readFile(dir.file("in.ged")), input);

    // The next run, without the limit, replaces the file and leaves no leftover of the first.
    const ProcessResult free = runProcess(cli, {"--force", "in.ged", "out.ged"}, dir.path());
    EXPECT_EQ(free.exitCode, 0) << free.err;
    EXPECT_EQ(checkInvariant(input, readFile(dir.file("out.ged"))), "");
    EXPECT_TRUE(temporaryOutputs(dir.path()).empty());
}

// --- the output's folder removed during the run

// Passes everything to the disk; the output's folder is removed right after the first write to
// the output, so the temporary file goes with it.
class FolderRemovingFileSystem : public DiskFileSystem {
public:
    explicit FolderRemovingFileSystem(std::string folder) : folder_(std::move(folder)) {}

    std::unique_ptr<OutputFile> createOutput(const std::string& path) override {
        class Output : public OutputFile {
        public:
            Output(std::unique_ptr<OutputFile> real, std::string folder)
                : real_(std::move(real)), folder_(std::move(folder)) {}
            void write(std::string_view bytes) override {
                real_->write(bytes);
                std::filesystem::remove_all(folder_);
            }
            void commit() override { real_->commit(); }

        private:
            std::unique_ptr<OutputFile> real_;
            std::string folder_;
        };
        return std::make_unique<Output>(DiskFileSystem::createOutput(path), folder_);
    }

private:
    std::string folder_;
};

struct FolderRun {
    TempDir dir;
    std::string input = dir.file("in.ged");
    std::string folder = dir.file("sortie");
    std::string output = folder + "/out.ged";
    std::string content = sampleInput(300);
    ScriptedFrontend frontend;
    StagingDatabase database;

    FolderRun() {
        writeFile(input, content);
        std::filesystem::create_directory(folder);
        frontend.output = output;
        database.openFile(":memory:");
        database.createTables();
    }
    RunResult run(FileSystem& files) {
        return runOn(database, files, frontend, input, {}, programFilesIn(dir.path(), "brelin"));
    }
};

TEST(OutputFault, FolderRemovedBeforeTheOutputIsCreatedFailsClearly) {
    FolderRun run;
    run.frontend.onProgress = [&](int) { std::filesystem::remove_all(run.folder); };
    DiskFileSystem disk;
    const RunResult result = run.run(disk);

    ASSERT_TRUE(failedAt(result, FailedStep::WriteOutput));
    EXPECT_NE(text::describe(*result.error).find("n'existe pas"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(run.folder));
    EXPECT_EQ(readFile(run.input), run.content);

    // The folder made again, the next run works.
    std::filesystem::create_directory(run.folder);
    run.frontend.onProgress = nullptr;
    EXPECT_EQ(run.run(disk).outcome, RunOutcome::Completed);
    EXPECT_EQ(checkInvariant(run.content, readFile(run.output)), "");
}

TEST(OutputFault, FolderRemovedWhileTheOutputIsWrittenFailsClearly) {
    FolderRun run;
    FolderRemovingFileSystem files(run.folder);
    const RunResult result = run.run(files);

    EXPECT_TRUE(failedAt(result, FailedStep::WriteOutput));
    EXPECT_FALSE(std::filesystem::exists(run.folder));
    EXPECT_EQ(readFile(run.input), run.content);
}

// --- outputs the program cannot write, through the command line

struct CliOutputCase {
    const char* name;
    const char* output;     // relative to the test's folder
    const char* causeText;  // part of the message
};

void PrintTo(const CliOutputCase& outputCase, std::ostream* out) {
    *out << outputCase.name;
}

class CliOutputTest : public ::testing::TestWithParam<CliOutputCase> {};

TEST_P(CliOutputTest, FailsWithMessageAndWritesNothing) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    const std::string input = sampleInput(10);
    writeFile(dir.file("in.ged"), input);
    std::filesystem::create_directory(dir.file("dossier"));
    const auto before = folderEntries(dir.path());

    const ProcessResult result =
        runProcess(cli, {"--force", "in.ged", GetParam().output}, dir.path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(GetParam().causeText), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(GetParam().output), std::string::npos) << result.err;
    auto after = folderEntries(dir.path());
    std::erase_if(after, [](const std::string& name) {
        return name.find("brelin-cli.db") == 0 || name == "brelin-cli.lock";
    });
    EXPECT_EQ(after, before);
    EXPECT_EQ(readFile(dir.file("in.ged")), input);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("dossier")));
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, CliOutputTest,
    ::testing::Values(CliOutputCase{"OutputIsAFolder", "dossier", "c'est un dossier"},
                      CliOutputCase{"FolderMissing", "absent/out.ged", "n'existe pas"},
                      CliOutputCase{"PathThroughAFile", "in.ged/out.ged", "n'est pas un dossier"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace brelin::testing

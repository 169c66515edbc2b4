// An input that changes under the run: truncated, grown, emptied, replaced or deleted, either
// between the count pass and the staging pass or in the middle of the staging pass. The run
// opens its input once: what is written in place is read, a file removed or put aside stays
// readable as it was. The run never crashes: it either fails with a clear message and writes
// nothing, or writes an output that keeps the invariant for the content it actually read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "engine.h"
#include "error_text.h"
#include "file_system.h"
#include "invariant.h"
#include "messages.h"
#include "run_fixture.h"
#include "scripted_frontend.h"
#include "staging_database.h"
#include "temp_dir.h"

namespace brelin::testing {
namespace {

using namespace std::string_literals;

// Records in reverse order, no trailer: about 2 MB, several reads of the reader's buffer.
std::string baseContent() {
    std::string text = "0 HEAD\n1 CHAR ANSI\n";
    for (int i = 20000; i >= 1; --i)
        text += "0 @I" + std::to_string(i) + "@ INDI\n1 NAME Nom /" + std::to_string(i) +
                "/\n1 NOTE " + std::string(60, 'x') + "\n";
    return text;
}

// The content up to the first line end at or after offset.
std::string prefixAtLine(const std::string& text, size_t offset) {
    return text.substr(0, text.find('\n', offset) + 1);
}

enum class When { BetweenPasses, DuringStaging };

struct ChangeCase {
    const char* name;
    When when;
    // Changes the file at path (whose content is base); returns the content the run reads from
    // then on, or nullopt when the run must fail.
    std::function<std::optional<std::string>(const std::string& path, const std::string& base)>
        change;
    FailedStep failure = FailedStep::Internal;  // the expected failure when change gives nullopt
    const char* messagePart = "";
};

// Test names show the case's name, not its bytes.
void PrintTo(const ChangeCase& change, std::ostream* out) {
    *out << change.name;
}

class ChangingInputTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangingInputTest, FailsClearlyOrWritesWhatItRead) {
    const ChangeCase& change = GetParam();
    TempDir dir;
    const std::string input = dir.file("arbre.ged");
    const std::string output = dir.file("arbre-trie.ged");
    const std::string base = baseContent();
    writeFile(input, base);

    StagingDatabase database;
    database.openFile(":memory:");
    database.createTables();
    DiskFileSystem files;
    ScriptedFrontend frontend;
    frontend.output = output;
    std::optional<std::string> readContent;
    bool changed = false;
    if (change.when == When::BetweenPasses) {
        frontend.onMeasured = [&] { readContent = change.change(input, base); };
    } else {
        frontend.onProgress = [&](int) {
            if (!changed) readContent = change.change(input, base);
            changed = true;
        };
    }
    const RunResult result =
        runOn(database, files, frontend, input, {}, programFilesIn(dir.path(), "brelin"));

    if (readContent) {
        ASSERT_EQ(result.outcome, RunOutcome::Completed)
            << (result.error ? text::describe(*result.error) : std::string());
        EXPECT_EQ(checkInvariant(*readContent, readFile(output)), "");
    } else {
        ASSERT_TRUE(failedAt(result, change.failure));
        const std::string message = text::describe(*result.error);
        EXPECT_NE(message.find(change.messagePart), std::string::npos) << message;
        EXPECT_NE(message.find(input), std::string::npos) << message;
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

std::optional<std::string> replaceWith(const std::string& path, const std::string& content) {
    writeFile(path, content);
    return content;
}

const std::string kTail = "0 @I99999@ INDI\n1 NAME Ajout /Tardif/\n0 @F1@ FAM\n0 TRLR\n";

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangingInputTest,
    ::testing::Values(
        ChangeCase{"TruncatedBetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string& base) {
                       return replaceWith(path, prefixAtLine(base, base.size() / 3));
                   }},
        ChangeCase{"TruncatedMidLineBetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string& base) {
                       return replaceWith(path, prefixAtLine(base, 1000) + "0 @I5");
                   }},
        ChangeCase{"GrownBetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string& base) {
                       return replaceWith(path, base + kTail);
                   }},
        ChangeCase{"EmptiedBetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string&) -> std::optional<std::string> {
                       writeFile(path, "");
                       return std::nullopt;
                   },
                   FailedStep::InputEmpty, "est vide"},
        ChangeCase{"DeletedBetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string& base) {
                       std::filesystem::remove(path);
                       return std::optional<std::string>(base);
                   }},
        ChangeCase{"ReplacedByAFolderBetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string& base) {
                       std::filesystem::remove(path);
                       std::filesystem::create_directory(path);
                       return std::optional<std::string>(base);
                   }},
        ChangeCase{"ReplacedByUtf16BetweenPasses", When::BetweenPasses,
                   [](const std::string& path, const std::string&) -> std::optional<std::string> {
                       writeFile(path,
                                 "\xFF\xFE"
                                 "0\0 \0H\0E\0A\0D\0\r\0\n\0"s);
                       return std::nullopt;
                   },
                   FailedStep::InputEncoding, "UTF-16"},
        ChangeCase{
            "TruncatedDuringStaging", When::DuringStaging,
            [](const std::string& path, const std::string& base) -> std::optional<std::string> {
                const std::string kept = prefixAtLine(base, 1000000);
                EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(kept.size())), 0);
                return kept;
            }},
        ChangeCase{
            "GrownDuringStaging", When::DuringStaging,
            [](const std::string& path, const std::string& base) -> std::optional<std::string> {
                std::ofstream(path, std::ios::binary | std::ios::app) << kTail;
                return base + kTail;
            }},
        ChangeCase{
            "DeletedDuringStaging", When::DuringStaging,
            [](const std::string& path, const std::string& base) -> std::optional<std::string> {
                // The open file stays readable to its end.
                std::filesystem::remove(path);
                return base;
            }}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace brelin::testing

// Two brelin-cli processes started from one folder at the same time share the names of their
// staging database and truncation log. One run at a time holds the log: a program that finds it
// held fails at once, touching neither the log nor its output; a program that runs writes its
// own correct output, and the log is one run's list, never a mix of two. A check run beside them
// disturbs neither.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>

#include "child_process.h"
#include "invariant.h"
#include "temp_dir.h"

namespace brelin::testing {
namespace {

// Records in reverse order with a long line every few records, so both programs use the log.
std::string inputNamed(const std::string& name, int records) {
    std::string text = "0 HEAD\r\n1 NOTE " + name + "\r\n";
    for (int i = records; i >= 1; --i) {
        text += "0 @I" + std::to_string(i) + "@ INDI\r\n1 NAME " + name + " /" + std::to_string(i) +
                "/\r\n";
        if (i % 50 == 0) text += "1 NOTE " + std::string(300, name[0]) + "\r\n";
    }
    return text + "0 TRLR\r\n";
}

// The log a run of input alone writes: its banner and the numbers of its long lines.
std::string logOf(const std::string& input) {
    std::string log =
        "   ###############################################\r\n"
        "   #  Ligne(s) du GEDCOM comportant des erreurs  #\r\n"
        "   ###############################################\r\n";
    const std::vector<std::string_view> lines = splitLines(input);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > 255)
            log += "La ligne " + std::to_string(i + 1) +
                   " comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
                   "e.\r\n";
    }
    return log;
}

TEST(ConcurrentRuns, OneRunAtATimeHoldsTheLogTheOtherFailsAtOnce) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    const std::string first = inputNamed("premier", 20000);
    const std::string second = inputNamed("second", 15000);
    writeFile(dir.file("premier.ged"), first);
    writeFile(dir.file("second.ged"), second);

    // The second program starts a little later each round, so that its start (which deletes the
    // database file) falls at every stage of the first one's run.
    int refused = 0;
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove(dir.file("premier-trie.ged"));
        std::filesystem::remove(dir.file("second-trie.ged"));
        ChildProcess a(cli, {"--force", "premier.ged", "premier-trie.ged"}, dir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * round));
        ChildProcess b(cli, {"--force", "second.ged", "second-trie.ged"}, dir.path());
        // A check beside them takes no lock and stages in memory: it disturbs neither.
        ChildProcess check(cli, {"--check", "second.ged"}, dir.path());
        const ProcessResult resultA = a.wait();
        const ProcessResult resultB = b.wait();
        EXPECT_EQ(check.wait().exitCode, 3);
        for (const auto& [result, input, output] :
             {std::tuple{&resultA, &first, "premier-trie.ged"},
              std::tuple{&resultB, &second, "second-trie.ged"}}) {
            if (result->exitCode == 0) {
                EXPECT_EQ(checkInvariant(*input, readFile(dir.file(output))), "");
            } else {
                ++refused;
                EXPECT_EQ(result->exitCode, 1);
                EXPECT_NE(result->err.find("Un autre traitement utilise déjà le journal"),
                          std::string::npos)
                    << result->err;
                EXPECT_FALSE(std::filesystem::exists(dir.file(output)));
            }
        }
        EXPECT_TRUE(resultA.exitCode == 0 || resultB.exitCode == 0);
        const std::string log = readFile(dir.file("Logbrelin-cli.log"));
        EXPECT_TRUE(log == logOf(first) || log == logOf(second)) << "a log of " << log.size();
    }
    // The runs overlapped in some round at least.
    EXPECT_GT(refused, 0);
    EXPECT_TRUE(temporaryOutputs(dir.path()).empty());
}

}  // namespace
}  // namespace brelin::testing

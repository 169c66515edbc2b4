// Two brelin-cli processes started from one folder at the same time share the names of their
// staging database and truncation log; each must still complete and write its own correct output.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

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

TEST(ConcurrentRuns, TwoProgramsFromOneFolderEachWriteTheirOwnOutput) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    const std::string first = inputNamed("premier", 20000);
    const std::string second = inputNamed("second", 15000);
    writeFile(dir.file("premier.ged"), first);
    writeFile(dir.file("second.ged"), second);

    // The second program starts a little later each round, so that its start (which deletes the
    // log and the database file) falls at every stage of the first one's run.
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ChildProcess a(cli, {"--force", "premier.ged", "premier-trie.ged"}, dir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * round));
        ChildProcess b(cli, {"--force", "second.ged", "second-trie.ged"}, dir.path());
        const ProcessResult resultA = a.wait();
        const ProcessResult resultB = b.wait();
        EXPECT_EQ(resultA.exitCode, 0) << resultA.err;
        EXPECT_EQ(resultB.exitCode, 0) << resultB.err;
        EXPECT_EQ(checkInvariant(first, readFile(dir.file("premier-trie.ged"))), "");
        EXPECT_EQ(checkInvariant(second, readFile(dir.file("second-trie.ged"))), "");
    }
    EXPECT_TRUE(temporaryOutputs(dir.path()).empty());
}

}  // namespace
}  // namespace brelin::testing

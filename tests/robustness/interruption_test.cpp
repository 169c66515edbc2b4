// brelin-cli killed with SIGKILL at random moments: the input is never changed, an existing output
// is either its old content or the complete new one, the log and the report are a whole run's,
// and what a killed program leaves behind is a temporary file recognisable by its name, removed
// by the next run in that folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "child_process.h"
#include "invariant.h"
#include "temp_dir.h"

namespace brelin::testing {
namespace {

// About 2 MB in reverse order, with long lines so that the log is written too.
std::string largeInput() {
    std::string text = "0 HEAD\r\n1 CHAR ANSI\r\n";
    for (int i = 12000; i >= 1; --i) {
        text += "0 @I" + std::to_string(i) + "@ INDI\r\n1 NAME Nom /" + std::to_string(i) + "/\r\n";
        text += i % 500 == 0 ? "1 NOTE " + std::string(400, 'L') + "\r\n"
                             : "1 NOTE " + std::string(100, 'n') + "\r\n";
    }
    for (int i = 3000; i >= 1; --i)
        text += "0 @F" + std::to_string(i) + "@ FAM\r\n1 HUSB @I" + std::to_string(i) + "@\r\n";
    return text + "0 TRLR\r\n";
}

// The writer's process id in the name of a temporary file beside the output, the log or the
// report, ".NAME.brelin-PID-XXXXXX" with six letters or digits; nullopt for any other name.
std::optional<pid_t> leftoverWriter(const std::string& name) {
    const std::string mark = ".brelin-";
    const size_t at = name.rfind(mark);
    const bool named = name.rfind(".out.ged", 0) == 0 || name.rfind(".Logbrelin-cli.log", 0) == 0 ||
                       name.rfind(".Rapportbrelin-cli.txt", 0) == 0;
    if (!named || at == std::string::npos || name.size() < at + mark.size() + 8)
        return std::nullopt;
    const std::string tail = name.substr(at + mark.size());
    const size_t dash = tail.find('-');
    if (dash == 0 || dash == std::string::npos || tail.size() != dash + 7) return std::nullopt;
    if (tail.find_first_not_of("0123456789") != dash) return std::nullopt;
    for (const char c : tail.substr(dash + 1))
        if (!std::isalnum(static_cast<unsigned char>(c))) return std::nullopt;
    return static_cast<pid_t>(std::stol(tail.substr(0, dash)));
}

TEST(Interruption, KilledAtRandomMomentsLeavesOldOrCompleteOutputOnly) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    const std::string input = largeInput();
    const std::string expected = *expectedOutput(input);
    const std::string old = "0 HEAD\r\n1 NOTE ancienne sortie\r\n0 TRLR\r\n";
    writeFile(dir.file("in.ged"), input);
    const std::vector<std::string> arguments{"--force", "in.ged", "out.ged"};

    // One whole run gives the span over which the kills are spread.
    writeFile(dir.file("out.ged"), old);
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult whole = runProcess(cli, arguments, dir.path());
    const auto span = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    ASSERT_EQ(readFile(dir.file("out.ged")), expected);
    const std::string log = readFile(dir.file("Logbrelin-cli.log"));
    const std::string report = readFile(dir.file("Rapportbrelin-cli.txt"));
    ASSERT_NE(log, "");

    std::mt19937 random(20240607);
    std::uniform_int_distribution<long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(span).count() * 6 / 5);
    std::set<pid_t> killed;
    int oldSeen = 0;
    int newSeen = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        writeFile(dir.file("out.ged"), old);
        ChildProcess child(cli, arguments, dir.path());
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        child.kill(SIGKILL);
        child.wait();
        killed.insert(child.pid());

        ASSERT_EQ(readFile(dir.file("in.ged")), input);
        const std::string output = readFile(dir.file("out.ged"));
        ASSERT_TRUE(output == old || output == expected)
            << "a mixed output of " << output.size() << " bytes";
        ++(output == old ? oldSeen : newSeen);
        EXPECT_EQ(readFile(dir.file("Logbrelin-cli.log")), log);
        EXPECT_EQ(readFile(dir.file("Rapportbrelin-cli.txt")), report);
        for (const std::string& name : temporaryOutputs(dir.path())) {
            const std::optional<pid_t> writer = leftoverWriter(name);
            ASSERT_TRUE(writer) << name;
            EXPECT_EQ(killed.count(*writer), 1u) << name;
        }
    }
    std::cout << "old output kept " << oldSeen << " times, new output complete " << newSeen
              << " times\n";

    // The next complete run removes every leftover.
    const ProcessResult last = runProcess(cli, arguments, dir.path());
    EXPECT_EQ(last.exitCode, 0) << last.err;
    EXPECT_EQ(readFile(dir.file("out.ged")), expected);
    EXPECT_TRUE(temporaryOutputs(dir.path()).empty());
}

TEST(Interruption, NextRunRemovesOnlyTheLeftoversOfEndedPrograms) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    writeFile(dir.file("in.ged"), "0 HEAD\r\n0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n");
    const std::string ended = std::to_string(endedProcessId());
    const std::string running = std::to_string(::getpid());
    const std::vector<std::string> removed{".out.ged.brelin-" + ended + "-a1B2c3",
                                           ".autre.ged.brelin-" + ended + "-XyZ789"};
    const std::vector<std::string> kept{
        ".out.ged.brelin-" + running + "-a1B2c3",  // still at work
        "out.ged.brelin-" + ended + "-a1B2c3",     // no leading dot
        ".out.ged.brelin-" + ended + "-a1B2c",     // five characters
        ".out.ged.brelin-x" + ended + "-a1B2c3",   // not a process id
        ".out.ged.brelin-0-a1B2c3"};
    for (const auto& name : removed) writeFile(dir.file(name), "reste");
    for (const auto& name : kept) writeFile(dir.file(name), "reste");

    const ProcessResult result = runProcess(cli, {"in.ged", "out.ged"}, dir.path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const auto& name : removed) EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
}

}  // namespace
}  // namespace brelin::testing

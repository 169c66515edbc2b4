// Hostile and odd inputs. Each one either converts into an output that keeps the invariant
// (and, where given, equals the output spelled out) or is refused with a clear message and
// nothing written. The first table runs through the engine in memory; the second through
// brelin-cli, where the file system matters.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "child_process.h"
#include "engine.h"
#include "error_text.h"
#include "invariant.h"
#include "messages.h"
#include "run_fixture.h"
#include "temp_dir.h"

namespace brelin::testing {
namespace {

using namespace std::string_literals;

struct HostileCase {
    const char* name;
    std::string input;
    std::optional<FailedStep> refusal;  // nullopt: the input converts
    std::string exactOutput = {};       // when not empty, the output to the byte
    const char* messagePart = "";       // part of the refusal's message
};

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

std::string utf16(const std::string& ascii, bool littleEndian, bool mark) {
    std::string bytes = mark ? (littleEndian ? "\xFF\xFE"s : "\xFE\xFF"s) : ""s;
    for (const char c : ascii) bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
}

std::string hugeHeader() {
    // One block far larger than a staged part (64 KiB): it must come back whole and in order.
    std::string text = "0 HEAD\r\n";
    for (int i = 0; i < 40000; ++i)
        text += "1 NOTE ligne " + std::to_string(i) + " de l'en-tete\r\n";
    return text + "0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n";
}

const HostileCase kCases[] = {
    {"SqlAndQuotesInNumbers",
     "0 HEAD\r\n0 @I1'); DROP TABLE INDITRI;--@ INDI\r\n0 @I\"2\"@ INDI\r\n0 @I3@ INDI\r\n"
     "0 @F1\" OR 1=1 --@ FAM\r\n0 @F2@ FAM\r\n0 TRLR\r\n",
     std::nullopt,
     "0 HEAD\r\n0 @I3@ INDI\r\n0 @I1'); DROP TABLE INDITRI;--@ INDI\r\n0 @I\"2\"@ INDI\r\n"
     "0 @F2@ FAM\r\n0 @F1\" OR 1=1 --@ FAM\r\n0 TRLR\r\n"},
    {"SqlAndQuotesInLines",
     "0 HEAD\r\n0 @S1@ SUBM\r\n1 NAME \"Jean\" l'\"\"ancien\"\r\n0 @I2@ INDI\r\n"
     "1 NOTE '); DELETE FROM INDITRI; --\r\n0 @I1@ INDI\r\n1 NAME \"\r\n0 TRLR\r\n",
     std::nullopt,
     "0 HEAD\r\n0 @S1@ SUBM\r\n1 NAME \"Jean\" l'\"\"ancien\"\r\n0 @I1@ INDI\r\n1 NAME \"\r\n"
     "0 @I2@ INDI\r\n1 NOTE '); DELETE FROM INDITRI; --\r\n0 TRLR\r\n"},
    {"NulBytes",
     "0 HEAD\r\n0 @I2@ INDI\r\n1 NOTE a\0b\0\r\n0 @I\0@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n"s,
     std::nullopt,
     "0 HEAD\r\n0 @I1@ INDI\r\n0 @I2@ INDI\r\n1 NOTE a\0b\0\r\n0 @I\0@ INDI\r\n0 TRLR\r\n"s},
    {"MillionEmptyLines",
     "0 HEAD\r\n" + repeated("\r\n", 1000000) + "0 @I2@ INDI\n0 @I1@ INDI\n" +
         repeated("\n", 1000) + "0 TRLR\n",
     std::nullopt, "0 HEAD\r\n0 @I1@ INDI\r\n0 @I2@ INDI\r\n0 TRLR\r\n"},
    {"OnlyTheTrailer", "0 TRLR", std::nullopt, "0 TRLR\r\n"},
    {"HeaderWithoutRecords", "0 HEAD\r\n1 CHAR ANSI\r\n0 TRLR\r\n", std::nullopt,
     "0 HEAD\r\n1 CHAR ANSI\r\n0 TRLR\r\n"},
    {"HeaderWithoutTrailer", "0 HEAD\r\n1 CHAR ANSI", std::nullopt, "0 HEAD\r\n1 CHAR ANSI\r\n"},
    {"CrOnly", "0 HEAD\r0 @I2@ INDI\r1 NAME B\r0 @I1@ INDI\r0 TRLR\r", std::nullopt,
     "0 HEAD\r\n0 @I1@ INDI\r\n0 @I2@ INDI\r\n1 NAME B\r\n0 TRLR\r\n"},
    {"MixedLineEnds", "0 HEAD\n0 @I2@ INDI\r1 NAME B\r\n\r\n0 @I1@ INDI\n\r0 TRLR", std::nullopt,
     "0 HEAD\r\n0 @I1@ INDI\r\n0 @I2@ INDI\r\n1 NAME B\r\n0 TRLR\r\n"},
    {"Utf8ByteOrderMark",
     "\xEF\xBB\xBF"
     "0 HEAD\r\n0 @I2@ INDI\r\n1 NOTE x" +
         repeated("\xC3\xA9", 130) + "\r\n0 @I1@ INDI\r\n0 TRLR\r\n",
     std::nullopt,
     // Byte 255 would split an "é": the cut keeps 254 bytes, "1 NOTE x" and 123 whole "é".
     "\xEF\xBB\xBF"
     "0 HEAD\r\n0 @I1@ INDI\r\n0 @I2@ INDI\r\n1 NOTE x" +
         repeated("\xC3\xA9", 123) + "\r\n0 TRLR\r\n"},
    {"Utf16LittleEndianWithMark", utf16("0 HEAD\r\n0 TRLR\r\n", true, true),
     FailedStep::InputEncoding, "", "UTF-16"},
    {"Utf16BigEndianWithMark", utf16("0 HEAD\r\n0 TRLR\r\n", false, true),
     FailedStep::InputEncoding, "", "UTF-16"},
    {"Utf16LittleEndianWithoutMark", utf16("0 HEAD\r\n0 TRLR\r\n", true, false),
     FailedStep::InputEncoding, "", "UTF-16"},
    {"Utf16BigEndianWithoutMark", utf16("0 HEAD\r\n0 TRLR\r\n", false, false),
     FailedStep::InputEncoding, "", "UTF-16"},
    {"ThirtyDigitAndNegativeNumbers",
     "0 HEAD\r\n0 @I123456789012345678901234567890@ INDI\r\n0 @I-5@ INDI\r\n"
     "0 @I999999999999999999@ INDI\r\n0 @I1234567890123456789@ INDI\r\n0 @I2@ INDI\r\n0 TRLR\r\n",
     std::nullopt,
     "0 HEAD\r\n0 @I2@ INDI\r\n0 @I999999999999999999@ INDI\r\n0 @I1234567890123456789@ INDI\r\n"
     "0 @I123456789012345678901234567890@ INDI\r\n0 @I-5@ INDI\r\n0 TRLR\r\n"},
    {"RecordLinesTooShortForTheirNumber",
     "0 HEAD\r\n0 @I\r\n0 @F@\r\n0 @I1@ INDI\r\n0 @F\r\n0 TRLR\r\n", std::nullopt,
     "0 HEAD\r\n0 @I1@ INDI\r\n0 @I\r\n0 @F@\r\n0 @F\r\n0 TRLR\r\n"},
    {"RecordsAfterTheTrailer", "0 HEAD\r\n0 @I1@ INDI\r\n0 TRLR\r\n0 @I0@ INDI\r\ngarbage\r\n",
     std::nullopt, "0 HEAD\r\n0 @I0@ INDI\r\ngarbage\r\n0 @I1@ INDI\r\n0 TRLR\r\n"},
    {"EndOfFileMarkAndNulsAfterTheTrailer", "0 HEAD\r\n0 @I1@ INDI\r\n0 TRLR\r\n\x1A\0\0\r\n"s,
     std::nullopt, "0 HEAD\r\n0 @I1@ INDI\r\n0 TRLR\r\n"},
    {"OneBlockLargerThanAStagedPart", hugeHeader(), std::nullopt},
    {"EmptyFile", "", FailedStep::InputEmpty, "", "est vide"},
    {"OnlyEmptyLines", "\r\n\n\r\r\n", FailedStep::InputEmpty, "", "est vide"},
    {"BinaryGarbage",
     "\x7F"
     "ELF\x02\x01\x01\0\0\0\n\xFF\xD8\xFF"s,
     FailedStep::InputNotGedcom, "", "n'est pas un fichier GEDCOM"},
    {"TextThatIsNotGedcom", "Bonjour,\r\nvoici ma famille.\r\n", FailedStep::InputNotGedcom, "",
     "n'est pas un fichier GEDCOM"},
};

// Test names show the case's name, not its bytes.
void PrintTo(const HostileCase& hostile, std::ostream* out) {
    *out << hostile.name;
}

class HostileInputTest : public RunFixture, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileInputTest, ConvertsFaithfullyOrRefusesClearly) {
    const HostileCase& hostile = GetParam();
    const RunResult result = convert(hostile.input);

    EXPECT_EQ(files.at(kInput), hostile.input);
    if (!hostile.refusal) {
        ASSERT_EQ(result.outcome, RunOutcome::Completed)
            << (result.error ? text::describe(*result.error) : std::string());
        ASSERT_TRUE(output());
        EXPECT_EQ(checkInvariant(hostile.input, output()), "");
        if (!hostile.exactOutput.empty()) {
            EXPECT_EQ(output(), hostile.exactOutput);
        }
    } else {
        ASSERT_TRUE(failedAt(result, *hostile.refusal));
        const std::string message = text::describe(*result.error);
        EXPECT_NE(message.find(hostile.messagePart), std::string::npos) << message;
        EXPECT_NE(message.find(kInput), std::string::npos) << message;
        EXPECT_EQ(output(), std::nullopt);
        EXPECT_EQ(frontend.outputQuestions, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileInputTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// --- through brelin-cli

struct CliCase {
    const char* name;
    // Prepares the folder; returns the input and output arguments.
    std::function<std::pair<std::string, std::string>(const TempDir&)> prepare;
    int exitCode;
    const char* messagePart;
};

const std::string kSmall = "0 HEAD\r\n0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n";

void PrintTo(const CliCase& cliCase, std::ostream* out) {
    *out << cliCase.name;
}

class HostileCliTest : public ::testing::TestWithParam<CliCase> {};

TEST_P(HostileCliTest, RefusesWithMessageAndTouchesNothing) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    writeFile(dir.file("in.ged"), kSmall);
    const auto [input, output] = GetParam().prepare(dir);
    const auto before = folderEntries(dir.path());

    const ProcessResult result = runProcess(cli, {"--force", input, output}, dir.path());
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, GetParam().exitCode);
    EXPECT_NE(result.err.find(GetParam().messagePart), std::string::npos) << result.err;
    EXPECT_EQ(readFile(dir.file("in.ged")), kSmall);
    auto after = folderEntries(dir.path());
    std::erase_if(after, [](const std::string& name) {
        return name == "brelin-cli.db" || name == "brelin-cli.lock";
    });
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, HostileCliTest,
    ::testing::Values(CliCase{"InputIsAFolder",
                              [](const TempDir& dir) {
                                  std::filesystem::create_directory(dir.file("dossier.ged"));
                                  return std::pair{"dossier.ged"s, "out.ged"s};
                              },
                              1, "c'est un dossier"},
                      CliCase{"InputIsDevZero",
                              [](const TempDir&) {
                                  return std::pair{"/dev/zero"s, "out.ged"s};
                              },
                              1, "ce n'est pas un fichier ordinaire"},
                      CliCase{"InputIsDevNull",
                              [](const TempDir&) {
                                  return std::pair{"/dev/null"s, "out.ged"s};
                              },
                              1, "ce n'est pas un fichier ordinaire"},
                      CliCase{"InputIsAPipeWithoutWriter",
                              [](const TempDir& dir) {
                                  ::mkfifo(dir.file("tube.ged").c_str(), 0600);
                                  return std::pair{"tube.ged"s, "out.ged"s};
                              },
                              1, "ce n'est pas un fichier ordinaire"},
                      CliCase{"InputMissing",
                              [](const TempDir&) {
                                  return std::pair{"absent.ged"s, "out.ged"s};
                              },
                              1, "n'existe pas"},
                      CliCase{"OutputIsTheInputThroughASymbolicLink",
                              [](const TempDir& dir) {
                                  std::filesystem::create_symlink("in.ged", dir.file("lien.ged"));
                                  return std::pair{"in.ged"s, "lien.ged"s};
                              },
                              2, "DOIT être différent"},
                      CliCase{"OutputIsTheInputThroughAHardLink",
                              [](const TempDir& dir) {
                                  std::filesystem::create_hard_link(dir.file("in.ged"),
                                                                    dir.file("dur.ged"));
                                  return std::pair{"in.ged"s, "dur.ged"s};
                              },
                              2, "DOIT être différent"},
                      CliCase{"OutputIsTheInputSpelledOtherwise",
                              [](const TempDir& dir) {
                                  std::filesystem::create_directory(dir.file("sous"));
                                  return std::pair{"in.ged"s, "sous/../in.ged"s};
                              },
                              2, "DOIT être différent"},
                      CliCase{"OutputIsTheInputThroughALinkedFolder",
                              [](const TempDir& dir) {
                                  std::filesystem::create_directory_symlink(dir.path(),
                                                                            dir.file("ici"));
                                  return std::pair{"in.ged"s, dir.file("ici") + "/in.ged"};
                              },
                              2, "DOIT être différent"}),
    [](const auto& param) { return std::string(param.param.name); });

// A 200 MB single line: cut to 255 bytes and logged, with memory bounded by the reader's buffer,
// not by the line.
TEST(HostileCli, TwoHundredMegabyteLineRunsInBoundedMemory) {
    TempDir dir;
    const std::string cli = copyCli(dir.path());
    {
        std::ofstream out(dir.file("long.ged"), std::ios::binary);
        out << "0 HEAD\r\n1 NOTE ";
        const std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 200; ++i) out << chunk;
        out << "\r\n0 @I1@ INDI\r\n0 TRLR\r\n";
    }
    const ProcessResult result = runProcess(cli, {"long.ged", "out.ged"}, dir.path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(dir.file("out.ged")),
              "0 HEAD\r\n1 NOTE " + std::string(248, 'x') + "\r\n0 @I1@ INDI\r\n0 TRLR\r\n");
    EXPECT_NE(readFile(dir.file("Logbrelin-cli.log")).find("La ligne 2 comporte"),
              std::string::npos);
    std::filesystem::remove(dir.file("long.ged"));
    std::cout << "peak memory of brelin-cli: " << result.maxRssKiB << " KiB\n";
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's own memory is not the program's
    EXPECT_LT(result.maxRssKiB, 64 * 1024) << "peak memory in KiB";
#endif
}

}  // namespace
}  // namespace brelin::testing

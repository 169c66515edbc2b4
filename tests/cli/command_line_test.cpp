// brelin-cli's command line, run in process as the program in a folder of its own, so that its
// database and log are the test's alone; and the real program in a child process where the
// process matters (its signals, its memory, the files named after its executable).
#include "command_line.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "invariant.h"
#include "temp_dir.h"

namespace brelin {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir.file("famille.ged");
        output = dir.file("sortie.ged");
        writeFile(input, readFile(std::string(BRELIN_EXAMPLES_DIR) + "/exemple.ged"));
    }

    // The command line as brelin-cli in the test's folder runs it.
    Finished run(const std::vector<std::string>& args) {
        std::vector<const char*> argv = {"brelin-cli"};
        for (const std::string& word : args) argv.push_back(word.c_str());
        std::ostringstream out;
        std::ostringstream err;
        Finished finished;
        finished.status = runCommandLine(static_cast<int>(argv.size()), argv.data(),
                                         dir.file("brelin-cli"), out, err);
        finished.out = out.str();
        finished.err = err.str();
        return finished;
    }

    // The folder's files other than the program's own.
    std::vector<std::string> otherFiles() {
        std::vector<std::string> names;
        for (const std::string& name : testing::folderEntries(dir.path())) {
            if (name.rfind("brelin-cli", 0) != 0 && name.rfind("outil", 0) != 0)
                names.push_back(name);
        }
        return names;
    }

    // Every file of the test's folder with its bytes.
    std::map<std::string, std::string> folderBytes() {
        std::map<std::string, std::string> files;
        for (const std::string& name : testing::folderEntries(dir.path()))
            files[name] = readFile(dir.file(name));
        return files;
    }

    testing::TempDir dir;
    std::string input;
    std::string output;
};

TEST_F(CommandLineTest, ConvertsAndTellsWhatItDid) {
    const Finished finished = run({input, output});
    EXPECT_EQ(finished.status, 0) << finished.err;
    EXPECT_EQ(readFile(output), testing::expectedOutput(readFile(input)));
    EXPECT_NE(finished.out.find("49 lignes  Terminé  en 0 Sec"), std::string::npos) << finished.out;
    EXPECT_NE(finished.out.find("\n1 ligne coupée à 255 octets"), std::string::npos)
        << finished.out;
    EXPECT_NE(finished.out.find(dir.file("Logbrelin-cli.log")), std::string::npos) << finished.out;
    EXPECT_EQ(otherFiles(), (std::vector<std::string>{"Logbrelin-cli.log", "Rapportbrelin-cli.txt",
                                                      "famille.ged", "sortie.ged"}));
    EXPECT_EQ(readFile(dir.file("Rapportbrelin-cli.txt")).substr(0, 30),
              "Rapport de Brelin version 1.0.");
}

// After a run that wrote its output, every way a run can end without output leaves that run's
// log and report byte for byte, and no file of its own.
TEST_F(CommandLineTest, ARunWithoutOutputKeepsTheLastLogAndReport) {
    ASSERT_EQ(run({input, output}).status, 0);
    const auto before = folderBytes();
    ASSERT_EQ(before.count("Logbrelin-cli.log") + before.count("Rapportbrelin-cli.txt"), 2u);
    writeFile(dir.file("utf16.ged"), std::string("\xFF\xFE"
                                                 "0\0 \0H\0",
                                                 8));
    writeFile(dir.file("autre.ged"), "0 HEAD\r\n0 TRLR\r\n");
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{"--force", dir.file("utf16.ged"), dir.file("autre-trie.ged")}, 1},
        {{"--force", dir.file("absent.ged"), dir.file("autre-trie.ged")}, 1},
        {{"--force", dir.file("autre.ged"), dir.file("absent/autre-trie.ged")}, 1},
        {{dir.file("autre.ged"), output}, 2},
        {{"--force", dir.file("autre.ged"), dir.file("autre.ged")}, 2},
    };
    for (const Case& c : cases) {
        const Finished finished = run(c.args);
        EXPECT_EQ(finished.status, c.status) << c.args[1] << finished.err;
        auto now = folderBytes();
        now.erase("utf16.ged");
        now.erase("autre.ged");
        EXPECT_EQ(now, before) << c.args[1];
    }
}

TEST_F(CommandLineTest, WorkedExamplesComeOutToTheByte) {
    writeFile(input,
              "0 HEAD\r\n1 CHAR ANSEL\r\n0 @S1@ SUBM\r\n1 NAME X\r\n0 @I2@ INDI\r\n1 NAME B\r\n"
              "0 @I1@ INDI\r\n1 NAME A\r\n0 @F1@ FAM\r\n1 HUSB @I1@\r\n0 TRLR\r\n");
    ASSERT_EQ(run({input, output}).status, 0);
    EXPECT_EQ(readFile(output),
              "0 HEAD\r\n1 CHAR ANSEL\r\n0 @S1@ SUBM\r\n1 NAME X\r\n0 @I1@ INDI\r\n1 NAME A\r\n"
              "0 @I2@ INDI\r\n1 NAME B\r\n0 @F1@ FAM\r\n1 HUSB @I1@\r\n0 TRLR\r\n");
    EXPECT_FALSE(fs::exists(dir.file("Logbrelin-cli.log")));

    std::string cut = "0 HEAD\r\n";
    for (int line = 2; line < 45; ++line)
        cut += (line == 12 || line == 40 ? "1 NOTE " + std::string(300, 'x') : "1 NOTE x") + "\r\n";
    writeFile(input, cut + "0 TRLR\r\n");
    ASSERT_EQ(run({"--force", input, output}).status, 0);
    const std::string log = readFile(dir.file("Logbrelin-cli.log"));
    EXPECT_EQ(log.size(), 284u);
    EXPECT_EQ(log.substr(156),
              "La ligne 12 comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
              "e.\r\n"
              "La ligne 40 comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
              "e.\r\n");
}

TEST_F(CommandLineTest, ShortLinesThenTheReportInFrenchOrJson) {
    writeFile(input, "0 HEAD\r\n0 @I2@ INDI\r\n0 @I2@ INDI\r\n1 NOTE " + std::string(300, 'x') +
                         "\r\n0 TRLR\r\n\x1A\r\n0 @I3@ INDI\r\n");
    const Finished plain = run({input, output});
    EXPECT_EQ(plain.status, 0);
    const std::string shortLines =
        "1 ligne coupée à 255 octets, voir le journal " + dir.file("Logbrelin-cli.log") +
        "\n1 ligne après la ligne de fin (0 TRLR) a été laissée de côté : ligne 6.\n"
        "1 enregistrement placé après la ligne de fin (0 TRLR) est gardé : il est écrit avant "
        "elle.\n"
        "1 identifiant figure sur plusieurs lignes de niveau 0 : @I2@ (lignes 2 et 3).\n";
    EXPECT_EQ(plain.out.substr(plain.out.find('\n', plain.out.find("Fichier écrit")) + 1),
              shortLines);

    const Finished full = run({"--force", "--report", input, output});
    EXPECT_EQ(full.status, 0);
    EXPECT_NE(full.out.find(shortLines + "\nRapport de Brelin"), std::string::npos) << full.out;
    EXPECT_NE(full.out.find("  ligne 4 (@I2@)\n"), std::string::npos) << full.out;

    const Finished json = run({"--force", "--json", input, output});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.substr(0, 53),
              "{\"lines_read\":7,\"records\":{\"individuals\":3,\"families\"");
    EXPECT_NE(json.out.find("\"cut_lines\":[{\"line\":4,\"record\":\"@I2@\"}]"), std::string::npos);
    EXPECT_EQ(json.out.find('\n'), json.out.size() - 1);
    EXPECT_EQ(readFile(output), testing::expectedOutput(readFile(input)));
}

// --check reads and reports as a run would, and its status says whether something deserves
// attention; it leaves the program's folder byte for byte as it was: no output, no log, no
// database, even where an earlier run left one (or a file named as SQLite names a database in
// memory, in the folder it runs in).
TEST_F(CommandLineTest, CheckWritesNothingAndItsStatusTellsWhetherToLook) {
    writeFile(dir.file("Logbrelin-cli.log"), "the last run's log");
    writeFile(dir.file("brelin-cli.db"), "the last run's database");
    writeFile(dir.file(":memory:"), "a file of the user's");
    writeFile(dir.file("propre.ged"), "0 HEAD\r\n0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n");
    writeFile(dir.file("heredis.ged"),
              "0 HEAD\r\n0 @2I@ INDI\r\n0 @1U@ FAM\r\n0 @1I@ INDI\r\n0 TRLR\r\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* told;  // on standard output, or standard error for a failure
    };
    const Case cases[] = {
        {{"--check", dir.file("propre.ged")}, 0, "Fichier vérifié : "},
        {{"--check", input}, 3, "1 ligne de plus de 255 octets serait coupée"},
        {{"--check", "--conc", input}, 3, "serait continuée sur des lignes CONC"},
        {{"--check", "--json", input}, 3, "\"cut_lines\":[{\"line\":23"},
        {{"--check", "--report", input}, 3, "lignes qui seraient écrites sont celles"},
        {{"--check", dir.file("heredis.ged")},
         3,
         "2 individus (INDI) et 1 famille (FAM) seraient regroupés par leur étiquette"},
        {{"--check", "--json", dir.file("heredis.ged")},
         3,
         "\"numbered_by_tag\":{\"INDI\":2,\"FAM\":1}"},
        {{"--check", dir.file("absent.ged")}, 1, "absent.ged"},
        {{"--check", input, output}, 2, "Usage"},
    };
    const std::string previous = fs::current_path();
    fs::current_path(dir.path());
    for (const bool earlierDatabase : {true, false}) {
        if (!earlierDatabase) fs::remove(dir.file("brelin-cli.db"));
        const auto before = folderBytes();
        for (const Case& c : cases) {
            const Finished finished = run(c.args);
            EXPECT_EQ(finished.status, c.status) << c.args.back() << finished.err;
            const std::string& told = c.status == 0 || c.status == 3 ? finished.out : finished.err;
            EXPECT_NE(told.find(c.told), std::string::npos) << told;
            EXPECT_EQ(folderBytes(), before) << c.args.back();
        }
    }
    fs::current_path(previous);
}

TEST_F(CommandLineTest, ARenamedCopyNamesItsFilesAfterItself) {
    const std::string copy = testing::copyCli(dir.path(), "outil");
    const testing::ProcessResult finished = testing::runProcess(copy, {input, output});
    EXPECT_EQ(finished.exitCode, 0) << finished.err;
    EXPECT_TRUE(fs::exists(dir.file("outil.db")));
    EXPECT_TRUE(fs::exists(dir.file("Logoutil.log")));
    EXPECT_FALSE(fs::exists(dir.file("Logbrelin-cli.log")));
}

TEST_F(CommandLineTest, VersionAndHelp) {
    EXPECT_EQ(run({"--version"}).out, "Brelin version 1.0.1\n");
    const Finished help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--force"), std::string::npos);
    EXPECT_NE(help.out.find("\n  --  "), std::string::npos) << help.out;
}

// What was wrong, then the usage.
TEST_F(CommandLineTest, AWrongCommandLineSaysWhatWasWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "il manque ENTRÉE et SORTIE"},
        {{"famille.ged"}, "il manque SORTIE"},
        {{"a.ged", "b.ged", "c.ged"}, "(3 donnés)"},
        {{"--bogus", "a.ged", "b.ged"}, "option inconnue « --bogus »"},
    };
    for (const auto& [args, told] : cases) {
        const Finished finished = run(args);
        EXPECT_EQ(finished.status, 2);
        const size_t usage = finished.err.find("\nUsage : brelin-cli ");
        EXPECT_NE(usage, std::string::npos) << finished.err;
        EXPECT_NE(finished.err.substr(0, usage).find(told), std::string::npos) << finished.err;
        EXPECT_EQ(finished.out, "");
    }
}

TEST_F(CommandLineTest, FilesAfterTheEndOfOptionsMayStartWithADash) {
    const std::string dashed = dir.file("-famille.ged");
    fs::rename(input, dashed);
    EXPECT_EQ(run({"-famille.ged", output}).status, 2);  // an unknown option
    // Relative names, as a user types them: the program runs in the test's folder.
    const std::string previous = fs::current_path();
    fs::current_path(dir.path());
    const Finished finished = run({"--", "-famille.ged", "-sortie.ged"});
    fs::current_path(previous);
    EXPECT_EQ(finished.status, 0) << finished.err;
    EXPECT_EQ(readFile(dir.file("-sortie.ged")), testing::expectedOutput(readFile(dashed)));
}

TEST_F(CommandLineTest, OutputNamingTheInputIsRefusedUnderAnySpelling) {
    writeFile(dir.file("Logbrelin-cli.log"), "previous log");
    fs::create_symlink(input, dir.file("lien.ged"));
    fs::create_hard_link(input, dir.file("dur.ged"));
    const std::string before = readFile(input);
    for (const std::string& same :
         {input, dir.path() + "/./famille.ged", dir.file("lien.ged"), dir.file("dur.ged")}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{input, same},
              std::vector<std::string>{"--force", input, same}}) {
            const Finished finished = run(args);
            EXPECT_EQ(finished.status, 2) << same;
            EXPECT_EQ(finished.err,
                      "Le fichier de sortie DOIT être différent du fichier d'entrée. (« " + same +
                          " »)\n");
        }
    }
    EXPECT_EQ(readFile(input), before);
    EXPECT_EQ(readFile(dir.file("Logbrelin-cli.log")), "previous log");
}

TEST_F(CommandLineTest, ExistingOutputNeedsForce) {
    writeFile(output, "old");
    writeFile(dir.file("Logbrelin-cli.log"), "previous log");
    const Finished refused = run({input, output});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "Un fichier du même nom existe déjà. (« " + output +
                               " ») Ajoutez --force pour le remplacer.\n");
    EXPECT_EQ(readFile(output), "old");
    EXPECT_EQ(readFile(dir.file("Logbrelin-cli.log")), "previous log");
    EXPECT_EQ(run({"-f", input, output}).status, 0);
    EXPECT_EQ(readFile(output), testing::expectedOutput(readFile(input)));
}

TEST_F(CommandLineTest, FailuresNameTheFileAndLeaveNothingBehind) {
    struct Case {
        std::string input;
        std::string output;
        std::string named;
    };
    fs::create_directory(dir.file("dossier"));
    writeFile(dir.file("vide.ged"), "");
    const Case cases[] = {
        {dir.file("absent.ged"), output, dir.file("absent.ged")},
        {dir.file("dossier"), output, dir.file("dossier")},
        {dir.file("vide.ged"), output, dir.file("vide.ged")},
        {input, dir.file("absent/sortie.ged"), dir.file("absent/sortie.ged")},
        {input, dir.file("dossier"), dir.file("dossier")},
    };
    for (const Case& c : cases) {
        const Finished finished = run({"--force", c.input, c.output});
        EXPECT_EQ(finished.status, 1) << c.input << " -> " << c.output;
        EXPECT_NE(finished.err.find("« " + c.named + " »"), std::string::npos) << finished.err;
        EXPECT_FALSE(fs::exists(output));
    }
    // The example's long line was cut before each failed write: no log tells of it.
    EXPECT_EQ(otherFiles(), (std::vector<std::string>{"dossier", "famille.ged", "vide.ged"}));
}

TEST_F(CommandLineTest, AFiftyMegabyteLineIsCutAndLoggedInBoundedMemory) {
    {
        std::FILE* file = std::fopen(input.c_str(), "wb");
        std::fputs("0 HEAD\r\n1 NOTE ", file);
        const std::string chunk(1 << 20, 'n');
        for (int i = 0; i < 50; ++i) std::fwrite(chunk.data(), 1, chunk.size(), file);
        std::fputs("\r\n0 TRLR\r\n", file);
        std::fclose(file);
    }
    const testing::ProcessResult finished =
        testing::runProcess(testing::copyCli(dir.path()), {input, output});
    EXPECT_EQ(finished.exitCode, 0) << finished.err;
    EXPECT_EQ(readFile(output), "0 HEAD\r\n1 NOTE " + std::string(248, 'n') + "\r\n0 TRLR\r\n");
    EXPECT_NE(readFile(dir.file("Logbrelin-cli.log")).find("La ligne 2 "), std::string::npos);
    EXPECT_LT(finished.maxRssKiB, 64 * 1024);
}

TEST_F(CommandLineTest, InterruptWritesNothingAndKeepsTheLastLogAndReport) {
    writeFile(dir.file("Logbrelin-cli.log"), "the last run's log");
    writeFile(dir.file("Rapportbrelin-cli.txt"), "the last run's report");
    {
        std::FILE* file = std::fopen(input.c_str(), "wb");
        // A long line first: the run is writing its log when it is interrupted.
        std::fputs(("0 HEAD\r\n1 NOTE " + std::string(300, 'x') + "\r\n").c_str(), file);
        for (int i = 0; i < 2000000; ++i)
            std::fprintf(file, "0 @I%d@ INDI\r\n1 NAME X\r\n", 2000000 - i);
        std::fputs("0 TRLR\r\n", file);
        std::fclose(file);
    }
    testing::ChildProcess cli(testing::copyCli(dir.path()), {input, output});
    // The handler is in place once the database file exists.
    while (!fs::exists(dir.file("brelin-cli.db"))) usleep(1000);
    usleep(20000);
    cli.kill(SIGINT);
    const testing::ProcessResult finished = cli.wait();
    if (finished.exitCode == 0) {
        GTEST_SKIP() << "the run ended before the interrupt arrived";
    }
    EXPECT_EQ(finished.exitCode, 130) << finished.err;
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(otherFiles(), (std::vector<std::string>{"Logbrelin-cli.log", "Rapportbrelin-cli.txt",
                                                      "famille.ged"}));
    EXPECT_EQ(readFile(dir.file("Logbrelin-cli.log")), "the last run's log");
    EXPECT_EQ(readFile(dir.file("Rapportbrelin-cli.txt")), "the last run's report");
}

}  // namespace
}  // namespace brelin

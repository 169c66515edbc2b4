// What the user is told after runs of damaged inputs: the notice's lines and the report say what
// was seen, without contradicting themselves or hiding the cause.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "attention.h"
#include "error_text.h"
#include "report_text.h"
#include "run_fixture.h"

namespace brelin {
namespace {

using testing::crlf;

class ToldTest : public testing::RunFixture {
protected:
    // The notice's lines and the report of a run of input, as one text; or the failure's
    // sentence.
    std::string told(const std::string& input) {
        const RunResult result = convert(input);
        if (result.error) return text::describe(*result.error);
        std::string all;
        for (const std::string& line : text::attentionLines(result.report, text::Voice::Notice))
            all += line + "\n";
        return all + text::reportText(result);
    }
};

TEST_F(ToldTest, SaysWhatWasSeen) {
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::string input;
        std::vector<std::string> said;
        std::vector<std::string> notSaid;
    } cases[] = {
        {"a UTF-8 mark on ANSI bytes",
         mark + crlf({"0 HEAD", "1 CHAR ANSI", "0 @I1@ INDI", "1 NAME Andr\xE9", "0 TRLR"}),
         {"annonce de l'UTF-8 par sa marque d'ordre des octets et déclare « 1 CHAR ANSI » ; 1 de "
          "ses lignes n'est pas de l'UTF-8 : c'est la marque qui ne correspond pas aux octets",
          "ce qui ne correspond pas à sa marque d'ordre des octets"},
         {"Le codage déclaré (1 CHAR ANSI)"}},
        {"one bad byte in a UTF-8 file",
         crlf({"0 HEAD", "1 CHAR UTF-8", "0 @I1@ INDI", "1 NAME \xC3\xA9lise", "1 NOTE caf\xE9",
               "0 TRLR"}),
         {"ne correspond pas aux octets de 1 ligne du fichier, qui ne sont pas de l'UTF-8",
          "Codage vu dans les octets : pas de l'UTF-8 sur 1 ligne, ce qui ne correspond pas à sa "
          "déclaration (1 CHAR)"},
         {"aux octets du fichier, qui ne sont pas", "8 bits"}},
        {"two UTF-8 marks",
         mark + mark + crlf({"0 HEAD", "0 TRLR"}),
         {"commence par deux marques d'ordre des octets UTF-8"},
         {"niveau 0."}},
        {"lines after the trailer",
         crlf({"0 HEAD", "0 @I1@ INDI", "0 TRLR", "x", "", "y", "z"}),
         {"3 lignes après la ligne de fin (0 TRLR) ont été laissées de côté, la première est la "
          "ligne 4.",
          "laissées de côté : 3 (lignes 4, 6 et 7)"},
         {}},
        {"a record after the trailer, in order",
         crlf({"0 HEAD", "0 @I1@ INDI", "0 TRLR", "0 @I2@ INDI"}),
         {"est gardé : il est écrit avant elle."},
         {"remis en ordre"}},
        {"a record after the trailer, out of order",
         crlf({"0 HEAD", "0 @I2@ INDI", "0 TRLR", "0 @I1@ INDI"}),
         {"est gardé et remis en ordre."},
         {}},
        {"counts of nothing",
         crlf({"0 @I1@ INDI", "0 TRLR"}),
         {"Lignes de l'en-tête : aucune\n", "Lignes vides laissées de côté : aucune\n",
          "(0 TRLR) laissées de côté : aucune\n", "(0 TRLR), gardés : aucun\n"},
         {" : 0\n"}},
        {"a record without a tag", crlf({"0 HEAD", "0 @I0003", "0 TRLR"}), {}, {" ,"}},
    };
    for (const auto& c : cases) {
        const std::string text = told(c.input);
        for (const std::string& words : c.said)
            EXPECT_NE(text.find(words), std::string::npos) << c.name << ": " << text;
        for (const std::string& words : c.notSaid)
            EXPECT_EQ(text.find(words), std::string::npos) << c.name << ": " << text;
    }
}

}  // namespace
}  // namespace brelin

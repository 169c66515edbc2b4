// What deserves attention after a run: one list, told alike by every front end, each in its own
// voice; and the report's lists, cut after twenty items.
#include "attention.h"

#include <gtest/gtest.h>

#include "report_text.h"

namespace brelin {
namespace {

struct AttentionCase {
    const char* name;
    RunReport report;
    std::vector<const char*> inEveryVoice;  // a part of each line, in order
};

RunReport withTrailer() {
    RunReport report;
    report.trailer = true;
    return report;
}

std::vector<AttentionCase> cases() {
    RunReport clean = withTrailer();
    RunReport cut = withTrailer();
    cut.cutLines = {{12, "@I1@"}, {40, "@I2@"}};
    RunReport continued = withTrailer();
    continued.continuedLines = {{7, "HEAD"}};
    RunReport everything;
    everything.cutLines = {{3, "@I1@"}};
    everything.continuedLines = {{5, "@I1@"}, {6, "@I1@"}};
    everything.linesAfterTrailer = 2;
    everything.duplicateXrefs = {{"@I1@", {2, 9}}};
    everything.invalidUtf8Lines = {4};
    RunReport told = withTrailer();
    told.gedcomVersion = "7.0";
    told.version7 = true;
    told.recordsAfterTrailer = 3;
    told.groupMismatches = {{2, "@P1@", "INDI", gedcom::LineKind::Ordinary},
                            {3, "@P2@", "INDI", gedcom::LineKind::Ordinary},
                            {4, "@I5@", "OBJE", gedcom::LineKind::Individual}};
    told.missingPointers = {{8, "@F9@"}, {9, "@F8@"}};
    told.declaredChar = "ANSI";
    told.encodingSeen = gedcom::TextBytes::Utf8;
    told.encodingMismatch = true;
    told.splitCharacters = {11};
    told.concRepaired = 1;
    return {
        {"Clean", clean, {}},
        {"Cut", cut, {"2 ligne"}},
        {"Continued", continued, {"1 ligne", "CONC"}},
        {"Everything",
         everything,
         {"1 ligne", "2 ligne", "2 lignes après la ligne de fin", "pas de ligne de fin",
          "@I1@ (lignes 2 et 9)", "ligne 4"}},
        {"WhatTheBytesAndRecordsTell",
         told,
         {"GEDCOM 7.0 : ses lignes sont gardées entières",
          "3 enregistrements placés après la ligne de fin",
          "2 individus (INDI) ne sont pas numérotés @I…@ : ils restent à leur place ; 1 "
          "enregistrement OBJE numéroté @I…@ est placé parmi les individus.",
          "2 pointeurs renvoient à des enregistrements absents du fichier, le premier est @F9@ "
          "(ligne 8)",
          "déclare « 1 CHAR ANSI » ; ses octets sont de l'UTF-8 : c'est la déclaration qui ne "
          "correspond pas aux octets",
          "1 ligne CONC commence au milieu d'un caractère UTF-8 coupé avec la ligne précédente : "
          "ligne 11 ; 1 coupure "}},
    };
}

TEST(AttentionLines, SameFindingsInBothVoices) {
    const std::string log = "/p/Logbrelin-cli.log";
    for (const AttentionCase& c : cases()) {
        const auto terminal = text::attentionLines(c.report, text::Voice::CommandLine, log);
        const auto notice = text::attentionLines(c.report, text::Voice::Notice);
        const auto check = text::attentionLines(c.report, text::Voice::Check, log);
        ASSERT_EQ(terminal.size(), findings(c.report).size()) << c.name;
        ASSERT_EQ(notice.size(), terminal.size()) << c.name;
        ASSERT_EQ(check.size(), terminal.size()) << c.name;
        for (size_t i = 0; i < terminal.size(); ++i) {
            const std::string part = c.inEveryVoice.size() > i ? c.inEveryVoice[i] : "";
            EXPECT_NE(terminal[i].find(part), std::string::npos) << c.name << ": " << terminal[i];
            EXPECT_NE(notice[i].find(part), std::string::npos) << c.name << ": " << notice[i];
            EXPECT_NE(check[i].find(part), std::string::npos) << c.name << ": " << check[i];
        }
        // The terminal names the log where it lists lines; the notice offers it by a button; a
        // check writes none.
        for (const std::string& line : notice) EXPECT_EQ(line.find(log), std::string::npos);
        for (const std::string& line : check) EXPECT_EQ(line.find("journal"), std::string::npos);
    }
    const auto cutTerminal = text::attentionLines(cases()[1].report, text::Voice::CommandLine, log);
    EXPECT_NE(cutTerminal[0].find(log), std::string::npos);
}

// The terminal counts in good French; the notice says what a cut costs.
TEST(AttentionLines, CountsAgreeWithTheirNumber) {
    const struct {
        size_t cut;
        size_t continued;
        const char* terminal;
        const char* notice;
    } cases[] = {
        {1, 0, "1 ligne coupée à 255", "sa fin n'est pas dans le fichier écrit"},
        {23, 0, "23 lignes coupées à 255", "leur fin n'est pas dans le fichier écrit"},
        {0, 1, "1 ligne continuée sur", "1 ligne de plus de 255 octets a été continuée"},
        {0, 2, "2 lignes continuées sur", "2 lignes de plus de 255 octets ont été"},
    };
    for (const auto& c : cases) {
        RunReport report = withTrailer();
        report.cutLines.assign(c.cut, {5, "@I1@"});
        report.continuedLines.assign(c.continued, {6, "@I1@"});
        const auto terminal = text::attentionLines(report, text::Voice::CommandLine, "/p/log");
        const auto notice = text::attentionLines(report, text::Voice::Notice);
        ASSERT_EQ(terminal.size(), 1u);
        EXPECT_EQ(terminal[0].rfind(c.terminal, 0), 0u) << terminal[0];
        EXPECT_EQ(terminal[0].find("(s)"), std::string::npos) << terminal[0];
        EXPECT_NE(notice[0].find(c.notice), std::string::npos) << notice[0];
    }
}

// A cut is measured in bytes and told so in every voice, never in characters; where the bytes
// are UTF-8, each sentence says that an accented letter counts two.
TEST(AttentionLines, ACutIsToldInBytesWithAWordOnAccentsWhereTheBytesAreUtf8) {
    const struct {
        gedcom::TextBytes seen;
        bool utf8File;
        bool accents;
    } cases[] = {
        {gedcom::TextBytes::Ascii, false, false},  {gedcom::TextBytes::EightBit, false, false},
        {gedcom::TextBytes::Utf8, false, true},    {gedcom::TextBytes::Utf8, true, true},
        {gedcom::TextBytes::EightBit, true, true},
    };
    for (const auto& c : cases) {
        for (const bool cut : {true, false}) {
            RunReport report = withTrailer();
            report.encodingSeen = c.seen;
            report.utf8 = c.utf8File;
            (cut ? report.cutLines : report.continuedLines) = {{4, "@I1@"}, {9, "@I2@"}};
            for (const text::Voice voice :
                 {text::Voice::Notice, text::Voice::CommandLine, text::Voice::Check}) {
                const std::string line = text::attentionLines(report, voice, "/p/log").at(0);
                // The terminal's short line for continued lines gives no measure.
                const bool measured = cut || voice != text::Voice::CommandLine;
                EXPECT_EQ(line.find("255 octets") != std::string::npos, measured) << line;
                EXPECT_EQ(line.find("caractère"), std::string::npos) << line;
                EXPECT_EQ(line.find("une lettre accentuée en compte deux") != std::string::npos,
                          c.accents && measured)
                    << line;
            }
        }
    }
}

// Records grouped by tag: said in every voice, the words agreeing with the records, the first
// identifiers given; the report lists each tag.
TEST(AttentionLines, NumberedByTagAgreesWithItsRecords) {
    const struct {
        std::vector<TagNumbering> tags;
        const char* notice;
        const char* check;
    } cases[] = {
        {{{"INDI", 22, "@3I@"}, {"FAM", 1, "@181U@"}},
         "22 individus (INDI) et 1 famille (FAM) ont été regroupés par leur étiquette et rangés "
         "selon le numéro de leur identifiant, comme @3I@ et @181U@.",
         "22 individus (INDI) et 1 famille (FAM) seraient regroupés par leur étiquette"},
        {{{"FAM", 1, "@181U@"}},
         "1 famille (FAM) a été regroupée par son étiquette et rangée selon le numéro de son "
         "identifiant, @181U@.",
         "1 famille (FAM) serait regroupée par son étiquette"},
        {{{"SOUR", 2, "@S\x01@"}, {"SNOTE", 3, "@X1@"}},
         "2 sources (SOUR) et 3 notes (SNOTE) ont été regroupées par leur étiquette et rangées",
         "seraient regroupées"},
    };
    for (const auto& c : cases) {
        RunReport report = withTrailer();
        report.numberedByTag = c.tags;
        const auto notice = text::attentionLines(report, text::Voice::Notice);
        const auto terminal = text::attentionLines(report, text::Voice::CommandLine, "/p/log");
        const auto check = text::attentionLines(report, text::Voice::Check);
        ASSERT_EQ(notice.size(), 1u);
        EXPECT_EQ(notice[0].rfind(c.notice, 0), 0u) << notice[0];
        EXPECT_EQ(terminal, notice);
        EXPECT_NE(check[0].find(c.check), std::string::npos) << check[0];
    }
    RunResult result;
    result.report.numberedByTag = cases[0].tags;
    EXPECT_NE(text::reportText(result).find(
                  "numéro de leur identifiant : INDI 22 (le premier : @3I@), FAM 1 (le premier : "
                  "@181U@)\n"),
              std::string::npos)
        << text::reportText(result);
}

TEST(ReportText, ListsStopAtTwentyThenSayHowManyMore) {
    RunResult result;
    for (int64_t i = 1; i <= 23; ++i) result.report.cutLines.push_back({i * 10, "@I1@"});
    result.report.trailer = true;
    const std::string text = text::reportText(result);
    EXPECT_NE(text.find("  ligne 200 (@I1@)\n  et 3 autres\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("ligne 210"), std::string::npos);
}

}  // namespace
}  // namespace brelin

// What a GEDCOM line is: where it may be cut, what its bytes show, which value is a pointer,
// what the header says, which lines after the trailer are taken, and a character split between
// a line and its CONC line.
#include "gedcom_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gedcom_file.h"
#include "line_continuation.h"

namespace brelin::gedcom {
namespace {

const std::string kEuro = "\xE2\x82\xAC";
const std::string kSmiley = "\xF0\x9F\x98\x80";

// A UTF-8 character of every length, put at every place around the cut at 255: a cut that would
// split it moves back to its first byte, under both rules that see UTF-8; 8-bit bytes never move
// it.
TEST(CutLength, NeverInsideAUtf8CharacterWhateverTheFileDeclares) {
    for (const std::string& character : {std::string("\xC3\xA9"), kEuro, kSmiley}) {
        for (size_t start = 250; start <= 256; ++start) {
            const std::string line = std::string(start, 'a') + character + "bcd";
            const bool split = start < 255 && start + character.size() > 255;
            const size_t expected = split ? start : 255;
            const std::string head = line.substr(0, 258);
            EXPECT_EQ(cutLength(head, line.size(), LineRule::Bytes), expected)
                << character.size() << " bytes at " << start;
            EXPECT_EQ(cutLength(head, line.size(), LineRule::Utf8), expected)
                << character.size() << " bytes at " << start;
            EXPECT_EQ(cutLength(head, line.size(), LineRule::Whole), line.size());
        }
    }
}

TEST(CutLength, EightBitBytesAreCutAt255AsBefore) {
    struct Case {
        std::string tail;  // from byte 251
        size_t bytesRule;
        size_t utf8Rule;
    };
    const Case cases[] = {
        {"aa\xE9\xE9\xE9\xE9", 255, 255},     // Windows-1252 é: no continuation byte
        {"aaa\xE2\x65\xE2", 255, 255},        // ANSEL accents before their letter
        {"\x80\x80\x80\x80\x80x", 255, 255},  // stray continuation bytes
        {"aa\xC3\x80\x80zz", 255, 253},       // a character, then a stray byte at 255
        {"aaa\xC3\xA9zz", 254, 254},          // the rare pair that reads as one character
    };
    for (const Case& c : cases) {
        const std::string line = std::string(251, 'a') + c.tail;
        EXPECT_EQ(cutLength(line, line.size(), LineRule::Bytes), c.bytesRule) << c.tail;
        EXPECT_EQ(cutLength(line, line.size(), LineRule::Utf8), c.utf8Rule) << c.tail;
    }
    EXPECT_EQ(cutLength(std::string(255, 'a'), 255, LineRule::Bytes), 255u);
}

TEST(TextBytes, WholeOrInPiecesTheSameVerdict) {
    const std::pair<std::string, TextBytes> cases[] = {
        {"1 NAME Jean", TextBytes::Ascii},
        {"1 NAME " + kEuro + "\xC3\xA9" + kSmiley, TextBytes::Utf8},
        {"1 NAME Andr\xE9", TextBytes::EightBit},
        {"1 NAME \xC3", TextBytes::EightBit},          // cut short
        {"1 NAME \xED\xA0\x80", TextBytes::EightBit},  // a surrogate
        {"1 NAME \xC0\xAF", TextBytes::EightBit},      // overlong
    };
    for (const auto& [text, verdict] : cases) {
        EXPECT_EQ(textBytes(text), verdict) << text;
        for (size_t piece = 1; piece <= 3; ++piece) {
            TextBytesScan scan;
            for (size_t i = 0; i < text.size(); i += piece) scan.add(text.substr(i, piece));
            EXPECT_EQ(scan.result(), verdict) << text << " in pieces of " << piece;
        }
    }
}

TEST(PointerValue, ExactlyOneXrefIsAPointer) {
    const std::pair<const char*, const char*> cases[] = {
        {"1 FAMS @F12@", "@F12@"},
        {"2 SOUR @S3@ ", "@S3@"},
        {"  1 ASSO @I1@", "@I1@"},
        {"0 @N1@ NOTE @N2@", "@N2@"},
        {"1 FAMC @VOID@", nullptr},  // GEDCOM 7's null pointer
        {"1 NOTE @@", nullptr},      // an escaped "@"
        {"1 NOTE adresse@@exemple.fr", nullptr},
        {"1 NOTE @@I1@@", nullptr},
        {"2 DATE @#DJULIAN@", nullptr},
        {"1 NOTE @I1@ et @I2@", nullptr},
        {"2 CONC @I1@", nullptr},  // continued text
        {"2 CONT @I1@", nullptr},
        {"0 @I1@ INDI", nullptr},
        {"1 FAMS", nullptr},
    };
    for (const auto& [line, pointer] : cases) {
        const auto value = pointerValue(line);
        if (pointer) {
            EXPECT_EQ(value, std::string_view(pointer)) << line;
        } else {
            EXPECT_EQ(value, std::nullopt) << line;
        }
    }
}

struct HeaderCase {
    std::vector<std::string> lines;
    std::optional<std::string> version;
    std::optional<std::string> declared;
    LineRule rule;
};

TEST(HeaderFacts, VersionUnderGedcAndTheRuleItGives) {
    const HeaderCase cases[] = {
        {{"0 HEAD", "1 GEDC", "2 VERS 7.0", "0 @I1@ INDI", "1 CHAR UTF-8"},
         "7.0",
         {},
         LineRule::Whole},
        {{"0 HEAD", "1 SOUR X", "2 VERS 7.0", "1 GEDC", "2 VERS 5.5.1 ", "1 CHAR ANSEL"},
         "5.5.1",
         "ANSEL",
         LineRule::Bytes},
        {{"0 HEAD", "1 CHAR UTF-8", "1 GEDC", "2 FORM LINEAGE-LINKED", "2 VERS 5.5"},
         "5.5",
         "UTF-8",
         LineRule::Utf8},
        {{"  0 HEAD", "    1 GEDC", "      2 VERS 7.1"}, "7.1", {}, LineRule::Whole},
        {{"0 HEAD", "1 GEDC", "1 VERS 7.0", "0 @S1@ SUBM", "1 GEDC", "2 VERS 7.0"},
         {},
         {},
         LineRule::Bytes},
    };
    for (const HeaderCase& c : cases) {
        HeaderFacts header;
        for (const std::string& line : c.lines) {
            if (!header.take(line)) break;
        }
        EXPECT_EQ(header.version(), c.version) << c.lines[2];
        EXPECT_EQ(header.declaredChar(), c.declared) << c.lines[2];
        EXPECT_EQ(lineRuleFor(false, header), c.rule) << c.lines[2];
    }
    EXPECT_EQ(lineRuleFor(true, HeaderFacts()), LineRule::Utf8);
}

TEST(TrailerGate, RecordsAfterTheTrailerAreTakenTheRestLeftOut) {
    const std::vector<std::string> lines = {
        "0 HEAD", "0 @I1@ INDI",  "0 TRLR",      "\x1A",        "1 NAME orphan",
        "0 TRLR", "0 @I2@ INDI",  "1 NAME B",    "0 @R1@ REPO", "0 TRLR",
        "0 TRLR", " 0 @I3@ INDI", "0 @I4@ INDI", "0 HEAD"};
    // T: taken, L: left out, H: a second header.
    const std::string expected = "TTTLLLTTTLLLTH";
    TrailerGate gate;
    std::string verdicts;
    for (const std::string& line : lines) {
        const auto verdict = gate.pass(line);
        verdicts += verdict == TrailerGate::Verdict::Take       ? 'T'
                    : verdict == TrailerGate::Verdict::LeaveOut ? 'L'
                                                                : 'H';
    }
    EXPECT_EQ(verdicts, expected);
    TrailerGate marked;
    marked.pass("0 TRLR");
    EXPECT_EQ(marked.pass("\xEF\xBB\xBF"
                          "0 HEAD"),
              TrailerGate::Verdict::SecondHeader);
}

struct SplitCase {
    std::string line;
    std::string conc;
    std::optional<SplitCharacter> split;
    std::string mendedLine;  // empty: not mended
    std::string mendedConc;
};

TEST(SplitCharacter, FoundOnlyAcrossAConcJoinAndMendedToTheNearestBoundary) {
    const std::string full(248, 'a');  // "1 NOTE " + 248 bytes: 255, no room left
    const std::vector<SplitCase> cases = {
        {"1 NOTE caf\xC3", "2 CONC \xA9noir", SplitCharacter{1, 1}, "1 NOTE caf\xC3\xA9",
         "2 CONC noir"},
        // A blank beside the nearest boundary: the other one is taken.
        {"1 NOTE prix\xE2\x82", "2 CONC \xAC net", SplitCharacter{2, 1}, "1 NOTE prix",
         "2 CONC \xE2\x82\xAC net"},
        {"1 NOTE x\xF0", "2 CONC \x9F\x98\x80y", SplitCharacter{1, 3}, "1 NOTE x",
         "2 CONC \xF0\x9F\x98\x80y"},
        // The line is full: the character's first byte goes on to the CONC line.
        {"1 NOTE " + full.substr(1) + "\xC3", "2 CONC \xA9z", SplitCharacter{1, 1},
         "1 NOTE " + full.substr(1), "2 CONC \xC3\xA9z"},
        {"1 NOTE caf\xC3", "2 CONT \xA9", std::nullopt, "", ""},  // CONT: a line break
        {"1 NOTE caf\xC3", "2 CONC e", std::nullopt, "", ""},     // not its continuation
        {"1 NOTE caf\xE9", "2 CONC te", std::nullopt, "", ""},    // Windows-1252
    };
    for (const SplitCase& c : cases) {
        const auto split = splitCharacter(c.line, c.conc);
        ASSERT_EQ(split.has_value(), c.split.has_value()) << c.line;
        if (!split) continue;
        EXPECT_EQ(split->before, c.split->before);
        EXPECT_EQ(split->after, c.split->after);
        std::string line = c.line;
        std::string conc = c.conc;
        ASSERT_TRUE(mendSplitCharacter(line, conc, *split)) << c.line;
        EXPECT_EQ(line, c.mendedLine);
        EXPECT_EQ(conc, c.mendedConc);
    }
    // Both lines full: nothing can move.
    std::string line = "1 NOTE " + full.substr(1) + "\xC3";
    std::string conc = "2 CONC \xA9" + std::string(247, 'b');
    EXPECT_FALSE(mendSplitCharacter(line, conc, *splitCharacter(line, conc)));
    EXPECT_EQ(conc.size(), 255u);
}

}  // namespace
}  // namespace brelin::gedcom

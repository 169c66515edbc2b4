// Implementation details: one function a finding, which words it in every voice; the table
// below gives each finding its function, in the order of Finding.
#include "attention.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "groups.h"
#include "printable.h"

namespace brelin::text {

namespace {

using Wording = Sentences (*)(const RunReport& report, const std::string& logPath);

int64_t sizeOf(const auto& list) {
    return static_cast<int64_t>(list.size());
}

Sentences version7(const RunReport& report, const std::string&) {
    return {"Le fichier est en GEDCOM " + printableText(report.gedcomVersion.value_or("7")) +
            " : ses lignes sont gardées entières, quelle que soit leur longueur, et un logiciel "
            "qui lit le GEDCOM 5.5.1 pourrait ne pas l'accepter."};
}

// A line is long past 255 bytes: where the file's letters may take two bytes (UTF-8 bytes
// seen), the sentence says so, for a line of fewer characters than that.
std::string bytesLimit(const RunReport& report, const char* before) {
    const bool accents = report.encodingSeen == gedcom::TextBytes::Utf8 ||
                         (report.utf8 && report.encodingSeen == gedcom::TextBytes::EightBit);
    return std::string(before) + "255 octets" +
           (accents ? " (une lettre accentuée en compte deux)" : "");
}

Sentences linesCut(const RunReport& report, const std::string& logPath) {
    const int64_t n = sizeOf(report.cutLines);
    const bool one = n == 1;
    const std::string over = bytesLimit(report, " de plus de ");
    return {one ? "1 ligne" + over +
                      " a été coupée : sa fin n'est pas dans le fichier écrit (le journal la "
                      "signale)."
                : std::to_string(n) + " lignes" + over +
                      " ont été coupées : leur fin n'est pas dans le fichier écrit (le journal en "
                      "donne la liste).",
            countText(n, "ligne coupée", "lignes coupées") + bytesLimit(report, " à ") +
                ", voir le journal " + logPath,
            one ? "1 ligne" + over + " serait coupée (--conc la continuerait sur des lignes CONC)."
                : std::to_string(n) + " lignes" + over +
                      " seraient coupées (--conc les continuerait sur des lignes CONC)."};
}

Sentences linesContinued(const RunReport& report, const std::string& logPath) {
    const int64_t n = sizeOf(report.continuedLines);
    const bool one = n == 1;
    const std::string over = bytesLimit(report, " de plus de ");
    return {
        one ? "1 ligne" + over + " a été continuée sur des lignes CONC (le journal la signale)."
            : std::to_string(n) + " lignes" + over +
                  " ont été continuées sur des lignes CONC (le journal en donne la liste).",
        countText(n, "ligne continuée", "lignes continuées") +
            " sur des lignes CONC, voir le journal " + logPath,
        one ? "1 ligne" + over + " serait continuée sur des lignes CONC."
            : std::to_string(n) + " lignes" + over + " seraient continuées sur des lignes CONC."};
}

Sentences linesAfterTrailer(const RunReport& report, const std::string&) {
    const int64_t n = report.linesAfterTrailer;
    const std::string first = report.firstLinesAfterTrailer.empty()
                                  ? std::string()
                                  : std::to_string(report.firstLinesAfterTrailer.front());
    if (first.empty()) {
        return {n == 1 ? "1 ligne après la ligne de fin (0 TRLR) a été laissée de côté."
                       : std::to_string(n) +
                             " lignes après la ligne de fin (0 TRLR) ont été laissées de côté."};
    }
    return {n == 1 ? "1 ligne après la ligne de fin (0 TRLR) a été laissée de côté : ligne " +
                         first + "."
                   : std::to_string(n) +
                         " lignes après la ligne de fin (0 TRLR) ont été laissées de côté, la "
                         "première est la ligne " +
                         first + "."};
}

// The records kept after the trailer are written before it; they were put in order only where
// the output's order is not the input's.
Sentences recordsAfterTrailer(const RunReport& report, const std::string&) {
    const int64_t n = report.recordsAfterTrailer;
    const bool one = n == 1;
    const std::string kept =
        one ? "1 enregistrement placé après la ligne de fin (0 TRLR) est gardé"
            : std::to_string(n) +
                  " enregistrements placés après la ligne de fin (0 TRLR) sont gardés";
    if (!report.recordsInOrder) return {kept + " et remis en ordre."};
    return {kept + (one ? " : il est écrit avant elle." : " : ils sont écrits avant elle.")};
}

Sentences noTrailer(const RunReport&, const std::string&) {
    return {"Le fichier n'a pas de ligne de fin (0 TRLR) : le fichier écrit non plus.", {},
            "Le fichier n'a pas de ligne de fin (0 TRLR)."};
}

Sentences duplicateXrefs(const RunReport& report, const std::string&) {
    const auto& [xref, where] = report.duplicateXrefs.front();
    const std::string first = printableText(xref) + " (" + linesText(where) + ")";
    return {report.duplicateXrefs.size() == 1
                ? "1 identifiant figure sur plusieurs lignes de niveau 0 : " + first + "."
                : std::to_string(report.duplicateXrefs.size()) +
                      " identifiants figurent sur plusieurs lignes de niveau 0, dont " + first +
                      "."};
}

// "22 individus (INDI) et 1 famille (FAM) ont été regroupés par leur étiquette et rangés selon le
// numéro de leur identifiant, comme @3I@ et @181U@."
Sentences numberedByTag(const RunReport& report, const std::string&) {
    std::vector<std::string> groups;
    std::vector<std::string> examples;
    int64_t records = 0;
    bool feminine = true;
    for (const TagNumbering& tag : report.numberedByTag) {
        const GroupWords words = groupWords(gedcom::recordKindOfTag(tag.tag));
        groups.push_back(countText(tag.records, words.one, words.many) + " (" +
                         printableText(tag.tag) + ")");
        examples.push_back(printableText(tag.firstXref));
        records += tag.records;
        feminine = feminine && words.feminine;
    }
    const auto listed = [](const std::vector<std::string>& items) {
        std::string text;
        for (size_t i = 0; i < items.size(); ++i)
            text += (i == 0 ? "" : i + 1 == items.size() ? " et " : ", ") + items[i];
        return text;
    };
    const bool one = records == 1;
    // "regroupé", "regroupée", "regroupés", "regroupées".
    const std::string agreement = std::string(feminine ? "e" : "") + (one ? "" : "s");
    const std::string how = " regroupé" + agreement + (one ? " par son" : " par leur") +
                            " étiquette et rangé" + agreement + " selon le numéro de " +
                            (one ? "son" : "leur") + " identifiant" + (one ? ", " : ", comme ") +
                            listed(examples) + ".";
    const std::string what = listed(groups);
    return {what + (one ? " a été" : " ont été") + how, {},
            what + (one ? " serait" : " seraient") + how};
}

// One clause per tag and place: "8 individus (INDI) ne sont pas numérotés @I…@ : ils restent à
// leur place", "1 enregistrement OBJE numéroté @I…@ est placé parmi les individus".
Sentences groupMismatches(const RunReport& report, const std::string&) {
    std::vector<std::pair<std::pair<std::string, gedcom::LineKind>, int64_t>> counts;
    for (const GroupMismatch& mismatch : report.groupMismatches) {
        const auto key = std::make_pair(mismatch.tag, mismatch.placedAs);
        const auto found = std::find_if(counts.begin(), counts.end(),
                                        [&](const auto& count) { return count.first == key; });
        if (found == counts.end()) {
            counts.push_back({key, 1});
        } else {
            ++found->second;
        }
    }
    std::string text;
    for (const auto& [key, n] : counts) {
        const auto& [tag, placedAs] = key;
        const GroupWords tagGroup = groupWords(gedcom::recordKindOfTag(tag));
        const GroupWords place = groupWords(placedAs);
        const bool one = n == 1;
        // "numéroté", "numérotée", "numérotés", "numérotées".
        const std::string numbered =
            std::string("numéroté") + (tagGroup.feminine ? "e" : "") + (one ? "" : "s");
        std::string clause = std::to_string(n) + " ";
        if (placedAs == gedcom::LineKind::Ordinary) {
            clause += std::string(one ? tagGroup.one : tagGroup.many) + " (" + printableText(tag) +
                      ")" + (one ? " n'est pas " : " ne sont pas ") + numbered + " @" +
                      tagGroup.letter + "…@ : " +
                      (tagGroup.feminine ? (one ? "elle reste" : "elles restent")
                                         : (one ? "il reste" : "ils restent")) +
                      (one ? " à sa place" : " à leur place");
        } else {
            clause += std::string(one ? "enregistrement " : "enregistrements ") +
                      (tag.empty() ? "sans étiquette" : printableText(tag)) +
                      (one ? " numéroté @" : " numérotés @") + place.letter + "…@ " +
                      (one ? "est placé" : "sont placés") + " parmi les " + place.many;
        }
        text += (text.empty() ? "" : " ; ") + clause;
    }
    return {text + "."};
}

Sentences missingPointers(const RunReport& report, const std::string&) {
    const MissingPointer& first = report.missingPointers.front();
    const std::string where =
        printableText(first.pointer) + " (ligne " + std::to_string(first.line) + ")";
    return {report.missingPointers.size() == 1
                ? "1 pointeur renvoie à un enregistrement absent du fichier : " + where + "."
                : std::to_string(report.missingPointers.size()) +
                      " pointeurs renvoient à des enregistrements absents du fichier, le premier "
                      "est " +
                      where + "."};
}

// In a UTF-8 file, bytes that are not UTF-8 are those of some lines, which the sentence counts;
// 0 elsewhere.
int64_t linesNotUtf8(const RunReport& report) {
    return report.utf8 && report.encodingSeen == gedcom::TextBytes::EightBit
               ? sizeOf(report.invalidUtf8Lines)
               : 0;
}

// What the file says of its encoding disagrees with its bytes. One thing said is named with
// what the bytes are; where the file says several (its mark, its version, its "1 CHAR"), each is
// named, and the one, or those, the bytes belie.
Sentences encodingMismatch(const RunReport& report, const std::string&) {
    const int64_t lines = linesNotUtf8(report);
    const auto seen = [&report] {
        switch (report.encodingSeen) {
            case gedcom::TextBytes::Utf8:
                return "sont de l'UTF-8";
            case gedcom::TextBytes::EightBit:
                return "ne sont pas de l'UTF-8";
            case gedcom::TextBytes::Ascii:
                break;
        }
        return "sont tous de l'ASCII";
    }();
    const std::string declaration =
        report.declaredChar ? "1 CHAR " + printableText(*report.declaredChar) : std::string();
    const std::string version = printableText(report.gedcomVersion.value_or("7"));
    const char* consequence = " : un logiciel qui s'y fie lira mal ses caractères accentués.";
    const int said =
        (report.byteOrderMark ? 1 : 0) + (report.version7 ? 1 : 0) + (report.declaredChar ? 1 : 0);
    if (said <= 1) {
        std::string declared;
        if (report.declaredChar) {
            declared = "Le codage déclaré (" + declaration + ")";
        } else if (report.byteOrderMark) {
            declared = "La marque d'ordre des octets UTF-8 du début du fichier";
        } else {
            declared = "Le GEDCOM " + version + ", toujours en UTF-8,";
        }
        if (lines > 0)
            return {declared + " ne correspond pas aux octets de " +
                    countText(lines, "ligne", "lignes") +
                    " du fichier, qui ne sont pas de l'UTF-8" + consequence};
        return {declared + " ne correspond pas aux octets du fichier, qui " + seen + consequence};
    }
    std::string by;
    if (report.byteOrderMark) by = "sa marque d'ordre des octets";
    if (report.version7)
        by += (by.empty() ? "" : " et ") + std::string("sa version (GEDCOM ") + version + ")";
    std::string says = "Le fichier annonce de l'UTF-8 par " + by;
    if (report.declaredChar) says += " et déclare « " + declaration + " »";
    const std::string bytes =
        lines > 0 ? std::to_string(lines) +
                        (lines == 1 ? " de ses lignes n'est" : " de ses lignes ne sont") +
                        " pas de l'UTF-8"
                  : std::string("ses octets ") + seen;
    const EncodingDisagreement wrong = encodingDisagreement(report);
    std::vector<std::string> belied;
    if (wrong.mark) belied.emplace_back("la marque");
    if (wrong.version7) belied.emplace_back("la version");
    if (wrong.declaration) belied.emplace_back("la déclaration");
    std::string verdict;
    if (belied.size() == 1) {
        verdict = "c'est " + belied.front() + " qui ne correspond pas aux octets";
    } else {
        for (const std::string& name : belied) verdict += (verdict.empty() ? "ni " : " ni ") + name;
        verdict += " ne correspondent aux octets";
    }
    return {says + " ; " + bytes + " : " + verdict +
            ", et un logiciel qui s'y fie lira mal ses "
            "caractères accentués."};
}

Sentences invalidUtf8(const RunReport& report, const std::string&) {
    const std::string first = std::to_string(report.invalidUtf8Lines.front());
    return {report.invalidUtf8Lines.size() == 1
                ? "1 ligne contient des octets qui ne sont pas de l'UTF-8 : ligne " + first + "."
                : std::to_string(report.invalidUtf8Lines.size()) +
                      " lignes contiennent des octets qui ne sont pas de l'UTF-8, la première est "
                      "la ligne " +
                      first + "."};
}

Sentences splitCharacters(const RunReport& report, const std::string&) {
    const size_t n = report.splitCharacters.size();
    const std::string first = std::to_string(report.splitCharacters.front());
    const std::string found =
        n == 1 ? "1 ligne CONC commence au milieu d'un caractère UTF-8 coupé avec la ligne "
                 "précédente : ligne " +
                     first
               : std::to_string(n) +
                     " lignes CONC commencent au milieu d'un caractère UTF-8 coupé avec la ligne "
                     "précédente, la première est la ligne " +
                     first;
    if (report.concRepaired == 0) return {found + "."};
    const bool one = report.concRepaired == 1;
    const std::string moved = found + " ; " + std::to_string(report.concRepaired) +
                              (one ? " coupure " : " coupures ");
    const char* between = " entre deux caractères.";
    return {moved + (one ? "a été déplacée" : "ont été déplacées") + between, {},
            moved + (one ? "serait déplacée" : "seraient déplacées") + between};
}

// Every finding's wording, in the order of Finding.
constexpr std::pair<Finding, Wording> kWordings[] = {
    {Finding::Version7, version7},
    {Finding::LinesCut, linesCut},
    {Finding::LinesContinued, linesContinued},
    {Finding::LinesAfterTrailer, linesAfterTrailer},
    {Finding::RecordsAfterTrailer, recordsAfterTrailer},
    {Finding::NoTrailer, noTrailer},
    {Finding::DuplicateXrefs, duplicateXrefs},
    {Finding::NumberedByTag, numberedByTag},
    {Finding::GroupMismatches, groupMismatches},
    {Finding::MissingPointers, missingPointers},
    {Finding::EncodingMismatch, encodingMismatch},
    {Finding::InvalidUtf8, invalidUtf8},
    {Finding::SplitCharacters, splitCharacters},
};

constexpr bool inFindingOrder() {
    for (size_t i = 0; i < std::size(kWordings); ++i) {
        if (static_cast<size_t>(kWordings[i].first) != i) return false;
    }
    return std::size(kWordings) == static_cast<size_t>(Finding::SplitCharacters) + 1;
}
static_assert(inFindingOrder(), "one wording for each finding, in the order of Finding");

}  // namespace

Sentences sentences(Finding finding, const RunReport& report, const std::string& logPath) {
    const auto entry = static_cast<size_t>(finding);
    return kWordings[entry].second(report, logPath);
}

std::vector<std::string> attentionLines(const RunReport& report, Voice voice,
                                        const std::string& logPath) {
    std::vector<std::string> lines;
    for (const Finding finding : findings(report)) {
        Sentences words = sentences(finding, report, logPath);
        std::string& line = voice == Voice::CommandLine ? words.brief
                            : voice == Voice::Check     ? words.would
                                                        : words.done;
        lines.push_back(line.empty() ? std::move(words.done) : std::move(line));
    }
    return lines;
}

}  // namespace brelin::text

#include "attention.h"

#include <algorithm>
#include <utility>

#include "printable.h"

namespace brelin::text {

namespace {

std::string linesCut(int64_t n, Voice voice, const std::string& logPath) {
    if (voice == Voice::CommandLine)
        return countText(n, "ligne coupée", "lignes coupées") +
               " à 255 caractères, voir le journal " + logPath;
    return n == 1 ? "1 ligne de plus de 255 caractères a été coupée : sa fin n'est pas dans le "
                    "fichier écrit (le journal la signale)."
                  : std::to_string(n) +
                        " lignes de plus de 255 caractères ont été coupées : leur fin n'est pas "
                        "dans le fichier écrit (le journal en donne la liste).";
}

std::string linesContinued(int64_t n, Voice voice, const std::string& logPath) {
    if (voice == Voice::CommandLine)
        return countText(n, "ligne continuée", "lignes continuées") +
               " sur des lignes CONC, voir le journal " + logPath;
    return n == 1 ? "1 ligne de plus de 255 caractères a été continuée sur des lignes CONC (le "
                    "journal la signale)."
                  : std::to_string(n) +
                        " lignes de plus de 255 caractères ont été continuées sur des lignes CONC "
                        "(le journal en donne la liste).";
}

std::string linesAfterTrailer(int64_t n) {
    return n == 1 ? "1 ligne après la ligne de fin (0 TRLR) a été laissée de côté."
                  : std::to_string(n) +
                        " lignes après la ligne de fin (0 TRLR) ont été laissées de côté.";
}

std::string duplicateXrefs(const RunReport& report) {
    const auto& [xref, where] = report.duplicateXrefs.front();
    const std::string first = printableText(xref) + " (" + linesText(where) + ")";
    return report.duplicateXrefs.size() == 1
               ? "1 identifiant figure sur plusieurs lignes de niveau 0 : " + first + "."
               : std::to_string(report.duplicateXrefs.size()) +
                     " identifiants figurent sur plusieurs lignes de niveau 0, dont " + first + ".";
}

std::string invalidUtf8(const RunReport& report) {
    const std::string first = std::to_string(report.invalidUtf8Lines.front());
    return report.invalidUtf8Lines.size() == 1
               ? "1 ligne contient des octets qui ne sont pas de l'UTF-8 : ligne " + first + "."
               : std::to_string(report.invalidUtf8Lines.size()) +
                     " lignes contiennent des octets qui ne sont pas de l'UTF-8, la première est "
                     "la ligne " +
                     first + ".";
}

// What a run would do to the long lines that a check only counts.
std::string wouldCut(int64_t n) {
    return n == 1 ? "1 ligne de plus de 255 caractères serait coupée (--conc la continuerait sur "
                    "des lignes CONC)."
                  : std::to_string(n) +
                        " lignes de plus de 255 caractères seraient coupées (--conc les "
                        "continuerait sur des lignes CONC).";
}

std::string wouldContinue(int64_t n) {
    return n == 1 ? "1 ligne de plus de 255 caractères serait continuée sur des lignes CONC."
                  : std::to_string(n) +
                        " lignes de plus de 255 caractères seraient continuées sur des lignes "
                        "CONC.";
}

std::string version7(const RunReport& report) {
    return "Le fichier est en GEDCOM " + printableText(report.gedcomVersion.value_or("7")) +
           " : ses lignes sont gardées entières, quelle que soit leur longueur, et un logiciel "
           "qui lit le GEDCOM 5.5.1 pourrait ne pas l'accepter.";
}

std::string recordsAfterTrailer(int64_t n) {
    return n == 1 ? "1 enregistrement placé après la ligne de fin (0 TRLR) est gardé et remis en "
                    "ordre."
                  : std::to_string(n) +
                        " enregistrements placés après la ligne de fin (0 TRLR) sont gardés et "
                        "remis en ordre.";
}

// "individus (INDI)", the group a kind of record names, and its gender.
struct GroupWords {
    const char* one;
    const char* many;
    const char* letter;
    bool feminine;
};

GroupWords groupWords(gedcom::LineKind kind) {
    switch (kind) {
        case gedcom::LineKind::Individual:
            return {"individu", "individus", "I", false};
        case gedcom::LineKind::Family:
            return {"famille", "familles", "F", true};
        case gedcom::LineKind::Source:
            return {"source", "sources", "S", true};
        case gedcom::LineKind::Note:
            return {"note", "notes", "N", true};
        case gedcom::LineKind::Ordinary:
        case gedcom::LineKind::Trailer:
            break;
    }
    return {"enregistrement", "enregistrements", "", false};
}

// One clause per tag and place: "8 individus (INDI) ne sont pas numérotés @I…@ : ils restent à
// leur place", "1 enregistrement OBJE numéroté @I…@ est placé parmi les individus".
std::string groupMismatches(const RunReport& report) {
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
    return text + ".";
}

std::string missingPointers(const RunReport& report) {
    const MissingPointer& first = report.missingPointers.front();
    const std::string where =
        printableText(first.pointer) + " (ligne " + std::to_string(first.line) + ")";
    return report.missingPointers.size() == 1
               ? "1 pointeur renvoie à un enregistrement absent du fichier : " + where + "."
               : std::to_string(report.missingPointers.size()) +
                     " pointeurs renvoient à des enregistrements absents du fichier, le premier "
                     "est " +
                     where + ".";
}

std::string encodingMismatch(const RunReport& report) {
    std::string declared;
    if (report.declaredChar) {
        declared = "Le codage déclaré (1 CHAR " + printableText(*report.declaredChar) + ")";
    } else if (report.byteOrderMark) {
        declared = "La marque d'ordre des octets UTF-8 du début du fichier";
    } else {
        declared = "Le GEDCOM " + printableText(report.gedcomVersion.value_or("7")) +
                   ", toujours en UTF-8,";
    }
    const char* seen =
        report.encodingSeen == gedcom::TextBytes::Utf8
            ? "sont de l'UTF-8"
            : (report.encodingSeen == gedcom::TextBytes::EightBit ? "ne sont pas de l'UTF-8"
                                                                  : "sont tous de l'ASCII");
    return declared + " ne correspond pas aux octets du fichier, qui " + seen +
           " : un logiciel qui s'y fie lira mal ses caractères accentués.";
}

std::string splitCharacters(const RunReport& report, bool check) {
    const size_t n = report.splitCharacters.size();
    const std::string first = std::to_string(report.splitCharacters.front());
    std::string text =
        n == 1 ? "1 ligne CONC commence au milieu d'un caractère UTF-8 coupé avec la ligne "
                 "précédente : ligne " +
                     first
               : std::to_string(n) +
                     " lignes CONC commencent au milieu d'un caractère UTF-8 coupé avec la ligne "
                     "précédente, la première est la ligne " +
                     first;
    if (report.concRepaired > 0) {
        const bool one = report.concRepaired == 1;
        text += " ; " + std::to_string(report.concRepaired) + (one ? " coupure " : " coupures ") +
                (check ? (one ? "serait déplacée" : "seraient déplacées")
                       : (one ? "a été déplacée" : "ont été déplacées")) +
                " entre deux caractères";
    }
    return text + ".";
}

}  // namespace

std::vector<std::string> attentionLines(const RunReport& report, Voice voice,
                                        const std::string& logPath) {
    std::vector<std::string> lines;
    for (const Finding finding : findings(report)) {
        const bool check = voice == Voice::Check;
        switch (finding) {
            case Finding::Version7:
                lines.push_back(version7(report));
                break;
            case Finding::LinesCut:
                lines.push_back(
                    check ? wouldCut(static_cast<int64_t>(report.cutLines.size()))
                          : linesCut(static_cast<int64_t>(report.cutLines.size()), voice, logPath));
                break;
            case Finding::LinesContinued:
                lines.push_back(
                    check ? wouldContinue(static_cast<int64_t>(report.continuedLines.size()))
                          : linesContinued(static_cast<int64_t>(report.continuedLines.size()),
                                           voice, logPath));
                break;
            case Finding::LinesAfterTrailer:
                lines.push_back(linesAfterTrailer(report.linesAfterTrailer));
                break;
            case Finding::RecordsAfterTrailer:
                lines.push_back(recordsAfterTrailer(report.recordsAfterTrailer));
                break;
            case Finding::NoTrailer:
                lines.push_back(
                    check ? "Le fichier n'a pas de ligne de fin (0 TRLR)."
                          : "Le fichier n'a pas de ligne de fin (0 TRLR) : le fichier écrit non "
                            "plus.");
                break;
            case Finding::DuplicateXrefs:
                lines.push_back(duplicateXrefs(report));
                break;
            case Finding::GroupMismatches:
                lines.push_back(groupMismatches(report));
                break;
            case Finding::MissingPointers:
                lines.push_back(missingPointers(report));
                break;
            case Finding::EncodingMismatch:
                lines.push_back(encodingMismatch(report));
                break;
            case Finding::InvalidUtf8:
                lines.push_back(invalidUtf8(report));
                break;
            case Finding::SplitCharacters:
                lines.push_back(splitCharacters(report, check));
                break;
        }
    }
    return lines;
}

}  // namespace brelin::text

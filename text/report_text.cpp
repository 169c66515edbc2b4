#include "report_text.h"

#include "groups.h"
#include "messages.h"
#include "printable.h"

namespace brelin::text {

namespace {

// One indented line per item of list, the first kListedItems of them, then "et N autres".
template <typename Item, typename Words>
void appendItems(std::string& text, const std::vector<Item>& list, Words words) {
    for (size_t i = 0; i < list.size() && i < kListedItems; ++i)
        text += "  " + words(list[i]) + "\n";
    if (list.size() > kListedItems) text += "  " + othersText(list.size()) + "\n";
}

void reportedLines(std::string& text, const char* title, const std::vector<ReportedLine>& list) {
    text +=
        std::string(title) + " : " + (list.empty() ? "aucune" : std::to_string(list.size())) + "\n";
    appendItems(text, list, [](const ReportedLine& line) {
        return "ligne " + std::to_string(line.line) + " (" + printableText(line.record) + ")";
    });
}

// A count, or the word the report says for none.
std::string countOr(int64_t n, const char* none) {
    return n == 0 ? std::string(none) : std::to_string(n);
}

std::string placeText(gedcom::LineKind kind) {
    if (kind == gedcom::LineKind::Ordinary) return "reste à sa place";
    return std::string("placé parmi les ") + groupWords(kind).many;
}

// What the bytes are; in a UTF-8 file, how many lines are not UTF-8 rather than the whole file.
std::string encodingText(const RunReport& r) {
    switch (r.encodingSeen) {
        case gedcom::TextBytes::Ascii:
            return "ASCII";
        case gedcom::TextBytes::Utf8:
            return "UTF-8";
        case gedcom::TextBytes::EightBit:
            break;
    }
    if (r.utf8 && !r.invalidUtf8Lines.empty()) {
        const auto n = static_cast<int64_t>(r.invalidUtf8Lines.size());
        return "pas de l'UTF-8 sur " + countText(n, "ligne", "lignes");
    }
    return "8 bits (ANSI, ANSEL ou autre), pas de l'UTF-8";
}

// What the bytes disagree with: ", ce qui ne correspond pas à sa marque d'ordre des octets".
std::string mismatchText(const RunReport& r) {
    const EncodingDisagreement wrong = encodingDisagreement(r);
    std::vector<std::string> what;
    if (wrong.mark) what.emplace_back("sa marque d'ordre des octets");
    if (wrong.version7) what.emplace_back("sa version (GEDCOM 7)");
    if (wrong.declaration) what.emplace_back("sa déclaration (1 CHAR)");
    if (what.empty()) return {};
    if (what.size() == 1) return ", ce qui ne correspond pas à " + what.front();
    std::string text = ", ce qui ne correspond";
    for (const std::string& thing : what) text += " ni à " + thing;
    return text;
}

// The self-check's sentence, true of the lines cut, continued or mended on the way.
std::string selfCheckText(const RunResult& result) {
    const RunReport& r = result.report;
    if (!r.verified) return "Vérification : non faite.\n";
    std::string text = "Vérification : les " + std::to_string(r.linesWritten) +
                       (result.checkOnly ? " lignes qui seraient écrites" : " lignes écrites");
    const auto cut = static_cast<int64_t>(r.cutLines.size());
    const std::string cutText =
        cut == 0 ? std::string()
                 : std::to_string(cut) + (cut == 1 ? " coupée" : " coupées") + " à 255 octets";
    if (r.concLinesAdded == 0) {
        text += " sont celles qui ont été lues";
        if (cut > 0) text += ", dont " + cutText;
    } else {
        text += " sont les lignes lues";
        if (cut > 0) text += " (" + cutText + ")";
        text += " et " + countText(r.concLinesAdded, "ligne CONC ajoutée", "lignes CONC ajoutées") +
                " pour en continuer " + std::to_string(r.continuedLines.size());
    }
    if (r.concRepaired > 0) {
        const bool one = r.concRepaired == 1;
        text += " ; " + std::to_string(r.concRepaired) +
                (one ? " caractère coupé entre deux lignes y "
                     : " caractères coupés entre deux lignes y ") +
                (result.checkOnly ? (one ? "serait recollé" : "seraient recollés")
                                  : (one ? "a été recollé" : "ont été recollés"));
    }
    return text + ".\n";
}

}  // namespace

std::string reportText(const RunResult& result) {
    const RunReport& r = result.report;
    std::string text = std::string("Rapport de ") + kVersion + "\n";
    text += "Fichier lu : " + printableText(result.inputPath) + "\n";
    if (!result.outputPath.empty())
        text += "Fichier écrit : " + printableText(result.outputPath) + "\n";
    text += "Lignes lues : " + std::to_string(r.linesRead) + "\n";
    text +=
        "Enregistrements écrits : " + countText(r.records.individuals, "individu", "individus") +
        ", " + countText(r.records.families, "famille", "familles") + ", " +
        countText(r.records.sources, "source", "sources") + ", " +
        countText(r.records.notes, "note", "notes") + "\n";
    text += "Lignes de l'en-tête : " + countOr(r.headerLines, "aucune") + "\n";

    text += "Autres enregistrements de niveau 0, placés avec l'enregistrement qui les précède : ";
    if (r.otherRecords.empty()) text += "aucun";
    size_t shown = 0;
    for (const auto& [tag, n] : r.otherRecords) {
        if (shown == kListedItems) {
            text += " " + othersText(r.otherRecords.size());
            break;
        }
        text += (shown++ > 0 ? ", " : "") +
                (tag.empty() ? "(sans étiquette)" : printableText(tag)) + " " + std::to_string(n);
    }
    text += "\n";
    text += r.alreadyInOrder ? "Ordre : les enregistrements étaient déjà en ordre.\n"
                             : "Ordre : des enregistrements ont changé de place.\n";

    text += "Identifiants présents sur plusieurs lignes de niveau 0 : " +
            (r.duplicateXrefs.empty() ? std::string("aucun")
                                      : std::to_string(r.duplicateXrefs.size())) +
            "\n";
    appendItems(text, r.duplicateXrefs, [](const auto& duplicate) {
        return printableText(duplicate.first) + " : " + linesText(duplicate.second);
    });

    text +=
        "Numéros égaux écrits de façons différentes dans un même groupe : " +
        (r.equalNumbers.empty() ? std::string("aucun") : std::to_string(r.equalNumbers.size())) +
        "\n";
    appendItems(text, r.equalNumbers, linesText);

    text += "Numéros qui ne sont pas des nombres entiers (placés après les autres) : " +
            (r.nonWholeNumbers.empty() ? std::string("aucun") : linesText(r.nonWholeNumbers)) +
            "\n";
    text +=
        "Enregistrements regroupés par leur étiquette et rangés selon le numéro de leur "
        "identifiant : ";
    if (r.numberedByTag.empty()) text += "aucun";
    for (size_t i = 0; i < r.numberedByTag.size(); ++i) {
        const TagNumbering& tag = r.numberedByTag[i];
        text += (i > 0 ? ", " : "") + printableText(tag.tag) + " " + std::to_string(tag.records) +
                " (le premier : " + printableText(tag.firstXref) + ")";
    }
    text += "\n";
    text +=
        "Enregistrements dont l'étiquette ne correspond pas au groupe de leur numéro, non "
        "regroupés par leur étiquette : " +
        (r.groupMismatches.empty() ? std::string("aucun")
                                   : std::to_string(r.groupMismatches.size())) +
        "\n";
    appendItems(text, r.groupMismatches, [](const GroupMismatch& mismatch) {
        const std::string tag =
            mismatch.tag.empty() ? "(sans étiquette)" : printableText(mismatch.tag);
        return "ligne " + std::to_string(mismatch.line) + " : " + printableText(mismatch.xref) +
               " " + tag + ", " + placeText(mismatch.placedAs);
    });
    text += "Pointeurs vers des enregistrements absents du fichier : " +
            (r.missingPointers.empty() ? std::string("aucun")
                                       : std::to_string(r.missingPointers.size())) +
            "\n";
    appendItems(text, r.missingPointers, [](const MissingPointer& pointer) {
        return "ligne " + std::to_string(pointer.line) + " : " + printableText(pointer.pointer);
    });
    reportedLines(text, "Lignes coupées à 255 octets", r.cutLines);
    reportedLines(text, "Lignes continuées sur des lignes CONC", r.continuedLines);
    text += "Lignes vides laissées de côté : " + countOr(r.emptyLines, "aucune") + "\n";
    text += "Lignes après la ligne de fin (0 TRLR) laissées de côté : " +
            countOr(r.linesAfterTrailer, "aucune");
    // The first lines left out, all of them where they are few.
    const auto kept = static_cast<int64_t>(r.firstLinesAfterTrailer.size());
    if (kept == r.linesAfterTrailer && kept > 0) {
        text += " (" + linesText(r.firstLinesAfterTrailer) + ")";
    } else if (kept > 0) {
        text += " (lignes";
        for (int64_t i = 0; i < kept; ++i)
            text += (i > 0 ? ", " : " ") + std::to_string(r.firstLinesAfterTrailer[size_t(i)]);
        text += " et " + std::to_string(r.linesAfterTrailer - kept) + " autres)";
    }
    text += "\n";
    text += "Enregistrements après la ligne de fin (0 TRLR), gardés : " +
            countOr(r.recordsAfterTrailer, "aucun") + "\n";
    text += std::string("Ligne de fin (0 TRLR) : ") + (r.trailer ? "présente" : "absente") + "\n";
    text += std::string("Marque d'ordre des octets UTF-8 : ") + (r.byteOrderMark ? "oui" : "non") +
            "\n";
    text += "Codage déclaré (1 CHAR) : " +
            (r.declaredChar ? printableText(*r.declaredChar) : std::string("aucun")) + "\n";
    text += "Version GEDCOM (1 GEDC, 2 VERS) : " +
            (r.gedcomVersion ? printableText(*r.gedcomVersion) : std::string("aucune")) +
            (r.version7 ? ", lignes gardées entières" : "") + "\n";
    text += "Codage vu dans les octets : " + encodingText(r) + mismatchText(r) + "\n";
    text += "Octets qui ne sont pas de l'UTF-8 : ";
    if (!r.utf8) {
        text += "sans objet, le fichier n'est pas en UTF-8\n";
    } else {
        text +=
            (r.invalidUtf8Lines.empty() ? std::string("aucun") : linesText(r.invalidUtf8Lines)) +
            "\n";
    }
    text += "Caractères UTF-8 coupés entre une ligne et sa ligne CONC : " +
            (r.splitCharacters.empty() ? std::string("aucun") : linesText(r.splitCharacters)) +
            "\n";
    text += selfCheckText(result);
    return text;
}

}  // namespace brelin::text

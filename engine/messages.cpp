#include "messages.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace brelin::text {

std::string cliUnknownOption(const std::string& word) {
    return "brelin-cli : option inconnue « " + word + " »";
}

std::string desktopUnknownOption(const std::string& word) {
    return "brelin : option inconnue « " + word + " »";
}

std::string cliSameAsInput(const std::string& outputPath) {
    return "Le fichier de sortie DOIT être différent du fichier d'entrée. (« " + outputPath + " »)";
}

std::string cliOutputExists(const std::string& outputPath) {
    return "Un fichier du même nom existe déjà. (« " + outputPath +
           " ») Ajoutez --force pour le remplacer.";
}

std::string cliWritten(const std::string& outputPath) {
    return "Fichier écrit : " + outputPath;
}

std::string cliLinesCut(int64_t count, const std::string& logPath) {
    return std::to_string(count) + " ligne(s) coupée(s) à 255 caractères, voir le journal " +
           logPath;
}

std::string cliLinesContinued(int64_t count, const std::string& logPath) {
    return std::to_string(count) + " ligne(s) continuée(s) sur des lignes CONC, voir le journal " +
           logPath;
}

std::string cliLinesCutBeforeFailure(const std::string& logPath) {
    return "Les lignes coupées jusque-là sont dans le journal " + logPath;
}

namespace {

// "1 ligne", "2 lignes"; French keeps 0 and 1 singular.
std::string count(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n <= 1 ? one : many);
}

std::string numbers(const std::vector<int64_t>& values, size_t shown = 20) {
    std::string text;
    for (size_t i = 0; i < values.size() && i < shown; ++i) {
        if (i > 0) text += i + 1 == values.size() ? " et " : ", ";
        text += std::to_string(values[i]);
    }
    if (values.size() > shown) text += " et " + std::to_string(values.size() - shown) + " autres";
    return text;
}

// "ligne 12", "lignes 12 et 40".
std::string lines(const std::vector<int64_t>& values) {
    return (values.size() == 1 ? "ligne " : "lignes ") + numbers(values);
}

}  // namespace

std::vector<std::string> attentionLines(const RunReport& report) {
    std::vector<std::string> lines;
    if (report.linesAfterTrailer > 0) {
        lines.push_back(report.linesAfterTrailer == 1
                            ? "1 ligne après la ligne de fin (0 TRLR) a été laissée de côté."
                            : std::to_string(report.linesAfterTrailer) +
                                  " lignes après la ligne de fin (0 TRLR) ont été laissées de "
                                  "côté.");
    }
    if (!report.trailer)
        lines.push_back("Le fichier n'a pas de ligne de fin (0 TRLR) : le fichier écrit non plus.");
    if (!report.duplicateXrefs.empty()) {
        const auto& [xref, where] = report.duplicateXrefs.front();
        const std::string first = printableText(xref) + " (" + text::lines(where) + ")";
        lines.push_back(report.duplicateXrefs.size() == 1
                            ? "1 identifiant figure sur plusieurs lignes de niveau 0 : " + first +
                                  "."
                            : std::to_string(report.duplicateXrefs.size()) +
                                  " identifiants figurent sur plusieurs lignes de niveau 0, dont " +
                                  first + ".");
    }
    if (!report.invalidUtf8Lines.empty()) {
        const auto n = static_cast<int64_t>(report.invalidUtf8Lines.size());
        const std::string first = std::to_string(report.invalidUtf8Lines.front());
        lines.push_back(n == 1 ? "1 ligne contient des octets qui ne sont pas de l'UTF-8 : ligne " +
                                     first + "."
                               : std::to_string(n) +
                                     " lignes contiennent des octets qui ne sont pas de l'UTF-8, "
                                     "la première est la ligne " +
                                     first + ".");
    }
    return lines;
}

std::string noticeLinesContinued(int64_t n) {
    return n == 1 ? "1 ligne de plus de 255 caractères a été continuée sur des lignes CONC (le "
                    "journal la signale)."
                  : std::to_string(n) +
                        " lignes de plus de 255 caractères ont été continuées sur des lignes CONC "
                        "(le journal en donne la liste).";
}

std::string noticeLinesCut(int64_t n) {
    return n == 1 ? "1 ligne de plus de 255 caractères a été coupée (le journal la signale)."
                  : std::to_string(n) +
                        " lignes de plus de 255 caractères ont été coupées (le journal en donne "
                        "la liste).";
}

namespace {

void reportedLines(std::string& text, const char* title, const std::vector<ReportedLine>& list) {
    text +=
        std::string(title) + " : " + (list.empty() ? "aucune" : std::to_string(list.size())) + "\n";
    for (size_t i = 0; i < list.size() && i < 20; ++i)
        text += "  ligne " + std::to_string(list[i].line) + " (" + printableText(list[i].record) +
                ")\n";
    if (list.size() > 20) text += "  et " + std::to_string(list.size() - 20) + " autres\n";
}

}  // namespace

std::string reportText(const RunResult& result) {
    const RunReport& r = result.report;
    std::string text = std::string("Rapport de ") + kVersion + "\n";
    text += "Fichier lu : " + printableText(result.inputPath) + "\n";
    if (!result.outputPath.empty())
        text += "Fichier écrit : " + printableText(result.outputPath) + "\n";
    text += "Lignes lues : " + std::to_string(r.linesRead) + "\n";
    text += "Enregistrements écrits : " + count(r.records.individuals, "individu", "individus") +
            ", " + count(r.records.families, "famille", "familles") + ", " +
            count(r.records.sources, "source", "sources") + ", " +
            count(r.records.notes, "note", "notes") + "\n";
    text += "Lignes de l'en-tête : " + std::to_string(r.headerLines) + "\n";

    text += "Autres enregistrements de niveau 0, placés avec l'enregistrement qui les précède : ";
    if (r.otherRecords.empty()) text += "aucun";
    size_t shown = 0;
    for (const auto& [tag, n] : r.otherRecords) {
        if (shown == 20) {
            text += " et " + std::to_string(r.otherRecords.size() - 20) + " autres";
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
    for (size_t i = 0; i < r.duplicateXrefs.size() && i < 20; ++i)
        text += "  " + printableText(r.duplicateXrefs[i].first) + " : " +
                text::lines(r.duplicateXrefs[i].second) + "\n";
    if (r.duplicateXrefs.size() > 20)
        text += "  et " + std::to_string(r.duplicateXrefs.size() - 20) + " autres\n";

    text +=
        "Numéros égaux écrits de façons différentes dans un même groupe : " +
        (r.equalNumbers.empty() ? std::string("aucun") : std::to_string(r.equalNumbers.size())) +
        "\n";
    for (size_t i = 0; i < r.equalNumbers.size() && i < 20; ++i)
        text += "  " + text::lines(r.equalNumbers[i]) + "\n";
    if (r.equalNumbers.size() > 20)
        text += "  et " + std::to_string(r.equalNumbers.size() - 20) + " autres\n";

    text += "Numéros qui ne sont pas des nombres entiers (placés après les autres) : " +
            (r.nonWholeNumbers.empty() ? std::string("aucun") : text::lines(r.nonWholeNumbers)) +
            "\n";
    reportedLines(text, "Lignes coupées à 255 caractères", r.cutLines);
    reportedLines(text, "Lignes continuées sur des lignes CONC", r.continuedLines);
    text += "Lignes vides laissées de côté : " + std::to_string(r.emptyLines) + "\n";
    text += "Lignes après la ligne de fin (0 TRLR) laissées de côté : " +
            std::to_string(r.linesAfterTrailer) + "\n";
    text += std::string("Ligne de fin (0 TRLR) : ") + (r.trailer ? "présente" : "absente") + "\n";
    text += std::string("Marque d'ordre des octets UTF-8 : ") + (r.byteOrderMark ? "oui" : "non") +
            "\n";
    text += "Codage déclaré (1 CHAR) : " +
            (r.declaredChar ? printableText(*r.declaredChar) : std::string("aucun")) + "\n";
    text += "Octets qui ne sont pas de l'UTF-8 : ";
    if (!r.utf8) {
        text += "sans objet, le fichier n'est pas en UTF-8\n";
    } else {
        text +=
            (r.invalidUtf8Lines.empty() ? std::string("aucun") : lines(r.invalidUtf8Lines)) + "\n";
    }
    text += r.verified ? "Vérification : les " + std::to_string(r.linesWritten) +
                             " lignes écrites sont celles qui ont été lues.\n"
                       : std::string("Vérification : non faite.\n");
    return text;
}

namespace {

// "La ligne N comporte plus de 255 caractères et a été ", in Windows-1252.
std::string logLineStart(int64_t lineNumber) {
    return "La ligne " + std::to_string(lineNumber) +
           " comporte plus de 255 caract\xE8res et a \xE9t\xE9 ";
}

}  // namespace

std::string logLineCut(int64_t lineNumber) {
    return logLineStart(lineNumber) +
           "tronqu\xE9"
           "e.\r\n";
}

std::string logLineContinued(int64_t lineNumber) {
    return logLineStart(lineNumber) +
           "continu\xE9"
           "e sur des lignes CONC.\r\n";
}

std::string measureText(const InputMeasure& measure) {
    if (!measure.estimated) return std::to_string(measure.lineTotal) + " lignes";
    // nearbyint rounds a half to the even neighbour.
    const auto megabytes = static_cast<int64_t>(
        std::nearbyint(static_cast<double>(measure.sizeInBytes) / 1024.0 / 1024.0));
    return "Taille " + std::to_string(megabytes) + " Mo";
}

std::string elapsedText(double seconds) {
    const auto total = static_cast<int64_t>(std::nearbyint(std::max(seconds, 0.0)));
    if (total < 60) return "en " + std::to_string(total) + " Sec";
    return "en " + std::to_string(total / 60) + " Min " + std::to_string(total % 60) + " Sec";
}

std::string completedLine(const RunResult& result) {
    return measureText(result.measure) + "  " + kDone + "  " + elapsedText(result.seconds);
}

namespace {

// A French phrase for an errno value; empty for the values the program has no words for.
std::string systemPhrase(int error) {
    switch (error) {
        case ENOENT:
            return "le fichier ou le dossier n'existe pas";
        case EACCES:
        case EPERM:
            return "l'accès est refusé";
        case ENOSPC:
            return "le disque est plein";
        case EDQUOT:
            return "le quota du disque est atteint";
        case EFBIG:
            return "le fichier dépasse la taille permise";
        case EROFS:
            return "le support est en lecture seule";
        case EISDIR:
            return "c'est un dossier";
        case ENOTDIR:
            return "un élément du chemin n'est pas un dossier";
        case ENAMETOOLONG:
            return "le nom est trop long";
        case EIO:
            return "erreur d'entrée-sortie du disque";
        case EMFILE:
        case ENFILE:
            return "trop de fichiers ouverts";
        case ENOMEM:
            return "mémoire insuffisante";
        default:
            return {};
    }
}

std::string causeText(const RunError& error) {
    switch (error.cause()) {
        case Cause::None:
        case Cause::Unexpected:
            return {};
        case Cause::System: {
            const std::string phrase = systemPhrase(error.systemError());
            return phrase.empty() ? "le système a refusé l'opération" : phrase;
        }
        case Cause::Folder:
            return systemPhrase(EISDIR);
        case Cause::NotRegularFile:
            return "ce n'est pas un fichier ordinaire";
        case Cause::DiskFull:
            return systemPhrase(ENOSPC);
        case Cause::DiskIo:
            return systemPhrase(EIO);
        case Cause::CannotOpen:
            return "la base ne peut pas être ouverte ni créée";
        case Cause::ReadOnly:
            return "la base ne peut pas être écrite";
        case Cause::OutOfMemory:
            return systemPhrase(ENOMEM);
        case Cause::Corrupt:
            return "la base est endommagée";
        case Cause::Busy:
            return "la base est occupée par un autre programme";
    }
    return {};
}

// ": cause" where there is one.
std::string because(const RunError& error) {
    const std::string cause = causeText(error);
    return cause.empty() ? std::string() : " : " + cause;
}

std::string sentence(const RunError& error) {
    const std::string file = "« " + error.path() + " »";
    switch (error.step()) {
        case FailedStep::ReadInput:
            return "Impossible de lire le fichier " + file + because(error) + ".";
        case FailedStep::InputNotFile:
            return "Le fichier d'entrée " + file + " ne peut pas être lu" + because(error) + ".";
        case FailedStep::InputEncoding:
            return "Le fichier " + file +
                   " est en UTF-16, un codage que ce programme ne lit pas. Rien n'a été écrit.";
        case FailedStep::InputNotGedcom:
            return "Le fichier " + file +
                   " n'est pas un fichier GEDCOM : sa première ligne ne commence pas par le "
                   "niveau 0.";
        case FailedStep::InputEmpty:
            return "Le fichier " + file + " est vide : il n'y a rien à remettre en ordre.";
        case FailedStep::WriteOutput:
            return "Impossible d'écrire le fichier " + file + because(error) +
                   ". Aucun fichier n'a été écrit ni modifié.";
        case FailedStep::WriteLog:
            return "Impossible d'écrire le journal " + file + because(error) + ".";
        case FailedStep::RunLocked:
            return "Un autre traitement utilise déjà le journal " + file +
                   " : attendez qu'il se termine, puis recommencez. Aucun fichier n'a été écrit.";
        case FailedStep::Database:
            return "La base de travail " + file + " a échoué" + because(error) +
                   ". Aucun fichier n'a été écrit.";
        case FailedStep::SelfCheck:
            return "Le contrôle final a échoué : les lignes à écrire dans " + file +
                   " ne sont pas celles qui ont été lues. C'est une erreur du programme ; aucun "
                   "fichier n'a été écrit ni modifié.";
        case FailedStep::WriteReport:
            return "Impossible d'écrire le rapport " + file + because(error) + ".";
        case FailedStep::Internal:
            return "Erreur inattendue pendant le traitement de " + file + because(error) +
                   ". Aucun fichier n'a été écrit.";
    }
    return "Erreur pendant le traitement de " + file + ".";
}

}  // namespace

std::string describe(const RunError& error) {
    std::string text = sentence(error);
    std::string detail = error.detail();
    if (detail.empty() && error.cause() == Cause::System &&
        systemPhrase(error.systemError()).empty())
        detail = std::strerror(error.systemError());
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

}  // namespace brelin::text

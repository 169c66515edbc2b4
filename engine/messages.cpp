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

std::string logLineCut(int64_t lineNumber) {
    return "La ligne " + std::to_string(lineNumber) +
           " comporte plus de 255 caract\xE8res et a \xE9t\xE9 tronqu\xE9"
           "e.\r\n";
}

std::string logLineContinued(int64_t lineNumber) {
    return "La ligne " + std::to_string(lineNumber) +
           " comporte plus de 255 caract\xE8res et a \xE9t\xE9 continu\xE9"
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
            return "c'est un dossier";
        case Cause::NotRegularFile:
            return "ce n'est pas un fichier ordinaire";
        case Cause::DiskFull:
            return "le disque est plein";
        case Cause::DiskIo:
            return "erreur d'entrée-sortie du disque";
        case Cause::CannotOpen:
            return "la base ne peut pas être ouverte ni créée";
        case Cause::ReadOnly:
            return "la base ne peut pas être écrite";
        case Cause::OutOfMemory:
            return "mémoire insuffisante";
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

#include "error_text.h"

namespace brelin::text {

namespace {

std::string causeText(Cause cause) {
    switch (cause) {
        case Cause::None:
        case Cause::Unexpected:
            return {};
        case Cause::NotFound:
            return "le fichier ou le dossier n'existe pas";
        case Cause::AccessDenied:
            return "l'accès est refusé";
        case Cause::DiskFull:
            return "le disque est plein";
        case Cause::QuotaExceeded:
            return "le quota du disque est atteint";
        case Cause::FileTooLarge:
            return "le fichier dépasse la taille permise";
        case Cause::ReadOnlyMedium:
            return "le support est en lecture seule";
        case Cause::Folder:
            return "c'est un dossier";
        case Cause::NotAFolder:
            return "un élément du chemin n'est pas un dossier";
        case Cause::NameTooLong:
            return "le nom est trop long";
        case Cause::DiskIo:
            return "erreur d'entrée-sortie du disque";
        case Cause::TooManyFiles:
            return "trop de fichiers ouverts";
        case Cause::OutOfMemory:
            return "mémoire insuffisante";
        case Cause::SystemRefused:
            return "le système a refusé l'opération";
        case Cause::NotRegularFile:
            return "ce n'est pas un fichier ordinaire";
        case Cause::CannotOpen:
            return "la base ne peut pas être ouverte ni créée";
        case Cause::ReadOnly:
            return "la base ne peut pas être écrite";
        case Cause::Corrupt:
            return "la base est endommagée";
        case Cause::Busy:
            return "la base est occupée par un autre programme";
    }
    return {};
}

// ": cause" where there is one.
std::string because(const RunError& error) {
    const std::string cause = causeText(error.cause());
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
                   " est en UTF-16, un codage que ce programme ne lit pas : exportez-le de "
                   "nouveau depuis le logiciel de généalogie, en UTF-8 ou en ANSI. Rien n'a été "
                   "écrit.";
        case FailedStep::InputArchive:
            return "Le fichier " + file +
                   " est une archive zip (GEDZIP, .gdz), pas un fichier GEDCOM : extrayez-en le "
                   "fichier gedcom.ged qu'elle contient et donnez celui-ci à Brelin. Rien n'a été "
                   "écrit.";
        case FailedStep::SecondHeader:
            return "Le fichier " + file + " contient un deuxième en-tête (0 HEAD) à la ligne " +
                   std::to_string(error.line()) +
                   ", après sa ligne de fin (0 TRLR) : ce sont sans doute deux fichiers mis bout "
                   "à bout. Séparez-les, puis traitez-les l'un après l'autre. Rien n'a été écrit.";
        case FailedStep::InputNotGedcom:
            return "Le fichier " + file +
                   " n'est pas un fichier GEDCOM : sa première ligne ne commence pas par le "
                   "niveau 0.";
        case FailedStep::InputTwoMarks:
            return "Le fichier " + file +
                   " commence par deux marques d'ordre des octets UTF-8 (les octets EF BB BF) au "
                   "lieu d'une : la seconde, au début de sa première ligne, cache le niveau 0 de "
                   "l'en-tête. Ôtez-la avec un éditeur de texte, ou exportez de nouveau le fichier, "
                   "puis recommencez. Rien n'a été écrit.";
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
    if (!error.detail().empty()) text += " (" + error.detail() + ")";
    return text;
}

}  // namespace brelin::text

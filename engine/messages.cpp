#include "messages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace brelin::text {

std::string elapsedText(double seconds) {
    const auto total = static_cast<int64_t>(std::nearbyint(std::max(seconds, 0.0)));
    if (total < 60) return "en " + std::to_string(total) + " Sec";
    return "en " + std::to_string(total / 60) + " Min " + std::to_string(total % 60) + " Sec";
}

std::string describe(const RunError& error) {
    const std::string file = "« " + error.path() + " »";
    switch (error.step()) {
        case FailedStep::ReadInput:
            return "Impossible de lire le fichier " + file + " : " + error.cause() + ".";
        case FailedStep::InputNotFile:
            return "Le fichier d'entrée " + file + " ne peut pas être lu : " + error.cause() + ".";
        case FailedStep::InputEncoding:
            return "Le fichier " + file + " est en " + error.cause() +
                   ", un codage que ce programme ne lit pas. Rien n'a été écrit.";
        case FailedStep::InputNotGedcom:
            return "Le fichier " + file + " n'est pas un fichier GEDCOM : " + error.cause() + ".";
        case FailedStep::InputEmpty:
            return "Le fichier " + file + " est vide : il n'y a rien à remettre en ordre.";
        case FailedStep::WriteOutput:
            return "Impossible d'écrire le fichier " + file + " : " + error.cause() +
                   ". Aucun fichier n'a été écrit ni modifié.";
        case FailedStep::WriteLog:
            return "Impossible d'écrire le journal " + file + " : " + error.cause() + ".";
        case FailedStep::Database:
            return "La base de travail " + file + " a échoué : " + error.cause() +
                   ". Aucun fichier n'a été écrit.";
        case FailedStep::Internal:
            return "Erreur inattendue pendant le traitement de " + file + " : " + error.cause() +
                   ". Aucun fichier n'a été écrit.";
    }
    return error.what();
}

}  // namespace brelin::text

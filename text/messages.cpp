#include "messages.h"

#include <algorithm>
#include <cmath>

namespace brelin::text {

std::string cliUnknownOption(const std::string& word) {
    return "brelin-cli : option inconnue « " + word + " »";
}

std::string desktopUnknownOption(const std::string& word) {
    return "brelin : option inconnue « " + word + " »";
}

std::string desktopFileCount(size_t given) {
    return "brelin : un seul FICHIER à la fois (" + std::to_string(given) + " donnés)";
}

std::string cliFileCount(size_t given, bool check) {
    if (check) {
        if (given == 0) return "brelin-cli : il manque ENTRÉE";
        return "brelin-cli : un seul fichier avec --check, ENTRÉE (" + std::to_string(given) +
               " donnés)";
    }
    if (given == 0) return "brelin-cli : il manque ENTRÉE et SORTIE";
    if (given == 1) return "brelin-cli : il manque SORTIE";
    return "brelin-cli : deux fichiers seulement, ENTRÉE et SORTIE (" + std::to_string(given) +
           " donnés)";
}

std::string cliSameAsInput(const std::string& outputPath) {
    // The window's sentence, on one line, the name after it.
    return std::string(kSameAsInput.first) + " " + kSameAsInput.second + " (« " + outputPath +
           " »)";
}

std::string cliOutputExists(const std::string& outputPath) {
    return std::string(kReplaceQuestion.first) + " (« " + outputPath +
           " ») Ajoutez --force pour le remplacer.";
}

std::string cliWritten(const std::string& outputPath) {
    return "Fichier écrit : " + outputPath;
}

std::string progressPass(RunPass pass) {
    return pass == RunPass::Reading ? "lecture" : "écriture";
}

std::string progressName(RunPass pass) {
    return pass == RunPass::Reading ? "Avancement de la lecture du fichier"
                                    : "Avancement de l'écriture du fichier";
}

std::string noticeLog(const std::string& logPath) {
    return "Journal : " + logPath;
}

std::string noticeReport(const std::string& reportPath) {
    return "Rapport : " + reportPath;
}

std::string cannotOpenFile(const std::string& path) {
    return "Aucun programme du bureau ne sait ouvrir ce fichier :\n" + path +
           "\n\nOuvrez-le avec un éditeur de texte (le chemin peut être sélectionné et copié).";
}

std::string cannotOpenFolder(const std::string& path) {
    return "Aucun gestionnaire de fichiers ne sait ouvrir ce dossier :\n" + path +
           "\n\nLe chemin peut être sélectionné et copié.";
}

std::string cliChecked(const std::string& inputPath) {
    return "Fichier vérifié : " + inputPath + " (rien n'a été écrit)";
}

std::string megabytesText(uint64_t bytes) {
    // nearbyint rounds a half to the even neighbour.
    const auto megabytes =
        static_cast<int64_t>(std::nearbyint(static_cast<double>(bytes) / 1024.0 / 1024.0));
    return std::to_string(megabytes) + " Mo";
}

std::string measureText(const InputMeasure& measure) {
    if (!measure.estimated) return std::to_string(measure.lineTotal) + " lignes";
    return "Taille " + megabytesText(measure.sizeInBytes);
}

std::string elapsedText(double seconds) {
    const auto total = static_cast<int64_t>(std::nearbyint(std::max(seconds, 0.0)));
    if (total < 60) return "en " + std::to_string(total) + " Sec";
    return "en " + std::to_string(total / 60) + " Min " + std::to_string(total % 60) + " Sec";
}

std::string completedLine(const RunResult& result) {
    return measureText(result.measure) + "  " + kDone + "  " + elapsedText(result.seconds);
}

}  // namespace brelin::text

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

std::string cliChecked(const std::string& inputPath) {
    return "Fichier vérifié : " + inputPath + " (rien n'a été écrit)";
}

std::string cliLinesCutBeforeFailure(const std::string& logPath) {
    return "Les lignes coupées jusque-là sont dans le journal " + logPath;
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

}  // namespace brelin::text

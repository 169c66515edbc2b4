#include "attention.h"

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

}  // namespace

std::vector<std::string> attentionLines(const RunReport& report, Voice voice,
                                        const std::string& logPath) {
    std::vector<std::string> lines;
    for (const Finding finding : findings(report)) {
        switch (finding) {
            case Finding::LinesCut:
                lines.push_back(
                    linesCut(static_cast<int64_t>(report.cutLines.size()), voice, logPath));
                break;
            case Finding::LinesContinued:
                lines.push_back(linesContinued(static_cast<int64_t>(report.continuedLines.size()),
                                               voice, logPath));
                break;
            case Finding::LinesAfterTrailer:
                lines.push_back(linesAfterTrailer(report.linesAfterTrailer));
                break;
            case Finding::NoTrailer:
                lines.push_back(
                    "Le fichier n'a pas de ligne de fin (0 TRLR) : le fichier écrit non plus.");
                break;
            case Finding::DuplicateXrefs:
                lines.push_back(duplicateXrefs(report));
                break;
            case Finding::InvalidUtf8:
                lines.push_back(invalidUtf8(report));
                break;
        }
    }
    return lines;
}

}  // namespace brelin::text

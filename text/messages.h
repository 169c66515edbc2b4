// The program's French texts, shared by its front ends: the engine reports facts (a measure, a
// result, an error) and the window, brelin-cli and the page word them here, so a text is written
// once. The wording sits above the engine and the engine never includes it. The report, the
// attention list and the error sentences have files of their own (report_text.h, error_text.h).
#pragma once

#include <cstdint>
#include <string>

#include "line_count.h"
#include "run.h"

namespace brelin::text {

inline constexpr const char* kVersion = "Brelin version 1.0.1";
inline constexpr const char* kDone = "Terminé";
inline constexpr const char* kCancelled = "Annulé";
inline constexpr const char* kFailed = "Échec";
// The window lays it out as it always has, seven blanks before it (ui/main_window.cpp).
inline constexpr const char* kStopQuestion = "On arrête tout ?";
inline constexpr const char* kStopTitle = "Arrêt des opérations";
inline constexpr const char* kAttention = "Attention !";
// A sentence the window shows on two lines, and brelin-cli on one.
struct TwoLines {
    const char* first;
    const char* second;
};
inline constexpr TwoLines kSameAsInput = {"Le fichier de sortie DOIT être",
                                          "différent du fichier d'entrée."};
inline constexpr TwoLines kReplaceQuestion = {"Un fichier du même nom existe déjà.",
                                              "Voulez-vous le remplacer ?"};

// The window's message boxes' buttons.
inline constexpr const char* kOk = "OK";
inline constexpr const char* kYes = "Oui";
inline constexpr const char* kNo = "Non";

// The window's file dialogs.
inline constexpr const char* kInputTitle = "Veuillez choisir le fichier gedcom à traiter";
inline constexpr const char* kOutputTitle = "Choisissez sous quel nom sauver votre GEDCOM";
inline constexpr const char* kGedcomFilter = "gedcom (*.ged)";
inline constexpr const char* kTextFilter = "Text Files (*.txt)";
// The output dialog's button, and the name it suggests: NAME-trie.ged beside the input NAME.ged.
inline constexpr const char* kSaveButton = "&Enregistrer";
inline constexpr const char* kOutputNameEnding = "-trie";
// The file dialog's words that Debian's French translation of Qt lacks: its type column's.
inline constexpr const char* kQtFolder = "Dossier";
inline constexpr const char* kQtDrive = "Lecteur";
inline constexpr const char* kQtShortcut = "Raccourci";
inline constexpr const char* kQtUnknown = "Inconnu";

// brelin, the desktop program, without a display: one line, on the terminal it was started from.
inline constexpr const char* kNoDisplay =
    "brelin a besoin d'un affichage graphique pour ouvrir sa fenêtre ; dans un terminal, "
    "brelin-cli fait le même travail (brelin-cli --help).";

// brelin, the desktop program, on its command line.
inline constexpr const char* kDesktopUsage =
    "Usage : brelin [--] [FICHIER]\n"
    "\n"
    "Ouvre la fenêtre de Brelin, qui remet les enregistrements d'un fichier GEDCOM en ordre\n"
    "croissant de leurs numéros. Avec FICHIER, la lecture de FICHIER commence aussitôt, puis la\n"
    "fenêtre demande sous quel nom enregistrer le résultat.\n"
    "\n"
    "  --help        affiche cette aide\n"
    "  --version     affiche la version\n"
    "  --            marque la fin des options : le mot suivant est le FICHIER, même s'il\n"
    "                commence par un tiret\n";
std::string desktopUnknownOption(const std::string& word);
// More than one FICHIER given.
std::string desktopFileCount(size_t given);

// brelin-cli.
inline constexpr const char* kCliUsage =
    "Usage : brelin-cli [-f|--force] [--conc] [--report|--json] [--] ENTRÉE SORTIE\n"
    "        brelin-cli --check [--conc] [--report|--json] [--] ENTRÉE\n"
    "\n"
    "Remet les enregistrements du fichier GEDCOM ENTRÉE en ordre croissant de leurs numéros\n"
    "(en-tête, individus, familles, sources, notes, fin) et écrit le résultat dans SORTIE.\n"
    "Les lignes de plus de 255 octets sont coupées et signalées dans le journal (dans un\n"
    "fichier UTF-8, une lettre accentuée compte pour deux octets).\n"
    "\n"
    "  -f, --force   remplace SORTIE s'il existe déjà\n"
    "  --conc        continue les lignes de plus de 255 octets sur des lignes CONC\n"
    "                au lieu de les couper : aucun caractère n'est perdu\n"
    "  --report      affiche ensuite le rapport complet du traitement\n"
    "  --json        affiche seulement le rapport, en JSON (pour les scripts)\n"
    "  --check       lit ENTRÉE et affiche le rapport sans rien écrire (ni SORTIE ni\n"
    "                journal) ; code de sortie 3 s'il y a un point à connaître\n"
    "  --help        affiche cette aide\n"
    "  --version     affiche la version\n"
    "  --            marque la fin des options : les mots suivants sont ENTRÉE et SORTIE,\n"
    "                même s'ils commencent par un tiret\n"
    "\n"
    "Codes de sortie : 0 terminé, 1 échec, 2 refusé, 130 interrompu (Ctrl+C) ;\n"
    "avec --check, 0 rien à signaler, 3 des points à connaître.\n";
// The two refusals name the output as it was given.
std::string cliSameAsInput(const std::string& outputPath);
std::string cliOutputExists(const std::string& outputPath);
inline constexpr const char* kCliAbandoned = "Arrêt demandé : aucun fichier n'a été écrit.";
std::string cliUnknownOption(const std::string& word);
// Other than two files given (one with --check): which is missing, or how many there are.
std::string cliFileCount(size_t given, bool check);
std::string cliWritten(const std::string& outputPath);
// The pass a progress line is about: "lecture", "écriture".
std::string progressPass(RunPass pass);
// The window's progress bar, as a screen reader names it: "Avancement de la lecture du fichier".
std::string progressName(RunPass pass);
// brelin-cli --check names the file it read, and says it wrote nothing.
std::string cliChecked(const std::string& inputPath);

// The window's notice after a completed run: the file written, what deserves attention, where
// the log and the report are.
inline constexpr const char* kNoticeTitle = "Fin du traitement";
inline constexpr const char* kNoticeWritten = "Le fichier a été écrit :";
inline constexpr const char* kNoticeToNote = "À noter :";
inline constexpr const char* kNoticeNothingToNote = "Rien à signaler.";
// After lines were cut in a run without the CONC check box.
inline constexpr const char* kNoticeConcHint =
    "Pour garder la fin des lignes longues, cochez la case « Conserver la fin des lignes longues "
    "(CONC) » et relancez le traitement.";
std::string noticeLog(const std::string& logPath);
inline constexpr const char* kNoticeNoLog =
    "Journal : aucun, car aucune ligne n'a été coupée ni continuée.";
std::string noticeReport(const std::string& reportPath);
inline constexpr const char* kOpenLog = "Ouvrir le journal";
inline constexpr const char* kOpenReport = "Ouvrir le rapport";
inline constexpr const char* kOpenFolder = "Ouvrir le dossier";
// When the desktop has no program to open a file, or a folder, with.
std::string cannotOpenFile(const std::string& path);
std::string cannotOpenFolder(const std::string& path);

// A write-out that failed: the failure's own sentence, then this, then the save dialog again.
inline constexpr const char* kChooseAnotherPlace =
    "Choisissez un autre emplacement : ce qui a été lu est gardé, le fichier n'a pas à être relu.";
// Several files dropped on the window at once.
inline constexpr const char* kOneFileAtATime =
    "Brelin traite un seul fichier à la fois : déposez un seul fichier GEDCOM sur la fenêtre.";

// A size in megabytes of 2²⁰ bytes ("Mo"), rounded to the nearest, a half to the even
// neighbour: "25 Mo".
std::string megabytesText(uint64_t bytes);

// Status panel 1: "N lignes" for a counted input, "Taille N Mo" for an estimated one.
std::string measureText(const InputMeasure& measure);

// "en T Sec" under a minute, "en M Min S Sec" from there on, T rounded to the nearest second
// (a half to the even neighbour).
std::string elapsedText(double seconds);

// The three status panels of a completed run, as brelin-cli prints them on one line.
std::string completedLine(const RunResult& result);

}  // namespace brelin::text

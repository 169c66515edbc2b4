// The program's own French texts, shared by its front ends.
#pragma once

#include <string>

#include "run_error.h"

namespace brelin::text {

inline constexpr const char* kVersion = "Brelin version 1.0.1";
inline constexpr const char* kDone = "Terminé";
inline constexpr const char* kStopQuestion = "       On arrête tout ?";
inline constexpr const char* kStopTitle = "Arrêt des opérations";
inline constexpr const char* kAttention = "Attention !";
inline constexpr const char* kSameAsInput =
    "Le fichier de sortie DOIT être\r\ndifférent du fichier d'entrée.";
inline constexpr const char* kReplaceQuestion =
    "Un fichier du même nom existe déjà.\r\nVoulez-vous le remplacer ?";

// "en T Sec" under a minute, "en M Min S Sec" from there on, T rounded to the nearest second
// (a half to the even neighbour).
std::string elapsedText(double seconds);

// A sentence for the user that names the file and the cause.
std::string describe(const RunError& error);

}  // namespace brelin::text

// The page's own French texts, beside those it shares with the programs: what only a page in a
// browser has to say.
#pragma once

#include <cstdint>
#include <string>

#include "messages.h"

namespace brelin::text {

// Over the notice's facts: the page has the sorted file ready, to be saved by the user.
inline constexpr const char* kPageNoticeIntro = "Le fichier trié est prêt. À noter :";

// A file refused before its run: the page holds the staged copy of a file in the browser's
// memory, which has its limits.
inline std::string pageTooLarge(const std::string& name, uint64_t bytes, uint64_t limit) {
    return "Le fichier « " + name + " » fait " + megabytesText(bytes) +
           " : c'est plus que ce que cette page peut traiter (" + megabytesText(limit) +
           " au plus). Rien n'a été écrit.";
}

}  // namespace brelin::text

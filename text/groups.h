// The French words of the groups the records are put in, by the kind of record a line or a tag
// names: "individu", "individus", their letter, and whether the word is feminine.
#pragma once

#include "gedcom_line.h"

namespace brelin::text {

struct GroupWords {
    const char* one;
    const char* many;
    const char* letter;  // the letter that starts the group's xrefs ("I" for "@I12@")
    bool feminine;
};

// For a kind that is no group's (Ordinary, Trailer): "enregistrement", "enregistrements".
GroupWords groupWords(gedcom::LineKind kind);

}  // namespace brelin::text

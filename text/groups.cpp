#include "groups.h"

namespace brelin::text {

GroupWords groupWords(gedcom::LineKind kind) {
    switch (kind) {
        case gedcom::LineKind::Individual:
            return {"individu", "individus", "I", false};
        case gedcom::LineKind::Family:
            return {"famille", "familles", "F", true};
        case gedcom::LineKind::Source:
            return {"source", "sources", "S", true};
        case gedcom::LineKind::Note:
            return {"note", "notes", "N", true};
        case gedcom::LineKind::Ordinary:
        case gedcom::LineKind::Trailer:
            break;
    }
    return {"enregistrement", "enregistrements", "", false};
}

}  // namespace brelin::text

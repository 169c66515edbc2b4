// Continues a GEDCOM line longer than 255 bytes (gedcom::kLineLimit) on CONC lines instead of
// cutting it, so that no character is lost. The first part keeps the line's level, xref and tag;
// each continuation is "N CONC text", N the line's level + 1, or the same level for a line that is
// itself a CONC or CONT line. Every part is at most 255 bytes; joined back, the parts' values give
// the line's value byte for byte.
//
// A split never falls inside a UTF-8 character (gedcom::isCharacterBoundary, by the file's rule)
// and never next to a blank: the byte before it and the byte after it are not blanks, unless the
// part has no other place to split. The line is read in pieces, so memory stays bounded whatever
// its length.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "gedcom_line.h"

namespace brelin {

// Where a line's continuation starts, read from the line's head.
struct ContinuationPlan {
    size_t valueStart = 0;   // the first byte of the value, after the tag's delimiter
    std::string concPrefix;  // "N CONC "
};

// How head, the first bytes of a line longer than 255 bytes, would be continued; nullopt when it
// cannot be (no level number, no value, or a level, xref and tag that fill 255 bytes alone).
std::optional<ContinuationPlan> planContinuation(std::string_view head);

class LineContinuer {
public:
    // emit receives each output line, without its line end, as soon as it is settled.
    LineContinuer(ContinuationPlan plan, gedcom::LineRule rule,
                  std::function<void(std::string_view)> emit);

    // The line's bytes, in order, in pieces of any size.
    void add(std::string_view bytes);
    // The line is complete: emits what is left.
    void finish();

private:
    // The longest part [0, k) of pending_ the next line may take, at most capacity bytes.
    size_t splitPoint(size_t capacity, size_t minimum) const;
    size_t capacity() const;
    // Emits the next part, split where splitPoint says.
    void settlePart();
    void emitPart(size_t length);

    // The bytes past a split that decide whether it cuts a character: the rest of the longest.
    static constexpr size_t kLookAhead = 2;

    ContinuationPlan plan_;
    gedcom::LineRule rule_;
    std::function<void(std::string_view)> emit_;
    std::string pending_;  // bytes read and not yet emitted
    std::string part_;     // the continuation line being emitted
    bool first_ = true;
};

// Mends a UTF-8 character split between line and concLine, the CONC line after it: the character
// moves whole to one of them, to the nearest boundary that keeps both lines within 255 bytes and
// both values non-empty, preferring a boundary with no blank beside it. Joined back, the values
// are the same bytes. False, changing nothing, where no such boundary is.
bool mendSplitCharacter(std::string& line, std::string& concLine, gedcom::SplitCharacter split);

}  // namespace brelin

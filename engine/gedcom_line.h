// What a GEDCOM line is, in one place that the reader, the stager, the continuation, the report
// and the self-check share: the length limit, the line end, the parts of a level-0 line, the
// record kinds, the encoding declaration, and where a long line may be cut or split.
// docs/file-formats.md describes the bytes read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace brelin::gedcom {

// The longest line written, in bytes, its line end excluded.
inline constexpr size_t kLineLimit = 255;
// Every line written ends so, whatever ended it in the input.
inline constexpr std::string_view kLineEnd = "\r\n";
// The UTF-8 byte-order mark, kept at the start of the output when the input has it.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// The trailer's line starts so.
inline constexpr std::string_view kTrailerStart = "0 TRLR";

// A line's kind, by its level-0 line: the records the program puts in order, the trailer, and
// every other line (the lines under a record, other level-0 records, the header part).
enum class LineKind { Ordinary, Individual, Family, Source, Note, Trailer };

// A record begins at a level-0 line "0 @I…" (individual), "0 @F…" (family), "0 @N…" (note) or
// "0 @S…" whose tag, trailing blanks aside, is SOUR (source); "0 TRLR…" is the trailer.
LineKind classifyLine(std::string_view line);

// True when line is at level 0: "0" alone or followed by a blank.
bool isLevelZero(std::string_view line);

// The xref and the tag of a level-0 line, "0 @X1@ TAG …" or "0 TAG …". An xref runs to its
// closing "@" or, where there is none, to the next blank.
struct LevelZero {
    std::string_view xref;
    std::string_view tag;
};
LevelZero parseLevelZero(std::string_view line);

// The record number of a record line: the text after its prefix ("0 @I") up to the next "@"
// (or the end of the line).
std::string_view recordNumberText(std::string_view line);

// The value of a whole number, 1 to 18 ASCII digits and nothing else; nullopt otherwise.
std::optional<int64_t> wholeNumber(std::string_view text);

// The value of a header's "1 CHAR" line, trailing blanks and tabs removed; nullopt for any other
// line.
std::optional<std::string_view> charDeclaration(std::string_view line);
// True for the declarations of UTF-8 ("UTF-8", and the "UTF8" some programs write).
bool namesUtf8(std::string_view declaration);

// UTF-16 without a byte-order mark shows a NUL beside the level digit of "0 HEAD".
bool looksLikeUtf16(std::string_view head);

// True for a blank inside a line: a space or a tab.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// True for a byte that continues a UTF-8 character (10xxxxxx).
inline bool continuesUtf8(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at the start of bytes (size > 0), or 0: no stray or
// missing continuation byte, no overlong form, no surrogate, nothing past U+10FFFF.
size_t utf8SequenceLength(const unsigned char* bytes, size_t size);

// True when text is valid UTF-8.
bool isValidUtf8(std::string_view text);

// True when a line may end, or a part may be split, just before text[k] (k < text.size()): in
// a UTF-8 file, not inside a character.
inline bool isCharacterBoundary(std::string_view text, size_t k, bool utf8) {
    return !utf8 || !continuesUtf8(text[k]);
}

// How many bytes of a line of length bytes, whose head is given, stay after the cut: the whole
// line up to 255 bytes; in UTF-8 the longest prefix of whole characters of at most 255 bytes.
size_t cutLength(std::string_view head, uint64_t length, bool utf8);

}  // namespace brelin::gedcom

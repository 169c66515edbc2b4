// What a GEDCOM line is, in one place that the reader, the stager, the continuation, the report
// and the self-check share: the length limit, the line end, the parts of a level-0 line, the
// record kinds, the encoding declaration, which value is a pointer, what bytes show, and where a
// long line may be cut or split. What the file says beyond one line (its header, what follows
// its trailer) is gedcom_file.h's. docs/file-formats.md describes the bytes read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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

// The usual rule, by a line's first bytes: a record begins at a level-0 line "0 @I…"
// (individual), "0 @F…" (family), "0 @N…" (note) or "0 @S…" whose tag, trailing blanks aside, is
// SOUR (source); "0 TRLR…" is the trailer. A file may number some groups otherwise: a run's
// RecordRules (record_rules.h) say which.
LineKind classifyLine(std::string_view line);

// True when line is at level 0: "0" alone or followed by a blank. Inline: every line is asked.
inline bool isLevelZero(std::string_view line) {
    return !line.empty() && line[0] == '0' && (line.size() == 1 || line[1] == ' ');
}

// The xref and the tag of a level-0 line, "0 @X1@ TAG …" or "0 TAG …". An xref runs to its
// closing "@" or, where there is none, to the next blank.
struct LevelZero {
    std::string_view xref;
    std::string_view tag;
};
LevelZero parseLevelZero(std::string_view line);

// The number text of a record line the usual rule places: the text after its prefix ("0 @I") up
// to the next "@" (or the end of the line).
std::string_view recordNumberText(std::string_view line);

// The value of a header's "1 CHAR" line, trailing blanks and tabs removed; nullopt for any other
// line.
std::optional<std::string_view> charDeclaration(std::string_view line);
// True for the declarations of UTF-8 ("UTF-8", and the "UTF8" some programs write).
bool namesUtf8(std::string_view declaration);

// UTF-16 without a byte-order mark shows a NUL beside the level digit of "0 HEAD".
bool looksLikeUtf16(std::string_view head);
// A zip archive (a GEDZIP file, .gdz) starts with a zip signature, "PK" and two bytes.
bool looksLikeZip(std::string_view head);

// False for a line that cannot hold a pointer, by its last byte: nearly every line.
inline bool mayHoldPointer(std::string_view line) {
    return !line.empty() && (line.back() == '@' || line.back() == ' ' || line.back() == '\t');
}

// The pointer a line holds: its value when that is exactly one xref "@X@" (trailing blanks
// aside), X neither empty nor holding an "@", not an escape ("@#DJULIAN@"), nor GEDCOM 7's null
// pointer "@VOID@"; the text of CONC and CONT lines is never a pointer. nullopt otherwise.
std::optional<std::string_view> pointerValue(std::string_view line);

// The records' tags: the kind of record (Individual, Family, Source, Note) a tag names, INDI,
// FAM, SOUR, NOTE or GEDCOM 7's SNOTE; Ordinary for any other tag.
LineKind recordKindOfTag(std::string_view tag);

// text without the blanks and tabs at its end.
std::string_view trimEnd(std::string_view text);

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

// The characters of a line as a reader sees them: its UTF-8 characters where its bytes are valid
// UTF-8, its bytes otherwise (an 8-bit character set, one byte a character).
size_t characterCount(std::string_view line);

// What the bytes of a text show: ASCII alone, valid UTF-8 with some bytes that are not ASCII, or
// bytes that are not UTF-8 (an 8-bit character set).
enum class TextBytes { Ascii, Utf8, EightBit };
TextBytes textBytes(std::string_view text);

// The same for a text given in pieces, a character possibly split between two of them.
class TextBytesScan {
public:
    void add(std::string_view piece);
    // After the last piece.
    TextBytes result() const;

private:
    std::string pending_;  // the first bytes of a character that the next piece completes
    bool nonAscii_ = false;
    bool invalid_ = false;
};

// How a file's lines may be cut, or split on CONC lines.
enum class LineRule {
    // UTF-8 by its byte-order mark or its "1 CHAR UTF-8" line: never before a byte that
    // continues a character.
    Utf8,
    // Any other file of version 5, or of no version: never inside a well-formed UTF-8 character
    // (RFC 3629) that starts before the cut and ends after it; anywhere else, at any byte.
    Bytes,
    // Version 7: no length limit, no CONC; no line is cut or continued.
    Whole,
};

// True when a line may end, or a part may be split, just before text[k] (0 < k < text.size()).
// Under Bytes the character at the cut must lie whole in text to be seen: three bytes past k.
bool isCharacterBoundary(std::string_view text, size_t k, LineRule rule);

// How many bytes of a line of length bytes, whose head is given, stay after the cut: the whole
// line up to 255 bytes (and under Whole); otherwise the longest prefix of at most 255 bytes that
// ends at a boundary, or 255 where the rule finds none.
size_t cutLength(std::string_view head, uint64_t length, LineRule rule);

// A UTF-8 character split between a line and the CONC line after it: its first bytes end the
// line, its others begin the CONC line's value.
struct SplitCharacter {
    size_t before = 0;  // bytes at the end of line
    size_t after = 0;   // bytes at the start of the CONC line's value
};
// True when line ends with the first bytes, not all, of a well-formed UTF-8 character.
bool endsInsideCharacter(std::string_view line);
// The character split between line and next, when next is a CONC line whose value's first bytes
// complete the well-formed UTF-8 character that line's last bytes begin; nullopt otherwise.
std::optional<SplitCharacter> splitCharacter(std::string_view line, std::string_view next);
// Where the value of a line "N [@X@ ]TAG value" starts; nullopt for a line without one.
std::optional<size_t> valueStart(std::string_view line);

}  // namespace brelin::gedcom

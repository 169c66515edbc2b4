#include "gedcom_line.h"

#include <algorithm>
#include <cstring>

namespace brelin::gedcom {

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// "0 @I", "0 @F", "0 @S", "0 @N": a record line's prefix, before its number.
constexpr size_t kRecordPrefixLength = 4;
constexpr std::string_view kCharPrefix = "1 CHAR ";
// The most continuation bytes a UTF-8 character has.
constexpr size_t kMaxContinuationBytes = 3;

// What a UTF-8 lead byte announces: the character's length (0: not a lead byte) and the range of
// its second byte, narrower after E0, ED, F0 and F4 (no overlong form, surrogate, or code point
// past U+10FFFF).
struct Lead {
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead leadOf(unsigned char first) {
    if (first >= 0xC2 && first <= 0xDF) return {2};
    if (first >= 0xE0 && first <= 0xEF)
        return {3, first == 0xE0 ? uint8_t{0xA0} : uint8_t{0x80},
                first == 0xED ? uint8_t{0x9F} : uint8_t{0xBF}};
    if (first >= 0xF0 && first <= 0xF4)
        return {4, first == 0xF0 ? uint8_t{0x90} : uint8_t{0x80},
                first == 0xF4 ? uint8_t{0x8F} : uint8_t{0xBF}};
    return {};
}

// True when bytes[0, size) are the first bytes, not all, of a well-formed character.
bool isProperPrefix(const unsigned char* bytes, size_t size) {
    const Lead lead = leadOf(bytes[0]);
    if (size >= lead.length) return false;
    if (size >= 2 && (bytes[1] < lead.low || bytes[1] > lead.high)) return false;
    return size < 3 || (bytes[2] & 0xC0) == 0x80;
}

// The nearest byte before text[k] that does not continue a character, at most three bytes back
// (the farthest a character's first byte can be); k when there is none.
size_t characterStartBefore(std::string_view text, size_t k) {
    for (size_t j = k; j > 0 && k - j < kMaxContinuationBytes + 1;) {
        if (!continuesUtf8(text[--j])) return j;
    }
    return k;
}

// The same at the end of text.
size_t characterStartNearEnd(std::string_view text) {
    return characterStartBefore(text, text.size());
}

// The parts of a line "N [@X@ ]TAG[ value]", blanks before the level allowed: its tag, and where
// its value starts when it has one (after the tag's delimiter).
struct LineParts {
    std::string_view tag;
    std::optional<size_t> value;
};

LineParts partsOf(std::string_view line) {
    LineParts parts;
    size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    const size_t levelStart = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == levelStart || i - levelStart > 2 || i >= line.size() || line[i] != ' ') return parts;
    ++i;
    if (i < line.size() && line[i] == '@') {
        const size_t close = line.find('@', i + 1);
        if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != ' ')
            return parts;
        i = close + 2;
    }
    const size_t space = line.find(' ', i);
    parts.tag =
        line.substr(i, space == std::string_view::npos ? std::string_view::npos : space - i);
    if (space != std::string_view::npos) parts.value = space + 1;
    return parts;
}

}  // namespace

std::string_view trimEnd(std::string_view text) {
    const auto last = text.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

LineKind classifyLine(std::string_view line) {
    // Nearly every line is below level 0: one test settles them.
    if (line.size() < kRecordPrefixLength || line[0] != '0') return LineKind::Ordinary;
    if (line.starts_with(kTrailerStart)) return LineKind::Trailer;
    if (line.starts_with("0 @I")) return LineKind::Individual;
    if (line.starts_with("0 @F")) return LineKind::Family;
    if (line.starts_with("0 @N")) return LineKind::Note;
    if (line.starts_with("0 @S") && endsWith(trimEnd(line), "SOUR")) return LineKind::Source;
    return LineKind::Ordinary;
}

LevelZero parseLevelZero(std::string_view line) {
    LevelZero parts;
    std::string_view rest = line.substr(std::min<size_t>(2, line.size()));
    if (!rest.empty() && rest[0] == '@') {
        size_t end = rest.find('@', 1);
        end = end == std::string_view::npos ? rest.find(' ') : end + 1;
        if (end == std::string_view::npos) end = rest.size();
        parts.xref = rest.substr(0, end);
        rest.remove_prefix(end);
        while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
    }
    parts.tag = rest.substr(0, rest.find(' '));
    return parts;
}

std::string_view recordNumberText(std::string_view line) {
    const std::string_view rest = line.substr(std::min(kRecordPrefixLength, line.size()));
    return rest.substr(0, rest.find('@'));
}

std::optional<std::string_view> charDeclaration(std::string_view line) {
    if (!line.starts_with(kCharPrefix)) return std::nullopt;
    return trimEnd(line.substr(kCharPrefix.size()));
}

bool namesUtf8(std::string_view declaration) {
    return declaration == "UTF-8" || declaration == "UTF8";
}

bool looksLikeUtf16(std::string_view head) {
    return head.size() >= 2 &&
           ((head[0] == '0' && head[1] == '\0') || (head[0] == '\0' && head[1] == '0'));
}

bool looksLikeZip(std::string_view head) {
    // A local file header, an empty archive's end record, or a spanned archive's marker.
    return head.size() >= 4 && head[0] == 'P' && head[1] == 'K' &&
           ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6) ||
            (head[2] == 7 && head[3] == 8));
}

std::optional<std::string_view> pointerValue(std::string_view line) {
    if (!mayHoldPointer(line)) return std::nullopt;
    const size_t last = line.back() == '@' ? line.size() - 1 : line.find_last_not_of(" \t");
    if (last == std::string_view::npos || line[last] != '@') return std::nullopt;
    const LineParts parts = partsOf(line.substr(0, last + 1));
    if (!parts.value || parts.tag == "CONC" || parts.tag == "CONT") return std::nullopt;
    const std::string_view value = line.substr(*parts.value, last + 1 - *parts.value);
    if (value.size() < 3 || value[0] != '@' || value[1] == '#' || value == "@VOID@")
        return std::nullopt;
    if (value.find('@', 1) != value.size() - 1) return std::nullopt;
    return value;
}

LineKind recordKindOfTag(std::string_view tag) {
    if (tag == "INDI") return LineKind::Individual;
    if (tag == "FAM") return LineKind::Family;
    if (tag == "SOUR") return LineKind::Source;
    if (tag == "NOTE" || tag == "SNOTE") return LineKind::Note;
    return LineKind::Ordinary;
}

size_t utf8SequenceLength(const unsigned char* bytes, size_t size) {
    const unsigned char first = bytes[0];
    if (first < 0x80) return 1;
    const Lead lead = leadOf(first);
    if (lead.length == 0 || size < lead.length || bytes[1] < lead.low || bytes[1] > lead.high)
        return 0;
    for (size_t i = 2; i < lead.length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return 0;
    }
    return lead.length;
}

bool isValidUtf8(std::string_view text) {
    return textBytes(text) != TextBytes::EightBit;
}

size_t characterCount(std::string_view line) {
    if (!isValidUtf8(line)) return line.size();
    return static_cast<size_t>(
        std::count_if(line.begin(), line.end(), [](char c) { return !continuesUtf8(c); }));
}

TextBytes textBytes(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    bool nonAscii = false;
    size_t i = 0;
    while (i < size) {
        // Most text is ASCII: eight bytes at a time while no high bit is set.
        if (size - i >= 8) {
            uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const size_t length = utf8SequenceLength(bytes + i, size - i);
        if (length == 0) return TextBytes::EightBit;
        nonAscii = nonAscii || length > 1;
        i += length;
    }
    return nonAscii ? TextBytes::Utf8 : TextBytes::Ascii;
}

void TextBytesScan::add(std::string_view piece) {
    if (invalid_) return;
    if (!pending_.empty()) {
        // The character begun at the end of the previous piece takes its bytes from this one.
        const size_t length = leadOf(static_cast<unsigned char>(pending_[0])).length;
        const size_t taken = std::min(length - pending_.size(), piece.size());
        pending_.append(piece.substr(0, taken));
        piece.remove_prefix(taken);
        if (pending_.size() < length) return;
        const auto* bytes = reinterpret_cast<const unsigned char*>(pending_.data());
        invalid_ = utf8SequenceLength(bytes, length) != length;
        nonAscii_ = true;
        pending_.clear();
        if (invalid_) return;
    }
    const TextBytes seen = textBytes(piece);
    if (seen == TextBytes::Utf8) nonAscii_ = true;
    if (seen != TextBytes::EightBit) return;
    // Invalid, unless the piece only ends with the first bytes of a character.
    const size_t start = characterStartNearEnd(piece);
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    if (start == piece.size() || !isProperPrefix(bytes + start, piece.size() - start) ||
        textBytes(piece.substr(0, start)) == TextBytes::EightBit) {
        invalid_ = true;
        return;
    }
    nonAscii_ = true;
    pending_.assign(piece.substr(start));
}

TextBytes TextBytesScan::result() const {
    if (invalid_ || !pending_.empty()) return TextBytes::EightBit;
    return nonAscii_ ? TextBytes::Utf8 : TextBytes::Ascii;
}

bool isCharacterBoundary(std::string_view text, size_t k, LineRule rule) {
    // Only a byte that continues a character can stand inside one.
    if (rule == LineRule::Whole || !continuesUtf8(text[k])) return true;
    if (rule == LineRule::Utf8) return false;
    const size_t start = characterStartBefore(text, k);
    if (start == k) return true;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    return utf8SequenceLength(bytes + start, text.size() - start) <= k - start;
}

size_t cutLength(std::string_view head, uint64_t length, LineRule rule) {
    if (length <= kLineLimit || rule == LineRule::Whole) return static_cast<size_t>(length);
    if (head.size() <= kLineLimit) return kLineLimit;
    if (rule == LineRule::Bytes) {
        // The cut moves back to the first byte of the character it would split.
        return isCharacterBoundary(head, kLineLimit, rule) ? kLineLimit
                                                           : characterStartBefore(head, kLineLimit);
    }
    // The cut [0, k) keeps whole characters when head[k] does not continue one.
    size_t k = kLineLimit;
    for (size_t step = 0; step <= kMaxContinuationBytes; ++step, --k) {
        if (isCharacterBoundary(head, k, rule)) return k;
    }
    return kLineLimit;  // not UTF-8 after all: a plain cut
}

bool endsInsideCharacter(std::string_view line) {
    // Nearly every line ends with an ASCII byte: one test settles them.
    if (line.empty() || static_cast<unsigned char>(line.back()) < 0x80) return false;
    const size_t start = characterStartNearEnd(line);
    return start < line.size() &&
           isProperPrefix(reinterpret_cast<const unsigned char*>(line.data() + start),
                          line.size() - start);
}

std::optional<SplitCharacter> splitCharacter(std::string_view line, std::string_view next) {
    if (!endsInsideCharacter(line)) return std::nullopt;
    const size_t start = characterStartNearEnd(line);
    const auto* tail = reinterpret_cast<const unsigned char*>(line.data() + start);
    const size_t before = line.size() - start;
    const LineParts parts = partsOf(next);
    if (!parts.value || parts.tag != "CONC") return std::nullopt;
    const size_t after = leadOf(tail[0]).length - before;
    const std::string_view value = next.substr(*parts.value);
    if (value.size() < after) return std::nullopt;
    std::string character(line.substr(start));
    character.append(value.substr(0, after));
    const auto* bytes = reinterpret_cast<const unsigned char*>(character.data());
    if (utf8SequenceLength(bytes, character.size()) != character.size()) return std::nullopt;
    return SplitCharacter{before, after};
}

std::optional<size_t> valueStart(std::string_view line) {
    return partsOf(line).value;
}

}  // namespace brelin::gedcom

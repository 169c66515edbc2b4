#include "gedcom_line.h"

#include <algorithm>
#include <cstring>

namespace brelin::gedcom {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view trimEnd(std::string_view text) {
    const auto last = text.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// "0 @I", "0 @F", "0 @S", "0 @N": a record line's prefix, before its number.
constexpr size_t kRecordPrefixLength = 4;
constexpr std::string_view kCharPrefix = "1 CHAR ";
// The most continuation bytes a UTF-8 character has.
constexpr size_t kMaxContinuationBytes = 3;
// The most digits of a whole number: every such number fits in 64 bits.
constexpr size_t kMaxWholeDigits = 18;

}  // namespace

LineKind classifyLine(std::string_view line) {
    // Nearly every line is below level 0: one test settles them.
    if (line.size() < kRecordPrefixLength || line[0] != '0') return LineKind::Ordinary;
    if (startsWith(line, kTrailerStart)) return LineKind::Trailer;
    if (startsWith(line, "0 @I")) return LineKind::Individual;
    if (startsWith(line, "0 @F")) return LineKind::Family;
    if (startsWith(line, "0 @N")) return LineKind::Note;
    if (startsWith(line, "0 @S") && endsWith(trimEnd(line), "SOUR")) return LineKind::Source;
    return LineKind::Ordinary;
}

bool isLevelZero(std::string_view line) {
    return !line.empty() && line[0] == '0' && (line.size() == 1 || line[1] == ' ');
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

std::optional<int64_t> wholeNumber(std::string_view text) {
    if (text.empty() || text.size() > kMaxWholeDigits) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<std::string_view> charDeclaration(std::string_view line) {
    if (!startsWith(line, kCharPrefix)) return std::nullopt;
    return trimEnd(line.substr(kCharPrefix.size()));
}

bool namesUtf8(std::string_view declaration) {
    return declaration == "UTF-8" || declaration == "UTF8";
}

bool looksLikeUtf16(std::string_view head) {
    return head.size() >= 2 &&
           ((head[0] == '0' && head[1] == '\0') || (head[0] == '\0' && head[1] == '0'));
}

size_t utf8SequenceLength(const unsigned char* bytes, size_t size) {
    const unsigned char first = bytes[0];
    if (first < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0) low = 0xA0;   // overlong
        if (first == 0xED) high = 0x9F;  // surrogates
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0) low = 0x90;   // overlong
        if (first == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
        return 0;
    }
    if (size < length || bytes[1] < low || bytes[1] > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool isValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
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
        if (length == 0) return false;
        i += length;
    }
    return true;
}

size_t cutLength(std::string_view head, uint64_t length, bool utf8) {
    if (length <= kLineLimit) return static_cast<size_t>(length);
    if (!utf8 || head.size() <= kLineLimit) return kLineLimit;
    // The cut [0, k) keeps whole characters when head[k] does not continue one.
    size_t k = kLineLimit;
    for (size_t step = 0; step <= kMaxContinuationBytes; ++step, --k) {
        if (isCharacterBoundary(head, k, utf8)) return k;
    }
    return kLineLimit;  // not UTF-8 after all: a plain cut
}

}  // namespace brelin::gedcom

// The checker is a model of its own, written from the rules and not from the engine: it splits
// the input into lines, groups them into records by their level-0 lines and sorts each group
// stably by number; the output must be exactly that.
#include "invariant.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brelin::testing {

namespace {

struct Record {
    int group = 0;  // 0 header, 1 individuals, 2 families, 3 sources, 4 notes
    bool whole = false;
    std::string digits;  // a whole number's, without leading zeros
    std::vector<std::string> lines;
};

bool begins(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

std::string_view withoutTrailingBlanks(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

// 0 for a line that does not begin a record by the usual rule (its xref's letter), else its
// group.
int recordGroup(std::string_view line) {
    if (begins(line, "0 @I")) return 1;
    if (begins(line, "0 @F")) return 2;
    if (begins(line, "0 @N")) return 4;
    if (begins(line, "0 @S")) {
        const std::string_view tag = withoutTrailingBlanks(line);
        if (tag.size() >= 4 && tag.substr(tag.size() - 4) == "SOUR") return 3;
    }
    return 0;
}

// The xref and tag of a level-0 line "0 @X@ TAG…": the xref runs to its closing "@", or to the
// next blank where there is none; blanks follow; the tag runs to the next blank.
struct Parts {
    std::string_view xref;
    std::string_view tag;
    bool blankBeforeTag = false;
};

Parts partsOf(std::string_view line) {
    Parts parts;
    std::string_view rest = line.substr(std::min<size_t>(2, line.size()));
    if (begins(rest, "@")) {
        size_t end = rest.find('@', 1);
        end = end == std::string_view::npos ? std::min(rest.find(' '), rest.size()) : end + 1;
        parts.xref = rest.substr(0, end);
        rest.remove_prefix(end);
    }
    parts.blankBeforeTag = begins(rest, " ");
    while (begins(rest, " ")) rest.remove_prefix(1);
    parts.tag = rest.substr(0, rest.find(' '));
    return parts;
}

// The group whose records carry tag, 0 for none.
int groupOfTag(std::string_view tag) {
    if (tag == "INDI") return 1;
    if (tag == "FAM") return 2;
    if (tag == "SOUR") return 3;
    if (tag == "NOTE" || tag == "SNOTE") return 4;
    return 0;
}

// The group a level-0 line "0 @XREF@ TAG" names by its tag, 0 for none.
int tagGroupOf(std::string_view line) {
    if (!begins(line, "0 @")) return 0;
    const Parts parts = partsOf(line);
    if (parts.xref.size() < 3 || parts.xref.back() != '@' || !parts.blankBeforeTag) return 0;
    return groupOfTag(parts.tag);
}

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The number a record line begins its record with: the text after "0 @I" up to the next "@" by
// the usual rule, the first digits of its xref for a group numbered by tag; whole when it is
// digits alone, of any length, kept without leading zeros.
void numberRecord(Record& record, std::string_view line, bool byTag) {
    std::string_view text;
    if (byTag) {
        const std::string_view xref = partsOf(line).xref;
        const size_t start = xref.find_first_of("0123456789");
        if (start != std::string_view::npos)
            text = xref.substr(start, xref.find_first_not_of("0123456789", start) - start);
    } else {
        text = line.substr(4);
        text = text.substr(0, text.find('@'));
    }
    record.whole = allDigits(text);
    if (!record.whole) return;
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    record.digits = std::string(text);
}

// How long lines are cut: in a file marked or declared UTF-8, before the byte that continues a
// character; in any other file of version 5 or none, at the first byte of a well-formed UTF-8
// character that a cut at 255 would split; in a version 7 file, not at all.
enum class Rule { Utf8, Bytes, Whole };

unsigned char byteAt(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]);
}

// The length of the well-formed UTF-8 character (RFC 3629, table 3-7 of Unicode) at text[i], or
// 0.
size_t characterAt(std::string_view text, size_t i) {
    const unsigned char b0 = byteAt(text, i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) length = 2;
    if (b0 >= 0xE0 && b0 <= 0xEF) length = 3;
    if (b0 >= 0xF0 && b0 <= 0xF4) length = 4;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
    if (length == 0 || i + length > text.size()) return 0;
    if (byteAt(text, i + 1) < low || byteAt(text, i + 1) > high) return 0;
    for (size_t k = 2; k < length; ++k) {
        if ((byteAt(text, i + k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

std::string cut(std::string_view line, Rule rule) {
    if (line.size() <= 255 || rule == Rule::Whole) return std::string(line);
    size_t keep = 255;
    if (rule == Rule::Utf8) {
        size_t k = 255;
        int continuation = 0;
        while (k > 0 && (byteAt(line, k) & 0xC0) == 0x80 && continuation < 4) {
            --k;
            ++continuation;
        }
        if (continuation < 4) keep = k;
    } else {
        for (size_t start = 252; start < 255; ++start) {
            if (start + characterAt(line, start) > 255) keep = start;
        }
    }
    return std::string(line.substr(0, keep));
}

std::string_view withoutLeadingBlanks(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

// The rule of a file, from its mark and its header part: "2 VERS 7…" under "1 GEDC" of "0 HEAD"
// makes it version 7; "1 CHAR UTF-8" (or UTF8) UTF-8.
Rule ruleOf(const std::vector<std::string_view>& lines, bool mark) {
    bool utf8 = mark;
    bool version7 = false;
    bool charSeen = false;
    bool versionSeen = false;
    std::string_view level0, level1;
    for (const std::string_view raw : lines) {
        const std::string_view line = withoutLeadingBlanks(raw);
        if (line.empty()) continue;
        if (recordGroup(raw) != 0 || begins(raw, "0 TRLR")) break;
        // A level is a digit followed by a blank or nothing ("00" is no level).
        const bool level0Line = line == "0" || begins(line, "0 ") || begins(line, "0\t");
        if (level0Line) level0 = line, level1 = {};
        if (line == "1" || begins(line, "1 ") || begins(line, "1\t")) level1 = line;
        if (!charSeen && begins(raw, "1 CHAR ")) {
            charSeen = true;
            const std::string_view value = withoutTrailingBlanks(raw.substr(7));
            if (value == "UTF-8" || value == "UTF8") utf8 = true;
        }
        const auto is = [](std::string_view text, std::string_view levelAndTag) {
            return text == levelAndTag || begins(text, std::string(levelAndTag) + " ") ||
                   begins(text, std::string(levelAndTag) + "\t");
        };
        if (!versionSeen && begins(line, "2 VERS ") && is(level0, "0 HEAD") &&
            is(level1, "1 GEDC")) {
            versionSeen = true;
            const std::string_view value = withoutTrailingBlanks(line.substr(7));
            version7 = value == "7" || begins(value, "7.");
        }
    }
    return version7 ? Rule::Whole : utf8 ? Rule::Utf8 : Rule::Bytes;
}

bool isHeaderStart(std::string_view line) {
    if (begins(line, "\xEF\xBB\xBF")) line.remove_prefix(3);
    return begins(line, "0 HEAD") && (line.size() == 6 || line[6] == ' ' || line[6] == '\t');
}

}  // namespace

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

std::optional<std::string> expectedOutput(std::string_view input, bool cutLines, int64_t* cuts) {
    if (cuts) *cuts = 0;
    std::string prefix;
    bool mark = false;
    if (input.size() >= 2 && (begins(input, "\xFF\xFE") || begins(input, "\xFE\xFF")))
        return std::nullopt;
    if (begins(input, "\xEF\xBB\xBF")) {
        prefix = "\xEF\xBB\xBF";
        mark = true;
        input.remove_prefix(3);
    }
    if (input.size() >= 2 &&
        ((input[0] == '0' && input[1] == '\0') || (input[0] == '\0' && input[1] == '0')))
        return std::nullopt;
    // A zip archive: a GEDZIP file.
    if (begins(input, "PK\x03\x04") || begins(input, "PK\x05\x06") || begins(input, "PK\x07\x08"))
        return std::nullopt;

    const std::vector<std::string_view> lines = splitLines(input);
    const Rule fileRule = ruleOf(lines, mark);
    const Rule rule = cutLines ? fileRule : Rule::Whole;
    // The trailer is cut in every mode: nothing may follow it; a version 7 file is UTF-8.
    const Rule trailerRule = fileRule == Rule::Whole ? Rule::Utf8 : fileRule;
    // The lines taken, as written, and the text their group and number are read in: the line as
    // the normal mode writes it, or the first 258 bytes of a longer one (the bytes the reader
    // keeps of a line kept whole).
    std::vector<std::pair<std::string, std::string>> taken;
    std::optional<std::string> trailer;
    bool leavingOut = false;  // after a trailer, until a level-0 line other than TRLR and HEAD
    bool anyContent = false;  // a character other than blanks, tabs and line ends was seen
    for (const std::string_view raw : lines) {
        if (raw.empty()) continue;
        if (trailer && isHeaderStart(raw)) return std::nullopt;  // two files end to end
        if (leavingOut) {
            if (!begins(raw, "0 ") || begins(raw, "0 TRLR")) continue;
            leavingOut = false;
        } else if (trailer && begins(raw, "0 TRLR")) {
            leavingOut = true;
            continue;
        }
        if (!anyContent) {
            const auto first = raw.find_first_not_of(" \t");
            if (first != std::string_view::npos) {
                if (raw[first] != '0') return std::nullopt;
                anyContent = true;
            }
        }
        std::string line = cut(raw, begins(raw, "0 TRLR") ? trailerRule : rule);
        if (cuts && line.size() < raw.size()) ++*cuts;
        if (begins(line, "0 TRLR")) {
            trailer = line;
            leavingOut = true;
            continue;
        }
        std::string key =
            fileRule == Rule::Whole ? std::string(raw.substr(0, 258)) : cut(raw, fileRule);
        taken.emplace_back(std::move(line), std::move(key));
    }
    if (!anyContent) return std::nullopt;

    // A group is numbered by tag when no record the usual rule places in it carries its tag,
    // and some level-0 line would start a record of it by its tag.
    bool ownTag[5] = {}, byTag[5] = {};
    for (const auto& [line, key] : taken) {
        if (const int group = recordGroup(key)) {
            if (groupOfTag(partsOf(key).tag) == group) ownTag[group] = true;
        } else {
            byTag[tagGroupOf(key)] = true;
        }
    }
    std::vector<Record> records(1);  // the header part
    for (auto& [line, key] : taken) {
        int group = recordGroup(key);
        const bool placedByTag = group == 0 && tagGroupOf(key) != 0 && byTag[tagGroupOf(key)] &&
                                 !ownTag[tagGroupOf(key)];
        if (placedByTag) group = tagGroupOf(key);
        if (group != 0) {
            Record record;
            record.group = group;
            numberRecord(record, key, placedByTag);
            records.push_back(std::move(record));
        }
        records.back().lines.push_back(std::move(line));
    }

    // Whole numbers first, by their count of digits, then digit by digit.
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        if (a.group != b.group) return a.group < b.group;
        if (a.whole != b.whole) return a.whole;
        if (!a.whole) return false;
        if (a.digits.size() != b.digits.size()) return a.digits.size() < b.digits.size();
        return a.digits < b.digits;
    });
    std::string output = prefix;
    for (const Record& record : records) {
        for (const std::string& line : record.lines) output += line + "\r\n";
    }
    if (trailer) output += *trailer + "\r\n";
    return output;
}

std::string checkInvariant(std::string_view input, const std::optional<std::string>& output) {
    const std::optional<std::string> expected = expectedOutput(input);
    if (!output) return expected ? "no output for an input that must be converted" : "";
    if (!expected) return "an output for an input that must be refused";
    if (*output == *expected) return "";
    const auto [a, b] =
        std::mismatch(output->begin(), output->end(), expected->begin(), expected->end());
    const size_t at = static_cast<size_t>(a - output->begin());
    const size_t line = static_cast<size_t>(std::count(output->begin(), a, '\n')) + 1;
    return "output differs from the expected one at byte " + std::to_string(at) + " (line " +
           std::to_string(line) + "): got \"" + output->substr(at, 40) + "\", expected \"" +
           expected->substr(static_cast<size_t>(b - expected->begin()), 40) + "\"";
}

}  // namespace brelin::testing

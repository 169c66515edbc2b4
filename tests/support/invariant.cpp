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
    uint64_t number = 0;
    std::vector<std::string> lines;
};

bool begins(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

std::string_view withoutTrailingBlanks(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

// 0 for a line that does not begin a record, else its group.
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

std::string cut(std::string_view line, bool utf8) {
    if (line.size() <= 255) return std::string(line);
    size_t keep = 255;
    if (utf8) {
        size_t k = 255;
        int continuation = 0;
        while (k > 0 && (static_cast<unsigned char>(line[k]) & 0xC0) == 0x80 && continuation < 4) {
            --k;
            ++continuation;
        }
        if (continuation < 4) keep = k;
    }
    return std::string(line.substr(0, keep));
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

std::optional<std::string> expectedOutput(std::string_view input) {
    std::string prefix;
    bool utf8 = false;
    if (input.size() >= 2 && (begins(input, "\xFF\xFE") || begins(input, "\xFE\xFF")))
        return std::nullopt;
    if (begins(input, "\xEF\xBB\xBF")) {
        prefix = "\xEF\xBB\xBF";
        utf8 = true;
        input.remove_prefix(3);
    }
    if (input.size() >= 2 &&
        ((input[0] == '0' && input[1] == '\0') || (input[0] == '\0' && input[1] == '0')))
        return std::nullopt;

    std::vector<Record> records(1);  // the header part
    std::optional<std::string> trailer;
    bool anyContent = false;  // a character other than blanks, tabs and line ends was seen
    for (const std::string_view raw : splitLines(input)) {
        if (raw.empty()) continue;
        if (!anyContent) {
            const auto first = raw.find_first_not_of(" \t");
            if (first != std::string_view::npos) {
                if (raw[first] != '0') return std::nullopt;
                anyContent = true;
            }
        }
        std::string line = cut(raw, utf8);
        if (begins(line, "0 TRLR")) {
            trailer = line;
            break;
        }
        if (const int group = recordGroup(line)) {
            Record record;
            record.group = group;
            std::string_view number = std::string_view(line).substr(4);
            number = number.substr(0, number.find('@'));
            record.whole = !number.empty() && number.size() <= 18 &&
                           number.find_first_not_of("0123456789") == std::string_view::npos;
            if (record.whole) record.number = std::stoull(std::string(number));
            records.push_back(std::move(record));
        } else if (records.size() == 1 && (withoutTrailingBlanks(line) == "1 CHAR UTF-8" ||
                                           withoutTrailingBlanks(line) == "1 CHAR UTF8")) {
            utf8 = true;
        }
        records.back().lines.push_back(std::move(line));
    }
    if (!anyContent) return std::nullopt;

    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        if (a.group != b.group) return a.group < b.group;
        if (a.whole != b.whole) return a.whole;
        return a.whole && a.number < b.number;
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

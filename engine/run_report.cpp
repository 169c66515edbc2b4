// Implementation details: records with a whole number come out of the store side by side with
// their equals, so the write-out finds the xrefs repeated among them, and the numbers spelled two
// ways, by comparing neighbours. The other level-0 lines' xrefs (notes with letters, media,
// repositories…) are kept as 64-bit hashes, sorted once staged; the write-out gives the texts of
// those that repeat. The lines of what was found are read again from the input at the end, which
// only a run with something to report pays for.
#include "run_report.h"

#include <algorithm>
#include <cstring>

#include "line_reader.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace brelin {

namespace {

uint64_t hashOf(std::string_view text) {
    return XXH3_64bits(text.data(), text.size());
}

bool isLevelZero(std::string_view line) {
    return !line.empty() && line[0] == '0' && (line.size() == 1 || line[1] == ' ');
}

// The xref and the tag of a level-0 line: "0 @X1@ TAG …" or "0 TAG …". An xref runs to its
// closing "@" or, where there is none, to the next blank.
struct LevelZero {
    std::string_view xref;
    std::string_view tag;
};

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

// The length of the valid UTF-8 sequence at the start of bytes, or 0.
size_t sequenceLength(const unsigned char* bytes, size_t size) {
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

}  // namespace

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
        const size_t length = sequenceLength(bytes + i, size - i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void LineTally::add(std::string_view line) {
    ++count;
    digest += hashOf(line);
}

void ReportGatherer::begin(bool byteOrderMark) {
    report_.byteOrderMark = byteOrderMark;
    report_.utf8 = byteOrderMark;
}

void ReportGatherer::line(LineKind kind, std::string_view text, int64_t lineNumber) {
    staged_.add(text);
    if (isLevelZero(text)) levelZero(kind, text, lineNumber);
    if (inHeader_) {
        if (kind == LineKind::Ordinary) {
            ++report_.headerLines;
            if (!report_.declaredChar && text.substr(0, 7) == "1 CHAR ") {
                std::string_view value = text.substr(7);
                value = value.substr(0, value.find_last_not_of(" \t") + 1);
                report_.declaredChar = std::string(value);
                if (value == "UTF-8" || value == "UTF8") report_.utf8 = true;
            }
        }
        // Before the declaration is read, whether the file is UTF-8 is not known yet.
        if (!isValidUtf8(text)) headerInvalidUtf8_.push_back(lineNumber);
    } else if (report_.utf8 && !isValidUtf8(text)) {
        report_.invalidUtf8Lines.push_back(lineNumber);
    }
}

void ReportGatherer::levelZero(LineKind kind, std::string_view text, int64_t lineNumber) {
    const LevelZero parts = parseLevelZero(text);
    record_.assign(parts.xref.empty() ? parts.tag : parts.xref);

    const std::optional<Table> table = tableOf(kind);
    if (kind == LineKind::Trailer) {
        report_.trailer = true;
        leaveHeader();
        return;
    }
    if (!table) {
        if (!inHeader_) ++report_.otherRecords[std::string(parts.tag)];
        if (!parts.xref.empty()) otherXrefs_.push_back(hashOf(parts.xref));
        return;
    }
    switch (*table) {
        case Table::Individuals:
            ++report_.records.individuals;
            break;
        case Table::Families:
            ++report_.records.families;
            break;
        case Table::Sources:
            ++report_.records.sources;
            break;
        case Table::Notes:
            ++report_.records.notes;
            break;
    }
    leaveHeader();
    const std::optional<int64_t> number = wholeNumber(recordNumberText(text));
    if (!number) {
        report_.nonWholeNumbers.push_back(lineNumber);
        if (!parts.xref.empty()) otherXrefs_.push_back(hashOf(parts.xref));
    }
    // Written in order of (table, whole numbers first, number), ties in input order.
    const std::tuple<int, int, int64_t> key{static_cast<int>(*table), number ? 0 : 1,
                                            number.value_or(0)};
    if (key < lastKey_) report_.alreadyInOrder = false;
    lastKey_ = key;
}

void ReportGatherer::leaveHeader() {
    if (!inHeader_) return;
    inHeader_ = false;
    if (report_.utf8) report_.invalidUtf8Lines = std::move(headerInvalidUtf8_);
    headerInvalidUtf8_ = {};
}

void ReportGatherer::lineCut(int64_t lineNumber) {
    report_.cutLines.push_back({lineNumber, record_});
}

void ReportGatherer::lineContinued(int64_t lineNumber) {
    report_.continuedLines.push_back({lineNumber, record_});
}

void ReportGatherer::staged(int64_t linesRead) {
    report_.linesRead = linesRead;
    leaveHeader();
    report_.linesStaged = staged_.count;
}

void ReportGatherer::findDuplicates() {
    std::sort(otherXrefs_.begin(), otherXrefs_.end());
    for (size_t i = 1; i < otherXrefs_.size(); ++i) {
        const uint64_t hash = otherXrefs_[i];
        if (hash == otherXrefs_[i - 1] &&
            (otherDuplicates_.empty() || otherDuplicates_.back() != hash))
            otherDuplicates_.push_back(hash);
    }
}

void ReportGatherer::writtenLine(std::string_view line) {
    written_.add(line);
    // Nearly every line is below level 0: one test settles them.
    if (line.size() < 4 || line[0] != '0' || line[1] != ' ') return;
    std::string_view xref;
    bool whole = false;
    if (const std::optional<Table> table = tableOf(classifyLine(line))) {
        // A record's line starts a row of its kind's table, where records come in order of
        // their numbers: equal numbers come side by side.
        const std::optional<int64_t> number = wholeNumber(recordNumberText(line));
        xref = parseLevelZero(line).xref;
        whole = number.has_value();
        if (number && number == writtenNumber_ && *table == writtenTable_) {
            if (sameNumber_.empty()) sameNumber_.push_back(writtenXref_);
            sameNumber_.emplace_back(xref);
        } else {
            closeEqualNumbers();
        }
        writtenTable_ = *table;
        writtenNumber_ = number;
        writtenXref_.assign(xref);
    } else if (line[2] == '@') {
        xref = parseLevelZero(line).xref;
    }
    if (xref.empty() || otherXrefs_.empty()) return;
    // A record with a whole number whose xref another level-0 line carries too, or one of the
    // other lines' xrefs found twice.
    const uint64_t hash = hashOf(xref);
    const std::vector<uint64_t>& seen = whole ? otherXrefs_ : otherDuplicates_;
    if (std::binary_search(seen.begin(), seen.end(), hash)) duplicateTexts_.emplace(xref);
}

void ReportGatherer::closeEqualNumbers() {
    if (sameNumber_.empty()) return;
    std::vector<std::string> spellings = std::move(sameNumber_);
    sameNumber_.clear();
    std::sort(spellings.begin(), spellings.end());
    for (size_t i = 1; i < spellings.size(); ++i) {
        if (spellings[i] == spellings[i - 1]) duplicateTexts_.insert(spellings[i]);
    }
    spellings.erase(std::unique(spellings.begin(), spellings.end()), spellings.end());
    if (spellings.size() >= 2) equalSpellings_.push_back(std::move(spellings));
}

bool ReportGatherer::verify() {
    closeEqualNumbers();
    report_.linesWritten = written_.count;
    report_.verified = written_ == staged_;
    return report_.verified;
}

void ReportGatherer::locate(ByteSource& input) {
    std::map<std::string, std::vector<int64_t>, std::less<>> lines;
    for (const std::string& xref : duplicateTexts_) lines[xref];
    for (const auto& spellings : equalSpellings_) {
        for (const std::string& xref : spellings) lines[xref];
    }
    LineReader reader(input);
    Line line;
    for (int64_t number = 1; number <= report_.linesRead && reader.next(line); ++number) {
        const std::string_view head = line.head;
        if (head.size() < 3 || head[0] != '0' || head[1] != ' ' || head[2] != '@') continue;
        const auto found = lines.find(parseLevelZero(head).xref);
        if (found != lines.end()) found->second.push_back(number);
    }

    for (const std::string& xref : duplicateTexts_) {
        std::vector<int64_t>& found = lines[xref];
        if (found.size() >= 2) report_.duplicateXrefs.emplace_back(xref, found);
    }
    std::sort(report_.duplicateXrefs.begin(), report_.duplicateXrefs.end(),
              [](const auto& a, const auto& b) { return a.second.front() < b.second.front(); });
    for (const auto& spellings : equalSpellings_) {
        std::vector<int64_t> group;
        for (const std::string& xref : spellings) {
            const std::vector<int64_t>& found = lines[xref];
            group.insert(group.end(), found.begin(), found.end());
        }
        std::sort(group.begin(), group.end());
        report_.equalNumbers.push_back(std::move(group));
    }
    std::sort(report_.equalNumbers.begin(), report_.equalNumbers.end());
}

namespace {

void appendLines(std::string& json, const std::vector<int64_t>& lines) {
    json += '[';
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) json += ',';
        json += std::to_string(lines[i]);
    }
    json += ']';
}

void appendReported(std::string& json, const std::vector<ReportedLine>& lines) {
    json += '[';
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) json += ',';
        json += "{\"line\":" + std::to_string(lines[i].line) +
                ",\"record\":" + jsonString(lines[i].record) + "}";
    }
    json += ']';
}

const char* boolean(bool value) {
    return value ? "true" : "false";
}

}  // namespace

std::string jsonString(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char byte = data[i];
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
            ++i;
            continue;
        }
        const size_t length =
            byte < 0x20 || byte == 0x7F ? 0 : sequenceLength(data + i, bytes.size() - i);
        if (length == 0) {
            // A control character, or a byte that is not UTF-8: its Latin-1 character.
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
            ++i;
            continue;
        }
        json.append(bytes.substr(i, length));
        i += length;
    }
    return json + "\"";
}

std::string printableText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char byte = data[i];
        if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
            ++i;
            continue;
        }
        const size_t length = sequenceLength(data + i, bytes.size() - i);
        if (length == 0) {
            // The byte as Latin-1, in UTF-8.
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
            ++i;
            continue;
        }
        text.append(bytes.substr(i, length));
        i += length;
    }
    return text;
}

std::string toJson(const RunReport& report) {
    std::string json = "{";
    json += "\"lines_read\":" + std::to_string(report.linesRead);
    json += ",\"records\":{\"individuals\":" + std::to_string(report.records.individuals) +
            ",\"families\":" + std::to_string(report.records.families) +
            ",\"sources\":" + std::to_string(report.records.sources) +
            ",\"notes\":" + std::to_string(report.records.notes) + "}";
    json += ",\"header_lines\":" + std::to_string(report.headerLines);
    json += ",\"other_records\":{";
    bool first = true;
    for (const auto& [tag, count] : report.otherRecords) {
        if (!first) json += ',';
        first = false;
        json += jsonString(tag) + ":" + std::to_string(count);
    }
    json += "}";
    json += ",\"already_in_order\":" + std::string(boolean(report.alreadyInOrder));
    json += ",\"duplicate_xrefs\":{";
    for (size_t i = 0; i < report.duplicateXrefs.size(); ++i) {
        if (i > 0) json += ',';
        json += jsonString(report.duplicateXrefs[i].first) + ":";
        appendLines(json, report.duplicateXrefs[i].second);
    }
    json += "}";
    json += ",\"equal_numbers\":[";
    for (size_t i = 0; i < report.equalNumbers.size(); ++i) {
        if (i > 0) json += ',';
        appendLines(json, report.equalNumbers[i]);
    }
    json += "]";
    json += ",\"non_whole_numbers\":";
    appendLines(json, report.nonWholeNumbers);
    json += ",\"cut_lines\":";
    appendReported(json, report.cutLines);
    json += ",\"continued_lines\":";
    appendReported(json, report.continuedLines);
    json += ",\"empty_lines\":" + std::to_string(report.emptyLines);
    json += ",\"lines_after_trailer\":" + std::to_string(report.linesAfterTrailer);
    json += ",\"trailer\":" + std::string(boolean(report.trailer));
    json += ",\"byte_order_mark\":" + std::string(boolean(report.byteOrderMark));
    json += ",\"declared_char\":" +
            (report.declaredChar ? jsonString(*report.declaredChar) : std::string("null"));
    json += ",\"invalid_utf8_lines\":";
    appendLines(json, report.invalidUtf8Lines);
    json += ",\"verified\":" + std::string(boolean(report.verified));
    return json + "}";
}

}  // namespace brelin

#include "report_json.h"

#include "gedcom_line.h"

namespace brelin {

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

const char* encodingName(gedcom::TextBytes bytes) {
    switch (bytes) {
        case gedcom::TextBytes::Ascii:
            return "ascii";
        case gedcom::TextBytes::Utf8:
            return "utf-8";
        case gedcom::TextBytes::EightBit:
            break;
    }
    return "8-bit";
}

std::string optionalString(const std::optional<std::string>& value) {
    return value ? jsonString(*value) : std::string("null");
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
        const size_t length = byte < 0x20 || byte == 0x7F
                                  ? 0
                                  : gedcom::utf8SequenceLength(data + i, bytes.size() - i);
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
    json += ",\"numbered_by_tag\":{";
    for (size_t i = 0; i < report.numberedByTag.size(); ++i) {
        if (i > 0) json += ',';
        json += jsonString(report.numberedByTag[i].tag) + ":" +
                std::to_string(report.numberedByTag[i].records);
    }
    json += "}";
    json += ",\"group_mismatches\":[";
    for (size_t i = 0; i < report.groupMismatches.size(); ++i) {
        const GroupMismatch& mismatch = report.groupMismatches[i];
        if (i > 0) json += ',';
        json += "{\"line\":" + std::to_string(mismatch.line) +
                ",\"xref\":" + jsonString(mismatch.xref) + ",\"tag\":" + jsonString(mismatch.tag) +
                "}";
    }
    json += "]";
    json += ",\"missing_pointers\":[";
    for (size_t i = 0; i < report.missingPointers.size(); ++i) {
        if (i > 0) json += ',';
        json += "{\"line\":" + std::to_string(report.missingPointers[i].line) +
                ",\"pointer\":" + jsonString(report.missingPointers[i].pointer) + "}";
    }
    json += "]";
    json += ",\"cut_lines\":";
    appendReported(json, report.cutLines);
    json += ",\"continued_lines\":";
    appendReported(json, report.continuedLines);
    json += ",\"empty_lines\":" + std::to_string(report.emptyLines);
    json += ",\"lines_after_trailer\":" + std::to_string(report.linesAfterTrailer);
    json += ",\"records_after_trailer\":" + std::to_string(report.recordsAfterTrailer);
    json += ",\"trailer\":" + std::string(boolean(report.trailer));
    json += ",\"byte_order_mark\":" + std::string(boolean(report.byteOrderMark));
    json += ",\"declared_char\":" + optionalString(report.declaredChar);
    json += ",\"gedcom_version\":" + optionalString(report.gedcomVersion);
    json += ",\"encoding_seen\":\"" + std::string(encodingName(report.encodingSeen)) + "\"";
    json += ",\"encoding_mismatch\":" + std::string(boolean(report.encodingMismatch));
    json += ",\"invalid_utf8_lines\":";
    appendLines(json, report.invalidUtf8Lines);
    json += ",\"split_characters\":";
    appendLines(json, report.splitCharacters);
    json += ",\"conc_repaired\":" + std::to_string(report.concRepaired);
    json += ",\"verified\":" + std::string(boolean(report.verified));
    return json + "}";
}

}  // namespace brelin

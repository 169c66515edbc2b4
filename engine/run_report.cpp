#include "run_report.h"

#include <algorithm>
#include <cctype>

namespace brelin {

std::vector<Finding> findings(const RunReport& report) {
    std::vector<Finding> list;
    if (report.version7) list.push_back(Finding::Version7);
    if (!report.cutLines.empty()) list.push_back(Finding::LinesCut);
    if (!report.continuedLines.empty()) list.push_back(Finding::LinesContinued);
    if (report.linesAfterTrailer > 0) list.push_back(Finding::LinesAfterTrailer);
    if (report.recordsAfterTrailer > 0) list.push_back(Finding::RecordsAfterTrailer);
    if (!report.trailer) list.push_back(Finding::NoTrailer);
    if (!report.duplicateXrefs.empty()) list.push_back(Finding::DuplicateXrefs);
    if (!report.numberedByTag.empty()) list.push_back(Finding::NumberedByTag);
    if (!report.groupMismatches.empty()) list.push_back(Finding::GroupMismatches);
    if (!report.missingPointers.empty()) list.push_back(Finding::MissingPointers);
    if (report.encodingMismatch) list.push_back(Finding::EncodingMismatch);
    if (!report.invalidUtf8Lines.empty()) list.push_back(Finding::InvalidUtf8);
    if (!report.splitCharacters.empty()) list.push_back(Finding::SplitCharacters);
    return list;
}

EncodingDisagreement encodingDisagreement(const RunReport& report) {
    using gedcom::TextBytes;
    const TextBytes seen = report.encodingSeen;
    EncodingDisagreement disagreement;
    disagreement.mark = report.byteOrderMark && seen == TextBytes::EightBit;
    disagreement.version7 = report.version7 && seen == TextBytes::EightBit;
    if (report.declaredChar) {
        std::string declared = *report.declaredChar;
        std::transform(declared.begin(), declared.end(), declared.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (gedcom::namesUtf8(declared) || declared == "UNICODE") {
            disagreement.declaration = seen == TextBytes::EightBit;
        } else if (declared == "ASCII") {
            disagreement.declaration = seen != TextBytes::Ascii;
        } else {
            disagreement.declaration = seen == TextBytes::Utf8;
        }
    }
    return disagreement;
}

}  // namespace brelin

#include "run_report.h"

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

}  // namespace brelin

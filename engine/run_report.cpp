#include "run_report.h"

namespace brelin {

std::vector<Finding> findings(const RunReport& report) {
    std::vector<Finding> list;
    if (!report.cutLines.empty()) list.push_back(Finding::LinesCut);
    if (!report.continuedLines.empty()) list.push_back(Finding::LinesContinued);
    if (report.linesAfterTrailer > 0) list.push_back(Finding::LinesAfterTrailer);
    if (!report.trailer) list.push_back(Finding::NoTrailer);
    if (!report.duplicateXrefs.empty()) list.push_back(Finding::DuplicateXrefs);
    if (!report.invalidUtf8Lines.empty()) list.push_back(Finding::InvalidUtf8);
    return list;
}

}  // namespace brelin

#include "line_count.h"

#include <algorithm>
#include <cmath>

#include "gedcom_file.h"
#include "line_reader.h"

namespace brelin {

InputMeasure estimateLines(uint64_t sizeInBytes) {
    InputMeasure measure;
    measure.estimated = true;
    measure.sizeInBytes = sizeInBytes;
    // nearbyint rounds a half to the even neighbour.
    measure.lineTotal = static_cast<int64_t>(
        std::nearbyint(static_cast<double>(sizeInBytes) / kBytesPerEstimatedLine));
    return measure;
}

InputMeasure measureInput(ByteSource& source, uint64_t sizeInBytes) {
    if (sizeInBytes >= kCountThreshold) return estimateLines(sizeInBytes);
    InputMeasure measure;
    measure.sizeInBytes = sizeInBytes;
    LineReader reader(source);
    gedcom::TrailerGate gate;
    int64_t lines = 0;
    int64_t lastTaken = 0;
    Line line;
    while (reader.next(line)) {
        ++lines;
        if (line.empty()) continue;
        const auto verdict = gate.pass(line.head);
        if (verdict == gedcom::TrailerGate::Verdict::SecondHeader) break;
        if (verdict == gedcom::TrailerGate::Verdict::Take) lastTaken = lines;
    }
    // After a trailer, up to the last line the staging pass takes.
    measure.lineTotal = gate.pastTrailer() ? lastTaken : lines;
    return measure;
}

float progressValue(int64_t lineNumber, int64_t lineTotal) {
    if (lineTotal <= 0) return 100.0f;
    const double percent = static_cast<double>(lineNumber) / static_cast<double>(lineTotal) * 100.0;
    return static_cast<float>(std::clamp(percent, 0.0, 100.0));
}

}  // namespace brelin

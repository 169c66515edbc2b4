// The size of an input, told before its staging pass: an exact line count for inputs under
// 20 MiB, otherwise an estimate of one line per 15 bytes. Also the progress percentage.
#pragma once

#include <cstdint>

#include "file_system.h"

namespace brelin {

constexpr uint64_t kCountThreshold = 20971520;  // 20 MiB
constexpr uint64_t kBytesPerEstimatedLine = 15;

struct InputMeasure {
    // Lines expected in the staging pass: every line up to and including the last one it takes
    // after a trailer (gedcom::TrailerGate), or up to the end of the input without a trailer.
    int64_t lineTotal = 0;
    bool estimated = false;
    uint64_t sizeInBytes = 0;
};

// Counts the lines of source when sizeInBytes is under the threshold (reading the whole of it),
// or estimates them from the size without reading.
InputMeasure measureInput(ByteSource& source, uint64_t sizeInBytes);

// The estimate branch alone, for a size at or above the threshold.
InputMeasure estimateLines(uint64_t sizeInBytes);

// The progress bar's value for lineNumber: a percentage of lineTotal, never above 100.
float progressValue(int64_t lineNumber, int64_t lineTotal);

}  // namespace brelin

#include "block_batch.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace brelin {

PendingBlock BlockBatch::nextLongBlock(const RecordNumber& number) {
    const std::string_view longDigits = number.digits();
    const PendingBlock block{static_cast<int64_t>(digits.size()), bytes.size(), 0,
                             static_cast<uint32_t>(longDigits.size()), number.form()};
    digits.append(longDigits);
    return block;
}

RecordNumber BlockBatch::longNumberOf(const PendingBlock& block) const {
    return RecordNumber::ofDigits(
        std::string_view(digits).substr(static_cast<size_t>(block.number), block.digitCount));
}

bool BlockBatch::hasBlocks() const {
    return std::any_of(std::begin(blocks), std::end(blocks),
                       [](const auto& tableBlocks) { return !tableBlocks.empty(); });
}

void BlockBatch::clear() {
    for (auto& tableBlocks : blocks) tableBlocks.clear();
    bytes.clear();
    digits.clear();
}

void BlockBatch::sort(std::vector<PendingBlock>& scratch) {
    const auto isValue = [](const PendingBlock& block) {
        return block.form == RecordNumber::Form::Value;
    };
    for (auto& tableBlocks : blocks) {
        if (tableBlocks.size() < 2) continue;
        // The blocks go back and forth between tableBlocks and scratch, each keeping its buffer:
        // no buffer grows beyond the largest table's share of a batch.
        scratch.resize(tableBlocks.size());
        auto* from = &tableBlocks;
        auto* to = &scratch;
        // The blocks without a value go last, in staging order.
        const auto others =
            std::copy_if(tableBlocks.begin(), tableBlocks.end(), scratch.begin(), isValue);
        const auto values = static_cast<size_t>(others - scratch.begin());
        std::copy_if(tableBlocks.begin(), tableBlocks.end(), others,
                     [&isValue](const PendingBlock& block) { return !isValue(block); });
        std::swap(from, to);
        // The values: a radix sort, one stable pass per byte that differs between numbers
        // (three for numbers up to 16 million), keeps ties in staging order. The sign bit is
        // turned over so that numbers order as unsigned ones.
        const auto key = [](const PendingBlock& block) {
            return static_cast<uint64_t>(block.number) ^ (uint64_t{1} << 63);
        };
        uint64_t differing = 0;
        for (size_t i = 1; i < values; ++i) differing |= key((*from)[i]) ^ key((*from)[0]);
        for (int shift = 0; shift < 64; shift += 8) {
            if (((differing >> shift) & 0xFF) == 0) continue;
            size_t start[257] = {};
            for (size_t i = 0; i < values; ++i) ++start[((key((*from)[i]) >> shift) & 0xFF) + 1];
            for (size_t digit = 1; digit <= 256; ++digit) start[digit] += start[digit - 1];
            for (size_t i = 0; i < values; ++i)
                (*to)[start[(key((*from)[i]) >> shift) & 0xFF]++] = (*from)[i];
            std::copy(from->begin() + static_cast<std::ptrdiff_t>(values), from->end(),
                      to->begin() + static_cast<std::ptrdiff_t>(values));
            std::swap(from, to);
        }
        if (from != &tableBlocks) std::copy(from->begin(), from->end(), tableBlocks.begin());
        // Numbers too long for a value, rare, come before the rest, by their digits.
        if (digits.empty()) continue;
        std::stable_sort(tableBlocks.begin() + static_cast<std::ptrdiff_t>(values),
                         tableBlocks.end(), [this](const PendingBlock& a, const PendingBlock& b) {
                             return compare(numberOf(a), numberOf(b)) < 0;
                         });
    }
}

}  // namespace brelin

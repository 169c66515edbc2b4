#include "block_batch.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace brelin {

bool BlockBatch::hasBlocks() const {
    return std::any_of(std::begin(blocks), std::end(blocks),
                       [](const auto& tableBlocks) { return !tableBlocks.empty(); });
}

void BlockBatch::clear() {
    for (auto& tableBlocks : blocks) tableBlocks.clear();
    bytes.clear();
}

void BlockBatch::sort(std::vector<PendingBlock>& scratch) {
    for (auto& tableBlocks : blocks) {
        if (tableBlocks.size() < 2) continue;
        // The blocks go back and forth between tableBlocks and scratch, each keeping its buffer:
        // no buffer grows beyond the largest table's share of a batch.
        scratch.resize(tableBlocks.size());
        auto* from = &tableBlocks;
        auto* to = &scratch;
        // The blocks that are not whole go last, in staging order.
        const auto notWhole = std::copy_if(tableBlocks.begin(), tableBlocks.end(), scratch.begin(),
                                           [](const PendingBlock& block) { return block.whole; });
        const auto whole = static_cast<size_t>(notWhole - scratch.begin());
        std::copy_if(tableBlocks.begin(), tableBlocks.end(), notWhole,
                     [](const PendingBlock& block) { return !block.whole; });
        std::swap(from, to);
        // The whole ones, by number: a radix sort, one stable pass per byte that differs between
        // numbers (three for numbers up to 16 million), keeps ties in staging order. The sign
        // bit is turned over so that numbers order as unsigned ones.
        const auto key = [](const PendingBlock& block) {
            return static_cast<uint64_t>(block.number) ^ (uint64_t{1} << 63);
        };
        uint64_t differing = 0;
        for (size_t i = 1; i < whole; ++i) differing |= key((*from)[i]) ^ key((*from)[0]);
        for (int shift = 0; shift < 64; shift += 8) {
            if (((differing >> shift) & 0xFF) == 0) continue;
            size_t start[257] = {};
            for (size_t i = 0; i < whole; ++i) ++start[((key((*from)[i]) >> shift) & 0xFF) + 1];
            for (size_t digit = 1; digit <= 256; ++digit) start[digit] += start[digit - 1];
            for (size_t i = 0; i < whole; ++i)
                (*to)[start[(key((*from)[i]) >> shift) & 0xFF]++] = (*from)[i];
            std::copy(from->begin() + static_cast<std::ptrdiff_t>(whole), from->end(),
                      to->begin() + static_cast<std::ptrdiff_t>(whole));
            std::swap(from, to);
        }
        if (from != &tableBlocks) std::copy(from->begin(), from->end(), tableBlocks.begin());
    }
}

}  // namespace brelin

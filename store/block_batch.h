// A batch of staged blocks: their bytes one after another in one buffer, and for each table its
// blocks, by number and place in that buffer. Every block's bytes lie within the buffer. The
// staging database gathers a batch, sorts it and inserts it as one sorted run per table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "staging_tables.h"

namespace brelin {

// A block of a batch: its bytes are bytes[offset, offset + size) of the batch.
struct PendingBlock {
    int64_t number;  // 0 when not whole
    bool whole;
    size_t offset;
    size_t size;
};

struct BlockBatch {
    // Each table's blocks, in staging order until sorted.
    std::vector<PendingBlock> blocks[kTableCount];
    std::string bytes;

    bool hasBlocks() const;
    // Empties the batch; its buffers keep their memory for the next one.
    void clear();
    // Sorts each table's blocks: whole numbers first and ascending, then the rest, ties in
    // staging order. scratch is room for the sort, which the caller keeps between batches.
    void sort(std::vector<PendingBlock>& scratch);
};

}  // namespace brelin

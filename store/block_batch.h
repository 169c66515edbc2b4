// A batch of staged blocks: their bytes one after another in one buffer, and for each table its
// blocks, by number and place in that buffer. Every block's bytes lie within the buffer. The
// staging database gathers a batch, sorts it and inserts it as one sorted run per table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record_number.h"
#include "staging_tables.h"

namespace brelin {

// A block of a batch: its bytes are bytes[offset, offset + size) of the batch.
struct PendingBlock {
    // A Value's value; for Digits, where its digits start in the batch's digits.
    int64_t number;
    size_t offset;
    size_t size;
    // For Digits, how many.
    uint32_t digitCount;
    RecordNumber::Form form;
};

struct BlockBatch {
    // Each table's blocks, in staging order until sorted.
    std::vector<PendingBlock> blocks[kTableCount];
    std::string bytes;
    // The digits of the numbers too long for a value, one after another; empty in nearly every
    // batch.
    std::string digits;

    // The block to stage next, its bytes to be appended from the end of the buffer on.
    PendingBlock nextBlock(const RecordNumber& number) {
        if (number.form() == RecordNumber::Form::Digits) return nextLongBlock(number);
        return {number.value(), bytes.size(), 0, 0, number.form()};
    }
    // The number a block was staged under, viewing the batch's digits.
    RecordNumber numberOf(const PendingBlock& block) const {
        if (block.form == RecordNumber::Form::Value) return RecordNumber(block.number);
        return block.form == RecordNumber::Form::None ? RecordNumber() : longNumberOf(block);
    }
    bool hasBlocks() const;
    // Empties the batch; its buffers keep their memory for the next one.
    void clear();
    // Sorts each table's blocks by number (record_number.h), ties in staging order. scratch is
    // room for the sort, which the caller keeps between batches.
    void sort(std::vector<PendingBlock>& scratch);

private:
    PendingBlock nextLongBlock(const RecordNumber& number);
    RecordNumber longNumberOf(const PendingBlock& block) const;
};

}  // namespace brelin

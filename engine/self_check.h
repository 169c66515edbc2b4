// The program's own guard over what it writes: the count and an order-independent digest (the
// sum of a 64-bit hash per line, line end excluded) of every line staged, and the same of every
// line written. The output is committed only when both are equal: a line lost, changed or
// repeated between the input and the output fails the run instead.
//
// The staging pass gives its lines in order; then each write-out, from beginWriteOut(), gives
// its own, possibly from a thread of its own (CheckedOutput) as long as no other call overlaps
// them; verify() follows the write-out.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace brelin {

// The 64-bit hash of a line (XXH3), line end excluded; the same for a line given in pieces.
uint64_t lineHash(std::string_view line);

// A count of lines and the sum of their hashes.
struct LineTally {
    int64_t count = 0;
    uint64_t digest = 0;

    void add(std::string_view line) { addHash(lineHash(line)); }
    void addHash(uint64_t hash) {
        ++count;
        digest += hash;
    }
    bool operator==(const LineTally&) const = default;
};

class SelfCheck {
public:
    SelfCheck();
    ~SelfCheck();
    SelfCheck(const SelfCheck&) = delete;
    SelfCheck& operator=(const SelfCheck&) = delete;

    // A whole line staged.
    void staged(std::string_view line) { staged_.add(line); }
    // A line staged in pieces: every byte of it from its start, in pieces of any size, then its
    // end. It hashes as the same line given whole.
    void stagedPiece(std::string_view bytes);
    void stagedLineEnd();

    // A write-out begins: what an earlier one, which failed, wrote is forgotten.
    void beginWriteOut();
    // A line written, without its CR LF; or the end of a line whose first bytes writtenPiece
    // gave.
    void written(std::string_view line);
    // The first bytes of a line that the next writtenPiece or written goes on with.
    void writtenPiece(std::string_view bytes);

    // True when the lines written are the lines staged.
    bool verify() const { return written_ == staged_; }
    int64_t linesStaged() const { return staged_.count; }
    int64_t linesWritten() const { return written_.count; }

private:
    struct Pieces;

    LineTally staged_;
    LineTally written_;
    std::unique_ptr<Pieces> stagedPieces_;
    std::unique_ptr<Pieces> writtenPieces_;
    bool stagedInPieces_ = false;
    bool writtenInPieces_ = false;
};

}  // namespace brelin

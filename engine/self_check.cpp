#include "self_check.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace brelin {

// The hash of a line given in pieces, as it comes.
struct SelfCheck::Pieces {
    XXH3_state_t state;

    void start() { XXH3_64bits_reset(&state); }
    void add(std::string_view piece) { XXH3_64bits_update(&state, piece.data(), piece.size()); }
    uint64_t digest() { return XXH3_64bits_digest(&state); }
};

uint64_t lineHash(std::string_view line) {
    return XXH3_64bits(line.data(), line.size());
}

SelfCheck::SelfCheck()
    : stagedPieces_(std::make_unique<Pieces>()), writtenPieces_(std::make_unique<Pieces>()) {}

SelfCheck::~SelfCheck() = default;

void SelfCheck::stagedPiece(std::string_view bytes) {
    if (!stagedInPieces_) stagedPieces_->start();
    stagedInPieces_ = true;
    stagedPieces_->add(bytes);
}

void SelfCheck::stagedLineEnd() {
    if (!stagedInPieces_) stagedPieces_->start();
    stagedInPieces_ = false;
    staged_.addHash(stagedPieces_->digest());
}

void SelfCheck::beginWriteOut() {
    written_ = {};
    writtenInPieces_ = false;
}

void SelfCheck::written(std::string_view line) {
    if (!writtenInPieces_) {
        written_.add(line);
        return;
    }
    writtenPieces_->add(line);
    writtenInPieces_ = false;
    written_.addHash(writtenPieces_->digest());
}

void SelfCheck::writtenPiece(std::string_view bytes) {
    if (!writtenInPieces_) writtenPieces_->start();
    writtenInPieces_ = true;
    writtenPieces_->add(bytes);
}

}  // namespace brelin

#include "pointer_check.h"

#include <algorithm>
#include <iterator>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace brelin {

namespace {

// A page holds the bits of 4096 numbers: the records' 4096 bits, then the pointers'.
constexpr uint64_t kPageNumbers = 4096;
constexpr size_t kPageWords = 2 * kPageNumbers / 64;
// Numbers below this are kept as bits: 4096 pages a family at most.
constexpr uint64_t kNumberLimit = uint64_t{1} << 24;
// Past these, xrefs are kept as hashes: a file of scattered numbers or of many spellings costs
// at most 4 MiB of pages and 2 MiB of families.
constexpr size_t kMaxFamilies = 64;
constexpr size_t kMaxPages = 4096;
// The pointers' hashes are sorted and their repeats dropped each time they grow by this much
// over what the last time left: a file names the same records again and again.
constexpr size_t kCompactionStep = 1 << 16;

struct Key {
    std::string_view letters;
    size_t width = 0;
    uint64_t number = 0;
};

// "@I123@": "I", 0, 123; "@F0042@": "F", 4, 42. False for an xref of another form, or of a
// number too large. One pass back from the closing "@": every record and pointer comes here.
bool keyOf(std::string_view xref, Key& key) {
    const size_t size = xref.size();
    if (size < 3 || xref[0] != '@' || xref[size - 1] != '@') return false;
    size_t start = size - 1;
    uint64_t scale = 1;
    key.number = 0;
    while (start > 1 && xref[start - 1] >= '0' && xref[start - 1] <= '9') {
        --start;
        key.number += static_cast<uint64_t>(xref[start] - '0') * scale;
        scale *= 10;
        if (size - 1 - start > 8) return false;
    }
    const size_t digits = size - 1 - start;
    if (digits == 0 || key.number >= kNumberLimit) return false;
    key.letters = xref.substr(1, start - 1);
    key.width = digits > 1 && xref[start] == '0' ? digits : 0;
    return true;
}

uint64_t hashOf(std::string_view text) {
    return XXH3_64bits(text.data(), text.size());
}

void sortUnique(std::vector<uint64_t>& values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
}

}  // namespace

PointerCheck::PointerCheck() = default;
PointerCheck::~PointerCheck() = default;

std::optional<PointerCheck::Bit> PointerCheck::bitOf(std::string_view xref, bool pointer,
                                                     bool make) {
    Key key;
    if (!keyOf(xref, key)) return std::nullopt;
    // A file spells each kind of record one way: the family last met with the same first letter
    // is the likeliest.
    const auto first = static_cast<unsigned char>(key.letters.empty() ? 0 : key.letters[0]);
    size_t index = lastFamilyOf_[first];
    if (index >= families_.size() || families_[index].width != key.width ||
        families_[index].letters != key.letters) {
        index = familyOf(key.letters, key.width, make);
        if (index == families_.size()) return std::nullopt;
        lastFamilyOf_[first] = static_cast<uint8_t>(index);
    }
    uint64_t* page = families_[index].pages[static_cast<size_t>(key.number / kPageNumbers)].get();
    if (page == nullptr) {
        page = makePage(index, key.number / kPageNumbers, make);
        if (page == nullptr) return std::nullopt;
    }
    const uint64_t bit = key.number % kPageNumbers + (pointer ? kPageNumbers : 0);
    return Bit{&page[bit / 64], uint64_t{1} << (bit % 64)};
}

size_t PointerCheck::familyOf(std::string_view letters, size_t width, bool make) {
    for (size_t index = 0; index < families_.size(); ++index) {
        if (families_[index].width == width && families_[index].letters == letters) return index;
    }
    if (!make || families_.size() >= kMaxFamilies) return families_.size();
    families_.push_back({std::string(letters), width, {}});
    families_.back().pages.resize(kNumberLimit / kPageNumbers);
    return families_.size() - 1;
}

uint64_t* PointerCheck::makePage(size_t family, uint64_t page, bool make) {
    if (!make || pages_ >= kMaxPages) return nullptr;
    ++pages_;
    std::unique_ptr<uint64_t[]>& made = families_[family].pages[static_cast<size_t>(page)];
    made = std::make_unique<uint64_t[]>(kPageWords);
    return made.get();
}

void PointerCheck::record(std::string_view xref) {
    if (const std::optional<Bit> bit = bitOf(xref, false, true)) {
        *bit->word |= bit->mask;
    } else {
        recordHashes_.push_back(hashOf(xref));
    }
}

void PointerCheck::pointer(std::string_view xref) {
    if (const std::optional<Bit> bit = bitOf(xref, true, true)) {
        *bit->word |= bit->mask;
        return;
    }
    pointerHashes_.push_back(hashOf(xref));
    if (pointerHashes_.size() >= compactedSize_ + kCompactionStep) compactPointers();
}

void PointerCheck::compactPointers() {
    sortUnique(pointerHashes_);
    compactedSize_ = pointerHashes_.size();
}

bool PointerCheck::settle() {
    sortUnique(recordHashes_);
    sortUnique(pointerHashes_);
    missingHashes_.clear();
    std::set_difference(pointerHashes_.begin(), pointerHashes_.end(), recordHashes_.begin(),
                        recordHashes_.end(), std::back_inserter(missingHashes_));
    recordHashes_ = {};
    pointerHashes_ = {};
    bool any = !missingHashes_.empty();
    for (const Family& family : families_) {
        for (const auto& page : family.pages) {
            if (!page) continue;
            for (size_t word = 0; word < kPageWords / 2 && !any; ++word)
                any = (page[kPageWords / 2 + word] & ~page[word]) != 0;
        }
    }
    return any;
}

bool PointerCheck::missing(std::string_view xref) {
    if (const std::optional<Bit> bit = bitOf(xref, false, false))
        return (*bit->word & bit->mask) == 0;
    return std::binary_search(missingHashes_.begin(), missingHashes_.end(), hashOf(xref));
}

}  // namespace brelin

// Finds the pointers of a file that name no level-0 record of it, in little memory whatever the
// file's size. An xref of the usual form, letters then a number ("@I123@", "@F0042@"), is kept
// as two bits of a page of numbers (a record has it; a pointer names it), pages being made as
// numbers are met; any other xref as a 64-bit hash. The lines of the missing pointers are found
// by reading the input again (ReportGatherer::locate), which only a file that has some pays for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelin {

class PointerCheck {
public:
    PointerCheck();
    ~PointerCheck();
    PointerCheck(const PointerCheck&) = delete;
    PointerCheck& operator=(const PointerCheck&) = delete;

    // The xref of a level-0 line.
    void record(std::string_view xref);
    // A pointer (gedcom::pointerValue).
    void pointer(std::string_view xref);
    // After the last line: settles which pointers name no record. True when some do.
    bool settle();
    // After settle(), for a pointer that pointer() was given: true when it names no record.
    bool missing(std::string_view xref);

private:
    // The numbers of one spelling: the same letters, then digits without a leading zero (width
    // 0) or with one, over a given width ("@F0042@": "F", 4).
    struct Family {
        std::string letters;
        size_t width = 0;
        std::vector<std::unique_ptr<uint64_t[]>> pages;
    };
    struct Bit {
        uint64_t* word;
        uint64_t mask;
    };
    // The bit of xref in its page, in the records' half or the pointers', the page made when
    // make is true and the budget allows; nullopt for an xref kept as a hash. An xref is kept
    // the same way all along: its page, once made, stays, and once the budget is spent, no page
    // is made.
    std::optional<Bit> bitOf(std::string_view xref, bool pointer, bool make);
    // The family of letters and width, made if make is true and the budget allows; the count of
    // families when there is none. Rare: the last family of an xref's first letter is kept.
    size_t familyOf(std::string_view letters, size_t width, bool make);
    // The page of the given index in family, made if make is true and the budget allows; null
    // otherwise.
    uint64_t* makePage(size_t family, uint64_t page, bool make);
    void compactPointers();

    std::vector<Family> families_;
    // By an xref's first letter, the family it last belonged to (none: past the end).
    uint8_t lastFamilyOf_[256] = {};
    size_t pages_ = 0;
    std::vector<uint64_t> recordHashes_;
    std::vector<uint64_t> pointerHashes_;
    size_t compactedSize_ = 0;
    std::vector<uint64_t> missingHashes_;
};

}  // namespace brelin

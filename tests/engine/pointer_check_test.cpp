// The pointer check answers exactly, whether an xref is kept as bits or, past the budgets that
// bound its memory, as a hash.
#include "pointer_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brelin {
namespace {

TEST(PointerCheck, MissingAreExactlyThePointersWithoutARecordWhateverTheirForm) {
    std::vector<std::string> records;
    // Numbers a page apart, in two spellings: past the pages' budget, the rest become hashes.
    for (int i = 0; i < 2100; ++i) {
        records.push_back("@I" + std::to_string(i * 4096 + 5) + "@");
        records.push_back("@F" + std::to_string(i * 4096 + 5) + "@");
    }
    // More spellings than are kept as bits.
    for (int i = 0; i < 80; ++i) records.push_back("@P" + std::to_string(i) + "Q1@");
    for (const char* xref : {"@I99999999@", "@SUBMITTER@", "@I007@", "@N0@"})
        records.push_back(xref);
    const std::vector<std::string> missing = {"@I6@",       "@F4102@",      "@F8600000@", "@P79Q2@",
                                              "@P81Q1@",    "@I99999998@",  "@I07@",      "@I7@",
                                              "@SUBMITOR@", "@I123456789@", "@N00@",      "@F1@"};

    PointerCheck check;
    // Half the records come after the pointers that name them.
    for (size_t i = 0; i < records.size(); i += 2) check.record(records[i]);
    for (const std::string& xref : records) check.pointer(xref);
    for (const std::string& xref : missing) check.pointer(xref);
    for (size_t i = 1; i < records.size(); i += 2) check.record(records[i]);
    ASSERT_TRUE(check.settle());
    for (const std::string& xref : records) EXPECT_FALSE(check.missing(xref)) << xref;
    for (const std::string& xref : missing) EXPECT_TRUE(check.missing(xref)) << xref;
}

TEST(PointerCheck, NothingMissingWhenEveryPointerHasItsRecord) {
    PointerCheck check;
    check.pointer("@F1@");
    check.record("@I1@");
    check.record("@F1@");
    check.pointer("@I1@");
    EXPECT_FALSE(check.settle());
}

}  // namespace
}  // namespace brelin

// How records are numbered: whole numbers of any length in one order.
#include "record_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brelin {
namespace {

// Texts in ascending order, each inner list a number written in several ways; the last list
// writes no whole number.
TEST(RecordNumber, WholeNumbersOfAnyLengthInAscendingOrderThenTheRest) {
    const std::vector<std::vector<std::string>> ascending = {
        {"0", "000"},
        {"7", "007"},
        {"12"},
        {"999999999999999999", "0999999999999999999"},  // 18 digits, the largest value
        {"1000000000000000000"},                        // 19 digits
        {"1234567890123456789", "00001234567890123456789"},
        {"9999999999999999999"},
        {"1000000000000000000000000"},  // 25 digits
        {"1000000000000000000000001"},
        {"", "-5", "+5", "1e3", " 12", "12 ", "12@", "IV", "\xD9\xA3"},
    };
    std::vector<std::pair<size_t, RecordNumber>> numbers;
    for (size_t rank = 0; rank < ascending.size(); ++rank) {
        for (const std::string& text : ascending[rank])
            numbers.emplace_back(rank, RecordNumber::ofDigits(text));
    }
    for (const auto& [rankA, a] : numbers) {
        EXPECT_EQ(a.isWhole(), rankA + 1 < ascending.size());
        for (const auto& [rankB, b] : numbers) {
            const int expected = (rankA > rankB) - (rankA < rankB);
            EXPECT_EQ(compare(a, b), expected) << rankA << " " << rankB;
        }
    }
    // Up to 18 significant digits, a number is held as its value.
    EXPECT_EQ(RecordNumber::ofDigits("000000000000000000000012").form(), RecordNumber::Form::Value);
    EXPECT_EQ(RecordNumber::ofDigits("000000000000000000000012").value(), 12);
    EXPECT_EQ(RecordNumber::ofDigits("01234567890123456789").digits(), "1234567890123456789");
}

}  // namespace
}  // namespace brelin

// A record's number as the store orders records by it: whole numbers first, ascending, then the
// records without one; records of equal numbers keep the order of staging. Every part of the
// program that compares record numbers compares them so (compare()), and so agrees with the
// order the records are written in.
//
// A whole number of up to 18 significant digits, nearly every record's, is held as its 64-bit
// value: the fast path of the batch's sort, of the read-back's merge and of SQLite's own sort. A
// longer one is held as its significant digits, which the object views (it owns no text), and
// orders after every shorter one: by its count of digits, then digit by digit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brelin {

class RecordNumber {
public:
    // How a number is held, in the order of the records: Value, then Digits, then None.
    enum class Form : uint8_t { Value, Digits, None };
    // The most significant digits a Value holds: every such number fits in 64 bits.
    static constexpr size_t kValueDigits = 18;

    // No whole number.
    constexpr RecordNumber() = default;
    // A whole number held as its value. ofDigits gives a Value for up to 18 digits only: a
    // larger value given here would still order before every Digits.
    constexpr RecordNumber(int64_t value) : value_(value), form_(Form::Value) {}
    // The whole number that text writes when it is one: one ASCII digit or more and nothing
    // else, leading zeros allowed ("007" is 7); no whole number otherwise. A long number views
    // the significant digits of text, which must outlive it.
    static RecordNumber ofDigits(std::string_view text);

    Form form() const { return form_; }
    bool isWhole() const { return form_ != Form::None; }
    // The value of a Value.
    int64_t value() const { return value_; }
    // The significant digits of a Digits: more than 18, the first not "0".
    std::string_view digits() const { return {digits_, size_}; }
    // True when both are Values: the comparison's fast path.
    friend bool bothValues(const RecordNumber& a, const RecordNumber& b) {
        return (static_cast<int>(a.form_) | static_cast<int>(b.form_)) == 0;
    }

    // The same number viewing a copy of its digits in storage, for a number kept beyond the life
    // of the text it views. storage must outlive the copy, unchanged.
    RecordNumber keptIn(std::string& storage) const {
        return form_ == Form::Digits ? copiedTo(storage) : *this;
    }

private:
    RecordNumber copiedTo(std::string& storage) const;

    // Sixteen bytes, so that a number passes in registers.
    union {
        int64_t value_ = 0;
        const char* digits_;
    };
    uint32_t size_ = 0;
    Form form_ = Form::None;
};
static_assert(static_cast<int>(RecordNumber::Form::Value) == 0, "bothValues tests for zero");

// compare() of two numbers that are not both Values.
int compareOthers(const RecordNumber& a, const RecordNumber& b);
// Below zero, zero or above zero as a comes before b, with it, or after it.
inline int compare(const RecordNumber& a, const RecordNumber& b) {
    if (bothValues(a, b)) return (a.value() > b.value()) - (a.value() < b.value());
    return compareOthers(a, b);
}
inline bool operator==(const RecordNumber& a, const RecordNumber& b) {
    return compare(a, b) == 0;
}

}  // namespace brelin

#include "record_number.h"

namespace brelin {

RecordNumber RecordNumber::ofDigits(std::string_view text) {
    if (text.empty()) return {};
    size_t first = 0;
    while (first < text.size() && text[first] == '0') ++first;
    // One pass: the value of the first 18 significant digits, while each byte is a digit.
    int64_t value = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const auto digit = static_cast<unsigned char>(text[i] - '0');
        if (digit > 9) return {};
        if (i - first < kValueDigits) value = value * 10 + digit;
    }
    if (text.size() - first <= kValueDigits) return RecordNumber(value);
    RecordNumber number;
    number.form_ = Form::Digits;
    number.digits_ = text.data() + first;
    number.size_ = static_cast<uint32_t>(text.size() - first);
    return number;
}

RecordNumber RecordNumber::copiedTo(std::string& storage) const {
    storage.assign(digits_, size_);
    RecordNumber kept = *this;
    kept.digits_ = storage.data();
    return kept;
}

int compareOthers(const RecordNumber& a, const RecordNumber& b) {
    if (a.form() != b.form()) return a.form() < b.form() ? -1 : 1;
    if (a.form() == RecordNumber::Form::Value)
        return (a.value() > b.value()) - (a.value() < b.value());
    if (a.form() == RecordNumber::Form::None) return 0;
    // Without leading zeros, the longer number is the larger one.
    const std::string_view x = a.digits();
    const std::string_view y = b.digits();
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    const int order = x.compare(y);
    return (order > 0) - (order < 0);
}

}  // namespace brelin

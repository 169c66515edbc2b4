#include "printable.h"

#include "gedcom_line.h"

namespace brelin::text {

std::string printableText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char byte = data[i];
        if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
            ++i;
            continue;
        }
        const size_t length = gedcom::utf8SequenceLength(data + i, bytes.size() - i);
        if (length == 0) {
            // The byte as Latin-1, in UTF-8.
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
            ++i;
            continue;
        }
        text.append(bytes.substr(i, length));
        i += length;
    }
    return text;
}

std::string othersText(size_t total) {
    if (total <= kListedItems) return {};
    return "et " + std::to_string(total - kListedItems) + " autres";
}

std::string numbersText(const std::vector<int64_t>& values) {
    std::string text;
    for (size_t i = 0; i < values.size() && i < kListedItems; ++i) {
        if (i > 0) text += i + 1 == values.size() ? " et " : ", ";
        text += std::to_string(values[i]);
    }
    if (values.size() > kListedItems) {
        text += ' ';
        text += othersText(values.size());
    }
    return text;
}

std::string linesText(const std::vector<int64_t>& values) {
    return (values.size() == 1 ? "ligne " : "lignes ") + numbersText(values);
}

std::string countText(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n <= 1 ? one : many);
}

}  // namespace brelin::text

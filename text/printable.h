// How the wording shows the input's bytes and its lists to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brelin::text {

// A list in the report or a notice shows its first so many items, then "et N autres".
inline constexpr size_t kListedItems = 20;

// bytes as UTF-8 text for the user: valid UTF-8 as it is, any other byte read as Latin-1,
// control characters as "\xNN".
std::string printableText(std::string_view bytes);

// "et N autres" for a list of total items, past the first kListedItems; empty for a shorter one.
std::string othersText(size_t total);

// "12, 40 et 77", the first kListedItems numbers, then " et N autres".
std::string numbersText(const std::vector<int64_t>& values);

// "ligne 12", "lignes 12 et 40".
std::string linesText(const std::vector<int64_t>& values);

// "1 ligne", "2 lignes": French keeps 0 and 1 singular.
std::string countText(int64_t n, const char* one, const char* many);

}  // namespace brelin::text

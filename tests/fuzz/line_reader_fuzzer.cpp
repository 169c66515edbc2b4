// Splits arbitrary bytes with the LineReader and compares every line with a plain model: CR LF,
// LF and a lone CR each end a line, a UTF-8 byte-order mark is not part of the first line, a line
// keeps its full length and its first 256 bytes. The first two bytes of the fuzz input choose
// the reader's buffer size and the size of the source's reads, so lines straddle refills at every
// place, including a CR LF split between two reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "invariant.h"
#include "line_reader.h"
#include "memory_file_system.h"

namespace {

[[noreturn]] void finding(const char* what, size_t lineIndex) {
    std::fprintf(stderr, "FINDING: %s at line %zu\n", what, lineIndex);
    std::abort();
}

brelin::ByteOrderMark modelMark(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return brelin::ByteOrderMark::Utf8;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return brelin::ByteOrderMark::Utf16;
    return brelin::ByteOrderMark::None;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t bufferSize = data[0] % 2 == 0 ? 16 + data[0] : 256 * 1024;
    const size_t chunk = 1 + data[1] % 32;
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    brelin::testing::StringSource source(bytes, chunk);
    brelin::LineReader reader(source, bufferSize);
    const brelin::ByteOrderMark mark = modelMark(bytes);
    const std::string_view text = mark == brelin::ByteOrderMark::Utf8
                                      ? std::string_view(bytes).substr(3)
                                      : std::string_view(bytes);
    const std::vector<std::string_view> expected = brelin::testing::splitLines(text);

    brelin::Line line;
    size_t index = 0;
    while (reader.next(line)) {
        if (index >= expected.size()) finding("a line too many", index);
        const std::string_view want = expected[index];
        if (line.length != want.size()) finding("wrong line length", index);
        if (line.head != want.substr(0, brelin::LineReader::kKeptBytes))
            finding("wrong line head", index);
        if (line.empty() != want.empty()) finding("wrong emptiness", index);
        ++index;
    }
    if (index != expected.size()) finding("lines missing", index);
    if (reader.byteOrderMark() != mark) finding("wrong byte-order mark", index);
    if (reader.position() != bytes.size()) finding("position is not the input's size", index);
    if (reader.next(line)) finding("a line after the end", index);
    return 0;
}

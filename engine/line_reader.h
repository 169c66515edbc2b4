// Splits a byte stream into lines. CR LF, LF and a lone CR each end a line; the line end is not
// part of the line. Memory is bounded whatever the length of a line: only its first kKeptBytes
// bytes are kept, along with its full length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"
#include "gedcom_line.h"

namespace brelin {

struct Line {
    // The first min(length, kKeptBytes) bytes of the line. Valid until the next call of next().
    std::string_view head;
    // The line's full length in bytes.
    uint64_t length = 0;
    // Where the line starts in the input, in bytes from its start.
    uint64_t offset = 0;

    bool empty() const { return length == 0; }
};

enum class ByteOrderMark { None, Utf8, Utf16 };

class LineReader {
public:
    // Three bytes more than the longest line that is kept whole, so that a cut can see the whole
    // of a UTF-8 character it would split (at most four bytes, the last three past the cut).
    static constexpr size_t kKeptBytes = gedcom::kLineLimit + 3;

    // source must outlive the reader.
    explicit LineReader(ByteSource& source, size_t bufferSize = 256 * 1024);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Reads the next line; false at the end of the input. Throws what the source throws.
    bool next(Line& line);

    // The byte-order mark at the start of the input, known after the first next(). A UTF-8 mark
    // is not part of the first line.
    ByteOrderMark byteOrderMark() const { return mark_; }

    // Bytes consumed so far, line ends included.
    uint64_t position() const { return position_; }

private:
    bool fill();
    void sniffByteOrderMark();

    ByteSource& source_;
    std::vector<char> buffer_;
    size_t begin_ = 0;  // first unread byte
    size_t end_ = 0;    // one past the last byte read into the buffer
    bool atEnd_ = false;
    bool started_ = false;
    bool skipLf_ = false;  // the previous line ended with a CR that an LF may complete
    std::string carry_;    // the head of a line that spans a refill
    ByteOrderMark mark_ = ByteOrderMark::None;
    uint64_t position_ = 0;
};

}  // namespace brelin

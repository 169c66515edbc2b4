// Implementation details: a line that lies wholly in the buffer is returned as a view into it,
// with no copy. A line that runs past the end of the buffer has its head (at most kKeptBytes)
// copied to carry_ before the buffer is refilled; the rest of it is only counted.
#include "line_reader.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brelin {

namespace {

// The first CR or LF in [from, to), or to. Lines are short and files large, so this is the
// reader's inner loop: sixteen bytes are tested at a time where SSE2 is there (every x86-64).
const char* findLineEnd(const char* from, const char* to) {
    const char* p = from;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; to - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    for (; p < to; ++p) {
        if (*p == '\n' || *p == '\r') return p;
    }
    return to;
}

}  // namespace

LineReader::LineReader(ByteSource& source, size_t bufferSize)
    : source_(source), buffer_(std::max<size_t>(bufferSize, 16)) {}

bool LineReader::fill() {
    if (atEnd_) return false;
    begin_ = 0;
    end_ = source_.read(buffer_.data(), buffer_.size());
    if (end_ == 0) atEnd_ = true;
    return end_ > 0;
}

void LineReader::sniffByteOrderMark() {
    started_ = true;
    // Gather at least three bytes, or all there is.
    while (end_ - begin_ < 3 && !atEnd_) {
        const size_t kept = end_ - begin_;
        std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
        begin_ = 0;
        end_ = kept;
        const size_t got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
        if (got == 0) atEnd_ = true;
        end_ += got;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data() + begin_);
    const size_t available = end_ - begin_;
    if (available >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        mark_ = ByteOrderMark::Utf8;
        begin_ += 3;
        position_ += 3;
    } else if (available >= 2 &&
               ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        mark_ = ByteOrderMark::Utf16;
    }
}

bool LineReader::next(Line& line) {
    if (!started_) sniffByteOrderMark();
    carry_.clear();
    uint64_t length = 0;
    bool any = false;  // something of a line (bytes or its end) was seen
    for (;;) {
        if (begin_ == end_ && !fill()) break;
        if (skipLf_) {
            skipLf_ = false;
            if (buffer_[begin_] == '\n') {
                ++begin_;
                ++position_;
                continue;
            }
        }
        const char* start = buffer_.data() + begin_;
        const char* stop = buffer_.data() + end_;
        const char* lineEnd = findLineEnd(start, stop);
        const size_t taken = static_cast<size_t>(lineEnd - start);
        any = any || taken > 0;
        if (lineEnd == stop) {
            // The line goes on past the buffer: keep its head and read on.
            if (length < kKeptBytes)
                carry_.append(start,
                              static_cast<size_t>(std::min<uint64_t>(taken, kKeptBytes - length)));
            length += taken;
            position_ += taken;
            begin_ = end_;
            continue;
        }
        skipLf_ = *lineEnd == '\r';
        begin_ += taken + 1;
        position_ += taken + 1;
        if (length == 0) {
            line.head = std::string_view(start, std::min(taken, kKeptBytes));
        } else {
            if (length < kKeptBytes)
                carry_.append(start,
                              static_cast<size_t>(std::min<uint64_t>(taken, kKeptBytes - length)));
            line.head = carry_;
        }
        line.length = length + taken;
        line.offset = position_ - line.length - 1;
        return true;
    }
    if (!any) return false;
    // The last line has no line end.
    line.head = carry_;
    line.length = length;
    line.offset = position_ - length;
    return true;
}

}  // namespace brelin

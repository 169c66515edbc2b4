#include "checked_output.h"

#include <cstring>

#include "gedcom_line.h"

namespace brelin {

CheckedOutput::CheckedOutput(OutputFile& file, SelfCheck& check) : file_(file), check_(check) {
    buffer_.reserve(kBufferSize + 4096);
}

void CheckedOutput::writeLines(std::string_view lines) {
    buffer_.append(lines);
    buffer_.append(gedcom::kLineEnd);
    if (buffer_.size() >= kBufferSize) handOver();
}

void CheckedOutput::writeUnended(std::string_view lines) {
    buffer_.append(lines);
    if (buffer_.size() >= kBufferSize) handOver();
}

void CheckedOutput::finish() {
    handOver();
    thread_.wait();
}

void CheckedOutput::handOver() {
    thread_.start(buffer_, [this](std::string& buffer) {
        check(buffer);
        file_.write(buffer);
    });
    // The buffer the thread gave back keeps its memory.
    buffer_.clear();
    if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize + 4096);
}

void CheckedOutput::check(const std::string& buffer) {
    // Every line ends with CR LF, written at once with its last bytes; no line holds an LF of
    // its own. A buffer may end inside a line, which the next one goes on with.
    std::string_view rest = buffer;
    while (!rest.empty()) {
        const void* lf = std::memchr(rest.data(), '\n', rest.size());
        if (lf == nullptr) {
            check_.writtenPiece(rest);
            return;
        }
        const auto end = static_cast<size_t>(static_cast<const char*>(lf) - rest.data());
        check_.written(rest.substr(0, end - 1));
        rest.remove_prefix(end + 1);
    }
}

}  // namespace brelin

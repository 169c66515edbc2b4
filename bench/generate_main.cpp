// brelin-bench-generate: writes a synthetic GEDCOM file of about the given size and, on request,
// the output a correct reorder of it must give.
//
//   brelin-bench-generate --size BYTES --input FILE [--expected FILE] [--seed N]
//   brelin-bench-generate --single-line BYTES --input FILE
//
// Sizes take the suffixes k, M and G (powers of 1000, as file sizes are usually quoted).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gedcom_generator.h"

namespace {

bool parseSize(const char* text, uint64_t& value) {
    char* end = nullptr;
    const double number = std::strtod(text, &end);
    if (end == text || number < 0) return false;
    double scale = 1;
    if (std::strcmp(end, "k") == 0)
        scale = 1e3;
    else if (std::strcmp(end, "M") == 0)
        scale = 1e6;
    else if (std::strcmp(end, "G") == 0)
        scale = 1e9;
    else if (*end != '\0')
        return false;
    value = static_cast<uint64_t>(number * scale);
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: brelin-bench-generate --size BYTES --input FILE [--expected FILE] "
                 "[--seed N]\n"
                 "       brelin-bench-generate --single-line BYTES --input FILE\n");
    return 2;
}

// A file written through a large buffer; a failed write or close is an error.
class OutputStream {
public:
    explicit OutputStream(const std::string& path)
        : path_(path), file_(std::fopen(path.c_str(), "wb")), buffer_(1 << 20) {
        if (file_ != nullptr) std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
    }
    ~OutputStream() {
        if (file_ != nullptr) std::fclose(file_);
    }
    std::FILE* file() const { return file_; }
    bool close() {
        std::FILE* file = file_;
        file_ = nullptr;
        const bool failed = std::ferror(file) != 0;
        return std::fclose(file) == 0 && !failed;
    }

private:
    std::string path_;
    std::FILE* file_;
    std::vector<char> buffer_;
};

bool fail(const std::string& path) {
    std::perror(path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    brelin::bench::GeneratorOptions options;
    uint64_t singleLine = 0;
    bool haveSize = false;
    std::string input, expected;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (i + 1 >= argc) return usage();
        const char* value = argv[++i];
        if (word == "--size") {
            if (!parseSize(value, options.targetBytes)) return usage();
            haveSize = true;
        } else if (word == "--single-line") {
            if (!parseSize(value, singleLine) || singleLine == 0) return usage();
        } else if (word == "--input") {
            input = value;
        } else if (word == "--expected") {
            expected = value;
        } else if (word == "--seed") {
            options.seed = std::strtoull(value, nullptr, 10);
        } else {
            return usage();
        }
    }
    if (input.empty() || haveSize == (singleLine != 0)) return usage();

    OutputStream inputFile(input);
    if (inputFile.file() == nullptr) return fail(input) ? 0 : 1;
    brelin::bench::ByteSink inputSink(inputFile.file());
    if (singleLine != 0) {
        brelin::bench::writeSingleLineFile(inputSink, singleLine);
        if (!inputFile.close()) return fail(input) ? 0 : 1;
        return 0;
    }

    const brelin::bench::GedcomGenerator generator(options);
    const brelin::bench::GeneratedShape shape = generator.writeInput(inputSink);
    if (!inputFile.close()) return fail(input) ? 0 : 1;
    std::printf(
        "%s: %llu bytes, %llu lines (%.1f bytes a line), %llu longer than 255, %llu empty; "
        "%llu individuals, %llu families, %llu sources, %llu notes\n",
        input.c_str(), static_cast<unsigned long long>(inputSink.count()),
        static_cast<unsigned long long>(shape.lines),
        static_cast<double>(inputSink.count()) / static_cast<double>(shape.lines),
        static_cast<unsigned long long>(shape.longLines),
        static_cast<unsigned long long>(shape.emptyLines),
        static_cast<unsigned long long>(shape.individuals),
        static_cast<unsigned long long>(shape.families),
        static_cast<unsigned long long>(shape.sources),
        static_cast<unsigned long long>(shape.notes));

    if (!expected.empty()) {
        OutputStream expectedFile(expected);
        if (expectedFile.file() == nullptr) return fail(expected) ? 0 : 1;
        brelin::bench::ByteSink expectedSink(expectedFile.file());
        generator.writeExpected(expectedSink);
        if (!expectedFile.close()) return fail(expected) ? 0 : 1;
    }
    return 0;
}

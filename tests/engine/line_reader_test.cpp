#include "line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_file_system.h"

namespace brelin {
namespace {

using testing::StringSource;

struct ReadLine {
    std::string head;
    uint64_t length;
    bool operator==(const ReadLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ReadLine& line) {
    return out << "{\"" << line.head << "\", " << line.length << "}";
}

std::vector<ReadLine> readAll(const std::string& bytes, size_t chunk, size_t bufferSize = 64) {
    StringSource source(bytes, chunk);
    LineReader reader(source, bufferSize);
    std::vector<ReadLine> lines;
    Line line;
    while (reader.next(line)) lines.push_back({std::string(line.head), line.length});
    return lines;
}

struct SplitCase {
    const char* name;
    std::string bytes;
    std::vector<ReadLine> lines;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class LineEndTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineEndTest, SplitsAlikeWhateverTheChunkSize) {
    const SplitCase& c = GetParam();
    for (const size_t chunk : {1, 2, 3, 7, 64, 1 << 20}) {
        EXPECT_EQ(readAll(c.bytes, chunk), c.lines) << "chunk " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineEndTest,
    ::testing::Values(
        SplitCase{"CrLf", "0 HEAD\r\n1 CHAR ANSEL\r\n", {{"0 HEAD", 6}, {"1 CHAR ANSEL", 12}}},
        SplitCase{"Lf", "0 HEAD\n1 X\n", {{"0 HEAD", 6}, {"1 X", 3}}},
        SplitCase{"LoneCr", "0 HEAD\r1 X\r", {{"0 HEAD", 6}, {"1 X", 3}}},
        SplitCase{"Mixed", "a\r\nb\nc\rd", {{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}}},
        SplitCase{"NoFinalLineEnd", "0 HEAD\r\n0 TRLR", {{"0 HEAD", 6}, {"0 TRLR", 6}}},
        SplitCase{
            "EmptyLinesKept", "\r\n\n\r\r\nx\r\n", {{"", 0}, {"", 0}, {"", 0}, {"", 0}, {"x", 1}}},
        SplitCase{"LfCrIsTwoEnds", "a\n\rb", {{"a", 1}, {"", 0}, {"b", 1}}},
        SplitCase{"CrCrLfIsTwoEnds", "a\r\r\nb", {{"a", 1}, {"", 0}, {"b", 1}}},
        SplitCase{"NulAndHighBytes",
                  std::string("a\0\xff\x80\r\n", 6),
                  {{std::string("a\0\xff\x80", 4), 4}}},
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyLineEnd", "\r\n", {{"", 0}}}),
    [](const auto& test) { return test.param.name; });

TEST(LineReader, KeepsTheHeadOfALongLineAndCountsItAll) {
    const std::string longLine(100000, 'x');
    for (const size_t chunk : {1, 300, 1 << 20}) {
        const auto lines = readAll("0 A\r\n" + longLine + "\r\n1 B\r\n", chunk, 64);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[1].length, 100000u);
        EXPECT_EQ(lines[1].head, std::string(LineReader::kKeptBytes, 'x'));
        EXPECT_EQ(lines[2], (ReadLine{"1 B", 3}));
    }
}

TEST(LineReader, LinesAroundTheLimitKeepTheirBytes) {
    const std::string line255 = "1 NOTE " + std::string(248, 'a');
    const std::string line256 = line255 + "b";
    const auto lines = readAll(line255 + "\r\n" + line256 + "\r\n", 5, 100);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (ReadLine{line255, 255}));
    EXPECT_EQ(lines[1], (ReadLine{line256, 256}));
}

struct MarkCase {
    const char* name;
    std::string bytes;
    ByteOrderMark mark;
    std::string firstLine;
};

void PrintTo(const MarkCase& c, std::ostream* out) {
    *out << c.name;
}

class ByteOrderMarkTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(ByteOrderMarkTest, IsToldAndTakenOffTheFirstLineWhenUtf8) {
    const MarkCase& c = GetParam();
    for (const size_t chunk : {1, 2, 1 << 20}) {
        StringSource source(c.bytes, chunk);
        LineReader reader(source, 16);
        Line line;
        ASSERT_TRUE(reader.next(line));
        EXPECT_EQ(reader.byteOrderMark(), c.mark);
        EXPECT_EQ(std::string(line.head), c.firstLine);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Marks, ByteOrderMarkTest,
    ::testing::Values(MarkCase{"Utf8",
                               "\xEF\xBB\xBF"
                               "0 HEAD\r\n",
                               ByteOrderMark::Utf8, "0 HEAD"},
                      MarkCase{"Utf16Le",
                               "\xFF\xFE"
                               "0\0",
                               ByteOrderMark::Utf16,
                               "\xFF\xFE"
                               "0"},
                      MarkCase{"None", "0 HEAD\r\n", ByteOrderMark::None, "0 HEAD"},
                      MarkCase{"ShortInput", "0", ByteOrderMark::None, "0"},
                      MarkCase{"Utf8MarkAlone", "\xEF\xBB\xBF\r\n", ByteOrderMark::Utf8, ""}),
    [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace brelin

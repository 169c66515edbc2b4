#include "checked_output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "memory_file_system.h"
#include "self_check.h"

namespace brelin {
namespace {

// Lines of every length from 1 to 255 bytes, over several of the checker's buffers.
std::vector<std::string> manyLines() {
    std::vector<std::string> lines;
    size_t bytes = 0;
    for (size_t i = 0; bytes < 3 * CheckedOutput::kBufferSize; ++i) {
        std::string line = "1 NOTE " + std::to_string(i) + " ";
        line.resize(1 + i % 255, static_cast<char>('a' + i % 26));
        bytes += line.size() + 2;
        lines.push_back(std::move(line));
    }
    return lines;
}

TEST(CheckedOutput, EveryLineIsCheckedAndWrittenInOrder) {
    testing::MemoryFileSystem files;
    SelfCheck check;
    const std::vector<std::string> lines = manyLines();
    std::string expected;
    for (const std::string& line : lines) {
        check.staged(line);
        expected += line + "\r\n";
    }
    {
        auto file = files.createOutput("/out.ged");
        CheckedOutput checked(*file, check);
        // Rows of one line and of several, as the write-out hands them over.
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i % 3 == 0 && i + 1 < lines.size()) {
                checked.writeLines(lines[i] + "\r\n" + lines[i + 1]);
                ++i;
            } else {
                checked.writeLines(lines[i]);
            }
        }
        checked.finish();
        file->commit();
    }
    EXPECT_EQ(files.at("/out.ged"), expected);
    EXPECT_TRUE(check.verify());
    EXPECT_EQ(check.linesWritten(), static_cast<int64_t>(lines.size()));
}

TEST(CheckedOutput, AWriteThatFailsOnItsThreadIsThrownToTheWriter) {
    testing::MemoryFileSystem files;
    files.outputSpace = CheckedOutput::kBufferSize + 10;  // the second buffer fails
    SelfCheck check;
    auto file = files.createOutput("/out.ged");
    bool thrown = false;
    try {
        CheckedOutput checked(*file, check);
        for (const std::string& line : manyLines()) checked.writeLines(line);
        checked.finish();
    } catch (const RunError& error) {
        thrown = true;
        EXPECT_EQ(error.step(), FailedStep::WriteOutput);
        EXPECT_EQ(error.cause(), Cause::DiskFull);
    }
    EXPECT_TRUE(thrown);
    EXPECT_FALSE(files.has("/out.ged"));
}

}  // namespace
}  // namespace brelin

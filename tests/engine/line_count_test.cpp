#include "line_count.h"

#include <gtest/gtest.h>

#include "memory_file_system.h"
#include "messages.h"

namespace brelin {
namespace {

using testing::StringSource;

InputMeasure measure(const std::string& bytes, uint64_t size) {
    StringSource source(bytes, 7);
    return measureInput(source, size);
}

TEST(MeasureInput, CountsLinesUpToTheLastOneTakenEmptyOnesIncluded) {
    EXPECT_EQ(measure("0 HEAD\r\n1 CHAR ANSEL\r\n0 TRLR\r\n", 30).lineTotal, 3);
    EXPECT_EQ(measure("0 HEAD\r\n\r\n\n0 TRLR\r\n\x1A\r\n\r\n", 22).lineTotal, 4);
    // A record after the trailer is taken, and the lines up to it counted.
    EXPECT_EQ(measure("0 HEAD\r\n\r\n\n0 TRLR\r\n0 @I1@ INDI\r\n\r\n", 33).lineTotal, 5);
    EXPECT_EQ(measure("0 HEAD\r0 @I1@ INDI\r1 X", 22).lineTotal, 3);  // no trailer
    EXPECT_EQ(measure("", 0).lineTotal, 0);
}

TEST(MeasureInput, EstimatesFromTwentyMebibytesWithoutReading) {
    struct Case {
        uint64_t size;
        bool estimated;
        int64_t lineTotal;
        const char* panel;
    };
    const Case cases[] = {
        {20971519, false, 1, "1 lignes"},
        {20971520, true, 1398101, "Taille 20 Mo"},
        {25690112, true, 1712674, "Taille 24 Mo"},  // 24.5 MiB: a half goes to the even neighbour
        {26738688, true, 1782579, "Taille 26 Mo"},  // 25.5 MiB
    };
    for (const Case& c : cases) {
        const InputMeasure m = measure("0 TRLR\r\n", c.size);
        EXPECT_EQ(m.estimated, c.estimated) << c.size;
        EXPECT_EQ(m.lineTotal, c.lineTotal) << c.size;
        EXPECT_EQ(text::measureText(m), c.panel) << c.size;
    }
}

TEST(ProgressValue, IsAPercentageThatNeverPassesAHundred) {
    EXPECT_FLOAT_EQ(progressValue(100, 400), 25.0f);
    EXPECT_FLOAT_EQ(progressValue(200, 200), 100.0f);
    EXPECT_FLOAT_EQ(progressValue(300, 200), 100.0f);
    EXPECT_FLOAT_EQ(progressValue(100, 0), 100.0f);
}

}  // namespace
}  // namespace brelin

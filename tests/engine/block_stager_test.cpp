#include "block_stager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brelin {
namespace {

struct KindCase {
    std::string line;
    LineKind kind;
};

TEST(ClassifyLine, ByPrefixAndSourceTag) {
    const std::vector<KindCase> cases = {
        {"0 HEAD", LineKind::Ordinary},           {"0 @I12@ INDI", LineKind::Individual},
        {"0 @I12@ INDI ", LineKind::Individual},  {"0 @F3@ FAM", LineKind::Family},
        {"0 @S3@ SOUR", LineKind::Source},        {"0 @S3@ SOUR \t", LineKind::Source},
        {"0 @S1@ SUBM", LineKind::Ordinary},      {"0 @SUBN@ SUBN", LineKind::Ordinary},
        {"0 @N7@ NOTE Une note", LineKind::Note}, {"0 @R1@ REPO", LineKind::Ordinary},
        {"0 @O1@ OBJE", LineKind::Ordinary},      {"0 TRLR", LineKind::Trailer},
        {"0 TRLR ", LineKind::Trailer},           {"0 TR", LineKind::Ordinary},
        {"0 TRAILER", LineKind::Ordinary},        {"0 @i1@ INDI", LineKind::Ordinary},
        {"1 @I1@ INDI", LineKind::Ordinary},      {"0 @S", LineKind::Ordinary},
    };
    for (const auto& c : cases) EXPECT_EQ(gedcom::classifyLine(c.line), c.kind) << c.line;
}

TEST(RecordNumber, IsTheTextUpToTheNextAt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0 @I123@ INDI", "123"},
        {"0 @I12@ INDI ", "12"},
        {"0 @F1@ FAM", "1"},
        {"0 @S02915@ SOUR", "02915"},
        {"0 @I@ INDI", ""},
        {"0 @I12 INDI", "12 INDI"},
        {"0 @I", ""},
        {"0 @N\"1\"@ NOTE", "\"1\""},
    };
    for (const auto& [line, number] : cases)
        EXPECT_EQ(gedcom::recordNumberText(line), number) << line;
}

class BlockStagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.openFile(":memory:");
        db.createTables();
        stager.reset();
    }

    void accept(std::initializer_list<std::string> lines) {
        for (const auto& line : lines) stager.accept(line);
    }

    std::vector<std::string> rows(Table table) {
        std::vector<std::string> blocks;
        auto rowset = db.selectOrdered(table);
        for (; rowset && !rowset->isPastEnd(); rowset->moveNext())
            blocks.emplace_back(rowset->columnValue(0));
        return blocks;
    }

    StagingDatabase db;
    BlockStager stager{db};
};

TEST_F(BlockStagerTest, EachBlockGoesToItsKindsTable) {
    accept({"0 HEAD", "0 @S1@ SUBM", "1 NAME X", "0 @F2@ FAM", "0 @I1@ INDI", "0 @N1@ NOTE a",
            "1 CONT b", "0 @S4@ SOUR", "0 @R1@ REPO", "0 TRLR"});
    EXPECT_EQ(rows(Table::Individuals),
              (std::vector<std::string>{"0 HEAD\r\n0 @S1@ SUBM\r\n1 NAME X", "0 @I1@ INDI"}));
    EXPECT_EQ(rows(Table::Families), std::vector<std::string>{"0 @F2@ FAM"});
    EXPECT_EQ(rows(Table::Notes), std::vector<std::string>{"0 @N1@ NOTE a\r\n1 CONT b"});
    EXPECT_EQ(rows(Table::Sources), std::vector<std::string>{"0 @S4@ SOUR\r\n0 @R1@ REPO"});
    EXPECT_TRUE(stager.sourcesSeen());
    EXPECT_TRUE(stager.trailerSeen());
}

TEST_F(BlockStagerTest, NoHeaderPartStagesNothingForIt) {
    accept({"0 @I2@ INDI", "0 @I1@ INDI"});
    stager.finish();
    EXPECT_EQ(rows(Table::Individuals), (std::vector<std::string>{"0 @I1@ INDI", "0 @I2@ INDI"}));
}

TEST_F(BlockStagerTest, HeaderPartEndsAtTheFirstRecord) {
    accept({"0 HEAD", "0 @S1@ SUBM", "0 @F1@ FAM", "0 @S2@ SUBM"});
    stager.finish();
    EXPECT_EQ(rows(Table::Individuals), (std::vector<std::string>{"0 HEAD\r\n0 @S1@ SUBM"}));
    EXPECT_EQ(rows(Table::Families), (std::vector<std::string>{"0 @F1@ FAM\r\n0 @S2@ SUBM"}));
}

TEST_F(BlockStagerTest, AHugeRecordIsStagedInPartsThatComeBackInOrder) {
    const std::string line = "1 NOTE " + std::string(240, 'n');
    const size_t count = BlockStager::kBlockPartSize / line.size() * 3;
    stager.accept("0 @I5@ INDI");
    for (size_t i = 0; i < count; ++i) stager.accept(line);
    stager.accept("0 @I4@ INDI");
    stager.finish();
    const auto blocks = rows(Table::Individuals);
    ASSERT_GT(blocks.size(), 3u);
    EXPECT_EQ(blocks.front(), "0 @I4@ INDI");
    std::string joined;
    for (size_t i = 1; i < blocks.size(); ++i) {
        EXPECT_LE(blocks[i].size(), BlockStager::kBlockPartSize);
        joined += blocks[i] + "\r\n";
    }
    std::string expected = "0 @I5@ INDI\r\n";
    for (size_t i = 0; i < count; ++i) expected += line + "\r\n";
    EXPECT_EQ(joined, expected);
}

}  // namespace
}  // namespace brelin

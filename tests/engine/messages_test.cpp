#include "messages.h"

#include <gtest/gtest.h>

namespace brelin {
namespace {

TEST(ElapsedText, RoundsToTheSecondThenSplitsMinutes) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "en 0 Sec"},           {0.4, "en 0 Sec"},         {2.5, "en 2 Sec"},
        {3.5, "en 4 Sec"},           {59.4, "en 59 Sec"},       {59.6, "en 1 Min 0 Sec"},
        {60.0, "en 1 Min 0 Sec"},    {75.4, "en 1 Min 15 Sec"}, {119.6, "en 2 Min 0 Sec"},
        {3725.0, "en 62 Min 5 Sec"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(text::elapsedText(seconds), text) << seconds;
}

TEST(Describe, NamesTheFileAndTheCause) {
    const std::string message =
        text::describe(RunError(FailedStep::WriteOutput, "/tmp/x.ged", "le disque est plein"));
    EXPECT_NE(message.find("/tmp/x.ged"), std::string::npos);
    EXPECT_NE(message.find("le disque est plein"), std::string::npos);
}

}  // namespace
}  // namespace brelin

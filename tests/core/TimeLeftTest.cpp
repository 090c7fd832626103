// The time left as the countdown shows it, and the session's end from its two limits.

#include <gtest/gtest.h>

#include "policy/TimeLeft.h"

namespace {

TEST(TimeLeft, TextAtTheEdges) {
    struct Row {
        std::int64_t seconds;
        const char* text;
    } rows[] = {{-5, "0:00"},        {0, "0:00"},          {1, "0:01"},       {59, "0:59"},
                {60, "1:00"},        {3599, "59:59"},      {3600, "1:00:00"}, {3661, "1:01:01"},
                {86399, "23:59:59"}, {360000, "100:00:00"}};
    for (const Row& row : rows) {
        EXPECT_EQ(policy::formatTimeLeft(row.seconds), row.text) << row.seconds;
    }
}

}  // namespace

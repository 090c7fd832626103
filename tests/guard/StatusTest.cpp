// The status as JSON and as the table porvanectl prints.

#include <gtest/gtest.h>

#include "guard/Status.h"

namespace {

const std::vector<guard::StatusRow> kRows = {
    {"c1", "lab", 1001, "agreed", 1765180800, 1800, 600},
    {"c12", "Jo \"x\"\n", 1002, "waiting", std::nullopt, std::nullopt, 3725},
};

TEST(Status, JsonExactlyAndBack) {
    EXPECT_EQ(guard::statusJson({kRows[0]}),
              "{\"sessions\": [{\"id\": \"c1\", \"user\": \"lab\", \"uid\": 1001, \"state\": "
              "\"agreed\", \"agreedAt\": 1765180800, \"secondsLeft\": 1800, "
              "\"usedTodaySeconds\": 600}]}");
    EXPECT_EQ(guard::statusJson({}), "{\"sessions\": []}");
    auto back = guard::parseStatusJson(guard::statusJson(kRows));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[1].user, "Jo \"x\"\n");
    EXPECT_EQ((*back)[1].agreedAt, std::nullopt);
    EXPECT_EQ((*back)[1].usedTodaySeconds, 3725);
    EXPECT_TRUE(guard::parseStatusJson(" {\"sessions\":[ ]} \n"));
}

TEST(Status, RefusesOtherJson) {
    const char* bad[] = {
        "",
        "{\"sessions\": []",
        "{\"sessions\": []} x",
        "{\"sessions\": [{\"id\": \"c1\"}]}",
        "{\"sessions\": [{\"id\": 1, \"user\": \"a\", \"uid\": 1, \"state\": \"s\", "
        "\"agreedAt\": null, \"secondsLeft\": null, \"usedTodaySeconds\": 0}]}",
        "{\"sessions\": [{\"id\": \"c\", \"user\": \"a\", \"uid\": -1, \"state\": \"s\", "
        "\"agreedAt\": null, \"secondsLeft\": null, \"usedTodaySeconds\": 0}]}",
        "{\"sessions\": [{\"id\": \"c\", \"id\": \"c\", \"user\": \"a\", \"uid\": 1, \"state\": "
        "\"s\", \"agreedAt\": null, \"secondsLeft\": null, \"usedTodaySeconds\": 0}]}",
        "{\"sessions\": [{\"id\": \"c\\q\"}]}",
    };
    for (const char* json : bad) {
        EXPECT_FALSE(guard::parseStatusJson(json)) << json;
    }
}

TEST(Status, PlainTableInColumns) {
    const auto zone = [](std::int64_t) { return 3600; };
    const std::vector<guard::StatusRow> rows = {
        {"c1", "lab", 1001, "agreed", 1765180800, 1800, 600},
        {"c12", "annabel", 1002, "waiting", std::nullopt, std::nullopt, 3725},
    };
    EXPECT_EQ(guard::statusText(rows, zone),
              "SESSION  USER     STATE    AGREED  LEFT   USED\n"
              "c1       lab      agreed   09:00   30:00  10:00\n"
              "c12      annabel  waiting  -       -      1:02:05\n");
}

}  // namespace

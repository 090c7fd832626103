// Settings text to numbers, Booleans, lists of seconds and times of day.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/Error.h"
#include "settings/Conversions.h"

namespace {

struct NumberCase {
    const char* name;
    const char* text;
    std::optional<std::int32_t> value;  // nothing: the error below
    int error = 0;
};

// The error number a conversion raises, or 0.
template <class F>
int errorOf(F f) {
    try {
        f();
    } catch (const runtime::Error& e) {
        return e.number;
    }
    return 0;
}

class LongConversion : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LongConversion, ReadsOrRaises) {
    const NumberCase& c = GetParam();
    if (c.value) {
        EXPECT_EQ(settings::toLong(c.text), *c.value);
    } else {
        EXPECT_EQ(errorOf([&] { settings::toLong(c.text); }), c.error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LongConversion,
    ::testing::Values(
        NumberCase{"Plain", "42", 42}, NumberCase{"Negative", "-5", -5},
        NumberCase{"PlusSign", "+7", 7}, NumberCase{"Blanks", " \t 12 \t", 12},
        NumberCase{"HalfToEvenDown", "2.5", 2}, NumberCase{"HalfToEvenUp", "1.5", 2},
        NumberCase{"HalfZero", "0.5", 0}, NumberCase{"NegativeHalf", "-2.5", -2},
        NumberCase{"NegativeHalfUp", "-3.5", -4}, NumberCase{"AboveHalf", "2.51", 3},
        NumberCase{"LeadingDot", ".75", 1}, NumberCase{"TrailingDot", "3.", 3},
        NumberCase{"Exponent", "1e3", 1000}, NumberCase{"NegativeExponent", "25E-1", 2},
        NumberCase{"TinyExponent", "1e-999", 0}, NumberCase{"Hex", "&H1F", 31},
        NumberCase{"HexSixteenBitPattern", "&HFFFF", -1},
        NumberCase{"HexThirtyTwoBit", "&H10000", 65536}, NumberCase{"HexAllOnes", "&HFFFFFFFF", -1},
        NumberCase{"Octal", "&O17", 15}, NumberCase{"Max", "2147483647", 2147483647},
        NumberCase{"Min", "-2147483648", -2147483647 - 1},
        NumberCase{"JustOver", "2147483648", std::nullopt, 6},
        NumberCase{"HalfOverMaxRoundsOut", "2147483647.5", std::nullopt, 6},
        NumberCase{"HugeExponent", "1e999", std::nullopt, 6},
        NumberCase{"HexTooWide", "&H100000000", std::nullopt, 6},
        NumberCase{"Word", "wide", std::nullopt, 13}, NumberCase{"Empty", "", std::nullopt, 13},
        NumberCase{"OnlySign", "-", std::nullopt, 13},
        NumberCase{"TwoNumbers", "1 2", std::nullopt, 13},
        NumberCase{"TrailingJunk", "12px", std::nullopt, 13},
        NumberCase{"ExponentWithoutDigits", "1e", std::nullopt, 13},
        NumberCase{"HexWithoutDigits", "&H", std::nullopt, 13},
        NumberCase{"BadOctalDigit", "&O8", std::nullopt, 13},
        NumberCase{"InfinityWord", "inf", std::nullopt, 13},
        NumberCase{"ThousandsSeparator", "1,000", std::nullopt, 13}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(IntegerConversion, SixteenBitRange) {
    EXPECT_EQ(settings::toInteger("32767"), 32767);
    EXPECT_EQ(settings::toInteger("-32768"), -32768);
    EXPECT_EQ(settings::toInteger("&HFFFF"), -1);
    EXPECT_EQ(errorOf([] { settings::toInteger("40000"); }), runtime::kOverflow);
    EXPECT_EQ(errorOf([] { settings::toInteger("32767.5"); }), runtime::kOverflow);
    EXPECT_EQ(errorOf([] { settings::toInteger("&H10000"); }), runtime::kOverflow);
    EXPECT_EQ(errorOf([] { settings::narrowToInteger(40000); }), runtime::kOverflow);
    EXPECT_EQ(settings::narrowToInteger(-32768), -32768);
}

TEST(BooleanConversion, WordsAndNumbers) {
    struct Row {
        const char* text;
        bool value;
    } rows[] = {{"True", true},   {"true", true},    {"TRUE", true}, {" tRuE ", true},
                {"False", false}, {"false", false},  {"1", true},    {"0", false},
                {"-1", true},     {"0.0", false},    {"0.4", true},  {"&H0", false},
                {"2.5", true},    {"\tFalse", false}};
    for (const Row& row : rows) {
        EXPECT_EQ(settings::toBoolean(row.text), row.value) << row.text;
    }
    for (const char* bad : {"maybe", "yes", "on", "Truth", "T", "", "1e999x"}) {
        EXPECT_EQ(errorOf([&] { settings::toBoolean(bad); }), runtime::kTypeMismatch) << bad;
    }
    EXPECT_EQ(errorOf([] { settings::toBoolean("1e999"); }), runtime::kOverflow);
}

TEST(SecondsListConversion, ListsAndSingleNumbers) {
    using List = std::vector<std::int32_t>;
    struct Row {
        const char* text;
        List value;
        int error = 0;
    } rows[] = {
        {"600, 300, 60", {600, 300, 60}},
        {"60 600,300", {600, 300, 60}},  // blanks and commas alike, largest first
        {" 10\t5 , 1 ", {10, 5, 1}},
        {"5, 5, 0, -3, 5", {5}},  // repeats once, 0 or less left out
        {"2.5", {2}},             // a single number exactly as before lists
        {"&H10", {16}},
        {"-3", {}},
        {"1e3, 1.5", {1000, 2}},
        {"10, soon", {}, 13},
        {"60,,30", {}, 13},
        {"60,", {}, 13},
        {"1 - 2", {}, 13},
        {"99999999999, 5", {}, 6},
    };
    for (const Row& row : rows) {
        if (row.error == 0) {
            EXPECT_EQ(settings::toSecondsList(row.text), row.value) << row.text;
        } else {
            EXPECT_EQ(errorOf([&] { settings::toSecondsList(row.text); }), row.error) << row.text;
        }
    }
}

TEST(TimeOfDayConversion, HoursMinutesAndSeconds) {
    struct Row {
        const char* text;
        std::int32_t value;  // -1: error 13
    } rows[] = {{"21:45", 78300},    {"00:00", 0},     {"9:05", 32700},     {" 23:59:59 ", 86399},
                {"07:30:15", 27015}, {"24:00", -1},    {"25:61", -1},       {"12:60", -1},
                {"12:5", -1},        {"12:05:60", -1}, {"12", -1},          {"12:05pm", -1},
                {"123:00", -1},      {"-1:00", -1},    {"12:00:00:00", -1}, {"", -1}};
    for (const Row& row : rows) {
        if (row.value >= 0) {
            EXPECT_EQ(settings::toTimeOfDay(row.text), row.value) << row.text;
        } else {
            EXPECT_EQ(errorOf([&] { settings::toTimeOfDay(row.text); }), runtime::kTypeMismatch)
                << row.text;
        }
    }
}

}  // namespace

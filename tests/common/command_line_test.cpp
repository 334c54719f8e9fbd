// The tools' shared value parsing: what a range-checked number accepts, and
// the typed mistakes (words, blanks, overflow, inf, nan) it must refuse.
#include "common/command_line.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr WholeNumberRange kCounts{1, 100};
constexpr DecimalRange kSeconds{0.0, 10.0};

TEST(CommandLine, WholeNumbersOutsideTheRangeOrNotWholeAreRefused)
{
    const struct {
        const char* text;
        std::optional<long> expected;
    } cases[] = {
        {"1", 1},       {"100", 100},   {"+7", 7},     {"0", std::nullopt},   {"101", std::nullopt},
        {"-1", std::nullopt},           {"abc", std::nullopt},                {"", std::nullopt},
        {" 5", std::nullopt},           {"5 ", std::nullopt},                 {"2.5", std::nullopt},
        {"0x10", std::nullopt},         {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseWholeNumber(c.text, kCounts), c.expected) << c.text;
    }
}

TEST(CommandLine, DecimalsOutsideTheRangeOrNotFiniteAreRefused)
{
    const struct {
        const char* text;
        std::optional<double> expected;
    } cases[] = {
        {"0", 0.0},      {"10", 10.0},    {"2.5", 2.5},    {"1e1", 10.0},   {"-0.1", std::nullopt},
        {"10.01", std::nullopt},          {"inf", std::nullopt},            {"nan", std::nullopt},
        {"1e999", std::nullopt},          {"soon", std::nullopt},           {" 1", std::nullopt},
        {"1s", std::nullopt},             {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(c.text, kSeconds), c.expected) << c.text;
    }
}

TEST(CommandLine, SwitchesAreOnOrOffOnly)
{
    EXPECT_EQ(parseSwitch("on"), true);
    EXPECT_EQ(parseSwitch("off"), false);
    for (const char* text : {"On", "yes", "1", ""}) {
        EXPECT_EQ(parseSwitch(text), std::nullopt) << text;
    }
}

}  // namespace

#include "base/text_util.h"

#include <gtest/gtest.h>
#include <limits>

namespace vantor {
namespace {

TEST(TextUtil, LeadingIntegerReadsTheNumberAtTheStartOnly) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"64", 64},
        {"  64", 64},
        {"+7", 7},
        {"-12abc", -12},
        {"1024 posts", 1024},
        {"0", 0},
        {"", std::nullopt},
        {"sixty", std::nullopt},
        {"-", std::nullopt},
        {" - 5", std::nullopt},
        {"x64", std::nullopt},
        {"99999999999", std::numeric_limits<std::int32_t>::max()},
        {"-99999999999", std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseLeadingInt(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(TextUtil, LeadingRealReadsDecimalNotation) {
    struct Case {
        const char* text;
        std::optional<float> value;
    };
    const Case cases[] = {
        {"11.0", 11.0F},       {"36.625", 36.625F},   {" -3.5deg", -3.5F},   {".5", 0.5F},
        {"2e2", 200.0F},       {"7", 7.0F},           {"abc", std::nullopt}, {"", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {".", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseLeadingFloat(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(TextUtil, ADecimalIsTheWholeTextInPlainNotation) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"0.019", 0.019},
        {"-1.25", -1.25},
        {"+7", 7.0},
        {".5", 0.5},
        {"3.", 3.0},
        {"", std::nullopt},
        {".", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1e3", std::nullopt},
        {" 1", std::nullopt},
        {"0.019x", std::nullopt},
        {"nan", std::nullopt},
        {"-", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(parseDecimal(text), value) << '"' << text << '"';
    }
}

TEST(TextUtil, CaseInsensitiveComparisonsFoldAsciiLettersOnly) {
    EXPECT_TRUE(equalsIgnoreCase("Quillon.INI", "quillon.ini"));
    EXPECT_FALSE(equalsIgnoreCase("Quillon.ini", "Quillon.in"));
    EXPECT_FALSE(equalsIgnoreCase("\xC3\x89", "\xC3\xA9")); // other bytes compare exactly
    EXPECT_TRUE(startsWithIgnoreCase("CSV file", "csv"));
    EXPECT_FALSE(startsWithIgnoreCase("cs", "csv"));
}

TEST(TextUtil, FormatWithIntReplacesTheFirstPlaceholder) {
    EXPECT_EQ(formatWithInt("Data Base Open error code = %d", 2), "Data Base Open error code = 2");
    EXPECT_EQ(formatWithInt("%d of %d", -5), "-5 of %d");
    EXPECT_EQ(formatWithInt("none", 1), "none");
}

TEST(TextUtil, ACountTakesTheWordOfItsNumber) {
    EXPECT_EQ(countText(0, "tile", "tiles"), "0 tiles");
    EXPECT_EQ(countText(1, "tile", "tiles"), "1 tile");
    EXPECT_EQ(countText(24, "repair", "repairs"), "24 repairs");
}

} // namespace
} // namespace vantor

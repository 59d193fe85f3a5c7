// The small text helpers every reader leans on: a fault here shows up as a
// misread key, unit, identifier or number in every format at once.

#include "input/text_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnik::text {
namespace {

TEST(TextHelpers, TrimmingTakesBlanksOffBothEnds) {
    EXPECT_EQ(trim_blanks(" \t a b \t"), "a b");
    EXPECT_EQ(trim_blanks("\t\t"), "");
}

TEST(TextHelpers, SqueezingDropsBlanksAndLowersLetters) {
    EXPECT_EQ(squeezed_lower("Unit = 1/100 MM"), "unit=1/100mm");
}

TEST(TextHelpers, CollapsingLeavesOneBlankBetweenWords) {
    EXPECT_EQ(collapse_blanks("  AB\n  12\r\n\tx "), "AB 12 x");
}

TEST(TextHelpers, LoweringLeavesBytesBeyondAsciiAlone) {
    // Bytes beyond ASCII (UTF-8 or Latin-1 letters) are kept as they are.
    EXPECT_EQ(lower("BESAN\xC3\x87ON \xC7"), "besan\xC3\x87on \xC7");
}

TEST(TextHelpers, IntegersAreASignAndDigitsOnlyWithinTheirLength) {
    EXPECT_EQ(parse_integer("-2649"), -2649);
    EXPECT_EQ(parse_integer("+12"), 12);
    EXPECT_EQ(parse_integer("000000000000000001"), 1);
    EXPECT_EQ(parse_integer("999999999999999999"), 999999999999999999);
    for (const char* bad : {"", "-", "+", "1 2", " 1", "1.0", "1e3", "0x10", "--1", "1-"})
        EXPECT_FALSE(parse_integer(bad)) << bad;
    // A bound on the digits keeps callers' arithmetic from overflowing.
    EXPECT_EQ(parse_integer("123456789", 9), 123456789);
    EXPECT_FALSE(parse_integer("1234567890", 9));
    EXPECT_FALSE(parse_integer("1234567890123456789", 40));
}

TEST(TextHelpers, WholeNumbersAreASignAndDigitsOfAnyLength) {
    // Tells a number too large for parse_integer from a token that is no number.
    EXPECT_TRUE(is_whole_number("12345678901234567890123"));
    EXPECT_TRUE(is_whole_number("-0"));
    EXPECT_TRUE(is_whole_number("+7"));
    for (const char* bad : {"", "-", "+", "1 2", " 1", "1.0", "1e3", "--1", "1-"})
        EXPECT_FALSE(is_whole_number(bad)) << bad;
}

TEST(TextHelpers, FieldsAreSeparatedByAnyRunOfBlanksAndTabs) {
    std::vector<std::string> got;
    std::size_t pos = 0;
    const std::string_view line = " 107011\t1923 \t 91\t\t92  ";
    while (auto f = next_field(line, pos)) got.emplace_back(*f);
    EXPECT_EQ(got, (std::vector<std::string>{"107011", "1923", "91", "92"}));
    EXPECT_FALSE(next_field(line, pos));
    pos = 0;
    EXPECT_FALSE(next_field(" \t ", pos));
}

}  // namespace
}  // namespace tarnik::text

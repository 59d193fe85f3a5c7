#include <gtest/gtest.h>

#include "console/answers.h"
#include "console/errors.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

TEST(Answers, IntegerFieldsReadOnlyTheirColumns) {
    struct Row {
        const char* line;
        int w;
        std::optional<std::int32_t> want;
    };
    const Row rows[] = {{"123", 2, 12},     {"", 2, 0},    {"7 ", 2, 7},   {"1 2", 4, 12}, {"-25", 3, -25},
                        {"1000", 3, 100},   {"-1", 2, -1}, {"+", 1, {}},   {"a", 2, {}},   {"-", 2, {}},
                        {"5/", 2, {}},      {"\t5", 2, {}}, {"1.5", 4, {}}, {"99999999999", 11, {}}};
    for (const Row& r : rows) EXPECT_EQ(parse_int_field(r.line, r.w), r.want) << "[" << r.line << "] w " << r.w;
}

TEST(Answers, RealFieldsImplyDecimalsOnlyWithoutAPoint) {
    EXPECT_DOUBLE_EQ(*parse_real_field("45", 6, 2), 0.45);  // implied decimals only without a point
    EXPECT_DOUBLE_EQ(*parse_real_field("45.", 6, 2), 45.0);
    EXPECT_DOUBLE_EQ(*parse_real_field("12.3456789", 6, 2), 12.345);
    EXPECT_DOUBLE_EQ(*parse_real_field("1e3", 6, 2), 10.0);
    EXPECT_DOUBLE_EQ(*parse_real_field("", 6, 2), 0.0);
    EXPECT_FALSE(parse_real_field("x", 6, 2));
    EXPECT_FALSE(parse_real_field("1.e300", 6, 2));
}

TEST(Answers, FreeIntegersAreTheFirstItemWithinTheIntegerRange) {
    EXPECT_EQ(parse_free_int("  -50  7"), -50);
    EXPECT_EQ(parse_free_int("3,4"), 3);
    EXPECT_EQ(parse_free_int("\t5/"), 5);
    EXPECT_FALSE(parse_free_int("12.5"));
    EXPECT_FALSE(parse_free_int(",5"));
    EXPECT_FALSE(parse_free_int("2147483648"));
    EXPECT_EQ(parse_free_int("-2147483648"), -2147483648LL);
}

TEST(Answers, FreeRealsStayWithinTheSinglePrecisionRange) {
    EXPECT_DOUBLE_EQ(*parse_free_real("2.5d0"), 2.5);
    EXPECT_DOUBLE_EQ(*parse_free_real("-1.5e2"), -150.0);
    EXPECT_FALSE(parse_free_real("nan"));
    EXPECT_FALSE(parse_free_real("1x"));
    EXPECT_FALSE(parse_free_real("1e999"));
    // Beyond the single-precision range the value would become infinite.
    EXPECT_DOUBLE_EQ(*parse_free_real("-3.4e38"), -3.4e38);
    EXPECT_FALSE(parse_free_real("-3.5e38"));
}

TEST(Answers, LogicalsAreReadFromTheirFirstLetter) {
    EXPECT_EQ(parse_free_logical(".TRUE."), true);
    EXPECT_EQ(parse_free_logical("  Fx"), false);
    EXPECT_EQ(parse_free_logical("t"), true);
    EXPECT_FALSE(parse_free_logical("yes"));
    EXPECT_FALSE(parse_free_logical("."));
}

TEST(Answers, FirstCharacterOfAnEmptyAnswerIsABlank) {
    EXPECT_EQ(first_char("yes"), 'y');
    EXPECT_EQ(first_char(""), ' ');
}

TEST(Answers, ConsoleAsksAgainOnlyAfterAnUnreadableAnswer) {
    test::MemConsole mc("\n   \nabc\n42\n");
    EXPECT_EQ(mc.con().ask_free_int("N? "), 42);
    // The prompt is not repeated for empty lines, only after the unreadable answer.
    EXPECT_EQ(mc.output(), "N? " + std::string(kUnreadableAnswer) + "\nN? ");
}

TEST(Answers, ConsoleThrowsAtTheEndOfInput) {
    test::MemConsole blank("\n\n");
    EXPECT_THROW(blank.con().ask_free_int("N? "), EndOfInput);
    test::MemConsole empty("");
    EXPECT_THROW(empty.con().pause("Hit RETURN to continue : "), EndOfInput);
    test::MemConsole field("x\ny\n");
    EXPECT_THROW(field.con().pause_field("Hit RETURN : "), EndOfInput);
}

TEST(Answers, ConsoleLinesEndAtCarriageReturnsOrTheEnd) {
    test::MemConsole ends("abc\r\r\ndef\r\nlast");
    EXPECT_EQ(ends.con().read_line(), "abc");
    EXPECT_EQ(ends.con().read_line(), "def");
    EXPECT_EQ(ends.con().read_line(), "last");  // a last line without a line end still counts
    EXPECT_THROW(ends.con().read_line(), EndOfInput);
}

}  // namespace
}  // namespace tarnik

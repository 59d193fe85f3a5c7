#include <gtest/gtest.h>

#include "console/answers.h"
#include "console/errors.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

TEST(IntegerField, ReadsOnlyItsColumnsAndIgnoresBlanks) {
    EXPECT_EQ(parse_int_field("123", 2), 12);     // a third column does not count
    EXPECT_EQ(parse_int_field("", 2), 0);         // blank answer reads as 0
    EXPECT_EQ(parse_int_field(" 7", 2), 7);
    EXPECT_EQ(parse_int_field("7 ", 2), 7);
    EXPECT_EQ(parse_int_field("-1", 2), -1);
    EXPECT_EQ(parse_int_field("1 2", 4), 12);     // blanks between digits count as nothing
    EXPECT_EQ(parse_int_field("1000", 3), 100);
    EXPECT_EQ(parse_int_field("-25", 3), -25);
}

TEST(IntegerField, RejectsWhatIsNotAnInteger) {
    EXPECT_FALSE(parse_int_field("a", 2));
    EXPECT_FALSE(parse_int_field("-", 2));
    EXPECT_FALSE(parse_int_field("+", 1));
    EXPECT_FALSE(parse_int_field("5/", 2));
    EXPECT_FALSE(parse_int_field("\t5", 2));
    EXPECT_FALSE(parse_int_field("1.5", 4));
    EXPECT_FALSE(parse_int_field("99999999999", 11));  // beyond 32 bits
}

TEST(RealField, ImpliedDecimalsApplyOnlyWithoutAPoint) {
    EXPECT_DOUBLE_EQ(*parse_real_field("45", 6, 2), 0.45);
    EXPECT_DOUBLE_EQ(*parse_real_field("45.", 6, 2), 45.0);
    EXPECT_DOUBLE_EQ(*parse_real_field("80.5", 6, 2), 80.5);
    EXPECT_DOUBLE_EQ(*parse_real_field("1e3", 6, 2), 10.0);
    EXPECT_DOUBLE_EQ(*parse_real_field("", 6, 2), 0.0);
    EXPECT_DOUBLE_EQ(*parse_real_field("12.3456789", 6, 2), 12.345);
    EXPECT_FALSE(parse_real_field("x", 6, 2));
}

TEST(FreeForm, TakesTheFirstItemOfTheLine) {
    EXPECT_EQ(parse_free_int("  -50  7"), -50);
    EXPECT_EQ(parse_free_int("3,4"), 3);
    EXPECT_EQ(parse_free_int("5/"), 5);
    EXPECT_EQ(parse_free_int("\t5"), 5);
    EXPECT_FALSE(parse_free_int("12.5"));
    EXPECT_FALSE(parse_free_int("abc"));
    EXPECT_FALSE(parse_free_int(",5"));
    EXPECT_FALSE(parse_free_int("2147483648"));
    EXPECT_EQ(parse_free_int("-2147483648"), -2147483648LL);
    EXPECT_DOUBLE_EQ(*parse_free_real("1845"), 1845.0);
    EXPECT_DOUBLE_EQ(*parse_free_real("-1.5e2"), -150.0);
    EXPECT_DOUBLE_EQ(*parse_free_real("2.5d0"), 2.5);
    EXPECT_FALSE(parse_free_real("nan"));
    EXPECT_FALSE(parse_free_real("1e999"));
    // Beyond the single-precision range the value would become infinite.
    EXPECT_DOUBLE_EQ(*parse_free_real("-3.4e38"), -3.4e38);
    EXPECT_FALSE(parse_free_real("-3.5e38"));
    EXPECT_FALSE(parse_free_real("1.0e300"));
    EXPECT_FALSE(parse_real_field("1.e300", 6, 2));
}

TEST(FreeForm, LogicalsByTheirFirstLetter) {
    EXPECT_EQ(parse_free_logical("t"), true);
    EXPECT_EQ(parse_free_logical(".TRUE."), true);
    EXPECT_EQ(parse_free_logical("  false"), false);
    EXPECT_EQ(parse_free_logical("Fx"), false);
    EXPECT_FALSE(parse_free_logical("yes"));
    EXPECT_FALSE(parse_free_logical("."));
}

TEST(ConsoleReading, SkipsEmptyLinesForFreeFormAndAsksAgainWhenUnreadable) {
    test::MemConsole mc("\n   \nabc\n42\n");
    EXPECT_EQ(mc.con().ask_free_int("N? "), 42);
    // The prompt is not repeated for empty lines, only after the unreadable answer.
    EXPECT_EQ(mc.output(), "N? " + std::string(kUnreadableAnswer) + "\nN? ");
}

TEST(ConsoleReading, EndOfInputAtAnyPromptThrows) {
    test::MemConsole mc("\n\n");
    EXPECT_THROW(mc.con().ask_free_int("N? "), EndOfInput);
    test::MemConsole empty("");
    EXPECT_THROW(empty.con().pause("Hit RETURN to continue : "), EndOfInput);
    test::MemConsole field("x\ny\n");
    EXPECT_THROW(field.con().pause_field("Hit RETURN : "), EndOfInput);
}

TEST(ConsoleReading, LineEndsCrLfAndCrCrLfAreDropped) {
    test::MemConsole mc("abc\r\r\ndef\r\nlast");
    EXPECT_EQ(mc.con().read_line(), "abc");
    EXPECT_EQ(mc.con().read_line(), "def");
    EXPECT_EQ(mc.con().read_line(), "last");  // a last line without a line end still counts
    EXPECT_THROW(mc.con().read_line(), EndOfInput);
}

}  // namespace
}  // namespace tarnik

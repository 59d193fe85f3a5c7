#include <gtest/gtest.h>

#include <string>

#include "clouds/age_classes.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::MemConsole;

struct Defined {
    CloudStore cs;
    AgeClassDialogState st;
    std::string out;
};

// Runs the whole definition dialog with the given answers; ages 1..200, depth-3 age 150.
Defined define(std::string_view answers, AgeRange range = {1, 200, 150}) {
    Defined d;
    TextFile report("/dev/null");
    MemConsole mc(answers);
    define_age_classes(mc.con(), report, d.cs, d.st, range);
    d.out = mc.output();
    return d;
}

TEST(AutomaticMode, ClassCountsFollowTheTerminalAgeWithinOneToFifty) {
    // t = 6 lies below the first stop age, yet gives one class.
    EXPECT_EQ(define("a\n1\n10\n5\n6\nt\na\n0\nt\n").cs.classnum, 1);
    // t = 0 gives -1 classes, t = 5 gives 0, increment 1 up to 150 gives 141; then
    // t equal to the depth-3 age is accepted.
    Defined d = define("a\n1\n10\n5\n0\n\n1\n10\n5\n5\n\n1\n10\n1\n150\n\n1\n10\n5\n150\nt\na\n0\nt\n");
    EXPECT_TRUE(contains_block(d.out, lines({"", "             * WARNING *", "             Classnum is negative.", ""})));
    EXPECT_TRUE(contains_block(d.out, "Classnum is zero"));
    EXPECT_TRUE(contains_block(d.out, "             Classnum is greater than   50\n"));
    EXPECT_EQ(d.cs.classnum, 29);
    EXPECT_EQ(d.cs.stop_age[28], 150);
    EXPECT_EQ(d.cs.inc_length[28], 5);
}

TEST(AutomaticMode, ChecksTheAgeOrderIncrementAndTerminalAge) {
    // stop < start; increments 0, 151 (above the depth-3 age) and "x"; terminal age 151.
    Defined d = define("a\n20\n10\n\n1\n10\n0\n\n151\n\nx\n\n5\n151\n\n30\nt\na\n0\nt\n");
    EXPECT_TRUE(contains_block(d.out, "             STOP age may not be less then the START age.\n\n"
                                      "             Hit RETURN to re-enter stop and start ages : "));
    EXPECT_EQ(count_of(d.out, "You must enter a value between 1 and  150\n"), 3u);
    EXPECT_TRUE(contains_block(d.out, "             You must enter a value between   10 and  150\n"));
    EXPECT_EQ(d.cs.classnum, 5);
    // Without any age of depth 3 no increment could be accepted: the mode is refused.
    Defined none = define("a\n1\n10\n\nm\n1\n5\n9\nt\na\n0\nt\n", AgeRange{1, 200, 0});
    EXPECT_TRUE(contains_block(none.out, "No age has 3 or more series"));
    EXPECT_EQ(none.st.automatic, 0);
}

TEST(ManualMode, RefusesCountsAndAgesThatTheTablesCannotTake) {
    // 0 and 51 classes; start ages 0 (below min) and 201 (above max: no stop age
    // could follow); a stop age below the start.
    Defined d = define("m\n0\n51\n1\n0\n\n201\n\n20\n19\n\n25\nt\na\n0\nt\n");
    EXPECT_EQ(count_of(d.out, "The number of age classes must be between   1 and  50."), 2u);
    EXPECT_TRUE(contains_block(d.out, "             The starting age must be >=    1\n"));
    EXPECT_TRUE(contains_block(d.out, "             The starting age must be <=  200\n"));
    EXPECT_TRUE(contains_block(d.out, "             The stop age must be >= the starting age \n"
                                      "             and <= 200.\n"));
    ASSERT_EQ(d.cs.classnum, 1);
    EXPECT_EQ(d.cs.start_age[0], 20);
    EXPECT_EQ(d.cs.stop_age[0], 25);
}

}  // namespace
}  // namespace tarnik::clouds

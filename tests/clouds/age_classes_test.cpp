#include <gtest/gtest.h>

#include <string>

#include "clouds/age_classes.h"
#include "console/errors.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::MemConsole;
using test::TempDir;

constexpr AgeRange kRange{1, 200, 150};

struct Defined {
    CloudStore cs;
    AgeClassDialogState st;
    std::string out, report;
};

// Runs the whole definition dialog with the given answers (starting from `prior`).
void define(Defined& d, std::string_view answers, AgeRange range = kRange) {
    TempDir dir;
    TextFile report;
    ASSERT_TRUE(report.open((dir / "report").string()));
    MemConsole mc(answers);
    define_age_classes(mc.con(), report, d.cs, d.st, range);
    report.close();
    d.out = mc.output();
    d.report = dir.read("report");
}

Defined define(std::string_view answers, AgeRange range = kRange) {
    Defined d;
    define(d, answers, range);
    return d;
}

TEST(AutomaticMode, BuildsEqualClassesWithTheIncrement) {
    Defined d = define("a\n1\n10\n5\n30\nt\na\n-10\nt\n");
    ASSERT_EQ(d.cs.classnum, 5);
    const std::int32_t starts[] = {1, 6, 11, 16, 21}, stops[] = {10, 15, 20, 25, 30};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(d.cs.start_age[i], starts[i]);
        EXPECT_EQ(d.cs.stop_age[i], stops[i]);
        EXPECT_EQ(d.cs.inc_length[i], 5);
        EXPECT_EQ(d.cs.jdt[i], -10);
    }
    EXPECT_EQ(d.st.automatic, 1);
    EXPECT_TRUE(contains_block(d.out, lines({
        "",
        "             Enter the start age in the range [   1, 200]: "
        "             Enter the stop age in the range  [   1, 200]: ",
        "             Enter the age increment                     : ",
        "             Enter the terminal age limit. (must be <  150) : ",
        "             Confirm Age Class Definitions :",
        "",
        "",
        "             Number of age classes =    5",
        "",
        "             Initial start age     =    1",
        "             Final end age         =   30",
        "             Increment             =    5",
        "",
        "             Is this ok? [t]rue or [f]alse : ",
    })));
    EXPECT_TRUE(contains_block(d.out, lines({
        "             : AGE CLASS SELECTIONS :",
        "",
        "             Age Class   First Year   Last Year   Spline",
        "                   1           1          10       -10",
        "                   2           6          15       -10",
    })));
    EXPECT_EQ(d.report, lines({
        "",
        "",
        " Dot-Cloud Construction *********************",
        "",
        " Automated age classes defined by user",
        "   #    start    stop   inc/length spline",
        "    1      1  to   10       10     -10",
        "    2      6  to   15       10     -10",
        "    3     11  to   20       10     -10",
        "    4     16  to   25       10     -10",
        "    5     21  to   30       10     -10",
    }));
}

TEST(AutomaticMode, TerminalAgeBelowTheFirstStopStillGivesOneClass) {
    Defined d = define("a\n1\n10\n5\n6\nt\na\n0\nt\n");
    EXPECT_EQ(d.cs.classnum, 1);
    EXPECT_EQ(d.cs.stop_age[0], 10);
}

TEST(AutomaticMode, RefusesCountsBelowOneAndAboveFifty) {
    // t = 0 gives -1 classes, t = 5 gives 0, inc 1 up to 150 gives 141; then 1-10/5/150 is
    // accepted (t equal to the depth-3 age).
    Defined d = define("a\n1\n10\n5\n0\n\n1\n10\n5\n5\n\n1\n10\n1\n150\n\n1\n10\n5\n150\nt\na\n0\nt\n");
    EXPECT_TRUE(contains_block(d.out, lines({"", "             * WARNING *", "             Classnum is negative.", "",
                                             "             Hit RETURN to continue : "})));
    EXPECT_TRUE(contains_block(d.out, "Classnum is zero"));
    EXPECT_TRUE(contains_block(d.out, "             Classnum is greater than   50\n"));
    EXPECT_EQ(d.cs.classnum, 29);
    EXPECT_EQ(d.cs.stop_age[28], 150);
}

TEST(AutomaticMode, ChecksTheAgeOrderIncrementAndTerminalAge) {
    // stop < start; increment 0, then 151 (above the depth-3 age), "x"; terminal 151.
    Defined d = define("a\n20\n10\n\n1\n10\n0\n\n151\n\nx\n\n5\n151\n\n30\nt\na\n0\nt\n");
    EXPECT_TRUE(contains_block(d.out, lines({"", "             * WARNING * ",
                                             "             STOP age may not be less then the START age.", "",
                                             "             Hit RETURN to re-enter stop and start ages : "})));
    EXPECT_EQ(count_of(d.out, "You must enter a value between 1 and  150\n"), 3u);
    EXPECT_TRUE(contains_block(d.out, "             You must enter a value between   10 and  150\n"));
    EXPECT_EQ(d.cs.classnum, 5);
}

TEST(AutomaticMode, WithoutAnyAgeOfDepthThreeTheModeIsRefused) {
    Defined d = define("a\n1\n10\n\nm\n1\n5\n9\nt\na\n0\nt\n", AgeRange{1, 200, 0});
    EXPECT_TRUE(contains_block(d.out, "No age has 3 or more series"));
    EXPECT_EQ(d.cs.classnum, 1);
    EXPECT_EQ(d.st.automatic, 0);
}

TEST(ManualMode, AcceptsOverlappingClassesAndASingleAge) {
    Defined d = define("m\n3\n30\n40\n35\n50\n30\n30\nt\nm\n1000\n-25\n0\nt\n");
    ASSERT_EQ(d.cs.classnum, 3);
    EXPECT_EQ(d.cs.inc_length[0], 11);
    EXPECT_EQ(d.cs.inc_length[1], 16);
    EXPECT_EQ(d.cs.inc_length[2], 1);
    EXPECT_EQ(d.cs.jdt[0], 100);  // read from the first three columns
    EXPECT_EQ(d.cs.jdt[1], -25);
    EXPECT_EQ(d.cs.jdt[2], 0);
    EXPECT_TRUE(contains_block(d.out, lines({
        "             Enter the starting age [must be >=    1]",
        "             for age class   1 : "
        "             Enter the stopping age [must be <=  200]",
        "             for age class   1 : "
        "             Enter the starting age [must be >=    1]",
    })));
    EXPECT_TRUE(contains_block(d.out, lines({
        "             Confirm Age Class Definitions :",
        "",
        "               #    start   stop   size",
        "                1     30 to   40     11",
        "                2     35 to   50     16",
        "                3     30 to   30      1",
    })));
    EXPECT_TRUE(contains_block(d.out, "             Enter spline parameter for age class   2    35-  50 : "));
    EXPECT_TRUE(contains_block(d.report, lines({
        " Dot-Cloud Construction *********************",
        "",
        " *** manual mode age class selectioin ***",
        "",
        " Manual age classes defined by user",
        "   #    start    stop   inc/length spline",
        "    1     30  to   40       11     100",
        "    2     35  to   50       16     -25",
        "    3     30  to   30        1       0",
    })));
}

TEST(ManualMode, RefusesCountsAndAgesThatTheTablesCannotTake) {
    // 0 and 51 classes; start age 0 (below min) and 201 (above max: no stop age could
    // follow); stop age below the start.
    Defined d = define("m\n0\n51\n1\n0\n\n201\n\n20\n19\n\n25\nt\na\n0\nt\n");
    EXPECT_EQ(count_of(d.out, "The number of age classes must be between   1 and  50."), 2u);
    EXPECT_TRUE(contains_block(d.out, "             The starting age must be >=    1\n"));
    EXPECT_TRUE(contains_block(d.out, "             The starting age must be <=  200\n"));
    EXPECT_TRUE(contains_block(d.out, lines({"             The stop age must be >= the starting age ",
                                             "             and <= 200."})));
    ASSERT_EQ(d.cs.classnum, 1);
    EXPECT_EQ(d.cs.start_age[0], 20);
    EXPECT_EQ(d.cs.stop_age[0], 25);
}

TEST(Review, FalseThenAnOtherChoiceAcceptsTheDefinitionUnchanged) {
    Defined d = define("m\n1\n5\n9\nt\na\n3\nf\n7\n");
    EXPECT_EQ(d.cs.jdt[0], 3);
    EXPECT_TRUE(contains_block(d.out, "\n             Change Age Class Determinations [1]\n"
                                      "             Change Spline Options           [2] :"));
    EXPECT_EQ(count_of(d.report, "Dot-Cloud Construction"), 1u);
    EXPECT_TRUE(contains_block(d.report, "    1      5  to    9        5       3\n"));
}

TEST(Review, CanChangeTheBandwidthsOrStartAgain) {
    // 2: new bandwidths, then 1: a new definition, which is accepted.
    Defined d = define("m\n1\n5\n9\nt\na\n3\nf\n2\nm\n44\nf\n1\na\n1\n20\n5\n60\nt\na\n8\nt\n");
    EXPECT_EQ(count_of(d.out, "________ Spline Detrending Menu ________"), 3u);
    EXPECT_EQ(count_of(d.report, "Dot-Cloud Construction"), 2u);
    EXPECT_EQ(d.cs.classnum, 9);
    EXPECT_EQ(d.cs.jdt[8], 8);
    EXPECT_TRUE(contains_block(d.report, " Automated age classes defined by user\n"));
}

TEST(ModeSelection, AnUnknownModeWarnsAndStartsAgain) {
    Defined d = define("x\n\nb\n\nm\n1\n5\n9\nt\nq\n\nm\n7\nt\n");
    EXPECT_TRUE(contains_block(d.out, lines({"", "", "             * WARNING *",
                                             "             You must enter an r or a or m", "",
                                             "             Hit RETURN to continue : "})));
    EXPECT_TRUE(contains_block(d.out, lines({"", "             * WARNING *", "             You must enter an a or m",
                                             "", "               Hit RETURN to continue : "})));
    EXPECT_EQ(count_of(d.report, "Dot-Cloud Construction"), 3u);
    EXPECT_EQ(d.cs.jdt[0], 7);
    EXPECT_TRUE(contains_block(d.out, lines({
        "             The age class distributions for this data set range",
        "             from  1 to  200. ",
    })));
}

TEST(ModeSelection, UnreadableLogicalsKeepThePreviousAnswer) {
    // "?" at the confirmation reuses the start value false (restart); after a true
    // answer, "?" at the review means true.
    Defined d = define("m\n1\n5\n9\n?\nm\n1\n5\n9\nt\na\n0\n?\n");
    EXPECT_EQ(count_of(d.report, "Dot-Cloud Construction"), 2u);
    EXPECT_EQ(count_of(d.out, ": AGE CLASS SELECTIONS :"), 1u);
}

TEST(ModeSelection, RandomDefinitionKeepsTheLastHeadingAndIncrements) {
    Defined d;
    define(d, "a\n1\n10\n5\n30\nt\na\n0\nt\n");
    define(d, "r\n4\n1\n100\n1\na\n-5\nt\n");
    ASSERT_EQ(d.cs.classnum, 4);
    EXPECT_EQ(d.cs.stop_age[1], 42);
    EXPECT_EQ(d.cs.inc_length[1], 5);  // left from the automatic definition
    EXPECT_TRUE(contains_block(d.report, lines({
        " Automated age classes defined by user",
        "   #    start    stop   inc/length spline",
        "    1      1  to   10       10      -5",
        "    2     10  to   42       33      -5",
    })));
}

}  // namespace
}  // namespace tarnik::clouds

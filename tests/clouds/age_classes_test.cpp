#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clouds/age_classes.h"
#include "clouds/random_partition.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::MemConsole;
using Part = std::vector<std::int32_t>;

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

TEST(AutomaticMode, AnswersOutOfOrderOrRangeAreAskedAgain) {
    // stop < start; increments 0, 151 (above the depth-3 age) and "x"; terminal age 151.
    Defined d = define("a\n20\n10\n\n1\n10\n0\n\n151\n\nx\n\n5\n151\n\n30\nt\na\n0\nt\n");
    EXPECT_TRUE(contains_block(d.out, "             STOP age may not be less then the START age.\n\n"
                                      "             Hit RETURN to re-enter stop and start ages : "));
    EXPECT_EQ(count_of(d.out, "You must enter a value between 1 and  150\n"), 3u);
    EXPECT_TRUE(contains_block(d.out, "             You must enter a value between   10 and  150\n"));
    EXPECT_EQ(d.cs.classnum, 5);
}

TEST(AutomaticMode, IsRefusedWithoutAnAgeOfDepthThree) {
    // Without any age of depth 3 no increment could be accepted: the mode is refused.
    Defined none = define("a\n1\n10\n\nm\n1\n5\n9\nt\na\n0\nt\n", AgeRange{1, 200, 0});
    EXPECT_TRUE(contains_block(none.out, "No age has 3 or more series"));
    EXPECT_EQ(none.st.automatic, 0);
}

// 0 and 51 classes; start ages 0 (below min) and 201 (above max: no stop age
// could follow); a stop age below the start.
constexpr const char* kManualRefusals = "m\n0\n51\n1\n0\n\n201\n\n20\n19\n\n25\nt\na\n0\nt\n";

TEST(ManualMode, RefusesClassCountsOutsideTheTable) {
    const Defined d = define(kManualRefusals);
    EXPECT_EQ(count_of(d.out, "The number of age classes must be between   1 and  50."), 2u);
}

TEST(ManualMode, RefusesAgesOutsideTheDataOrBeforeTheStart) {
    const Defined d = define(kManualRefusals);
    EXPECT_TRUE(contains_block(d.out, "             The starting age must be >=    1\n"));
    EXPECT_TRUE(contains_block(d.out, "             The starting age must be <=  200\n"));
    EXPECT_TRUE(contains_block(d.out, "             The stop age must be >= the starting age \n"
                                      "             and <= 200.\n"));
    ASSERT_EQ(d.cs.classnum, 1);
    EXPECT_EQ(d.cs.start_age[0], 20);
    EXPECT_EQ(d.cs.stop_age[0], 25);
}

TEST(Ran1, ReproducesTheGeneratorSequenceForSeedMinusOne) {
    Ran1State st;
    std::int32_t seed = -1;
    for (float want : {0.41599935f, 0.09196489f, 0.75641048f}) EXPECT_FLOAT_EQ(ran1(st, seed), want);
    seed = -1;  // a negative seed word restarts the sequence whatever came before
    EXPECT_FLOAT_EQ(ran1(st, seed), 0.41599935f);
}

Part draw(std::int32_t n, std::int32_t s, std::int32_t e, std::int32_t seed, std::string* out = nullptr) {
    MemConsole mc;
    Ran1State st;
    Part p = draw_class_boundaries(mc.con(), st, n, s, e, seed);
    if (out) *out = mc.output();
    return p;
}

TEST(DrawClassBoundaries, GivesTheKnownPartitionsForTheirSeeds) {
    std::string out;
    EXPECT_EQ(draw(4, 1, 100, 1, &out), (Part{1, 10, 42, 76, 100}));
    EXPECT_TRUE(contains_block(out, "\n             This partition required     1 passes.\n"));
    EXPECT_EQ(draw(4, 1, 100, 7), (Part{1, 13, 43, 65, 100}));
    EXPECT_EQ(draw(2, 10, 11, 3, &out), (Part{10, 10, 11}));
    EXPECT_TRUE(contains_block(out, "This partition required     5 passes."));
    // The same seed gives the same classes; its sign does not matter and 0 acts as 1.
    const Part one = draw(6, 20, 300, 1);
    EXPECT_EQ(draw(6, 20, 300, 7), draw(6, 20, 300, -7));
    EXPECT_EQ(draw(6, 20, 300, 0), one);
    EXPECT_EQ(draw(6, 20, 300, -1), one);
}

TEST(DrawClassBoundaries, InteriorBoundariesRiseStrictlyBelowTheStopAge) {
    for (std::int32_t seed = 1; seed <= 40; ++seed) {
        const Part p = draw(50, 1, 1000, seed);
        ASSERT_EQ(p.size(), 51u);
        EXPECT_TRUE(p.front() == 1 && p.back() == 1000 && p[49] < 1000) << seed;
        for (std::size_t i = 2; i < 50; ++i) ASSERT_LT(p[i - 1], p[i]) << "seed " << seed;
    }
}

TEST(RandomDialog, RefusalsAskAgainUntilAPartitionIsDrawn) {
    // 51 classes (too many), 1 (too few); 10 classes in 20..25 (cannot hold 9
    // interior ages) and 50 classes in 1..60 with seed 5 (no partition in 99999
    // passes) start again at the count; then 4 classes, start 0 (below the
    // minimum), 200 (no stop age could follow), 1; stop 1 (not above the start),
    // 100; seed 7.
    MemConsole mc("51\n1\n10\n20\n25\n50\n1\n60\n5\n4\n0\n200\n1\n1\n100\n7\n");
    Ran1State st;
    RandomDialogAnswers ans;
    CloudStore cs;
    cs.inc_length[0] = 77;
    ASSERT_TRUE(random_class_dialog(mc.con(), st, ans, mxnc, 1, 200, cs));
    const std::string out = mc.output();
    EXPECT_EQ(cs.classnum, 4);
    EXPECT_EQ(std::vector<std::int32_t>(cs.start_age.begin(), cs.start_age.begin() + 4), (Part{1, 13, 43, 65}));
    EXPECT_EQ(cs.stop_age[3], 100);
    EXPECT_EQ(cs.inc_length[0], 77);
    EXPECT_TRUE(contains_block(out, "             WARNING. Number of age classes requested exceeds\n"
                                    "             maximum allowed [50]\n"));
    EXPECT_TRUE(contains_block(out, "WARNING. At least 2 random age classes are needed."));
    EXPECT_TRUE(contains_block(out, "cannot hold\n             10 random age classes with distinct boundaries."));
    EXPECT_TRUE(contains_block(out, "             WARNING. No partition with distinct boundaries was found\n"
                                    "             in 99999 passes."));
    EXPECT_EQ(count_of(out, "Enter number of random age classes to create."), 5u);
    EXPECT_EQ(count_of(out, "WARNING. Minimum start age must be greater than [ 1]\n"
                            "             and less than [**]\n"),
              2u);
    EXPECT_TRUE(contains_block(out, "             WARNING. Maximum age must be less than [**]\n"
                                    "             and greater than [ 2]\n"));

    // 20..25 offer five interior boundaries (20..24), so at most six classes: 7 is
    // refused, 6 takes every boundary there is.
    MemConsole tight("7\n20\n25\n6\n20\n25\n3\n");
    ASSERT_TRUE(random_class_dialog(tight.con(), st, ans, mxnc, 1, 200, cs));
    EXPECT_EQ(count_of(tight.output(), "cannot hold"), 1u);
    EXPECT_EQ(cs.classnum, 6);
    EXPECT_EQ(std::vector<std::int32_t>(cs.start_age.begin(), cs.start_age.begin() + 6), (Part{20, 20, 21, 22, 23, 24}));
    EXPECT_EQ(cs.stop_age[5], 25);

    MemConsole single("\n");  // a single age cannot be divided
    EXPECT_FALSE(random_class_dialog(single.con(), st, ans, mxnc, 30, 30, cs));
    EXPECT_TRUE(contains_block(single.output(), "random age classes need at least two ages."));
}

}  // namespace
}  // namespace tarnik::clouds

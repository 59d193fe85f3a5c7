#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clouds/random_partition.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::MemConsole;

TEST(Ran1, ReproducesTheGeneratorSequenceForSeedMinusOne) {
    Ran1State st;
    std::int32_t seed = -1;
    EXPECT_FLOAT_EQ(ran1(st, seed), 0.41599935f);
    EXPECT_FLOAT_EQ(ran1(st, seed), 0.09196489f);
    EXPECT_FLOAT_EQ(ran1(st, seed), 0.75641048f);
    // A negative seed word restarts the sequence whatever came before.
    seed = -1;
    EXPECT_FLOAT_EQ(ran1(st, seed), 0.41599935f);
}

struct Drawn {
    std::vector<std::int32_t> part;
    std::string out;
};

Drawn draw(std::int32_t n, std::int32_t s, std::int32_t e, std::int32_t seed) {
    MemConsole mc;
    Ran1State st;
    Drawn d;
    d.part = parti(mc.con(), st, n, s, e, seed);
    d.out = mc.output();
    return d;
}

TEST(Parti, GivesTheKnownPartitionsForTheirSeeds) {
    Drawn a = draw(4, 1, 100, 1);
    EXPECT_EQ(a.part, (std::vector<std::int32_t>{1, 10, 42, 76, 100}));
    EXPECT_TRUE(contains_block(a.out, "\n             This partition required     1 passes.\n"));
    EXPECT_EQ(draw(4, 1, 100, 7).part, (std::vector<std::int32_t>{1, 13, 43, 65, 100}));
    Drawn c = draw(2, 10, 11, 3);
    EXPECT_EQ(c.part, (std::vector<std::int32_t>{10, 10, 11}));
    EXPECT_TRUE(contains_block(c.out, "This partition required     5 passes."));
}

TEST(Parti, TheSignOfTheSeedDoesNotMatterAndZeroActsAsOne) {
    EXPECT_EQ(draw(6, 20, 300, 7).part, draw(6, 20, 300, -7).part);
    const auto one = draw(6, 20, 300, 1).part;
    EXPECT_EQ(draw(6, 20, 300, 0).part, one);
    EXPECT_EQ(draw(6, 20, 300, -1).part, one);
}

TEST(Parti, InteriorBoundariesAreDistinctAndBelowTheStopAge) {
    for (std::int32_t seed = 1; seed <= 40; ++seed) {
        const auto p = draw(50, 1, 1000, seed).part;
        ASSERT_EQ(p.size(), 51u);
        EXPECT_EQ(p.front(), 1);
        EXPECT_EQ(p.back(), 1000);
        for (std::size_t i = 2; i + 1 < p.size(); ++i) ASSERT_LT(p[i - 1], p[i]) << "seed " << seed;
        EXPECT_LT(p[p.size() - 2], 1000);
    }
}

TEST(Parti, GivesUpWhenDistinctBoundariesAreHopelesslyRare) {
    // 49 distinct interior ages out of 59: random drawings essentially never manage.
    Drawn d = draw(50, 1, 60, 5);
    EXPECT_TRUE(d.part.empty());
    EXPECT_EQ(d.out, "");
}

// Runs the random-mode dialog with the given answers.
struct Dialog {
    CloudStore cs;
    std::string out;
    bool ok = false;
};

Dialog random_dialog(std::string_view answers, std::int32_t min_age = 1, std::int32_t max_age = 200) {
    MemConsole mc(answers);
    Ran1State st;
    RandomDialogAnswers ans;
    Dialog d;
    d.cs.inc_length[0] = 77;
    d.ok = tarnikparti(mc.con(), st, ans, mxnc, min_age, max_age, d.cs);
    d.out = mc.output();
    return d;
}

TEST(RandomDialog, RejectsCountsAndAgesOutsideTheirRanges) {
    // 51 classes, then 1 class (too few to partition), then 3; start 0 (below the
    // minimum), then 200 (no stop age could follow), then 5; stop 5, then 9.
    Dialog d = random_dialog("51\n1\n3\n0\n200\n5\n5\n9\n3\n", 1, 200);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.cs.classnum, 3);
    EXPECT_EQ(d.cs.start_age[0], 5);
    EXPECT_EQ(d.cs.stop_age[2], 9);
    EXPECT_TRUE(contains_block(d.out, "             WARNING. Number of age classes requested exceeds\n"
                                      "             maximum allowed [50]\n"));
    EXPECT_TRUE(contains_block(d.out, "WARNING. At least 2 random age classes are needed."));
    EXPECT_EQ(test::count_of(d.out, "WARNING. Minimum start age must be greater than [ 1]\n"
                                    "             and less than [**]\n"),
              2u);
    EXPECT_TRUE(contains_block(d.out, "             WARNING. Maximum age must be less than [**]\n"
                                      "             and greater than [ 6]\n"));
}

TEST(RandomDialog, AskAgainWhenTheRangeCannotHoldTheClasses) {
    // 10 classes need 9 distinct interior ages; 20..25 has only 5. The dialog starts
    // again at the number of classes.
    Dialog d = random_dialog("10\n20\n25\n3\n20\n25\n11\n", 1, 200);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.cs.classnum, 3);
    EXPECT_TRUE(contains_block(d.out, "cannot hold\n             10 random age classes with distinct boundaries."));
    EXPECT_EQ(test::count_of(d.out, "Enter number of random age classes to create."), 2u);
}

TEST(RandomDialog, AskAgainWhenNoPartitionIsFound) {
    Dialog d = random_dialog("50\n1\n60\n5\n4\n1\n100\n7\n", 1, 200);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.cs.classnum, 4);
    EXPECT_EQ(d.cs.start_age[1], 13);
    EXPECT_TRUE(contains_block(d.out, "             WARNING. No partition with distinct boundaries was found\n"
                                      "             in 99999 passes."));
}

TEST(RandomDialog, ASingleAgeCannotBeDivided) {
    Dialog d = random_dialog("\n", 30, 30);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(contains_block(d.out, "random age classes need at least two ages."));
}

}  // namespace
}  // namespace tarnik::clouds

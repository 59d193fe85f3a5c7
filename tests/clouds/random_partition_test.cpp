#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clouds/random_partition.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::MemConsole;
using Part = std::vector<std::int32_t>;

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
    Part p = parti(mc.con(), st, n, s, e, seed);
    if (out) *out = mc.output();
    return p;
}

TEST(Parti, GivesTheKnownPartitionsForTheirSeeds) {
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

TEST(Parti, InteriorBoundariesAreDistinctAndBelowTheStopAge) {
    for (std::int32_t seed = 1; seed <= 40; ++seed) {
        const Part p = draw(50, 1, 1000, seed);
        ASSERT_EQ(p.size(), 51u);
        EXPECT_EQ(p.front(), 1);
        EXPECT_EQ(p.back(), 1000);
        for (std::size_t i = 2; i + 1 < p.size(); ++i) ASSERT_LT(p[i - 1], p[i]) << "seed " << seed;
        EXPECT_LT(p[p.size() - 2], 1000);
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
    ASSERT_TRUE(tarnikparti(mc.con(), st, ans, mxnc, 1, 200, cs));
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

    MemConsole single("\n");  // a single age cannot be divided
    EXPECT_FALSE(tarnikparti(single.con(), st, ans, mxnc, 30, 30, cs));
    EXPECT_TRUE(contains_block(single.output(), "random age classes need at least two ages."));
}

}  // namespace
}  // namespace tarnik::clouds

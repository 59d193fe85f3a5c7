// End-to-end runs of the spline trend variable (Data Transformation Menu
// choice 2): the bandwidth request, its notice, and the stored trend values as
// the data summary shows them. A series too short to spline is among the
// limits of the driver tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::count_of;
using test::decadal;
using test::lines;
using test::run_tarnik;
using test::TempDir;

const std::string kNotice =
    "\n"
    "             The spline bandwidth must be ≥ 2 years.\n"
    "             It will be set to 2.\n";

TEST(SplineTrend, PercentageAndFixedBandwidths) {
    TempDir dir;
    // 31 rings of 1 mm with one ring of 10 mm: -50 asks for 15.5 years, which
    // rounds to 16. The summary shows the fitted peak and the trough beside it,
    // stored as whole hundredths (a dense textbook smoothing spline with the
    // same smoothing parameter gives 0.940 and 2.240; 15 or 17 years would give
    // a peak of 2.330 or 2.170).
    std::vector<int> spike(31, 100);
    spike[15] = 1000;
    dir.write("spike.rwl", "spike\n" + decadal("SPK1", 1900, spike));
    auto r = run_tarnik(dir, lines({"spike.rwl", "f", "2", "-50", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Ranging from Min. y =    0.940 to Max. y =    2.240\n"));
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 0u);

    dir.write("two.rwl", "two\n" + decadal("A", 1900, std::vector<int>(12, 120)) +
                             decadal("B", 1950, {90, 140, 60, 100, 130}));
    // A fixed bandwidth of 1 is raised to 2, with the notice for every series.
    r = run_tarnik(dir, lines({"two.rwl", "f", "2", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Processing file two.rwl\n" + kNotice + kNotice));
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 2u);
}

}  // namespace
}  // namespace tarnik

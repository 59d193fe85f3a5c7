// End-to-end runs of the detrended variables of the Data Transformation Menu:
// spline trend values (choice 2), with the bandwidth request, its notice and the
// stored trends as the data summary shows them, and regional curve
// standardisation (choice 3), whose mean by cambial age and indices are checked
// by the unit tests. A series too short to spline is among the driver's limits.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
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

TEST(SplineTrend, APercentageBandwidthIsAShareOfTheSeriesLength) {
    TempDir dir;
    // 31 rings of 1 mm with one ring of 10 mm: -50 asks for 15.5 years, which
    // rounds to 16. The summary shows the fitted peak and the trough beside it,
    // stored as whole hundredths (a dense textbook smoothing spline with the
    // same smoothing parameter gives 0.940 and 2.240; 15 or 17 years would give
    // a peak of 2.330 or 2.170).
    std::vector<int> spike(31, 100);
    spike[15] = 1000;
    dir.write("spike.rwl", "spike\n" + decadal("SPK1", 1900, spike));
    const auto r = run_tarnik(dir, lines({"spike.rwl", "f", "2", "-50", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Ranging from Min. y =    0.940 to Max. y =    2.240\n"));
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 0u);
}

TEST(SplineTrend, AFixedBandwidthBelow2IsRaisedWithANoticePerSeries) {
    TempDir dir;
    dir.write("two.rwl", "two\n" + decadal("A", 1900, std::vector<int>(12, 120)) +
                             decadal("B", 1950, {90, 140, 60, 100, 130}));
    // A fixed bandwidth of 1 is raised to 2, with the notice for every series.
    const auto r = run_tarnik(dir, lines({"two.rwl", "f", "2", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Processing file two.rwl\n" + kNotice + kNotice));
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 2u);
}

// Two series with cambial ages 1..5 whose mean by age (2, 3, 4, 5, 6 mm) is a
// straight line, which the spline reproduces exactly at any bandwidth.
const std::string kLinear =
    "linear regional curve\n"
    "A       1901   100   200   300   400   500   999\n"
    "B       1951   300   400   500   600   700   999\n";

// lin.rwl read as RCS indices: jdt 1 (raised to 2 with the notice), recalculate
// with jdt -50, save.
test::RunResult detrend_the_straight_line(const TempDir& dir) {
    dir.write("lin.rwl", kLinear);
    return run_tarnik(dir, lines({"lin.rwl", "f", "3", "1", "-1", "t", "-50", "-1", "f", "t", "-1", "5"}));
}

TEST(Rcs, TheBandwidthMenuRaisesABandwidthBelow2) {
    TempDir dir;
    const auto r = detrend_the_straight_line(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(contains_block(r.out, "\n\n             ________ RCS spline detrending menu ________\n\n"
                                      "             Enter an integer [jdt] for the bandwidth.\n"
                                      "             if jdt is < 0, bandwidth = (-jdt/100)*n.\n"
                                      "             if jdt is > 1, bandwidth = jdt.\n"
                                      "             if jdt is = 0, minimum-gcv bandwidth\n"
                                      "                            is computed by program.\n"
                                      "             ______________________________________________\n\n"
                                      "             Enter spline parameter           : \n"
                                      "             The spline bandwidth must be >= 2 years.\n"
                                      "             It will be set to 2.\n"));
}

TEST(Rcs, ARecalculationAsksForTheBandwidthAgain) {
    TempDir dir;
    const auto r = detrend_the_straight_line(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(count_of(r.out, "RCS spline detrending menu"), 2u);
    EXPECT_EQ(count_of(r.out, "RETURN to RCS MENU [-1]"), 2u);
    EXPECT_TRUE(contains_block(r.out, "\n\n             Do you want to recalculate the mean Regional Growth Curve?\n"
                                      "             Enter [T]rue or [F]alse > "));
}

TEST(Rcs, TheCurveIsOfferedForSaving) {
    TempDir dir;
    const auto r = detrend_the_straight_line(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(contains_block(r.out, "\n\n             Do you want to save the current RCS mean and spline fit\n"
                                      "             data ?\n             Enter [T]rue or [F]alse > "));
}

TEST(Rcs, AStraightLineCurveDefinesEveryIndex) {
    TempDir dir;
    const auto r = detrend_the_straight_line(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(count_of(r.out, "regional curve is 0 or undefined"), 0u);
}

TEST(Rcs, TheSavedFileHoldsTheMeanByAgeBesideItsFit) {
    TempDir dir;
    const auto r = detrend_the_straight_line(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::string expected = " Tarnik RCS output.  Input File : lin.rwl" + std::string(33, ' ') + "\n" +
                           " AGE     MEAN    RG-curve\n";
    char row[64];
    for (int age = 1; age <= 5; ++age) {
        std::snprintf(row, sizeof row, " %4d  %8.3f  %8.3f\n", age, age + 1.0, age + 1.0);
        expected += row;
    }
    EXPECT_EQ(dir.read("TarnikRCS_out"), expected);
}

// Both reports in one block: the failed save, then the note on the indices.
TEST(Rcs, UndefinedIndicesAreNotedAfterAFailedSave) {
    TempDir dir;
    // Widths of 0 only: the regional curve is 0 at every age.
    dir.write("zero.rwl", "zeros\nA       1901     0     0     0     0     0   999\n"
                          "B       1951     0     0     0     0     0   999\n");
    // A directory of the file's name cannot be opened as a file.
    std::filesystem::create_directory(dir / "TarnikRCS_out");
    auto r = run_tarnik(dir, lines({"zero.rwl", "f", "3", "2", "-1", "f", "t", "-1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out,
        "\n             The file TarnikRCS_out could not be written here; nothing was saved.\n\n"
        "             Note: 10 rings lie where the regional curve is 0 or undefined, or its index is too large;\n"
        "             such rings are stored as 0.\n"));
}

}  // namespace
}  // namespace tarnik

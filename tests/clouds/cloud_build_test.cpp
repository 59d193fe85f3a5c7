#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clouds/cloud_build.h"
#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::make_stores;
using test::MemConsole;
using test::SeriesSpec;

// A series of n rings with values that vary smoothly (0.5 .. 1.5 mm).
SeriesSpec series(std::int32_t first_year, std::int32_t n, std::int32_t phase = 0) {
    SeriesSpec s{"S", first_year, 0, 100, {}};
    for (std::int32_t k = 0; k < n; ++k) s.entries.push_back(100 + std::lround(50.0 * std::sin((k + phase) / 4.0)));
    return s;
}

struct Built {
    DotCloudState s;
    BuildResult result = BuildResult::Built;
    std::string out, report;
};

// Builds the clouds of the classes {start, stop, bandwidth request}.
Built build(const Stores& st, std::vector<std::array<std::int32_t, 3>> defs, std::string_view answers = {}) {
    Built b;
    for (std::size_t i = 0; i < defs.size(); ++i)
        b.s.cs.start_age[i] = defs[i][0], b.s.cs.stop_age[i] = defs[i][1], b.s.cs.jdt[i] = defs[i][2];
    b.s.cs.classnum = static_cast<std::int32_t>(defs.size());
    test::TempDir dir;
    TextFile report((dir / "report").string());
    MemConsole mc(answers);
    b.result = build_clouds(mc.con(), st, report, b.s, 1);
    report.close();
    b.out = mc.output();
    b.report = dir.read("report");
    return b;
}

TEST(CloudBuild, PointsGoSeriesBySeriesInAscendingAge) {
    const Stores st = make_stores({series(1900, 50), series(1950, 50)});
    CloudClass cl;
    ASSERT_EQ(collect_cloud(st, 10, 12, cl), 6);
    EXPECT_EQ(cl.cloud_year, (std::vector<float>{1909, 1910, 1911, 1959, 1960, 1961}));
    EXPECT_FLOAT_EQ(cl.cloud_value[3], static_cast<float>(st.values[59]) / 100.0f);
    // Pith offsets shift the ages; a scale of 1000 divides by 1000.
    ASSERT_EQ(collect_cloud(make_stores({{"T", 1800, 5, 1000, {1234, 2345, 3456}}}), 7, 30, cl), 2);
    EXPECT_EQ(cl.cloud_year, (std::vector<float>{1801, 1802}));
    EXPECT_FLOAT_EQ(cl.cloud_value[0], 2.345f);
}

TEST(CloudBuild, FitsEveryClassAndSetsRangesTicksAndReport) {
    // 8 series over 1843..1993 (ages 1..60, staggered start years).
    std::vector<SeriesSpec> specs;
    for (int j = 0; j < 8; ++j) specs.push_back(series(1843 + 13 * j, 60, j));
    const Built b = build(make_stores(specs), {{1, 20, 0}, {21, 40, 30}, {41, 60, -10}});
    ASSERT_EQ(b.result, BuildResult::Built);
    const CloudStore& cs = b.s.cs;
    EXPECT_EQ(cs.num[0], 160);
    // Class 1: years 1843 .. 1843+13*7+19 = 1953; one spline point per year.
    EXPECT_EQ(cs.nps[0], 1953 - 1843 + 1);
    EXPECT_EQ(cs.cls[0].spline_year.back(), 1953.0f);
    EXPECT_EQ(cs.max_nps, 1993 - 1883 + 1);
    EXPECT_EQ(cs.bw_label[1], "  30 fixed years cutoff");
    EXPECT_NE(cs.bw_label[0].find(" minimum-gcv years cutoff"), std::string::npos);
    // Class 3's request is 10 % of the year span of all points of classes 1..3;
    // class 1's span only covers its own points.
    EXPECT_FLOAT_EQ(b.s.cloud_span[0], 1953.0f - 1843.0f + 1.0f);
    EXPECT_FLOAT_EQ(cs.bw[2], 0.1f * 151.0f);
    EXPECT_EQ(cs.bw_label[2], "  15 %n years cutoff");

    const plot::PlotAppearance& ap = b.s.ap;
    EXPECT_EQ(std::vector<float>({ap.x_min, ap.x_max, ap.x_major, float(ap.x_minor), ap.y_max, ap.y_major, float(ap.y_minor)}),
              std::vector<float>({1840, 2000, 20, 10, 2.5f, 1, 10}));
    // Values 0.5 .. 1.5: the maximum rounds (away from zero) to 2, plus 0.5; the
    // window then widens down to the lowest spline value.
    EXPECT_EQ(ap.y_min, ap.z_min);
    EXPECT_LT(ap.z_min, 0.6f);
    EXPECT_LE(ap.z_max, 1.5f);
    EXPECT_TRUE(contains_block(b.report, "\n Xhigh  Xlow   Yhigh  Ylow   Zhigh  Zlow\n 1993.  1843.    1.500  0.500"));
    EXPECT_TRUE(contains_block(b.report, " Max Number of age clase cloud values =          160\n"
                                         " Max Number of age clase compressed cloud values =          111\n"));
}

TEST(CloudBuild, ShortBandwidthsAreRaisedToTwoAndKeepTheirLabel) {
    const Built b = build(make_stores({series(1900, 40), series(1905, 40), series(1910, 40)}), {{1, 10, 1}, {11, 20, -1}},
                          "\n\n");
    ASSERT_EQ(b.result, BuildResult::Built);
    EXPECT_EQ(count_of(b.out, test::lines({"", "             The bandwidth must be > 2,", "             It will be set = 2.",
                                           "", "             Hit return to CONTINUE", ""})),
              2u);
    EXPECT_EQ(b.s.cs.bw[0], 2.0f);
    EXPECT_EQ(b.s.cs.fit_stats[0][0], 2.0f);
    EXPECT_EQ(b.s.cs.bw_label[0], "   1 fixed years cutoff");
    EXPECT_EQ(b.s.cs.bw_label[1], "   0 %n years cutoff");  // 1 % of 39 years
}

TEST(CloudBuild, CloudsTooSmallToFitWarnAndCutOrRedefine) {
    // Six points, all in the years 1900 and 1901: more than 3 points, too few years.
    const Stores st = make_stores({series(1900, 5), series(1900, 5), series(1900, 5)});
    Built b = build(st, {{1, 2, 0}}, "x\n1\n");
    EXPECT_EQ(b.result, BuildResult::NothingLeft);
    EXPECT_TRUE(contains_block(b.out, "(its points fall in fewer than 3 different years)\n"));
    EXPECT_TRUE(contains_block(b.out, "                 1         1       2         6\n"));
    EXPECT_TRUE(contains_block(b.out, "\n             You must enter a 1 or 2\n"));
    EXPECT_EQ(build(st, {{1, 2, 0}}, "2\n").result, BuildResult::Redefine);
    // An empty class shows size 0; answer 1 keeps the classes before it.
    b = build(st, {{1, 5, 0}, {90, 99, 0}}, "1\n");
    ASSERT_EQ(b.result, BuildResult::Built);
    EXPECT_EQ(b.s.cs.classnum, 1);
    EXPECT_TRUE(contains_block(b.out, "                 2        90      99         0\n"));
}

TEST(CloudBuild, AClassBeyondTheCloudCapacityAsksForANewDefinition) {
    // 21500 series of 70 rings: one class over all ages holds 1,505,000 points.
    Built b = build(make_stores(std::vector<SeriesSpec>(21500, {"S", 1900, 0, 100, std::vector<std::int32_t>(70, 100)})),
                    {{1, 70, 0}}, "\n");
    EXPECT_EQ(b.result, BuildResult::Redefine);
    EXPECT_TRUE(contains_block(b.out, test::lines({"", "", "             ******* MAJOR ERROR *******",
                                                   "             You have defined an age class that exceeds"})));
    EXPECT_TRUE(b.s.cs.cls[0].cloud_year.empty());
    // 20000 series of 75 rings reach exactly the capacity, which is still fitted.
    b = build(make_stores(std::vector<SeriesSpec>(20000, {"S", 1900, 0, 100, std::vector<std::int32_t>(75, 100)})),
              {{1, 75, 0}});
    EXPECT_EQ(b.result, BuildResult::Built);
    EXPECT_EQ(b.s.cs.num[0], CloudMax);
}

}  // namespace
}  // namespace tarnik::clouds

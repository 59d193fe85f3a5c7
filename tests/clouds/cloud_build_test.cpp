#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clouds/cloud_build.h"
#include "clouds/cloud_fit.h"
#include "plot/rwl_fixture.h"
#include "cloud_fixture.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::make_stores;
using test::SeriesSpec;

// A series of n rings with values that vary smoothly (0.5 .. 1.5 mm).
SeriesSpec series(std::int32_t first_year, std::int32_t n, std::int32_t phase = 0) {
    SeriesSpec s{"S", first_year, 0, 100, {}};
    for (std::int32_t k = 0; k < n; ++k) s.entries.push_back(100 + std::lround(50.0 * std::sin((k + phase) / 4.0)));
    return s;
}

struct Built : test::Scripted {
    DotCloudState s;
    BuildResult result = BuildResult::Built;
};

// Builds the clouds of the classes {start, stop, bandwidth request}.
Built build(const Stores& st, std::vector<std::array<std::int32_t, 3>> defs, std::string_view answers = {}) {
    Built b;
    for (std::size_t i = 0; i < defs.size(); ++i)
        b.s.cs.start_age[i] = defs[i][0], b.s.cs.stop_age[i] = defs[i][1], b.s.cs.jdt[i] = defs[i][2];
    b.s.cs.classnum = static_cast<std::int32_t>(defs.size());
    static_cast<test::Scripted&>(b) =
        test::scripted(answers, [&](Console& c, TextFile& f) { b.result = build_clouds(c, st, f, b.s, AnalysisVariable::ring_widths); });
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

// 8 series over 1843..1993 (ages 1..60, staggered start years) in three
// classes: minimum GCV, 30 years fixed and 10 % of the span.
Built staggered_build() {
    std::vector<SeriesSpec> series_list;
    for (int j = 0; j < 8; ++j) series_list.push_back(series(1843 + 13 * j, 60, j));
    return build(make_stores(series_list), {{1, 20, 0}, {21, 40, 30}, {41, 60, -10}});
}

TEST(CloudBuild, FitsEveryClassOnAGridOfWholeYears) {
    const Built b = staggered_build();
    ASSERT_EQ(b.result, BuildResult::Built);
    const CloudStore& cs = b.s.cs;
    EXPECT_EQ(cs.num[0], 160);
    // Class 1: years 1843 .. 1843+13*7+19 = 1953; one spline point per year.
    EXPECT_EQ(cs.nps[0], 1953 - 1843 + 1);
    EXPECT_EQ(cs.cls[0].spline_year.back(), 1953.0f);
    EXPECT_EQ(cs.max_nps, 1993 - 1883 + 1);
}

TEST(CloudBuild, BandwidthRequestsGiveTheirBandwidthLabels) {
    const Built b = staggered_build();
    ASSERT_EQ(b.result, BuildResult::Built);
    const CloudStore& cs = b.s.cs;
    EXPECT_EQ(cs.bw_label[1], "  30 fixed years cutoff");
    EXPECT_NE(cs.bw_label[0].find(" minimum-gcv years cutoff"), std::string::npos);
    // Class 3's request is 10 % of the year span of all points of classes 1..3;
    // class 1's span only covers its own points.
    EXPECT_FLOAT_EQ(b.s.cloud_span[0], 1953.0f - 1843.0f + 1.0f);
    EXPECT_FLOAT_EQ(cs.bw[2], 0.1f * 151.0f);
    EXPECT_EQ(cs.bw_label[2], "  15 %n years cutoff");
}

TEST(CloudBuild, AxesTakeInTheCloudsWithTheirSplines) {
    const Built b = staggered_build();
    ASSERT_EQ(b.result, BuildResult::Built);
    const plot::PlotAppearance& ap = b.s.ap;
    EXPECT_EQ(std::vector<float>({ap.x_min, ap.x_max, ap.x_major, float(ap.x_minor), ap.y_max, ap.y_major, float(ap.y_minor)}),
              std::vector<float>({1840, 2000, 20, 10, 2.5f, 1, 10}));
    // Values 0.5 .. 1.5: the maximum rounds (away from zero) to 2, plus 0.5; the
    // window then widens down to the lowest spline value.
    EXPECT_EQ(ap.y_min, ap.z_min);
    EXPECT_LT(ap.z_min, 0.6f);
    EXPECT_LE(ap.z_max, 1.5f);
}

TEST(CloudBuild, ReportGivesTheDataRangesWithTheLargestCloudSizes) {
    const Built b = staggered_build();
    ASSERT_EQ(b.result, BuildResult::Built);
    EXPECT_TRUE(contains_block(b.report, "\n Xhigh  Xlow   Yhigh  Ylow   Zhigh  Zlow\n 1993.  1843.    1.500  0.500"));
    EXPECT_TRUE(contains_block(b.report, " Max Number of age clase cloud values =          160\n"
                                         " Max Number of age clase compressed cloud values =          111\n"));
}

// Two classes whose bandwidth requests (1 year fixed, 1 %) are below 2 years.
Built short_bandwidth_build() {
    return build(make_stores({series(1900, 40), series(1905, 40), series(1910, 40)}), {{1, 10, 1}, {11, 20, -1}},
                 "\n\n");
}

TEST(CloudBuild, ShortBandwidthsAreRaisedToTwo) {
    const Built b = short_bandwidth_build();
    ASSERT_EQ(b.result, BuildResult::Built);
    EXPECT_EQ(count_of(b.out, test::lines({"", "             The bandwidth must be > 2,", "             It will be set = 2.",
                                           "", "             Hit return to CONTINUE", ""})),
              2u);
    EXPECT_EQ(b.s.cs.bw[0], 2.0f);
    EXPECT_EQ(b.s.cs.fit_stats[0][0], 2.0f);
}

TEST(CloudBuild, RaisedBandwidthsKeepTheLabelOfTheirRequest) {
    const Built b = short_bandwidth_build();
    ASSERT_EQ(b.result, BuildResult::Built);
    EXPECT_EQ(b.s.cs.bw_label[0], "   1 fixed years cutoff");
    EXPECT_EQ(b.s.cs.bw_label[1], "   0 %n years cutoff");  // 1 % of 39 years
}

// Three series of five rings from 1900.
Stores three_short_series() { return make_stores({series(1900, 5), series(1900, 5), series(1900, 5)}); }

TEST(CloudBuild, CloudsTooSmallToFitAreWarnedAbout) {
    // Six points, all in the years 1900 and 1901: more than 3 points, too few years.
    const Stores st = three_short_series();
    const Built b = build(st, {{1, 2, 0}}, "x\n1\n");
    EXPECT_EQ(b.result, BuildResult::NothingLeft);
    EXPECT_TRUE(contains_block(b.out, "(its points fall in fewer than 3 different years)\n"));
    EXPECT_TRUE(contains_block(b.out, "                 1         1       2         6\n"));
    EXPECT_TRUE(contains_block(b.out, "\n             You must enter a 1 or 2\n"));
}

TEST(CloudBuild, AnswerTwoToATooSmallCloudRedefinesTheClasses) {
    EXPECT_EQ(build(three_short_series(), {{1, 2, 0}}, "2\n").result, BuildResult::Redefine);
}

TEST(CloudBuild, AnswerOneToATooSmallCloudKeepsTheClassesBeforeIt) {
    // An empty class shows size 0; answer 1 keeps the classes before it.
    const Built b = build(three_short_series(), {{1, 5, 0}, {90, 99, 0}}, "1\n");
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

using V = std::vector<float>;

struct Fit {
    CloudStore cs;
    CloudFitWork work;
    std::int32_t ni = 0, ns = 0;
    float bw = 0.0f;
    std::array<float, 8> stats{};
};

// Fits the cloud (years, values in cloud order) with the bandwidth request bw.
void run(Fit& r, const V& years, const V& values, float bw) {
    r.cs.point_year = years, r.cs.point_value = values;
    r.cs.point_year.push_back(0.0f), r.cs.point_value.push_back(0.0f);
    r.bw = bw;
    fit_cloud(r.cs, r.work, static_cast<std::int32_t>(years.size()), 0.5f, r.ni, r.bw, r.ns, r.stats);
}

TEST(SortByYear, SortsByYearKeepingEqualYearsInCloudOrder) {
    V y{1950, 1949, 1950, 1948, 1950, 1949, 0}, v{1, 2, 3, 4, 5, 6, 0};
    sort_by_year(6, y, v);
    EXPECT_EQ(y, (V{1948, 1949, 1949, 1950, 1950, 1950, 0}));
    EXPECT_EQ(v, (V{4, 2, 6, 1, 3, 5, 0}));
    // Years that are not whole numbers take the comparison sort, also stable.
    V fy{2.5f, 1.25f, 2.5f, -3.0f}, fv{1, 2, 3, 4};
    sort_by_year(4, fy, fv);
    EXPECT_EQ(fy, (V{-3.0f, 1.25f, 2.5f, 2.5f}));
    EXPECT_EQ(fv, (V{4, 2, 1, 3}));
}

TEST(AverageRepeatedYears, AveragesNeighboursCloserThanTheTolerance) {
    V y{1950, 1950, 1951, 1953, 0}, v{1.0f, 2.0f, 4.0f, 8.0f, 0}, cy, cv;
    std::vector<std::int32_t> nrep;
    ASSERT_EQ(average_repeated_years(4, 0.5f, y, v, cy, cv, nrep), 3);
    EXPECT_EQ(V(cy.begin(), cy.begin() + 3), (V{1950, 1951, 1953}));
    EXPECT_EQ(V(cv.begin(), cv.begin() + 3), (V{1.5f, 4.0f, 8.0f}));
    EXPECT_EQ(std::vector<std::int32_t>(nrep.begin(), nrep.begin() + 3), (std::vector<std::int32_t>{2, 1, 1}));
    // Neighbours closer than the tolerance chain into one group, however wide.
    V c{1.0f, 1.3f, 1.6f, 1.9f, 3.0f, 0}, cvals{1, 1, 1, 1, 5, 0};
    ASSERT_EQ(average_repeated_years(5, 0.5f, c, cvals, cy, cv, nrep), 2);
    EXPECT_EQ(nrep[0], 4);
    EXPECT_FLOAT_EQ(cy[0], 1.45f);
    // 60000 points in each of three odd years: a single-precision year sum would drift.
    V big, bv(180000, 0.5f);
    for (float yr : {1999.0f, 2001.0f, 2003.0f}) big.insert(big.end(), 60000, yr);
    big.push_back(0);
    ASSERT_EQ(average_repeated_years(180000, 0.5f, big, bv, cy, cv, nrep), 3);
    EXPECT_EQ(V(cy.begin(), cy.begin() + 3), (V{1999.0f, 2001.0f, 2003.0f}));
    EXPECT_EQ(cv[2], 0.5f);
}

// A cloud of three series over 1900-1920 without 1907 and 1912: series r covers
// the years whose offset i satisfies i mod 3 >= r, so the years carry 1 to 3
// replicates. The reference values below were computed independently with
// scipy's smoothing spline (weights nrep^2 scaled to mean 1, penalty rho/2) and a
// brute-force GCV search over its smoothing weight.
void test_cloud(V& y, V& v) {
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i <= 20; ++i) {
            if (i == 7 || i == 12 || i % 3 < r) continue;
            y.push_back(static_cast<float>(1900 + i));
            v.push_back(1.0f + 0.5f * std::sin(static_cast<float>(i) / 3.0f) +
                        0.1f * static_cast<float>((i * 7 + r * 3) % 5 - 2));
        }
}

TEST(FitCloud, FixedBandwidthFitMatchesAnIndependentSmoothingSpline) {
    V y, v;
    test_cloud(y, v);
    Fit r;
    run(r, y, v, 10.0f);
    ASSERT_EQ(r.ni, 19);
    ASSERT_EQ(r.ns, 21);
    const float expected[21] = {0.9712889f, 1.1266502f, 1.2675298f, 1.3722736f, 1.4327572f, 1.4451737f, 1.4133265f,
                                1.3381366f, 1.2209560f, 1.0677802f, 0.9024732f, 0.7555652f, 0.6460783f, 0.5747691f,
                                0.5388534f, 0.5403739f, 0.5909127f, 0.6905723f, 0.8213737f, 0.9685106f, 1.1190421f};
    for (std::size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(r.cs.grid_year[i], 1900.0f + static_cast<float>(i));
        EXPECT_NEAR(r.cs.fixed_spline[i], expected[i], 2e-5) << "year " << 1900 + i;
        // Standard errors only at years with data: 1907 and 1912 have none.
        EXPECT_EQ(r.cs.fixed_se[i] > 0.0f, i != 7 && i != 12) << "year " << 1900 + i;
    }
    EXPECT_EQ(r.bw, 10.0f);  // a fixed bandwidth is kept and reported as given
    EXPECT_EQ(r.stats[0], 10.0f);
    EXPECT_EQ(r.stats[7], 19.0f);
    EXPECT_NEAR(r.stats[6], 0.43567251f, 1e-6);  // mean square of the weights 1/nrep
}

TEST(FitCloud, MinimumGcvFitReportsItsBandwidthInTheStatistics) {
    V y, v;
    test_cloud(y, v);
    Fit r;
    run(r, y, v, 0.0f);
    EXPECT_NEAR(r.bw, 5.5236f, 0.02);
    EXPECT_EQ(r.stats[0], 6.0f);                // rounded
    EXPECT_EQ(r.stats[1], 9.0f);                // 9.23 rounded
    EXPECT_NEAR(r.stats[2], 0.0213992f, 2e-6);  // gcv / msw
    EXPECT_NEAR(r.stats[3], 0.0050476f, 5e-5);  // msr / msw
}

TEST(FitCloud, MinimumGcvFitWritesOnlyItsOwnSpline) {
    V y, v;
    test_cloud(y, v);
    Fit r;
    r.cs.fixed_spline.assign(30, -7.0f);  // an earlier fixed fit: must stay
    run(r, y, v, 0.0f);
    EXPECT_EQ(r.cs.fixed_spline[3], -7.0f);
    EXPECT_EQ(r.cs.gcv_se[7], 0.0f);
}

TEST(FitCloud, SearchesEndingAtEitherExtremeGiveUsableBandwidths) {
    // Noisy lines: one search ends interpolating (P = 0: bandwidth 2), the other
    // nearly straight (a very long bandwidth).
    V y;
    for (int i = 0; i < 30; ++i) y.push_back(static_cast<float>(1800 + i));
    auto noisy = [](unsigned s) {
        V v;
        for (int i = 0; i < 30; ++i) {
            s = s * 1103515245u + 12345u;
            v.push_back(0.5f + 0.01f * static_cast<float>(i) + static_cast<float>((s >> 16) % 100) / 100.0f);
        }
        return v;
    };
    Fit a, b;
    run(a, y, noisy(5), 0.0f);
    EXPECT_EQ(a.work.spline.stats[0], 0.0);
    EXPECT_EQ(a.bw, 2.0f);
    EXPECT_EQ(a.stats[0], 2.0f);
    run(b, y, noisy(2), 0.0f);
    EXPECT_GT(b.bw, 1000.0f);
    EXPECT_TRUE(std::isfinite(b.bw));
    EXPECT_EQ(b.stats[0], std::round(b.bw));
}

}  // namespace
}  // namespace tarnik::clouds

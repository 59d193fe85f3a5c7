#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clouds/cloud_build.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::MemConsole;
using test::TempDir;

struct SeriesSpec {
    std::int32_t first_year;
    std::int32_t pith_offset;
    std::vector<std::int32_t> values;  // stored integers (value x scale)
    std::int32_t scale = 100;
};

Stores make_stores(const std::vector<SeriesSpec>& specs) {
    Stores st;
    std::int32_t next = 1;
    for (const SeriesSpec& s : specs) {
        SeriesRecord r;
        r.first_index = next;
        r.length = static_cast<std::int32_t>(s.values.size());
        r.last_index = next + r.length - 1;
        r.first_year = s.first_year;
        r.pith_offset = s.pith_offset;
        r.scale = s.scale;
        st.series.push_back(r);
        st.values.insert(st.values.end(), s.values.begin(), s.values.end());
        for (std::int32_t k = 0; k < r.length; ++k) {
            ++st.depth_by_year[static_cast<std::size_t>(s.first_year + k)];
            ++st.depth_by_age[static_cast<std::size_t>(s.pith_offset + 1 + k)];
        }
        next += r.length;
        ++st.nser;
    }
    st.total = static_cast<std::int64_t>(st.values.size());
    aboutit(st);
    return st;
}

// A series of n rings with values that vary smoothly (0.5 .. 1.5 mm).
SeriesSpec series(std::int32_t first_year, std::int32_t pith, std::int32_t n, std::int32_t phase = 0) {
    SeriesSpec s{first_year, pith, {}};
    for (std::int32_t k = 0; k < n; ++k)
        s.values.push_back(100 + static_cast<std::int32_t>(std::lround(50.0 * std::sin((k + phase) / 4.0))));
    return s;
}

struct Built {
    DotCloudState s;
    BuildResult result = BuildResult::Built;
    std::string out, report;
};

void build(Built& b, const Stores& st, std::string_view answers = {}, std::int32_t ivar = 1) {
    TempDir dir;
    TextFile report;
    ASSERT_TRUE(report.open((dir / "report").string()));
    MemConsole mc(answers);
    b.result = build_clouds(mc.con(), st, report, b.s, ivar);
    report.close();
    b.out = mc.output();
    b.report = dir.read("report");
}

void classes(DotCloudState& s, std::initializer_list<std::array<std::int32_t, 3>> defs) {
    s.cs.classnum = 0;
    for (const auto& d : defs) {
        const auto i = static_cast<std::size_t>(s.cs.classnum++);
        s.cs.start_age[i] = d[0];
        s.cs.stop_age[i] = d[1];
        s.cs.jdt[i] = d[2];
    }
}

TEST(CloudBuild, PointsGoSeriesBySeriesInAscendingAge) {
    const Stores st = make_stores({series(1900, 0, 50), series(1950, 0, 50)});
    CloudClass cl;
    ASSERT_EQ(collect_cloud(st, 10, 12, cl), 6);
    EXPECT_EQ(cl.cloud_year, (std::vector<float>{1909, 1910, 1911, 1959, 1960, 1961}));
    EXPECT_FLOAT_EQ(cl.cloud_value[0], static_cast<float>(st.values[9]) / 100.0f);
    EXPECT_FLOAT_EQ(cl.cloud_value[3], static_cast<float>(st.values[59]) / 100.0f);
    // Pith offsets shift the ages; a scale of 1000 divides by 1000.
    SeriesSpec thin{1800, 5, {1234, 2345, 3456}, 1000};
    const Stores st2 = make_stores({thin});
    ASSERT_EQ(collect_cloud(st2, 7, 30, cl), 2);
    EXPECT_EQ(cl.cloud_year, (std::vector<float>{1801, 1802}));
    EXPECT_FLOAT_EQ(cl.cloud_value[0], 2.345f);
}

TEST(CloudBuild, FitsEveryClassAndSetsRangesTicksAndReport) {
    // 8 series over 1843..1993 (ages 1..60, staggered start years).
    std::vector<SeriesSpec> specs;
    for (int j = 0; j < 8; ++j) specs.push_back(series(1843 + 13 * j, 0, 60, j));
    const Stores st = make_stores(specs);
    Built b;
    classes(b.s, {{{1, 20, 0}}, {{21, 40, 30}}, {{41, 60, -10}}});
    build(b, st);
    ASSERT_EQ(b.result, BuildResult::Built);
    const CloudStore& cs = b.s.cs;
    EXPECT_EQ(cs.num[0], 160);
    EXPECT_EQ(cs.max_num, 160);
    // Class 1: years 1843 .. 1843+13*7+19 = 1953; one spline point per year.
    EXPECT_EQ(cs.nps[0], 1953 - 1843 + 1);
    EXPECT_EQ(cs.cls[0].spline_year.front(), 1843.0f);
    EXPECT_EQ(cs.cls[0].spline_year.back(), 1953.0f);
    EXPECT_EQ(cs.max_nps, 1993 - 1883 + 1);
    EXPECT_EQ(cs.fit_stats[1][0], 30.0f);
    EXPECT_EQ(cs.bw_label[1], "  30 fixed years cutoff");
    EXPECT_NE(cs.bw_label[0].find(" minimum-gcv years cutoff"), std::string::npos);
    // Class 3's request is 10 % of the year span of all points of classes 1..3.
    EXPECT_FLOAT_EQ(b.s.cloud_span[2], 1993.0f - 1843.0f + 1.0f);
    EXPECT_FLOAT_EQ(cs.bw[2], 0.1f * 151.0f);
    EXPECT_EQ(cs.bw_label[2], "  15 %n years cutoff");
    // Class 1's own span only covers its points.
    EXPECT_FLOAT_EQ(b.s.cloud_span[0], 1953.0f - 1843.0f + 1.0f);

    const plot::PlotAppearance& ap = b.s.ap;
    EXPECT_EQ(ap.x_min, 1840.0f);
    EXPECT_EQ(ap.x_max, 2000.0f);
    EXPECT_EQ(ap.x_major, 20.0f);
    EXPECT_EQ(ap.x_minor, 10);
    // Values 0.5 .. 1.5: the minimum rounds (away from zero) to 1 and the maximum
    // to 2, plus 0.5; the window then widens down to the lowest spline value.
    EXPECT_EQ(ap.y_max, 2.5f);
    EXPECT_EQ(ap.y_min, ap.z_min);
    EXPECT_LT(ap.z_min, 0.6f);
    EXPECT_EQ(ap.y_major, 1.0f);
    EXPECT_EQ(ap.y_minor, 10);
    EXPECT_EQ(ap.z_major, 0.0f);
    EXPECT_LE(ap.z_max, 1.5f);
    EXPECT_EQ(b.s.y_label, "(RRW mm.)");
    EXPECT_TRUE(contains_block(b.out, "\n Dot Cloud Plotting Control _______________\n\n"));

    EXPECT_TRUE(contains_block(b.report, "\n Xhigh  Xlow   Yhigh  Ylow   Zhigh  Zlow\n 1993.  1843.    1.500  0.500"));
    EXPECT_TRUE(contains_block(b.report, " Max Number of age clase cloud values =          160\n"
                                         " Max Number of age clase compressed cloud values =          111\n"));
}

TEST(CloudBuild, ShortBandwidthsAreRaisedToTwoAndKeepTheirLabel) {
    const Stores st = make_stores({series(1900, 0, 40), series(1905, 0, 40), series(1910, 0, 40)});
    Built b;
    classes(b.s, {{{1, 10, 1}}, {{11, 20, -1}}});
    build(b, st, "\n\n");
    ASSERT_EQ(b.result, BuildResult::Built);
    EXPECT_EQ(count_of(b.out, lines({"", "             The bandwidth must be > 2,", "             It will be set = 2.",
                                     "", "             Hit return to CONTINUE", ""})),
              2u);
    EXPECT_EQ(b.s.cs.bw[0], 2.0f);
    EXPECT_EQ(b.s.cs.bw_label[0], "   1 fixed years cutoff");
    EXPECT_EQ(b.s.cs.bw_label[1], "   0 %n years cutoff");  // 1 % of 39 years
    EXPECT_EQ(b.s.cs.fit_stats[0][0], 2.0f);
}

TEST(CloudBuild, CloudsInFewerThanThreeYearsAreCaughtBeforeTheFit) {
    // Six points, all in the years 1900 and 1901: more than 3 points, too few years.
    const Stores st = make_stores({series(1900, 0, 5), series(1900, 0, 5), series(1900, 0, 5)});
    Built b;
    classes(b.s, {{{1, 2, 0}}});
    build(b, st, "1\n");
    EXPECT_EQ(b.result, BuildResult::NothingLeft);
    EXPECT_TRUE(contains_block(b.out, "(its points fall in fewer than 3 different years)\n"));
    EXPECT_TRUE(contains_block(b.out, "                 1         1       2         6\n"));
    // An empty class shows size 0.
    Built e;
    classes(e.s, {{{1, 5, 0}}, {{90, 99, 0}}});
    build(e, st, "1\n");
    ASSERT_EQ(e.result, BuildResult::Built);
    EXPECT_EQ(e.s.cs.classnum, 1);
    EXPECT_TRUE(contains_block(e.out, "                 2        90      99         0\n"));
}

TEST(CloudBuild, AClassBeyondTheCloudCapacityAsksForANewDefinition) {
    // 21500 series of 70 rings: one class over all ages holds 1,505,000 points.
    std::vector<SeriesSpec> specs(21500, SeriesSpec{1900, 0, std::vector<std::int32_t>(70, 100)});
    const Stores st = make_stores(specs);
    Built b;
    classes(b.s, {{{1, 70, 0}}});
    build(b, st, "\n");
    EXPECT_EQ(b.result, BuildResult::Redefine);
    EXPECT_TRUE(contains_block(b.out, lines({"", "", "             ******* MAJOR ERROR *******",
                                             "             You have defined an age class that exceeds"})));
    EXPECT_TRUE(b.s.cs.cls[0].cloud_year.empty());
    // 20000 series of 75 rings reach exactly the capacity, which is still fitted.
    const Stores full =
        make_stores(std::vector<SeriesSpec>(20000, SeriesSpec{1900, 0, std::vector<std::int32_t>(75, 100)}));
    Built c;
    classes(c.s, {{{1, 75, 0}}});
    build(c, full);
    EXPECT_EQ(c.result, BuildResult::Built);
    EXPECT_EQ(c.s.cs.num[0], CloudMax);
}

}  // namespace
}  // namespace tarnik::clouds

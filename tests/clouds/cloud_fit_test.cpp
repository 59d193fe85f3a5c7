#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clouds/cloud_fit.h"

namespace tarnik::clouds {
namespace {

struct Fit {
    CloudStore cs;
    CloudFitWork work;
    std::int32_t ni = 0, ns = 0;
    float bw = 0.0f;
    std::array<float, 8> stats{};
};

// Fits the cloud (years, values in cloud order) with the bandwidth request bw.
void run(Fit& r, const std::vector<float>& years, const std::vector<float>& values, float bw) {
    r.cs.point_year = years;
    r.cs.point_value = values;
    r.cs.point_year.push_back(0.0f);
    r.cs.point_value.push_back(0.0f);
    r.bw = bw;
    seq4pg(r.cs, r.work, static_cast<std::int32_t>(years.size()), 0.5f, r.ni, r.bw, r.ns, r.stats);
}

TEST(Rankrr, SortsByYearKeepingEqualYearsInCloudOrder) {
    std::vector<float> y{1950, 1949, 1950, 1948, 1950, 1949, 0};
    std::vector<float> v{1, 2, 3, 4, 5, 6, 0};
    rankrr(6, y, v);
    EXPECT_EQ(y, (std::vector<float>{1948, 1949, 1949, 1950, 1950, 1950, 0}));
    EXPECT_EQ(v, (std::vector<float>{4, 2, 6, 1, 3, 5, 0}));
    // Years that are not whole numbers take the comparison sort, also stable.
    std::vector<float> fy{2.5f, 1.25f, 2.5f, -3.0f};
    std::vector<float> fv{1, 2, 3, 4};
    rankrr(4, fy, fv);
    EXPECT_EQ(fy, (std::vector<float>{-3.0f, 1.25f, 2.5f, 2.5f}));
    EXPECT_EQ(fv, (std::vector<float>{4, 2, 1, 3}));
}

TEST(Amrep, AveragesNeighboursCloserThanTheTolerance) {
    std::vector<float> y{1950, 1950, 1951, 1953, 0};
    std::vector<float> v{1.0f, 2.0f, 4.0f, 8.0f, 0};
    std::vector<float> cy, cv;
    std::vector<std::int32_t> nrep;
    ASSERT_EQ(amrep(4, 0.5f, y, v, cy, cv, nrep), 3);
    EXPECT_EQ(std::vector<float>(cy.begin(), cy.begin() + 3), (std::vector<float>{1950, 1951, 1953}));
    EXPECT_EQ(std::vector<float>(cv.begin(), cv.begin() + 3), (std::vector<float>{1.5f, 4.0f, 8.0f}));
    EXPECT_EQ(std::vector<std::int32_t>(nrep.begin(), nrep.begin() + 3), (std::vector<std::int32_t>{2, 1, 1}));
    // Neighbours closer than the tolerance chain into one group, however wide.
    std::vector<float> c{1.0f, 1.3f, 1.6f, 1.9f, 3.0f, 0};
    std::vector<float> cvals{1, 1, 1, 1, 5, 0};
    ASSERT_EQ(amrep(5, 0.5f, c, cvals, cy, cv, nrep), 2);
    EXPECT_EQ(nrep[0], 4);
    EXPECT_FLOAT_EQ(cy[0], 1.45f);
}

TEST(Amrep, LargeGroupsKeepTheirExactYear) {
    // 60000 points in each of three odd years: a single-precision year sum would drift.
    std::vector<float> y, v;
    for (float yr : {1999.0f, 2001.0f, 2003.0f})
        for (int i = 0; i < 60000; ++i) {
            y.push_back(yr);
            v.push_back(0.5f);
        }
    y.push_back(0);
    std::vector<float> cy, cv;
    std::vector<std::int32_t> nrep;
    ASSERT_EQ(amrep(180000, 0.5f, y, v, cy, cv, nrep), 3);
    EXPECT_EQ(cy[0], 1999.0f);
    EXPECT_EQ(cy[1], 2001.0f);
    EXPECT_EQ(cy[2], 2003.0f);
    EXPECT_EQ(cv[2], 0.5f);
}

TEST(Seq4pg, GridHoldsEveryYearWithErrorsOnlyAtDataYears) {
    Fit r;
    run(r, {1953, 1950, 1951, 1950}, {3.0f, 1.0f, 2.5f, 2.0f}, 2.5f);
    EXPECT_EQ(r.ni, 3);
    EXPECT_EQ(r.ns, 4);
    EXPECT_EQ(r.cs.nrep[0], 2);
    EXPECT_FLOAT_EQ(r.cs.comp_value[0], 1.5f);
    EXPECT_EQ(std::vector<float>(r.cs.grid_year.begin(), r.cs.grid_year.begin() + 4),
              (std::vector<float>{1950, 1951, 1952, 1953}));
    EXPECT_GT(r.cs.fixed_se[0], 0.0f);
    EXPECT_GT(r.cs.fixed_se[1], 0.0f);
    EXPECT_EQ(r.cs.fixed_se[2], 0.0f);
    EXPECT_GT(r.cs.fixed_se[3], 0.0f);
    // A fixed bandwidth is used and reported as given.
    EXPECT_EQ(r.bw, 2.5f);
    EXPECT_EQ(r.stats[0], 2.5f);
    EXPECT_EQ(r.stats[7], 3.0f);
    EXPECT_FLOAT_EQ(r.stats[6], (0.25f + 1.0f + 1.0f) / 3.0f);  // mean square of the weights 1/nrep
}

// A cloud of three series over 1900-1920 without 1907 and 1912: series r covers
// the years whose offset i satisfies i mod 3 >= r, so the years carry 1 to 3
// replicates. The reference values below were computed independently with
// scipy's smoothing spline (weights nrep^2 scaled to mean 1, penalty rho/2) and a
// brute-force GCV search over its smoothing weight.
void test_cloud(std::vector<float>& y, std::vector<float>& v) {
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i <= 20; ++i) {
            if (i == 7 || i == 12 || i % 3 < r) continue;
            y.push_back(static_cast<float>(1900 + i));
            v.push_back(1.0f + 0.5f * std::sin(static_cast<float>(i) / 3.0f) +
                        0.1f * static_cast<float>((i * 7 + r * 3) % 5 - 2));
        }
}

TEST(Seq4pg, FixedBandwidthFitMatchesAnIndependentSmoothingSpline) {
    std::vector<float> y, v;
    test_cloud(y, v);
    Fit r;
    run(r, y, v, 10.0f);
    ASSERT_EQ(r.ni, 19);
    ASSERT_EQ(r.ns, 21);
    const float expected[21] = {0.9712889f, 1.1266502f, 1.2675298f, 1.3722736f, 1.4327572f, 1.4451737f, 1.4133265f,
                                1.3381366f, 1.2209560f, 1.0677802f, 0.9024732f, 0.7555652f, 0.6460783f, 0.5747691f,
                                0.5388534f, 0.5403739f, 0.5909127f, 0.6905723f, 0.8213737f, 0.9685106f, 1.1190421f};
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(r.cs.grid_year[static_cast<std::size_t>(i)], 1900.0f + static_cast<float>(i));
        EXPECT_NEAR(r.cs.fixed_spline[static_cast<std::size_t>(i)], expected[i], 2e-5) << "year " << 1900 + i;
    }
    EXPECT_EQ(r.cs.fixed_se[7], 0.0f);   // 1907 and 1912 hold no data
    EXPECT_EQ(r.cs.fixed_se[12], 0.0f);
    EXPECT_NEAR(r.stats[6], 0.43567251f, 1e-6);
}

TEST(Seq4pg, MinimumGcvFitReportsTheChosenBandwidthAndStatistics) {
    std::vector<float> y, v;
    test_cloud(y, v);
    Fit r;
    r.cs.fixed_spline.assign(30, -7.0f);  // an earlier fixed fit: must stay
    run(r, y, v, 0.0f);
    EXPECT_NEAR(r.bw, 5.5236f, 0.02);
    EXPECT_EQ(r.stats[0], 6.0f);                    // rounded
    EXPECT_EQ(r.stats[1], 9.0f);                    // 9.23 rounded
    EXPECT_NEAR(r.stats[2], 0.0213992f, 2e-6);      // gcv / msw
    EXPECT_NEAR(r.stats[3], 0.0050476f, 5e-5);      // msr / msw
    EXPECT_EQ(r.stats[7], 19.0f);
    EXPECT_EQ(r.cs.fixed_spline[3], -7.0f);
    EXPECT_EQ(r.cs.gcv_se[7], 0.0f);
}

// Noisy clouds whose minimum-GCV search ends at either end of its range: an
// interpolating fit (P = 0) reports the bandwidth 2, a nearly straight one a
// very long bandwidth.
std::vector<float> noisy_line(unsigned seed) {
    std::vector<float> v;
    unsigned s = seed;
    for (int i = 0; i < 30; ++i) {
        s = s * 1103515245u + 12345u;
        v.push_back(0.5f + 0.01f * static_cast<float>(i) + static_cast<float>((s >> 16) % 100) / 100.0f);
    }
    return v;
}

TEST(Seq4pg, SearchesEndingAtEitherExtremeGiveUsableBandwidths) {
    std::vector<float> y;
    for (int i = 0; i < 30; ++i) y.push_back(static_cast<float>(1800 + i));
    Fit a;
    run(a, y, noisy_line(5), 0.0f);
    EXPECT_EQ(a.work.spline.stats[0], 0.0);
    EXPECT_EQ(a.bw, 2.0f);
    EXPECT_EQ(a.stats[0], 2.0f);
    Fit b;
    run(b, y, noisy_line(2), 0.0f);
    EXPECT_GT(b.bw, 1000.0f);
    EXPECT_TRUE(std::isfinite(b.bw));
    EXPECT_EQ(b.stats[0], std::round(b.bw));
}

}  // namespace
}  // namespace tarnik::clouds

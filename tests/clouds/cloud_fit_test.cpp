#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "clouds/cloud_fit.h"

namespace tarnik::clouds {
namespace {

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
    seq4pg(r.cs, r.work, static_cast<std::int32_t>(years.size()), 0.5f, r.ni, r.bw, r.ns, r.stats);
}

TEST(Rankrr, SortsByYearKeepingEqualYearsInCloudOrder) {
    V y{1950, 1949, 1950, 1948, 1950, 1949, 0}, v{1, 2, 3, 4, 5, 6, 0};
    rankrr(6, y, v);
    EXPECT_EQ(y, (V{1948, 1949, 1949, 1950, 1950, 1950, 0}));
    EXPECT_EQ(v, (V{4, 2, 6, 1, 3, 5, 0}));
    // Years that are not whole numbers take the comparison sort, also stable.
    V fy{2.5f, 1.25f, 2.5f, -3.0f}, fv{1, 2, 3, 4};
    rankrr(4, fy, fv);
    EXPECT_EQ(fy, (V{-3.0f, 1.25f, 2.5f, 2.5f}));
    EXPECT_EQ(fv, (V{4, 2, 1, 3}));
}

TEST(Amrep, AveragesNeighboursCloserThanTheTolerance) {
    V y{1950, 1950, 1951, 1953, 0}, v{1.0f, 2.0f, 4.0f, 8.0f, 0}, cy, cv;
    std::vector<std::int32_t> nrep;
    ASSERT_EQ(amrep(4, 0.5f, y, v, cy, cv, nrep), 3);
    EXPECT_EQ(V(cy.begin(), cy.begin() + 3), (V{1950, 1951, 1953}));
    EXPECT_EQ(V(cv.begin(), cv.begin() + 3), (V{1.5f, 4.0f, 8.0f}));
    EXPECT_EQ(std::vector<std::int32_t>(nrep.begin(), nrep.begin() + 3), (std::vector<std::int32_t>{2, 1, 1}));
    // Neighbours closer than the tolerance chain into one group, however wide.
    V c{1.0f, 1.3f, 1.6f, 1.9f, 3.0f, 0}, cvals{1, 1, 1, 1, 5, 0};
    ASSERT_EQ(amrep(5, 0.5f, c, cvals, cy, cv, nrep), 2);
    EXPECT_EQ(nrep[0], 4);
    EXPECT_FLOAT_EQ(cy[0], 1.45f);
    // 60000 points in each of three odd years: a single-precision year sum would drift.
    V big, bv(180000, 0.5f);
    for (float yr : {1999.0f, 2001.0f, 2003.0f}) big.insert(big.end(), 60000, yr);
    big.push_back(0);
    ASSERT_EQ(amrep(180000, 0.5f, big, bv, cy, cv, nrep), 3);
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

TEST(Seq4pg, FixedBandwidthFitMatchesAnIndependentSmoothingSpline) {
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

TEST(Seq4pg, MinimumGcvFitReportsTheChosenBandwidthAndStatistics) {
    V y, v;
    test_cloud(y, v);
    Fit r;
    r.cs.fixed_spline.assign(30, -7.0f);  // an earlier fixed fit: must stay
    run(r, y, v, 0.0f);
    EXPECT_NEAR(r.bw, 5.5236f, 0.02);
    EXPECT_EQ(r.stats[0], 6.0f);                // rounded
    EXPECT_EQ(r.stats[1], 9.0f);                // 9.23 rounded
    EXPECT_NEAR(r.stats[2], 0.0213992f, 2e-6);  // gcv / msw
    EXPECT_NEAR(r.stats[3], 0.0050476f, 5e-5);  // msr / msw
    EXPECT_EQ(r.cs.fixed_spline[3], -7.0f);
    EXPECT_EQ(r.cs.gcv_se[7], 0.0f);
}

TEST(Seq4pg, SearchesEndingAtEitherExtremeGiveUsableBandwidths) {
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

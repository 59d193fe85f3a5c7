#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "spline/bandwidth.h"
#include "spline/cubgcv.h"
#include "spline_data.h"

namespace tarnik::spline {
namespace {

using test::fatal;

// Cloud-like data: distinct years with gaps, means of 1..6 replicates weighted
// by 1/count as the cloud fit does.
struct Cloud {
    std::vector<double> x, f, df;
    int n() const { return static_cast<int>(x.size()); }
};

Cloud cloud(int n, std::uint64_t seed) {
    test::Rng rng(seed);
    Cloud c;
    double year = 1700;
    for (int i = 0; i < n; ++i) {
        year += 1 + (rng.uniform() < 0.2 ? 1 + static_cast<int>(3 * rng.uniform()) : 0);
        const int reps = 1 + static_cast<int>(6 * rng.uniform());
        c.x.push_back(year);
        c.f.push_back(1.0 + 0.4 * std::sin((year - 1700) / 30.0) + 0.3 * rng.normal() / std::sqrt(reps));
        c.df.push_back(1.0 / reps);
    }
    return c;
}

struct Fit {
    std::vector<double> y, se;
    double var = 0.0;
    GeneralSplineWork work;
};

Fit search(Cloud& c, double var = -1.0) {
    Fit r;
    r.y.assign(c.x.size(), 0.0);
    r.se.assign(c.x.size(), 0.0);
    r.var = var;
    cubgcv(c.x, c.f, c.df, c.n(), r.y, r.var, 1, r.se, r.work);
    return r;
}

Fit fixed(Cloud& c, float bw) {
    Fit r;
    r.y.assign(c.x.size(), 0.0);
    r.se.assign(c.x.size(), 0.0);
    double p = 0.0;
    sb1bw2p(bw, p);
    cugcv(p, c.x, c.f, c.df, c.n(), r.y, r.var, r.se, r.work);
    return r;
}

TEST(GeneralSpline, RejectedInput) {
    Cloud c = cloud(10, 1);
    std::vector<double> y(10), se(10);
    GeneralSplineWork w;
    double var = -1.0;
    auto both = [&](const std::string& code) {
        InternalError e = fatal([&] { cubgcv(c.x, c.f, c.df, c.n(), y, var, 1, se, w); });
        EXPECT_EQ(e.lines, (std::vector<std::string>{"", "In cubgcv after spint ier ≠ 0: " + code}));
        EXPECT_EQ(e.pause, kProgrammerPause);
        e = fatal([&] { cugcv(0.01, c.x, c.f, c.df, c.n(), y, var, se, w); });
        EXPECT_EQ(e.lines, (std::vector<std::string>{"", "In cugcv ier from spint is not 0: " + code}));
    };
    c.x[4] = c.x[3];
    both("       131");
    c = cloud(10, 1);
    c.df[9] = 0.0;
    both("       132");
    c = cloud(10, 1);
    c.x.resize(2), c.f.resize(2), c.df.resize(2);
    both("       130");
    c = cloud(10, 1);
    EXPECT_EQ(fatal([&] { cubgcv(c.x, c.f, c.df, c.n(), y, var, 2, se, w); }).lines.at(1),
              "In cubgcv job ≠ 0 or 1:          2");
    // The job is checked first, before the data.
    c.x[4] = c.x[3];
    EXPECT_EQ(fatal([&] { cubgcv(c.x, c.f, c.df, c.n(), y, var, -1, se, w); }).lines.at(1),
              "In cubgcv job ≠ 0 or 1:         -1");
    // Arrays shorter than n are refused instead of overrun; with job 0 the
    // standard errors are not needed.
    c = cloud(10, 1);
    EXPECT_EQ(fatal([&] { cubgcv(c.x, c.f, c.df, c.n(), std::span<double>(y).first(9), var, 0, se, w); }).lines.at(1),
              "In cubgcv array shorter than n:         10         9");
    var = -1.0;
    EXPECT_NO_THROW(cubgcv(c.x, c.f, c.df, c.n(), y, var, 0, {}, w));
}

TEST(GeneralSpline, ZeroVarianceInterpolatesWithANaturalSpline) {
    Cloud c = cloud(25, 3);
    Fit r = search(c, 0.0);
    EXPECT_EQ(r.work.stats[0], 0.0);
    for (int i = 0; i < c.n(); ++i) {
        EXPECT_NEAR(r.y[static_cast<std::size_t>(i)], c.f[static_cast<std::size_t>(i)], 1e-12);
        EXPECT_EQ(r.se[static_cast<std::size_t>(i)], 0.0);
    }
    EXPECT_NEAR(r.work.stats[3], 0.0, 1e-24);  // mean square residual
    EXPECT_EQ(r.var, 0.0);                     // a known variance stays as given
}

TEST(GeneralSpline, CoefficientsDescribeAC2NaturalSpline) {
    Cloud c = cloud(60, 4);
    for (const Fit& r : {search(c), fixed(c, 12.0f)}) {
        const auto& w = r.work;
        const int n = c.n();
        EXPECT_EQ(w.c2[0], 0.0);  // natural end: zero curvature at x(1)
        for (int k = 0; k + 1 < n; ++k) {
            const auto i = static_cast<std::size_t>(k);
            const double d = c.x[i + 1] - c.x[i];
            const double value = r.y[i] + d * (w.c1[i] + d * (w.c2[i] + d * w.c3[i]));
            const double slope = w.c1[i] + d * (2 * w.c2[i] + 3 * d * w.c3[i]);
            const double curv = 2 * w.c2[i] + 6 * d * w.c3[i];
            EXPECT_NEAR(value, r.y[i + 1], 1e-10) << k;
            if (k + 2 < n) {
                EXPECT_NEAR(slope, w.c1[i + 1], 1e-10) << k;
                EXPECT_NEAR(curv, 2 * w.c2[i + 1], 1e-10) << k;
            } else {
                EXPECT_NEAR(curv, 0.0, 1e-10);  // natural end at x(n)
            }
        }
    }
}

TEST(GeneralSpline, WeightsComeBackExactlyAndOnlyTheirRatiosMatter) {
    Cloud c = cloud(80, 5);
    const std::vector<double> original = c.df;
    const Fit a = search(c);
    EXPECT_EQ(c.df, original);
    const Fit fa = fixed(c, 20.0f);
    EXPECT_EQ(c.df, original);

    const double k = 3.0;
    for (double& d : c.df) d *= k;
    const std::vector<double> scaled = c.df;
    const Fit b = search(c);
    const Fit fb = fixed(c, 20.0f);
    EXPECT_EQ(c.df, scaled);
    for (const auto& [u, v] : {std::pair<const Fit&, const Fit&>{a, b}, {fa, fb}}) {
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(u.y[i], v.y[i], 1e-9);
            EXPECT_NEAR(u.se[i], v.se[i], 1e-9);
            EXPECT_NEAR(u.work.c1[i], v.work.c1[i], 1e-9);
        }
        EXPECT_NEAR(u.work.stats[0], v.work.stats[0], 1e-12);
        EXPECT_NEAR(u.work.stats[1], v.work.stats[1], 1e-9);
        for (int row = 2; row <= 5; ++row) {
            EXPECT_NEAR(u.work.stats[row] / (k * k), v.work.stats[row], 1e-9 * u.work.stats[row]) << row;
        }
        EXPECT_NEAR(u.work.stats[6] * k * k, v.work.stats[6], 1e-12);
        EXPECT_NEAR(u.var / (k * k), v.var, 1e-9 * u.var);
    }
}

TEST(GeneralSpline, StatisticsRows) {
    Cloud c = cloud(70, 6);
    const Fit r = fixed(c, 15.0f);
    const auto& s = r.work.stats;
    double msw = 0.0;
    for (double d : c.df) msw += d * d / c.n();
    EXPECT_NEAR(s[6], msw, 1e-15);
    // The returned variance is the estimate divided by the mean square weight.
    EXPECT_NEAR(r.var, s[5], 1e-15);
    EXPECT_NEAR(s[4], s[5] - s[3], 1e-15);
    // msr is the weighted mean square residual.
    double wrss = 0.0;
    for (std::size_t i = 0; i < c.x.size(); ++i) {
        const double res = (c.f[i] - r.y[i]) / c.df[i];
        wrss += res * res;
    }
    EXPECT_NEAR(s[3], wrss / c.n(), 1e-12);
    // Error variance and GCV follow from the residual degrees of freedom.
    EXPECT_NEAR(s[5], wrss / s[1], 1e-12);
    EXPECT_NEAR(s[2], c.n() * wrss / (s[1] * s[1]), 1e-12);
    EXPECT_GT(s[1], 2.0);
    EXPECT_LT(s[1], c.n() - 2.0);
}

TEST(GeneralSpline, KnownVarianceChoosesByEstimatedError) {
    Cloud c = cloud(90, 8);
    const Fit g = search(c);
    // With the variance that GCV estimated, the error criterion chooses a
    // similar amount of smoothing; the given variance is returned unchanged.
    const Fit m = search(c, g.var);
    EXPECT_EQ(m.var, g.var);
    EXPECT_NEAR(m.work.stats[1], g.work.stats[1], 0.1 * g.work.stats[1]);
    // Its criterion value is no worse than at the GCV choice.
    const double sigma2 = g.var * m.work.stats[6];
    auto crit = [&](const Fit& f) {
        const double n = c.n();
        return std::max(f.work.stats[3] * f.work.stats[6] - 2 * sigma2 * f.work.stats[1] / n + sigma2, 0.0);
    };
    EXPECT_LE(crit(m), crit(g) * (1 + 1e-9));
}

TEST(GeneralSpline, StorageGrowsOnceAndIsReused) {
    GeneralSplineWork w;
    Cloud big = cloud(500, 9), small = cloud(12, 10);
    std::vector<double> y(500), se(500);
    double var = -1.0;
    cubgcv(small.x, small.f, small.df, small.n(), y, var, 1, se, w);
    const std::vector<double> y_small(y.begin(), y.begin() + 12);
    const std::vector<double> se_small(se.begin(), se.begin() + 12);
    var = -1.0;
    cubgcv(big.x, big.f, big.df, big.n(), y, var, 1, se, w);
    const double* wk = w.wk.data();
    const double* c1 = w.c1.data();
    const std::vector<double> y_big(y);
    var = -1.0;
    cubgcv(small.x, small.f, small.df, small.n(), y, var, 1, se, w);
    EXPECT_EQ(std::vector<double>(y.begin(), y.begin() + 12), y_small);
    EXPECT_EQ(std::vector<double>(se.begin(), se.begin() + 12), se_small);
    var = -1.0;
    cubgcv(big.x, big.f, big.df, big.n(), y, var, 1, se, w);
    EXPECT_EQ(y, y_big);
    EXPECT_EQ(w.wk.data(), wk);  // no new allocation
    EXPECT_EQ(w.c1.data(), c1);
}

}  // namespace
}  // namespace tarnik::spline

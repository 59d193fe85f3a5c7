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
// by 1/count.
struct Cloud {
    std::vector<double> x, f, df;
    Cloud(int n, std::uint64_t seed) {
        test::Rng rng(seed);
        for (double year = 1700; static_cast<int>(x.size()) < n;) {
            year += 1 + (rng.uniform() < 0.2 ? 1 + static_cast<int>(3 * rng.uniform()) : 0);
            const int reps = 1 + static_cast<int>(6 * rng.uniform());
            x.push_back(year);
            f.push_back(1.0 + 0.4 * std::sin((year - 1700) / 30.0) + 0.3 * rng.normal() / std::sqrt(reps));
            df.push_back(1.0 / reps);
        }
    }
    int n() const { return static_cast<int>(x.size()); }
};

struct Fit {
    std::vector<double> y, se;
    double var;
    GeneralSplineWork work;
};

// var < 0: minimum GCV; var >= 0 given; bw > 0: cugcv at that bandwidth.
Fit fit(Cloud& c, double var, float bw = 0.0f) {
    Fit r{std::vector<double>(c.x.size()), std::vector<double>(c.x.size()), var, {}};
    double p = 0.0;
    if (bw > 0.0f) {
        sb1bw2p(bw, p);
        cugcv(p, c.x, c.f, c.df, c.n(), r.y, r.var, r.se, r.work);
    } else {
        cubgcv(c.x, c.f, c.df, c.n(), r.y, r.var, 1, r.se, r.work);
    }
    return r;
}

TEST(GeneralSpline, RejectedInput) {
    std::vector<double> y(10), se(10);
    GeneralSplineWork w;
    double var = -1.0;
    auto both = [&](Cloud c, const char* code) {
        EXPECT_EQ(fatal([&] { cubgcv(c.x, c.f, c.df, c.n(), y, var, 1, se, w); }).lines,
                  (std::vector<std::string>{"", std::string("In cubgcv after spint ier ≠ 0: ") + code}));
        EXPECT_EQ(fatal([&] { cugcv(0.01, c.x, c.f, c.df, c.n(), y, var, se, w); }).lines.at(1),
                  std::string("In cugcv ier from spint is not 0: ") + code);
    };
    Cloud c(10, 1);
    c.x[4] = c.x[3];
    both(c, "       131");
    c = Cloud(10, 1);
    c.df[9] = 0.0;
    both(c, "       132");
    c = Cloud(2, 1);
    both(c, "       130");
    c.x[1] = c.x[0];  // the job is checked first
    EXPECT_EQ(fatal([&] { cubgcv(c.x, c.f, c.df, c.n(), y, var, 2, se, w); }).lines.at(1),
              "In cubgcv job ≠ 0 or 1:          2");
    // Arrays shorter than n are refused instead of overrun; job 0 needs no se.
    c = Cloud(10, 1);
    EXPECT_EQ(fatal([&] { cubgcv(c.x, c.f, c.df, 10, std::span<double>(y).first(9), var, 0, se, w); }).lines.at(1),
              "In cubgcv array shorter than n:         10         9");
    EXPECT_NO_THROW(cubgcv(c.x, c.f, c.df, 10, y, var, 0, {}, w));
}

TEST(GeneralSpline, ZeroVarianceInterpolates) {
    Cloud c(25, 3);
    const Fit r = fit(c, 0.0);
    EXPECT_EQ(r.work.stats[0], 0.0);
    for (int i = 0; i < c.n(); ++i) EXPECT_NEAR(r.y[static_cast<std::size_t>(i)], c.f[static_cast<std::size_t>(i)], 1e-12);
    EXPECT_EQ(r.se, std::vector<double>(c.x.size(), 0.0));
    EXPECT_EQ(r.var, 0.0);
}

TEST(GeneralSpline, CoefficientsDescribeANaturalC2Spline) {
    Cloud c(60, 4);
    for (const Fit& r : {fit(c, -1.0), fit(c, -1.0, 12.0f)}) {
        const auto& w = r.work;
        EXPECT_EQ(w.c2[0], 0.0);  // no curvature at the first point
        for (std::size_t k = 0; k + 1 < c.x.size(); ++k) {
            const double d = c.x[k + 1] - c.x[k];
            EXPECT_NEAR(r.y[k] + d * (w.c1[k] + d * (w.c2[k] + d * w.c3[k])), r.y[k + 1], 1e-10) << k;
            const double slope = w.c1[k] + d * (2 * w.c2[k] + 3 * d * w.c3[k]);
            const double curv = 2 * w.c2[k] + 6 * d * w.c3[k];
            if (k + 2 < c.x.size()) {
                EXPECT_NEAR(slope, w.c1[k + 1], 1e-10) << k;
                EXPECT_NEAR(curv, 2 * w.c2[k + 1], 1e-10) << k;
            } else {
                EXPECT_NEAR(curv, 0.0, 1e-10);  // nor at the last
            }
        }
    }
}

TEST(GeneralSpline, WeightsComeBackExactlyAndOnlyTheirRatiosMatter) {
    Cloud c(80, 5);
    const std::vector<double> original = c.df;
    const Fit a = fit(c, -1.0), fa = fit(c, -1.0, 20.0f);
    EXPECT_EQ(c.df, original);
    const double k = 3.0;
    for (double& d : c.df) d *= k;
    const Fit b = fit(c, -1.0), fb = fit(c, -1.0, 20.0f);
    for (const auto& [u, v] : {std::pair<const Fit&, const Fit&>{a, b}, {fa, fb}}) {
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(u.y[i], v.y[i], 1e-9);
            EXPECT_NEAR(u.se[i], v.se[i], 1e-9);
            EXPECT_NEAR(u.work.c1[i], v.work.c1[i], 1e-9);
        }
        EXPECT_NEAR(u.work.stats[0], v.work.stats[0], 1e-12);
        EXPECT_NEAR(u.work.stats[1], v.work.stats[1], 1e-9);
        for (int row = 2; row <= 5; ++row) EXPECT_NEAR(u.work.stats[row] / (k * k), v.work.stats[row], 1e-9 * u.work.stats[row]);
        EXPECT_NEAR(u.work.stats[6] * k * k, v.work.stats[6], 1e-12);
        EXPECT_NEAR(u.var / (k * k), v.var, 1e-9 * u.var);
    }
}

TEST(GeneralSpline, StorageGrowsOnceAndIsReused) {
    GeneralSplineWork w;
    Cloud big(500, 9), small(12, 10);
    auto run = [&](Cloud& c) {
        std::vector<double> y(c.x.size()), se(c.x.size());
        double var = -1.0;
        cubgcv(c.x, c.f, c.df, c.n(), y, var, 1, se, w);
        return std::make_pair(y, se);
    };
    const auto first = run(small);
    const auto big_first = run(big);
    const double* storage = w.wk.data();
    EXPECT_EQ(run(small), first);
    EXPECT_EQ(run(big), big_first);
    EXPECT_EQ(w.wk.data(), storage);  // no new allocation
}

}  // namespace
}  // namespace tarnik::spline

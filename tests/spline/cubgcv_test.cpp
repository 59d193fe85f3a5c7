#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "spline/bandwidth.h"
#include "spline/cubgcv.h"
#include "spline_data.h"

namespace tarnik::spline {
namespace {

using test::fatal;

using test::Cloud;

struct Fit {
    std::vector<double> y, se;
    double var;
};

// var < 0: minimum GCV; var >= 0 given; bw > 0: cugcv at that bandwidth.
Fit fit(Cloud& c, GeneralSplineWork& work, double var, float bw = 0.0f) {
    Fit r{std::vector<double>(c.x.size()), std::vector<double>(c.x.size()), var};
    double p = 0.0;
    if (bw > 0.0f) sb1bw2p(bw, p), cugcv(p, c.x, c.f, c.df, c.n(), r.y, r.var, r.se, work);
    else cubgcv(c.x, c.f, c.df, c.n(), r.y, r.var, 1, r.se, work);
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

TEST(GeneralSpline, NaturalC2SplineWithTheCallersWeightsUntouched) {
    Cloud c(60, 4);
    GeneralSplineWork w;
    const std::vector<double> weights = c.df;
    for (float bw : {0.0f, 12.0f}) {
        const Fit r = fit(c, w, -1.0, bw);
        EXPECT_EQ(c.df, weights);
        EXPECT_EQ(w.c2[0], 0.0);  // no curvature at the first point
        for (std::size_t k = 0; k + 1 < c.x.size(); ++k) {
            const double d = c.x[k + 1] - c.x[k];
            EXPECT_NEAR(r.y[k] + d * (w.c1[k] + d * (w.c2[k] + d * w.c3[k])), r.y[k + 1], 1e-10) << k;
            const double slope = w.c1[k] + d * (2 * w.c2[k] + 3 * d * w.c3[k]), curv = 2 * w.c2[k] + 6 * d * w.c3[k];
            if (k + 2 < c.x.size()) {
                EXPECT_NEAR(slope, w.c1[k + 1], 1e-10) << k;
                EXPECT_NEAR(curv, 2 * w.c2[k + 1], 1e-10) << k;
            } else {
                EXPECT_NEAR(curv, 0.0, 1e-10);  // nor at the last
            }
        }
    }
}

TEST(GeneralSpline, ZeroVarianceInterpolates) {
    Cloud c(25, 3);
    GeneralSplineWork w;
    const Fit r = fit(c, w, 0.0);
    EXPECT_EQ(w.stats[0], 0.0);
    for (int i = 0; i < c.n(); ++i) EXPECT_NEAR(r.y[static_cast<std::size_t>(i)], c.f[static_cast<std::size_t>(i)], 1e-12);
    EXPECT_EQ(r.se, std::vector<double>(c.x.size(), 0.0));
    EXPECT_EQ(r.var, 0.0);
}

// Nothing of a larger problem carries over to a smaller one in the same storage.
TEST(GeneralSpline, ReusedStorageGivesTheSameFit) {
    Cloud c(25, 3), big(500, 9);
    GeneralSplineWork w;
    fit(c, w, 0.0);
    const Fit first = fit(c, w, -1.0);
    fit(big, w, -1.0);
    const Fit again = fit(c, w, -1.0);
    EXPECT_TRUE(again.y == first.y && again.se == first.se);
}

}  // namespace
}  // namespace tarnik::spline

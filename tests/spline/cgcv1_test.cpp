#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "spline/bandwidth.h"
#include "spline/cgcv1.h"
#include "spline/cubgcv.h"
#include "spline_data.h"

namespace tarnik::spline {
namespace {

using test::fatal;

struct Result {
    std::vector<float> fit, se;
    std::int32_t jdt = 0;
    float var = -1.0f;
    Cgcv1Stats stats;
};

Result run(const std::vector<float>& v, std::int32_t jdt, float var = -1.0f) {
    Result r;
    r.fit.assign(v.size(), -99.0f);
    r.se.assign(v.size(), -99.0f);
    r.jdt = jdt;
    r.var = var;
    cgcv1(2100, static_cast<std::int32_t>(v.size()), v, r.fit, r.jdt, r.var, r.se, r.stats);
    return r;
}

double max_abs(const std::vector<float>& v) {
    double m = 0.0;
    for (float x : v) m = std::max(m, std::fabs(static_cast<double>(x)));
    return m;
}

TEST(Cgcv1, InternalChecks) {
    std::vector<float> v(2200, 1.0f), fit(2200), se(2200);
    std::int32_t jdt = 0;
    float var = -1.0f;
    auto call = [&](std::int32_t nmax, std::int32_t n) {
        return fatal([&] { cgcv1(nmax, n, v, fit, jdt, var, se); });
    };
    InternalError e = call(2100, 2);
    EXPECT_EQ(e.lines, (std::vector<std::string>{"", "in cgcv1 n < 3:          2"}));
    EXPECT_EQ(e.pause, kProgrammerPause);
    EXPECT_FALSE(e.pause_field);
    EXPECT_EQ(call(2100, 2101).lines.at(1), "in cgcv1 n > nmax:       2101      2100");
    EXPECT_EQ(call(3000, 10).lines.at(1), "in cgcv1 ic <> nmax:       2100      3000");
    EXPECT_EQ(call(2000, 2001).lines.at(1), "in cgcv1 n > nmax:       2001      2000");  // checked in that order
    // Arrays that cannot hold n values are refused instead of overrun.
    e = fatal([&] { cgcv1(2100, 10, std::span<const float>(v).first(9), fit, jdt, var, se); });
    EXPECT_EQ(e.lines.at(1), "in cgcv1 array shorter than n:         10         9");
    // A fixed bandwidth of 1 is refused by the bandwidth conversion.
    jdt = 1;
    EXPECT_EQ(call(2100, 10).lines.at(1), "In sb1bw2p bw < 2.");
}

TEST(Cgcv1, ExactStraightLinesAreReproducedAsInterpolation) {
    // Zero residual at every smoothing weight: the search halves down to P = 0.
    for (const auto& v : {std::vector<float>(40, 1.25f), [] {
                              std::vector<float> s(40);
                              for (int i = 0; i < 40; ++i) s[static_cast<std::size_t>(i)] = 3.0f - 0.25f * i;
                              return s;
                          }()}) {
        const Result r = run(v, -1);
        EXPECT_EQ(r.fit, v);
        EXPECT_EQ(r.stats.p, 0.0);
        EXPECT_EQ(r.jdt, 2);
        EXPECT_EQ(r.var, 0.0f);
        EXPECT_EQ(r.se, std::vector<float>(v.size(), 0.0f));
        EXPECT_EQ(run(v, 0).jdt, 0);
    }
}

TEST(Cgcv1, CriterionFallingToTheStraightLine) {
    // Alternating deviations about a line: every step toward the line lowers
    // GCV, the doubling runs until Q = 0 and the fit is the least-squares line.
    // (Whether the last doublings, where GCV changes in its 15th digit, keep
    // falling depends on rounding; for this series they do.)
    const int n = 10;
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = 1.0f + 0.125f * i + (i % 2 ? 0.5f : -0.5f);
    const Result r = run(v, -1);
    EXPECT_EQ(r.stats.p, 1.0);
    EXPECT_EQ(r.jdt, std::numeric_limits<std::int32_t>::min());
    EXPECT_NEAR(r.stats.df, n - 2, 1e-6);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < n; ++i) {
        const double x = i + 1, y = v[static_cast<std::size_t>(i)];
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double icept = (sy - slope * sx) / n;
    for (int i = 0; i < n; ++i) EXPECT_NEAR(r.fit[static_cast<std::size_t>(i)], icept + slope * (i + 1), 2e-6);
    // A fixed bandwidth too long for double precision to tell from infinity
    // gives the same line (not values that are not numbers).
    const Result huge = run(v, 2000000000);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(huge.fit[static_cast<std::size_t>(i)], r.fit[static_cast<std::size_t>(i)], 1e-6);
    EXPECT_EQ(huge.jdt, 2000000000);
}

TEST(Cgcv1, FixedBandwidthPassesHalfTheAmplitude) {
    const int n = 2000;
    for (std::int32_t bw : {8, 40, 150}) {
        std::vector<float> v(n);
        for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(2 * std::numbers::pi * i / bw));
        const Result r = run(v, bw);
        EXPECT_EQ(r.jdt, bw);
        // Away from the ends the fit is the sinusoid at half amplitude.
        for (int i = 600; i < 1400; i += 7) {
            EXPECT_NEAR(r.fit[static_cast<std::size_t>(i)], 0.5 * v[static_cast<std::size_t>(i)], 2e-3) << bw << " " << i;
        }
        // The smoothing parameter of the fit converts back to the bandwidth.
        float back = 0.0f;
        sb1p2bw((1.0 - r.stats.p) / r.stats.p, back);
        EXPECT_NEAR(back, bw, 1e-4 * bw);
    }
}

TEST(Cgcv1, SearchModesAndReturnedVariance) {
    const std::vector<float> v = test::growth_series(120, 7);
    const Result a = run(v, 0);
    const Result b = run(v, -1);
    EXPECT_EQ(a.fit, b.fit);
    EXPECT_EQ(a.se, b.se);
    EXPECT_EQ(a.jdt, 0);
    EXPECT_GT(b.jdt, 2);
    EXPECT_LT(b.jdt, 120);
    float bw = 0.0f;
    sb1p2bw((1.0 - b.stats.p) / b.stats.p, bw);
    EXPECT_EQ(b.jdt, std::lroundf(bw));
    EXPECT_EQ(b.var, static_cast<float>(b.stats.variance));
    EXPECT_GT(b.var, 0.0f);
    EXPECT_NEAR(b.stats.mse, b.stats.variance - b.stats.msr, 1e-12);
    // A known variance of 0 is not a shortcut: the estimated true error is then
    // the mean square residual, lowest for the interpolating spline.
    const Result z = run(v, -1, 0.0f);
    EXPECT_EQ(z.stats.p, 0.0);
    EXPECT_EQ(z.jdt, 2);
    EXPECT_EQ(z.fit, v);
    EXPECT_EQ(z.var, 0.0f);  // the estimate, not the given value
    // With a fixed bandwidth the variance given does not matter for the fit.
    const Result k1 = run(v, 25, 0.3f), k2 = run(v, 25, -1.0f);
    EXPECT_EQ(k1.fit, k2.fit);
    EXPECT_EQ(k1.var, k2.var);
}

TEST(Cgcv1, SearchFindsTheMinimumOnRealSeries) {
    const auto series = test::decadal_series("ca533.rwl", 6);
    ASSERT_EQ(series.size(), 6u);
    for (const auto& v : series) {
        const Result best = run(v, -1);
        ASSERT_GE(best.jdt, 2);
        for (std::int32_t d : {-5, -1, 1, 5}) {
            if (best.jdt + d < 2) continue;
            EXPECT_GE(run(v, best.jdt + d).stats.gcv, best.stats.gcv * (1 - 1e-12)) << best.jdt << " " << d;
        }
        for (std::size_t i = 0; i < v.size(); ++i) EXPECT_GE(best.se[i], 0.0f);
    }
}

TEST(Cgcv1, AgreesWithTheGeneralEngineOnUnitSpacing) {
    GeneralSplineWork work;
    for (int n : {3, 4, 57, 400}) {
        const std::vector<float> v = test::growth_series(n, 100 + n, 0.3);
        std::vector<double> x(v.size()), f(v.size()), df(v.size(), 1.0), y(v.size()), se(v.size());
        for (int i = 0; i < n; ++i) {
            x[static_cast<std::size_t>(i)] = i + 1;
            f[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i)];
        }
        const double scale = max_abs(v);
        // Minimum GCV. With one interior point GCV does not depend on the
        // smoothing weight at all, so n = 3 has no defined minimum to compare.
        const Result a = run(v, 0);
        double var = -1.0;
        cubgcv(x, f, df, n, y, var, 1, se, work);
        for (int i = 0; i < n && n > 3; ++i) {
            EXPECT_NEAR(a.fit[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)], 2e-6 * scale) << n;
            EXPECT_NEAR(a.se[static_cast<std::size_t>(i)], se[static_cast<std::size_t>(i)], 2e-5 * scale) << n;
        }
        if (n > 3) {
            EXPECT_NEAR(a.var, var, 1e-5 * var);
        }
        // Fixed bandwidth.
        const Result b = run(v, 9);
        double p = 0.0;
        sb1bw2p(9.0f, p);
        cugcv(p, x, f, df, n, y, var, se, work);
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(b.fit[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)], 1e-6 * scale) << n;
            EXPECT_NEAR(b.se[static_cast<std::size_t>(i)], se[static_cast<std::size_t>(i)], 1e-6 * scale) << n;
        }
        EXPECT_NEAR(b.stats.gcv, work.stats[2], 1e-6 * work.stats[2]);
        EXPECT_NEAR(b.stats.df, work.stats[1], 1e-6 * n);
        // cgcv1 takes 4/3 and 1/3 at single precision: both 1 + 2^-25 times
        // too large, which is the exact problem with rho divided by that factor
        // (p multiplied by it). The double-precision statistics show it.
        if (n > 3) {
            cugcv(p * (1.0 + 0x1.0p-25), x, f, df, n, y, var, se, work);
            EXPECT_NEAR(b.stats.df, work.stats[1], 1e-12 * b.stats.df) << n;
            EXPECT_NEAR(b.stats.gcv, work.stats[2], 1e-11 * b.stats.gcv) << n;
        }
    }
}

TEST(Cgcv1, CallsDoNotInfluenceEachOther) {
    const std::vector<float> small = test::growth_series(35, 1);
    const std::vector<float> big = test::growth_series(2100, 2, 0.5);
    const Result first = run(small, -1);
    run(big, -1);
    run(big, 30);
    const Result again = run(small, -1);
    EXPECT_EQ(first.fit, again.fit);
    EXPECT_EQ(first.se, again.se);
    EXPECT_EQ(first.jdt, again.jdt);
    EXPECT_EQ(first.var, again.var);
}

}  // namespace
}  // namespace tarnik::spline

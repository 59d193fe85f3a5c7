// The unit-spaced engine cgcv1 and the bandwidth conversions it uses.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "spline/bandwidth.h"
#include "spline/bandwidth_request.h"
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
    Result r{std::vector<float>(v.size(), -9.0f), std::vector<float>(v.size(), -9.0f), jdt, var, {}};
    cgcv1(2100, static_cast<std::int32_t>(v.size()), v, r.fit, r.jdt, r.var, r.se, r.stats);
    return r;
}

TEST(Cgcv1, InternalChecks) {
    std::vector<float> v(2200, 1.0f), fit(2200), se(2200);
    std::int32_t jdt = 0;
    float var = -1.0f;
    auto call = [&](std::int32_t nmax, std::int32_t n) { return fatal([&] { cgcv1(nmax, n, v, fit, jdt, var, se); }); };
    const InternalError e = call(2100, 2);
    EXPECT_EQ(e.lines, (std::vector<std::string>{"", "in cgcv1 n < 3:          2"}));
    EXPECT_EQ(e.pause, kProgrammerPause);
    EXPECT_EQ(call(2100, 2101).lines.at(1), "in cgcv1 n > nmax:       2101      2100");
    EXPECT_EQ(call(3000, 10).lines.at(1), "in cgcv1 ic <> nmax:       2100      3000");
    // Arrays that cannot hold n values are refused instead of overrun.
    EXPECT_EQ(fatal([&] { cgcv1(2100, 10, std::span<const float>(v).first(9), fit, jdt, var, se); }).lines.at(1),
              "in cgcv1 array shorter than n:         10         9");
    jdt = 1;
    EXPECT_EQ(call(2100, 10).lines.at(1), "In sb1bw2p bw < 2.");
}

TEST(Cgcv1, LimitsOfTheSearch) {
    // Exact straight lines leave no residual at any weight: the search halves
    // down to P = 0 and reproduces the data (bandwidth 2).
    std::vector<float> line(40);
    for (int i = 0; i < 40; ++i) line[static_cast<std::size_t>(i)] = 3.0f - 0.25f * i;
    for (const auto& v : {std::vector<float>(40, 1.25f), line}) {
        const Result r = run(v, -1);
        EXPECT_TRUE(r.fit == v && r.stats.p == 0.0 && r.jdt == 2 && r.var == 0.0f);
        EXPECT_EQ(r.se, std::vector<float>(v.size(), 0.0f));
    }
    // Alternating deviations about a line: GCV falls all the way, the doubling
    // runs until Q = 0 and the fit is the least-squares line, whose slope the
    // alternation raises by 2.5/82.5 (mean 1.5625 at position 5.5).
    std::vector<float> v(10);
    for (int i = 0; i < 10; ++i) v[static_cast<std::size_t>(i)] = 1.0f + 0.125f * i + (i % 2 ? 0.5f : -0.5f);
    const Result r = run(v, -1), huge = run(v, 2000000000);
    EXPECT_EQ(r.stats.p, 1.0);
    EXPECT_EQ(r.jdt, std::numeric_limits<std::int32_t>::min());
    const double slope = 0.125 + 2.5 / 82.5, icept = 1.5625 - slope * 5.5;
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_NEAR(r.fit[i], icept + slope * static_cast<double>(i + 1), 2e-6);
        // A bandwidth too long for double precision to tell from infinity gives that line too.
        EXPECT_NEAR(huge.fit[i], r.fit[i], 1e-6);
    }
}

TEST(Cgcv1, SearchModesAndTheReturnedVariance) {
    const std::vector<float> v = test::growth_series(120, 7);
    const Result a = run(v, 0), b = run(v, -1);
    EXPECT_EQ(a.fit, b.fit);
    EXPECT_EQ(a.jdt, 0);
    float bw = 0.0f;
    sb1p2bw((1.0 - b.stats.p) / b.stats.p, bw);
    EXPECT_EQ(b.jdt, std::lroundf(bw));
    EXPECT_GT(b.jdt, 2);
    EXPECT_EQ(b.var, static_cast<float>(b.stats.variance));
    // A known variance of 0 makes the interpolating spline best; the variance
    // returned is the estimate, not the one given.
    const Result z = run(v, -1, 0.0f);
    EXPECT_TRUE(z.jdt == 2 && z.fit == v && z.var == 0.0f);
    EXPECT_EQ(run(v, 25, 0.3f).var, run(v, 25, -1.0f).var);
    run(test::growth_series(2100, 2, 0.5), -1);  // nothing of one call carries over to the next
    EXPECT_EQ(run(v, -1).fit, b.fit);
}

// cgcv1 takes 4/3 and 1/3 at single precision, both 1 + 2^-25 times too large:
// its fit at a fixed bandwidth is the general engine's exact problem at that
// bandwidth's p multiplied by that factor.
// (Both engines are checked against scipy in scipy_crosscheck_test.cpp.)
TEST(Cgcv1, SinglePrecisionConstantsOfTheUnitSpacedEngine) {
    GeneralSplineWork work;
    for (int n : {4, 400}) {
        const std::vector<float> v = test::growth_series(n, 100 + n, 0.3);
        std::vector<double> x(v.size()), f(v.begin(), v.end()), df(v.size(), 1.0), y(v.size()), se(v.size());
        for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = i + 1;
        double var = -1.0, p = 0.0;
        const Result b = run(v, 9);
        EXPECT_EQ(b.jdt, 9);
        sb1bw2p(9.0f, p);
        cugcv(p * (1.0 + 0x1.0p-25), x, f, df, n, y, var, se, work);
        EXPECT_NEAR(b.stats.df, work.stats[1], 1e-12 * b.stats.df) << n;
        EXPECT_NEAR(b.stats.gcv, work.stats[2], 1e-11 * b.stats.gcv) << n;
        for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(b.fit[i], y[i], 2e-6) << n;
    }
}

TEST(Bandwidth, RequestsBecomeWholeYearsOfAtLeastTwo) {
    struct Row {
        std::int32_t jdt, n, want;
        bool raised;
    };
    const Row rows[] = {{-10, 150, 15, false}, {-50, 31, 16, false},  // 15.5 rounds away from zero
                        {-1, 150, 2, false},   {-1, 100, 2, true},    // 1.5 rounds to 2, 1 is raised to 2
                        {1, 100, 2, true},     {0, 100, -1, false},  {40, 100, 40, false},
                        {-2147483647 - 1, 2100, 2147483647, false}};
    for (const Row& r : rows) {
        const BandwidthRequest got = bandwidth_request(r.jdt, r.n);
        EXPECT_EQ(got.bandwidth, r.want) << r.jdt << " of " << r.n;
        EXPECT_EQ(got.raised, r.raised) << r.jdt << " of " << r.n;
    }
}

TEST(Bandwidth, ConvertsToSmoothingParameterAndBack) {
    const std::pair<float, double> known[] = {{2.0f, 24.0}, {4.0f, 3.0}, {10.0f, 0.0779}, {100.0f, 7.79e-6}, {1000.0f, 7.79e-10}};
    for (auto [bw, expect] : known) {
        double p = 0.0;
        sb1bw2p(bw, p);
        EXPECT_NEAR(p / expect, 1.0, bw == 2.0f ? 1e-13 : 1e-3) << bw;
    }
    float bw = 0.0f;
    sb1p2bw(24.0, bw);
    EXPECT_EQ(bw, 2.0f);
    for (float b = 2.0f; b < 5000.0f; b *= 1.013f) {
        double p = 0.0;
        sb1bw2p(b, p);
        // With rho = 1/p the unit-spaced spline passes half the amplitude of a
        // sinusoid of period b (2 pi taken at single precision).
        const double c = std::cos(6.2831854820251465 / b);
        EXPECT_NEAR(1.0 / (1.0 + 6.0 * (1 - c) * (1 - c) / (2 + c) / p), 0.5, 1e-9) << b;
        sb1p2bw(p, bw);
        EXPECT_NEAR(bw, b, 4e-7f * b);
    }
}

TEST(Bandwidth, ConversionOutsideItsDomainIsAnInternalError) {
    float bw = 0.0f;
    double p = -1.0;
    InternalError e = fatal([&] { sb1bw2p(std::nextafter(2.0f, 1.0f), p); });
    EXPECT_EQ(e.lines, (std::vector<std::string>{"", "In sb1bw2p bw < 2."}));
    EXPECT_EQ(e.pause, kProgrammerPause);
    EXPECT_FALSE(e.pause_field);
    e = fatal([&] { sb1p2bw(24.000001, bw); });
    EXPECT_EQ(e.lines, (std::vector<std::string>{"", "In sb1p2bw p is not in (0,24].  0.2400000100D+02",
                                                 "             This should not happen. Call the nearest programmer", ""}));
    EXPECT_EQ(e.pause, "Hit RETURN to Terminate program : ");
    EXPECT_TRUE(e.pause_field);
    EXPECT_EQ(fatal([&] { sb1p2bw(0.0, bw); }).lines.at(1), "In sb1p2bw p is not in (0,24].  0.0000000000D+00");
}

}  // namespace
}  // namespace tarnik::spline

#include <gtest/gtest.h>

#include <cmath>

#include "spline/bandwidth.h"
#include "spline_data.h"

namespace tarnik::spline {
namespace {

using test::fatal;

// The frequency response of the unit-spaced smoothing spline with rho = 1/p.
double response(double p, double omega) {
    const double c = std::cos(omega);
    return 1.0 / (1.0 + (1.0 / p) * 6.0 * (1.0 - c) * (1.0 - c) / (2.0 + c));
}

TEST(Bandwidth, KnownValues) {
    double p = 0.0;
    sb1bw2p(2.0f, p);
    EXPECT_NEAR(p, 24.0, 1e-12);
    sb1bw2p(4.0f, p);
    EXPECT_NEAR(p, 3.0, 1e-6);
    sb1bw2p(10.0f, p);
    EXPECT_NEAR(p, 0.0779, 5e-5);
    sb1bw2p(100.0f, p);
    EXPECT_NEAR(p / 7.79e-6, 1.0, 1e-3);
    sb1bw2p(1000.0f, p);
    EXPECT_NEAR(p / 7.79e-10, 1.0, 1e-3);

    float bw = 0.0f;
    sb1p2bw(24.0, bw);
    EXPECT_EQ(bw, 2.0f);
}

TEST(Bandwidth, HalfAmplitudeAtTheBandwidthPeriod) {
    for (float bw : {2.0f, 3.0f, 7.5f, 32.0f, 300.0f}) {
        double p = 0.0;
        sb1bw2p(bw, p);
        // 2*pi at single precision is part of the definition.
        EXPECT_NEAR(response(p, 6.2831854820251465 / bw), 0.5, 1e-9) << bw;
        EXPECT_GT(response(p, 6.2831854820251465 / (1.5 * bw)), 0.5) << "longer periods pass";
        if (bw >= 3.0f) {  // a period below 2 samples would alias
            EXPECT_LT(response(p, 6.2831854820251465 / (0.75 * bw)), 0.5) << "shorter periods are damped";
        }
    }
}

TEST(Bandwidth, RoundTripToSinglePrecision) {
    for (float bw = 2.0f; bw < 5000.0f; bw *= 1.013f) {
        double p = 0.0;
        sb1bw2p(bw, p);
        ASSERT_GT(p, 0.0);
        ASSERT_LE(p, 24.0);
        float back = 0.0f;
        sb1p2bw(p, back);
        EXPECT_NEAR(back, bw, 4e-7f * bw) << bw;
    }
}

TEST(Bandwidth, ShortBandwidthIsFatal) {
    double p = -1.0;
    const InternalError e = fatal([&] { sb1bw2p(1.9f, p); });
    EXPECT_EQ(e.lines, (std::vector<std::string>{"", "In sb1bw2p bw < 2."}));
    EXPECT_EQ(e.pause, kProgrammerPause);
    EXPECT_FALSE(e.pause_field);
    EXPECT_EQ(p, -1.0);
    EXPECT_NO_THROW(sb1bw2p(2.0f, p));
    EXPECT_NO_THROW(sb1bw2p(std::nextafter(2.0f, 3.0f), p));
    fatal([&] { sb1bw2p(std::nextafter(2.0f, 1.0f), p); });
}

TEST(Bandwidth, ParameterOutsideRangeIsFatal) {
    float bw = 0.0f;
    const InternalError e = fatal([&] { sb1p2bw(30.0, bw); });
    EXPECT_EQ(e.lines, (std::vector<std::string>{"", "In sb1p2bw p is not in (0,24].  0.3000000000D+02",
                                                 "             This should not happen. Call the nearest programmer",
                                                 ""}));
    EXPECT_EQ(e.pause, "Hit RETURN to Terminate program : ");
    EXPECT_TRUE(e.pause_field);
    EXPECT_EQ(fatal([&] { sb1p2bw(0.0, bw); }).lines.at(1), "In sb1p2bw p is not in (0,24].  0.0000000000D+00");
    fatal([&] { sb1p2bw(-1e-300, bw); });
    fatal([&] { sb1p2bw(24.000001, bw); });
    EXPECT_NO_THROW(sb1p2bw(24.0, bw));
    EXPECT_NO_THROW(sb1p2bw(1e-300, bw));
}

TEST(Bandwidth, NotANumberPassesThrough) {
    double p = 0.0;
    sb1bw2p(std::nanf(""), p);
    EXPECT_TRUE(std::isnan(p));
    float bw = 0.0f;
    sb1p2bw(std::nan(""), bw);
    EXPECT_TRUE(std::isnan(bw));
}

}  // namespace
}  // namespace tarnik::spline

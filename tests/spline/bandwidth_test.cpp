#include <gtest/gtest.h>

#include <cmath>

#include "spline/bandwidth.h"
#include "spline/bandwidth_request.h"
#include "spline_data.h"

namespace tarnik::spline {
namespace {

using test::fatal;

TEST(Bandwidth, RequestsRoundAndSmallBandwidthsAreRaised) {
    struct Row {
        std::int32_t jdt, n, want;
        bool raised;
    };
    const Row rows[] = {{-10, 150, 15, false}, {-50, 31, 16, false},  // 15.5 rounds away from zero
                        {-1, 150, 2, false},   {-1, 100, 2, true},    // 1.5 rounds to 2, 1 is raised to 2
                        {1, 100, 2, true},     {0, 100, -1, false},  {40, 100, 40, false},
                        {-2147483647 - 1, 2100, 2147483647, false}};
    for (const Row& r : rows) {
        bool raised = !r.raised;
        EXPECT_EQ(bandwidth_request(r.jdt, r.n, raised), r.want) << r.jdt << " of " << r.n;
        EXPECT_EQ(raised, r.raised) << r.jdt << " of " << r.n;
    }
}

TEST(Bandwidth, ConversionBothWaysAndItsLimits) {
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

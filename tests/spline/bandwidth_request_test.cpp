#include "spline/bandwidth_request.h"

#include <gtest/gtest.h>

namespace tarnik::spline {
namespace {

TEST(BandwidthRequest, PercentagesRoundAndSmallBandwidthsAreRaised) {
    bool raised = false;
    EXPECT_EQ(bandwidth_request(-10, 150, raised), 15);
    EXPECT_EQ(bandwidth_request(-50, 31, raised), 16);  // 15.5 rounds away from zero
    EXPECT_FALSE(raised);
    EXPECT_EQ(bandwidth_request(-1, 150, raised), 2);  // 1.5 rounds to 2 without the notice
    EXPECT_FALSE(raised);
    EXPECT_EQ(bandwidth_request(-1, 100, raised), 2);  // 1 is raised to 2
    EXPECT_TRUE(raised);
    EXPECT_EQ(bandwidth_request(1, 100, raised), 2);
    EXPECT_TRUE(raised);
    EXPECT_EQ(bandwidth_request(0, 100, raised), -1);
    EXPECT_FALSE(raised);
    EXPECT_EQ(bandwidth_request(40, 100, raised), 40);
    EXPECT_EQ(bandwidth_request(-2147483647 - 1, 2100, raised), 2147483647);
}

}  // namespace
}  // namespace tarnik::spline

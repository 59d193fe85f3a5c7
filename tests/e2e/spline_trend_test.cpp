// End-to-end runs of the spline trend variable (Data Transformation Menu
// choice 2): the bandwidth request, its notices, and the stored trend values
// as the data summary shows them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::run_tarnik;
using test::TempDir;

// One series in decadal layout (widths in 0.01 mm, end marker 999).
std::string series(const std::string& id, int year, const std::vector<int>& widths) {
    std::vector<int> items = widths;
    items.push_back(999);
    std::string s;
    char buf[32];
    for (std::size_t i = 0; i < items.size(); year = (year / 10) * 10 + 10) {
        std::snprintf(buf, sizeof buf, "%-8s%4d", id.c_str(), year);
        s += buf;
        for (int k = year % 10; k < 10 && i < items.size(); ++k, ++i) {
            std::snprintf(buf, sizeof buf, "%6d", items[i]);
            s += buf;
        }
        s += "\n";
    }
    return s;
}

// The smoothing spline through y(1..n) at unit spacing for a bandwidth bw, in
// the textbook form: (R + lam Q'Q) gamma = Q'y, g = y - lam Q gamma, with
// lam = 1/(2p) and p the smoothing parameter of the bandwidth. Dense
// elimination; n is small.
std::vector<double> reference_fit(std::vector<double> g, double bw) {
    const int m = static_cast<int>(g.size()) - 2;
    const double u = std::cos(static_cast<double>(6.2831854820251465f) / bw) - 1.0;
    const double lam = (3.0 + u) / (12.0 * u * u);
    const double q[3] = {1.0, -2.0, 1.0};  // column j of Q holds q at rows j..j+2
    std::vector<double> a(static_cast<std::size_t>(m * (m + 1)), 0.0);
    auto A = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(r * (m + 1) + c)]; };
    auto G = [&](int i) -> double& { return g[static_cast<std::size_t>(i)]; };
    for (int j = 0; j < m; ++j) {
        A(j, j) = 2.0 / 3.0;
        if (j > 0) A(j, j - 1) = 1.0 / 6.0;
        if (j + 1 < m) A(j, j + 1) = 1.0 / 6.0;
        for (int k = std::max(0, j - 2); k <= std::min(m - 1, j + 2); ++k) {
            for (int r = 0; r < 3; ++r) {
                if (j + r - k >= 0 && j + r - k < 3) A(j, k) += lam * q[r] * q[j + r - k];
            }
        }
        for (int r = 0; r < 3; ++r) A(j, m) += q[r] * G(j + r);
    }
    for (int c = 0; c < m; ++c) {  // symmetric positive definite: no pivoting
        for (int r = c + 1; r < m; ++r) {
            const double f = A(r, c) / A(c, c);
            for (int k = c; k <= m; ++k) A(r, k) -= f * A(c, k);
        }
    }
    for (int c = m - 1; c >= 0; --c) {  // gamma into column m
        for (int k = c + 1; k < m; ++k) A(c, m) -= A(c, k) * A(k, m);
        A(c, m) /= A(c, c);
    }
    for (int j = 0; j < m; ++j) {
        for (int r = 0; r < 3; ++r) G(j + r) -= lam * q[r] * A(j, m);
    }
    return g;
}

const std::string kNotice =
    "\n"
    "             The spline bandwidth must be ≥ 2 years.\n"
    "             It will be set to 2.\n";

TEST(SplineTrend, PercentageBandwidthAndTheStoredTrend) {
    // 31 rings of 1 mm with one ring of 10 mm: -50 asks for 15.5 years, which
    // rounds to 16. The fitted peak, stored as whole hundredths, is the
    // summary's maximum; its minimum is the trough beside the peak.
    std::vector<int> widths(31, 100);
    widths[15] = 1000;
    std::vector<double> y(widths.begin(), widths.end());
    for (double& v : y) v /= 100.0;
    float lo = 1000.0f, hi = -9999.0f;
    for (double g : reference_fit(y, 16.0)) {
        const float stored = std::trunc(static_cast<float>(g) * 100.0f) / 100.0f;
        lo = std::min(lo, stored);
        hi = std::max(hi, stored);
    }
    char expect[80];
    std::snprintf(expect, sizeof expect, "Ranging from Min. y = %8.3f to Max. y = %8.3f\n", lo, hi);
    EXPECT_STREQ(expect, "Ranging from Min. y =    0.940 to Max. y =    2.240\n");  // 15 or 17 years: 2.330, 2.170

    TempDir dir;
    dir.write("spike.rwl", "spike\n" + series("SPK1", 1900, widths));
    const auto r = run_tarnik(dir, lines({"spike.rwl", "f", "2", "-50", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, expect));
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 0u);
}

TEST(SplineTrend, BandwidthNoticesAndShortSeries) {
    TempDir dir;
    dir.write("two.rwl", "two\n" + series("A", 1900, std::vector<int>(12, 120)) + series("B", 1950, {90, 140, 60, 100, 130}));
    // A bandwidth of 1 is raised to 2, with the notice for every series.
    auto r = run_tarnik(dir, lines({"two.rwl", "f", "2", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Processing file two.rwl\n" + kNotice + kNotice));
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 2u);
    // The minimum-GCV bandwidth needs no notice.
    r = run_tarnik(dir, lines({"two.rwl", "f", "2", "0", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.out, "It will be set to 2."), 0u);
    EXPECT_TRUE(contains_block(r.out, "For a total of         17 measurements\n"));
    // A series of 2 rings cannot be splined.
    dir.write("short.rwl", "short\n" + series("A", 1900, {100, 120, 80}) + series("B", 1900, {100, 120}));
    r = run_tarnik(dir, lines({"short.rwl", "f", "2", "0"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "             The length of radius       2 := [       2 ] is less\n"
                                      "             than 3. This is too short to spline. Program Terminating...\n"));
}

}  // namespace
}  // namespace tarnik

// The search fits two smoothing weights at a time; that must not show: the
// same numbers to the last bit, the same weights visited, the same last fit.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "spline/kernel.h"
#include "spline_data.h"

namespace tarnik::spline::detail {
namespace {

// The bands of a random problem, set up as the general engine does it
// (unit spacing and weights when `unit`).
struct Problem {
    int n;
    std::vector<double> col[13], pair;
    Bands b;
    Problem(int n_, std::uint64_t seed, bool unit) : n(n_), pair(pair_storage(n_)) {
        test::Rng rng(seed);
        for (auto& c : col) c.assign(static_cast<std::size_t>(n) + 2, 0.0);
        auto& [dx, w, a, t1, t2, c1, c2, c3, r1, r2, r3, u, v] = col;
        std::vector<double> f(col[0].size());
        for (int i = 1; i <= n; ++i) {
            w[i] = unit ? 1.0 : 0.5 + rng.uniform();
            f[i] = std::sin(i / 9.0) + 0.3 * rng.normal();
            dx[i] = unit ? 1.0 : 1.0 + (rng.uniform() < 0.3 ? 3.0 * rng.uniform() : 0.0);
        }
        for (int i = 2; i < n; ++i) {
            a[i] = (f[i + 1] - f[i]) / dx[i] - (f[i] - f[i - 1]) / dx[i - 1];
            t1[i] = 2.0 * (dx[i - 1] + dx[i]) / 3.0;
            t2[i] = dx[i] / 3.0;
            r3[i] = w[i - 1] / dx[i - 1];
            r1[i] = w[i + 1] / dx[i];
            r2[i] = -w[i] / dx[i - 1] - w[i] / dx[i];
        }
        for (int i = 2; i < n; ++i) {
            c1[i] = r1[i] * r1[i] + r2[i] * r2[i] + r3[i] * r3[i];
            c2[i] = r1[i] * r2[i + 1] + r2[i] * r3[i + 1];
            c3[i] = r1[i] * r3[i + 2];
        }
        b = Bands{n, r1.data(), r2.data(), r3.data(), t1.data(), t2.data(), c1.data(), c2.data(),
                  c3.data(), a.data(), u.data(), v.data(), dx.data(), w.data()};
    }
};

bool same(const FitResult& x, const FitResult& y) { return std::memcmp(&x, &y, sizeof x) == 0; }

template <bool Unit>
void check(Problem& pr, double var) {
    // Two fits at once against one at a time, lane by lane, with the bands left behind.
    const double rhos[][2] = {{1.0, 2.0}, {1e-17, 3e5}, {0.0, 1e300}, {1.0 / 0.0, 7.25}};
    for (const auto& r : rhos) {
        FitResult pair[2], single;
        spfit2<Unit>(pr.b, pr.pair.data(), r[0], r[1], var, pair[0], pair[1]);
        for (int lane = 0; lane < 2; ++lane) {
            spfit<Unit>(pr.b, r[lane], var, single);
            EXPECT_TRUE(same(single, pair[lane])) << r[lane];
            const std::size_t stride = 2 * (static_cast<std::size_t>(pr.n) + 2);
            for (int k = 0; k < 5; ++k) {  // R(.,1..3), u, v
                for (int i = 2; i < pr.n; ++i) {
                    ASSERT_EQ(pr.pair[k * stride + 2 * static_cast<std::size_t>(i) + static_cast<std::size_t>(lane)],
                              pr.col[8 + k][static_cast<std::size_t>(i)]);
                }
            }
        }
    }
    // The whole search.
    std::vector<double> path1, path2;
    FitResult single, paired;
    search([&](double rho, double) { path1.push_back(rho), spfit<Unit>(pr.b, rho, var, single); }, single);
    PairedFits<Unit> fits(pr.b, pr.pair.data(), var, paired);
    search([&](double rho, double next) { path2.push_back(rho), fits(rho, next); }, paired);
    EXPECT_EQ(path1, path2);
    EXPECT_TRUE(same(single, paired));
    EXPECT_EQ(fits.last(), path1.back());
    EXPECT_GT(path1.size(), 30u);  // bracketing and golden section both ran
}

TEST(SplineKernel, PairedFitsAreTheSingleFits) {
    for (std::uint64_t seed = 10; seed < 14; ++seed) {
        Problem unit(40 + 37 * static_cast<int>(seed % 5), seed, true);
        check<true>(unit, -1.0);
        Problem general(60 + 23 * static_cast<int>(seed % 4), seed, false);
        check<false>(general, -1.0);
        check<false>(general, 0.05);
    }
}

}  // namespace
}  // namespace tarnik::spline::detail

// The two-at-a-time fits of the search must be indistinguishable from single
// fits: same numbers to the last bit, and the search must visit the same
// smoothing weights and end on the same fit.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "spline/kernel.h"
#include "spline_data.h"

namespace tarnik::spline::detail {
namespace {

// Bands of a random problem: increasing abscissae with uneven gaps, weights of
// mean square 1, noisy ordinates (the same set-up the general engine makes).
struct Problem {
    int n;
    std::vector<double> dx, w, a, t1, t2, c1, c2, c3, r1, r2, r3, u, v, pair;
    Bands bands;

    Problem(int n_, std::uint64_t seed, bool unit) : n(n_) {
        test::Rng rng(seed);
        const auto rows = static_cast<std::size_t>(n) + 2;
        for (auto* vec : {&dx, &w, &a, &t1, &t2, &c1, &c2, &c3, &r1, &r2, &r3, &u, &v}) vec->assign(rows, 0.0);
        pair.assign(pair_storage(n), 0.0);
        std::vector<double> f(rows);
        for (int i = 1; i <= n; ++i) {
            w[i] = unit ? 1.0 : 0.5 + rng.uniform();
            f[i] = std::sin(i / 9.0) + 0.3 * rng.normal();
            if (i < n) dx[i] = unit ? 1.0 : 1.0 + (rng.uniform() < 0.3 ? 3.0 * rng.uniform() : 0.0);
        }
        for (int i = 2; i <= n - 1; ++i) {
            const double g = dx[i - 1], h = dx[i];
            a[i] = (f[i + 1] - f[i]) / h - (f[i] - f[i - 1]) / g;
            t1[i] = 2.0 * (g + h) / 3.0;
            t2[i] = h / 3.0;
            r3[i] = w[i - 1] / g;
            r1[i] = w[i + 1] / h;
            r2[i] = -w[i] / g - w[i] / h;
        }
        for (int i = 2; i <= n - 1; ++i) {
            c1[i] = r1[i] * r1[i] + r2[i] * r2[i] + r3[i] * r3[i];
            c2[i] = r1[i] * r2[i + 1] + r2[i] * r3[i + 1];
            c3[i] = r1[i] * r3[i + 2];
        }
        bands = Bands{n,         r1.data(), r2.data(), r3.data(), t1.data(), t2.data(), c1.data(), c2.data(),
                      c3.data(), a.data(),  u.data(),  v.data(),  dx.data(), w.data()};
    }
};

bool same(const FitResult& x, const FitResult& y) {
    return std::memcmp(x.stat, y.stat, sizeof x.stat) == 0 && std::memcmp(&x.p, &y.p, sizeof x.p) == 0 &&
           std::memcmp(&x.q, &y.q, sizeof x.q) == 0 && std::memcmp(&x.crit, &y.crit, sizeof x.crit) == 0;
}

template <bool Unit>
void check_lanes(Problem& pr, double rho_a, double rho_b, double var) {
    FitResult pa, pb;
    spfit2<Unit>(pr.bands, pr.pair.data(), rho_a, rho_b, var, pa, pb);
    const std::vector<double> pair = pr.pair;
    const std::size_t stride = 2 * (static_cast<std::size_t>(pr.n) + 2);
    for (int lane = 0; lane < 2; ++lane) {
        FitResult single;
        spfit<Unit>(pr.bands, lane == 0 ? rho_a : rho_b, var, single);
        EXPECT_TRUE(same(single, lane == 0 ? pa : pb)) << rho_a << " " << rho_b << " lane " << lane;
        // The bands and vectors left behind agree as well.
        const std::vector<double>* vecs[] = {&pr.r1, &pr.r2, &pr.r3, &pr.u, &pr.v};
        for (int k = 0; k < 5; ++k) {
            for (int i = 2; i <= pr.n - 1; ++i) {
                ASSERT_EQ(pair[k * stride + 2 * static_cast<std::size_t>(i) + static_cast<std::size_t>(lane)],
                          (*vecs[k])[static_cast<std::size_t>(i)])
                    << "vector " << k << " row " << i;
            }
        }
    }
}

TEST(SplineKernel, PairedFitsMatchSingleFitsBitForBit) {
    for (bool unit : {true, false}) {
        Problem pr(150, unit ? 1 : 2, unit);
        for (const auto& [ra, rb] : std::vector<std::pair<double, double>>{
                 {1.0, 2.0}, {1e-17, 3e5}, {0.0, 1e300}, {1.0 / 0.0, 7.25}, {123.456, 0.001}}) {
            for (double var : {-1.0, 0.0, 0.37}) {
                if (unit) {
                    check_lanes<true>(pr, ra, rb, var);
                } else {
                    check_lanes<false>(pr, ra, rb, var);
                }
            }
        }
    }
}

template <bool Unit>
void check_search(Problem& pr, double var) {
    std::vector<double> single_path, paired_path;
    FitResult single, paired;
    search([&](double rho, double) {
        single_path.push_back(rho);
        spfit<Unit>(pr.bands, rho, var, single);
    }, single);
    PairedFits<Unit> fits(pr.bands, pr.pair.data(), var, paired);
    search([&](double rho, double next) {
        paired_path.push_back(rho);
        fits(rho, next);
    }, paired);
    EXPECT_EQ(single_path, paired_path);
    EXPECT_TRUE(same(single, paired));
    EXPECT_EQ(fits.last(), single_path.back());
    EXPECT_GT(single_path.size(), 30u);  // bracketing and golden section both ran
}

TEST(SplineKernel, PairedSearchFollowsTheSamePath) {
    for (std::uint64_t seed = 10; seed < 16; ++seed) {
        Problem unit(40 + 37 * static_cast<int>(seed % 5), seed, true);
        check_search<true>(unit, -1.0);
        Problem general(60 + 23 * static_cast<int>(seed % 4), seed, false);
        check_search<false>(general, -1.0);
        check_search<false>(general, 0.05);
    }
}

}  // namespace
}  // namespace tarnik::spline::detail

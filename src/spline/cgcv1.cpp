#include "spline/cgcv1.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "console/errors.h"
#include "console/format.h"
#include "spline/bandwidth.h"
#include "spline/kernel.h"

namespace tarnik::spline {
namespace {

// The capacity this engine is built for: one value per year or cambial age.
constexpr std::int32_t kCapacity = 2100;
constexpr std::size_t kRows = kCapacity + 2;  // rows 0..n+1

// Private storage of the engine, sized once for the capacity and reused by
// every call of the same thread (about 470 kB, on the heap rather than on the
// stack; one per thread, so series can be fitted in parallel).
struct EqualWork {
    std::array<double, kRows> f{};   // data, widened
    std::array<double, kRows> y{};   // fitted values
    std::array<double, kRows> a{};   // second differences
    std::array<double, kRows> t1{}, t2{};
    std::array<double, kRows> c1{}, c2{}, c3{};   // band matrix C
    std::array<double, kRows> r1{}, r2{}, r3{};   // factor / inverse bands
    std::array<double, kRows> u{}, v{};
    std::array<double, kRows> k1{}, k2{}, k3{};   // spline coefficients
    std::array<double, kRows> se{};
    std::array<double, 10 * kRows> pair{};        // two fits at once during the search
};

EqualWork& work() {
    thread_local std::unique_ptr<EqualWork> w;
    if (!w) w = std::make_unique<EqualWork>();
    return *w;
}

[[noreturn]] void fail(std::string message, const char* pause = kProgrammerPause) {
    throw InternalError{{"", std::move(message)}, pause, false};
}

// Set-up for unit spacing and unit weights: second differences, the bands of T
// (4/3 and 1/3 at single precision) and of C = R R' with R the second-difference
// operator.
void spint1(EqualWork& w, std::int32_t n, std::int32_t capacity) {
    if (n < 3) fail("in spint1 n < 3: " + fmt::I(n, 10), "this is a nono.bye");
    if (capacity < n) fail("in spint1 n > nmax: " + fmt::I(n, 10) + fmt::I(capacity, 10), "this is a nono.bye");
    const double t_diag = static_cast<double>(4.0f / 3.0f);
    const double t_off = static_cast<double>(1.0f / 3.0f);
    for (int i = 2; i <= n - 1; ++i) {
        w.a[i] = (w.f[i + 1] - w.f[i]) - (w.f[i] - w.f[i - 1]);
        w.t1[i] = t_diag;
        w.t2[i] = t_off;
        w.r1[i] = 1.0;
        w.r2[i] = -2.0;
        w.r3[i] = 1.0;
    }
    w.r2[n] = 0.0;
    w.r3[n] = 0.0;
    w.r3[n + 1] = 0.0;
    for (int i = 2; i <= n - 1; ++i) {
        w.c1[i] = w.r1[i] * w.r1[i] + w.r2[i] * w.r2[i] + w.r3[i] * w.r3[i];
        w.c2[i] = w.r1[i] * w.r2[i + 1] + w.r2[i] * w.r3[i + 1];
        w.c3[i] = w.r1[i] * w.r3[i + 2];
    }
}

// Fitted values y = f - P v and the coefficients of the cubic pieces.
void spcof1(EqualWork& w, std::int32_t n, double p, double q) {
    for (int i = 1; i <= n; ++i) {
        w.y[i] = w.f[i] - p * w.v[i];
        w.u[i] = q * w.u[i];
    }
    for (int i = 1; i <= n - 1; ++i) {
        w.k3[i] = (w.u[i + 1] - w.u[i]) / 3.0;
        w.k1[i] = (w.y[i + 1] - w.y[i]) - w.k3[i] - w.u[i];
        w.k2[i] = w.u[i];
    }
}

// The bandwidth in whole years that corresponds to the smoothing parameter P of
// a fit: 2 for an interpolating fit, the most negative integer for a straight
// line (an infinite bandwidth).
std::int32_t reported_bandwidth(double p) {
    if (p == 0.0) return 2;
    const double r = (1.0 - p) / p;
    if (r >= 24.0) return 2;
    if (r <= 0.0) return std::numeric_limits<std::int32_t>::min();
    float bw = 0.0f;
    sb1p2bw(r, bw);
    if (!(bw < 2147483647.0f)) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::lroundf(bw));
}

}  // namespace

void cgcv1(std::int32_t nmax, std::int32_t n, std::span<const float> vals, std::span<float> fit, std::int32_t& jdt,
           float& var, std::span<float> se) {
    Cgcv1Stats ignored;
    cgcv1(nmax, n, vals, fit, jdt, var, se, ignored);
}

void cgcv1(std::int32_t nmax, std::int32_t n, std::span<const float> vals, std::span<float> fit, std::int32_t& jdt,
           float& var, std::span<float> se, Cgcv1Stats& stats) {
    if (n < 3) fail("in cgcv1 n < 3: " + fmt::I(n, 10));
    if (n > nmax) fail("in cgcv1 n > nmax: " + fmt::I(n, 10) + fmt::I(nmax, 10));
    if (nmax != kCapacity) fail("in cgcv1 ic <> nmax: " + fmt::I(kCapacity, 10) + fmt::I(nmax, 10));
    const auto un = static_cast<std::size_t>(n);
    if (vals.size() < un || fit.size() < un || se.size() < un) {
        const std::size_t shortest = std::min({vals.size(), fit.size(), se.size()});
        fail("in cgcv1 array shorter than n: " + fmt::I(n, 10) + fmt::I(static_cast<std::int64_t>(shortest), 10));
    }

    EqualWork& w = work();
    for (int i = 1; i <= n; ++i) w.f[i] = static_cast<double>(vals[static_cast<std::size_t>(i - 1)]);
    spint1(w, n, kCapacity);

    detail::Bands b;
    b.n = n;
    b.r1 = w.r1.data();
    b.r2 = w.r2.data();
    b.r3 = w.r3.data();
    b.t1 = w.t1.data();
    b.t2 = w.t2.data();
    b.c1 = w.c1.data();
    b.c2 = w.c2.data();
    b.c3 = w.c3.data();
    b.a = w.a.data();
    b.u = w.u.data();
    b.v = w.v.data();

    const double known_var = static_cast<double>(var);
    detail::FitResult res;
    const std::int32_t request = jdt;
    if (request >= 1) {
        double p = 0.0;
        sb1bw2p(static_cast<float>(request), p);
        detail::spfit<true>(b, 1.0 / p, known_var, res);
    } else {
        detail::PairedFits<true> fits(b, w.pair.data(), known_var, res);
        detail::search(fits, res);
        // Repeat the final fit on its own, to leave its bands for the
        // coefficients and standard errors (same arithmetic, same result).
        detail::spfit<true>(b, fits.last(), known_var, res);
    }

    spcof1(w, n, res.p, res.q);
    // The estimated error variance is the one used for the standard errors,
    // whatever variance was given.
    const double avar = res.stat[6];
    detail::sperr<true>(b, res.p, avar, w.se.data());

    if (request < 0) jdt = reported_bandwidth(res.stat[1]);

    var = static_cast<float>(avar);
    for (int i = 1; i <= n; ++i) {
        fit[static_cast<std::size_t>(i - 1)] = static_cast<float>(w.y[i]);
        se[static_cast<std::size_t>(i - 1)] = static_cast<float>(w.se[i]);
    }
    stats.p = res.stat[1];
    stats.df = res.stat[2];
    stats.gcv = res.stat[3];
    stats.msr = res.stat[4];
    stats.mse = res.stat[5];
    stats.variance = res.stat[6];
}

}  // namespace tarnik::spline

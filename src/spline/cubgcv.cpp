#include "spline/cubgcv.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "console/errors.h"
#include "console/format.h"
#include "spline/kernel.h"

namespace tarnik::spline {
namespace {

// Set-up failure codes.
constexpr std::int32_t kTooFewPoints = 130;
constexpr std::int32_t kNotIncreasing = 131;
constexpr std::int32_t kWeightNotPositive = 132;

// Columns of the work vector, each of rows 0..capacity+1; the last ten hold
// the two-lane bands of the search (interleaved pairs of R(.,1..3), u, v).
enum Column { R1, R2, R3, T1, T2, U, V, DX, W, A, SE, PAIR, kColumns = PAIR + 10 };

[[noreturn]] void fail(std::string message) { throw InternalError{{"", std::move(message)}, kProgrammerPause, false}; }

// Everything a fit needs, laid out in the caller's work storage.
struct Setup {
    detail::Bands bands;
    double avdf = 0.0;
    double* se = nullptr;  // rows 1..n
};

// Grows the work storage to hold n points; never shrinks it, so that storage
// sized once serves every later fit without allocating.
void reserve(GeneralSplineWork& work, std::int32_t n) {
    const auto need = static_cast<std::size_t>(n);
    if (work.c1.size() >= need && work.wk.size() >= kColumns * (work.c1.size() + 2)) return;
    const std::size_t cap = std::max(need, work.c1.size());
    work.c1.assign(cap, 0.0);
    work.c2.assign(cap, 0.0);
    work.c3.assign(cap, 0.0);
    work.wk.assign(kColumns * (cap + 2), 0.0);
}

double* column(GeneralSplineWork& work, Column c) { return work.wk.data() + c * (work.c1.size() + 2); }

// Checks the points and weights: 0 when they can be fitted, otherwise the
// set-up failure code.
std::int32_t check(std::span<const double> x, std::span<const double> df, std::int32_t n) {
    if (n < 3) return kTooFewPoints;
    for (std::int32_t i = 1; i < n; ++i) {
        if (x[static_cast<std::size_t>(i)] - x[static_cast<std::size_t>(i - 1)] <= 0.0) return kNotIncreasing;
    }
    for (std::int32_t i = 0; i < n; ++i) {
        if (df[static_cast<std::size_t>(i)] <= 0.0) return kWeightNotPositive;
    }
    return 0;
}

// Set-up: spacings, weights scaled to a mean square of 1 (in a private copy, so
// the caller's weights come back exactly as given), second divided differences,
// and the bands of T and of C = R R' with R the weighted second-difference
// operator. The abscissae are used in their own units.
Setup spint(std::span<const double> x, std::span<const double> f, std::span<const double> df, std::int32_t n,
            GeneralSplineWork& work) {
    reserve(work, n);
    Setup s;
    detail::Bands& b = s.bands;
    double* const r1 = column(work, R1);
    double* const r2 = column(work, R2);
    double* const r3 = column(work, R3);
    double* const t1 = column(work, T1);
    double* const t2 = column(work, T2);
    double* const dx = column(work, DX);
    double* const w = column(work, W);
    double* const a = column(work, A);
    double* const c1 = work.c1.data();
    double* const c2 = work.c2.data();
    double* const c3 = work.c3.data();

    auto X = [&](int i) { return x[static_cast<std::size_t>(i - 1)]; };
    auto F = [&](int i) { return f[static_cast<std::size_t>(i - 1)]; };

    double sum = 0.0;
    for (int i = 1; i <= n; ++i) {
        const double d = df[static_cast<std::size_t>(i - 1)];
        sum += d * d;
    }
    s.avdf = std::sqrt(sum / static_cast<double>(n));
    for (int i = 1; i <= n; ++i) w[i] = df[static_cast<std::size_t>(i - 1)] / s.avdf;
    for (int i = 1; i <= n - 1; ++i) dx[i] = X(i + 1) - X(i);

    double h = dx[1];
    double e = (F(2) - F(1)) / h;
    for (int i = 2; i <= n - 1; ++i) {
        const double g = h;
        h = dx[i];
        const double slope = (F(i + 1) - F(i)) / h;
        a[i] = slope - e;
        e = slope;
        t1[i] = 2.0 * (g + h) / 3.0;
        t2[i] = h / 3.0;
        r3[i] = w[i - 1] / g;
        r1[i] = w[i + 1] / h;
        r2[i] = -w[i] / g - w[i] / h;
    }
    r2[n] = 0.0;
    r3[n] = 0.0;
    r3[n + 1] = 0.0;
    for (int i = 2; i <= n - 1; ++i) {
        c1[i] = r1[i] * r1[i] + r2[i] * r2[i] + r3[i] * r3[i];
        c2[i] = r1[i] * r2[i + 1] + r2[i] * r3[i + 1];
        c3[i] = r1[i] * r3[i + 2];
    }

    b.n = n;
    b.r1 = r1;
    b.r2 = r2;
    b.r3 = r3;
    b.t1 = t1;
    b.t2 = t2;
    b.c1 = c1;
    b.c2 = c2;
    b.c3 = c3;
    b.a = a;
    b.u = column(work, U);
    b.v = column(work, V);
    b.dx = dx;
    b.w = w;
    s.se = column(work, SE);
    return s;
}

// Fitted values and the coefficients of the cubic pieces, from the last fit.
// The coefficients go to work.c1..c3 indexed from 0 by interval; this
// overwrites the band matrix C, which is no longer needed.
void spcof(const Setup& s, std::span<const double> f, double p, double q, std::span<double> y,
           GeneralSplineWork& work) {
    const detail::Bands& b = s.bands;
    const int n = b.n;
    double* const u = b.u;
    for (int i = 1; i <= n; ++i) {
        y[static_cast<std::size_t>(i - 1)] = f[static_cast<std::size_t>(i - 1)] - p * b.w[i] * b.v[i];
        u[i] = q * u[i];
    }
    for (int i = 1; i <= n - 1; ++i) {
        const double h = b.dx[i];
        const auto k = static_cast<std::size_t>(i - 1);
        const double d3 = (u[i + 1] - u[i]) / (3.0 * h);
        work.c3[k] = d3;
        work.c1[k] = (y[k + 1] - y[k]) / h - (h * d3 + u[i]) * h;
        work.c2[k] = u[i];
    }
}

void store_stats(const detail::FitResult& res, double avdf, GeneralSplineWork& work) {
    const double msw = avdf * avdf;
    work.stats[0] = res.stat[1];
    work.stats[1] = res.stat[2];
    for (int k = 2; k <= 5; ++k) work.stats[static_cast<std::size_t>(k)] = res.stat[k + 1] / msw;
    work.stats[6] = msw;
}

void check_sizes(const char* routine, std::int32_t n, std::initializer_list<std::size_t> sizes) {
    if (n < 3) return;  // reported by the set-up check, before any array is read
    const std::size_t shortest = std::min(sizes);
    if (shortest < static_cast<std::size_t>(n)) {
        fail(std::string(routine) + " array shorter than n: " + fmt::I(n, 10) +
             fmt::I(static_cast<std::int64_t>(shortest), 10));
    }
}

void copy_se(const Setup& s, std::span<double> se) {
    for (int i = 1; i <= s.bands.n; ++i) se[static_cast<std::size_t>(i - 1)] = s.se[i];
}

}  // namespace

void cubgcv(std::span<const double> x, std::span<const double> f, std::span<const double> df, std::int32_t n,
            std::span<double> y, double& var, std::int32_t job, std::span<double> se, GeneralSplineWork& work) {
    if (job != 0 && job != 1) fail("In cubgcv job ≠ 0 or 1: " + fmt::I(job, 10));
    if (job == 1) {
        check_sizes("In cubgcv", n, {x.size(), f.size(), df.size(), y.size(), se.size()});
    } else {
        check_sizes("In cubgcv", n, {x.size(), f.size(), df.size(), y.size()});
    }
    if (const std::int32_t ier = check(x, df, n); ier != 0) fail("In cubgcv after spint ier ≠ 0: " + fmt::I(ier, 10));
    const Setup s = spint(x, f, df, n, work);

    double avar = var;
    if (var > 0.0) avar = var * s.avdf * s.avdf;

    detail::FitResult res;
    if (var == 0.0) {
        detail::spfit<false>(s.bands, 0.0, avar, res);
    } else {
        detail::PairedFits<false> fits(s.bands, column(work, PAIR), avar, res);
        detail::search(fits, res);
        // Repeat the final fit on its own, to leave its bands for the
        // coefficients and standard errors (same arithmetic, same result).
        detail::spfit<false>(s.bands, fits.last(), avar, res);
    }
    spcof(s, f, res.p, res.q, y, work);
    if (var < 0.0) {
        avar = res.stat[6];
        var = res.stat[6] / (s.avdf * s.avdf);
    }
    if (job == 1) {
        detail::sperr<false>(s.bands, res.p, avar, s.se);
        copy_se(s, se);
    }
    store_stats(res, s.avdf, work);
}

void cugcv(double p, std::span<const double> x, std::span<const double> f, std::span<const double> df, std::int32_t n,
           std::span<double> y, double& var, std::span<double> se, GeneralSplineWork& work) {
    check_sizes("In cugcv", n, {x.size(), f.size(), df.size(), y.size(), se.size()});
    if (const std::int32_t ier = check(x, df, n); ier != 0) {
        fail("In cugcv ier from spint is not 0: " + fmt::I(ier, 10));
    }
    const Setup s = spint(x, f, df, n, work);

    detail::FitResult res;
    detail::spfit<false>(s.bands, 1.0 / p, -1.0, res);
    spcof(s, f, res.p, res.q, y, work);
    const double avar = res.stat[6];
    var = res.stat[6] / (s.avdf * s.avdf);
    detail::sperr<false>(s.bands, res.p, avar, s.se);
    copy_se(s, se);
    store_stats(res, s.avdf, work);
}

}  // namespace tarnik::spline

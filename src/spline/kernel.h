#pragma once
// The numerical core shared by both spline engines: one fit for a given
// smoothing weight (rational Cholesky factorisation of the pentadiagonal system,
// solution, residuals, the three central bands of the inverse and the trace),
// the standard errors from those bands, and the bracketing / golden-section
// search for the smoothing weight of minimum criterion.
//
// All vectors are indexed from 1 as in the published method; R and u also use
// rows 0 and n+1, so every vector holds at least n+2 values.
//
// `Unit` selects the equally spaced, equally weighted case: spacing 1 and weight
// 1 everywhere. It drops the divisions by the spacing and the multiplications by
// the weight, which are exact with those values, so the results are the same as
// the general case would give for that data.

#include <algorithm>
#include <cmath>

namespace tarnik::spline::detail {

// The bands and vectors of one fit.
struct Bands {
    int n = 0;
    double* r1 = nullptr;  // R(.,1..3): factor, then the inverse bands (rows 0..n+1)
    double* r2 = nullptr;
    double* r3 = nullptr;
    const double* t1 = nullptr;  // T(i,1..2), rows 2..n-1
    const double* t2 = nullptr;
    const double* c1 = nullptr;  // C(i,1..3), rows 2..n-1
    const double* c2 = nullptr;
    const double* c3 = nullptr;
    const double* a = nullptr;  // second differences, rows 2..n-1
    double* u = nullptr;        // solution, rows 0..n+1
    double* v = nullptr;        // residual vector, rows 1..n
    const double* dx = nullptr;  // general case: x(i+1) - x(i), rows 1..n-1
    const double* w = nullptr;   // general case: scaled weights df(i), rows 1..n
};

// stat[1..6]: P, residual degrees of freedom, gcv, msr, mse, error variance.
struct FitResult {
    double stat[7] = {};
    double p = 0.0;
    double q = 0.0;
    double crit = 0.0;
};

// One fit at smoothing weight rho. var < 0: GCV is the criterion; otherwise the
// estimated true mean square error for the known variance var.
template <bool Unit>
void spfit(const Bands& b, double rho, double var, FitResult& res) {
    const int n = b.n;
    double* const r1 = b.r1;
    double* const r2 = b.r2;
    double* const r3 = b.r3;
    double* const u = b.u;
    double* const v = b.v;

    // P and Q instead of rho, to avoid overflow and underflow. An infinite rho
    // (a smoothing parameter of 0) is the straight-line limit P = 1, Q = 0; the
    // plain quotient would give P = inf/inf, a result that is not a number.
    double p = rho / (1.0 + rho);
    double q = 1.0 / (1.0 + rho);
    if (1.0 + rho == rho) q = 0.0;
    if (1.0 + rho == 1.0) p = 0.0;
    if (std::isinf(rho)) p = 1.0;

    // Rational Cholesky factorisation of P*C + Q*T, with the forward solution
    // carried along in the same pass.
    double f = 0.0, g = 0.0, h = 0.0;
    r1[0] = 0.0;
    r1[1] = 0.0;
    u[0] = 0.0;
    u[1] = 0.0;
    for (int i = 2; i <= n - 1; ++i) {
        r3[i - 2] = g * r1[i - 2];
        r2[i - 1] = f * r1[i - 1];
        r1[i] = 1.0 / (p * b.c1[i] + q * b.t1[i] - f * r2[i - 1] - g * r3[i - 2]);
        f = p * b.c2[i] + q * b.t2[i] - h * r2[i - 1];
        g = h;
        h = p * b.c3[i];
        u[i] = b.a[i] - r2[i - 1] * u[i - 1] - r3[i - 2] * u[i - 2];
    }
    u[n] = 0.0;
    u[n + 1] = 0.0;
    for (int i = n - 1; i >= 2; --i) u[i] = r1[i] * u[i] - r2[i] * u[i + 1] - r3[i] * u[i + 2];

    // Residual vector and its sum of squares.
    double e = 0.0;
    h = 0.0;
    for (int i = 1; i <= n - 1; ++i) {
        g = h;
        if constexpr (Unit) {
            h = u[i + 1] - u[i];
            v[i] = h - g;
        } else {
            h = (u[i + 1] - u[i]) / b.dx[i];
            v[i] = b.w[i] * (h - g);
        }
        e += v[i] * v[i];
    }
    if constexpr (Unit) {
        v[n] = -h;
    } else {
        v[n] = b.w[n] * (-h);
    }
    e += v[n] * v[n];

    // The three central bands of the inverse, from the bottom up.
    r1[n] = 0.0;
    r2[n] = 0.0;
    r1[n + 1] = 0.0;
    for (int i = n - 1; i >= 2; --i) {
        g = r2[i];
        h = r3[i];
        r2[i] = -g * r1[i + 1] - h * r2[i + 1];
        r3[i] = -g * r2[i + 1] - h * r1[i + 2];
        r1[i] = r1[i] - g * r2[i] - h * r3[i];
    }

    // Trace term: tr(P (P C + Q T)^-1 C) / P.
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
    for (int i = 2; i <= n - 1; ++i) {
        s1 += r1[i] * b.c1[i];
        s2 += r2[i] * b.c2[i];
        s3 += r3[i] * b.c3[i];
    }
    const double tr = s1 + 2.0 * (s2 + s3);

    const double dn = static_cast<double>(n);
    double* const st = res.stat;
    st[1] = p;
    st[2] = tr * p;
    st[3] = dn * e / (tr * tr);
    st[4] = e * p * p / dn;
    st[6] = e * p / tr;
    if (var < 0.0) {
        st[5] = st[6] - st[4];
        res.crit = st[3];
    } else {
        st[5] = std::max(st[4] - 2.0 * var * st[2] / dn + var, 0.0);
        res.crit = st[5];
    }
    res.p = p;
    res.q = q;
}

// Bayesian standard errors from the inverse bands left by the last fit, for the
// error variance avar; written to se[1..n].
template <bool Unit>
void sperr(const Bands& b, double p, double avar, double* se) {
    const int n = b.n;
    double* const r1 = b.r1;
    double* const r2 = b.r2;
    double* const r3 = b.r3;
    if constexpr (Unit) {
        se[1] = 1.0 - p * r1[2];
    } else {
        const double h1 = 1.0 / b.dx[1];
        se[1] = 1.0 - p * b.w[1] * b.w[1] * h1 * h1 * r1[2];
    }
    r1[1] = 0.0;
    r2[1] = 0.0;
    r3[1] = 0.0;
    double h = Unit ? 1.0 : 1.0 / b.dx[1];
    for (int i = 2; i <= n - 1; ++i) {
        if constexpr (Unit) {
            const double f1 = r1[i - 1] - 2.0 * r2[i - 1] + r3[i - 1];
            const double g1 = r2[i - 1] - 2.0 * r1[i] + r2[i];
            const double h1 = r3[i - 1] - 2.0 * r2[i] + r1[i + 1];
            se[i] = 1.0 - p * (f1 - 2.0 * g1 + h1);
        } else {
            const double f0 = h;
            h = 1.0 / b.dx[i];
            const double g = -(f0 + h);
            const double f1 = f0 * r1[i - 1] + g * r2[i - 1] + h * r3[i - 1];
            const double g1 = f0 * r2[i - 1] + g * r1[i] + h * r2[i];
            const double h1 = f0 * r3[i - 1] + g * r2[i] + h * r1[i + 1];
            se[i] = 1.0 - p * b.w[i] * b.w[i] * (f0 * f1 + g * g1 + h * h1);
        }
    }
    if constexpr (Unit) {
        se[n] = 1.0 - p * r1[n - 1];
    } else {
        se[n] = 1.0 - p * b.w[n] * b.w[n] * h * h * r1[n - 1];
    }
    for (int i = 1; i <= n; ++i) {
        const double s = std::sqrt(std::max(avar * se[i], 0.0));
        if constexpr (Unit) {
            se[i] = s;
        } else {
            se[i] = s * b.w[i];
        }
    }
}

// Search for the smoothing weight of minimum criterion: bracketing by halving
// and doubling from 1 and 2, then golden section until the bracket is relatively
// narrower than 1e-6, then one fit at the midpoint. Halving stops when P reaches
// 0 (the interpolating limit), doubling when Q reaches 0 (the straight-line
// limit); in both cases the last fit stands. `fit(rho)` must make one fit and
// leave its result in `res`. On return `res` holds the last fit.
template <class Fit>
void search(Fit&& fit, FitResult& res) {
    constexpr double ratio = 2.0;
    constexpr double tau = 1.618033989;
    double r1 = 1.0;
    double r2 = ratio * r1;
    fit(r2);
    double g2 = res.crit;
    for (;;) {
        fit(r1);
        const double g1 = res.crit;
        if (g1 > g2) break;
        if (res.p <= 0.0) return;
        r2 = r1;
        g2 = g1;
        r1 = r1 / ratio;
    }
    double r3 = ratio * r2;
    double g3;
    for (;;) {
        fit(r3);
        g3 = res.crit;
        if (g3 > g2) break;
        if (res.q <= 0.0) return;
        r2 = r3;
        g2 = g3;
        r3 = ratio * r3;
    }
    r2 = r3;
    g2 = g3;
    double delta = (r2 - r1) / tau;
    double r4 = r1 + delta;
    r3 = r2 - delta;
    fit(r3);
    g3 = res.crit;
    fit(r4);
    double g4 = res.crit;
    double err;
    do {
        if (g3 > g4) {
            r1 = r3;
            r3 = r4;
            g3 = g4;
            delta = delta / tau;
            r4 = r1 + delta;
            fit(r4);
            g4 = res.crit;
        } else {
            r2 = r4;
            r4 = r3;
            g4 = g3;
            delta = delta / tau;
            r3 = r2 - delta;
            fit(r3);
            g3 = res.crit;
        }
        err = (r2 - r1) / (r1 + r2);
    } while (err * err + 1.0 > 1.0 && err > 1.0e-6);
    r1 = (r1 + r2) / 2.0;
    fit(r1);
}

}  // namespace tarnik::spline::detail

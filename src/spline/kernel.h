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
#include <cstddef>
#include <cstring>

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

// P = rho/(1+rho) and Q = 1/(1+rho), used instead of rho to avoid overflow and
// underflow. An infinite rho (a smoothing parameter of 0) is the straight-line
// limit P = 1, Q = 0; the plain quotient would give P = inf/inf, which is not a
// number.
inline void weights(double rho, double& p, double& q) {
    p = rho / (1.0 + rho);
    q = 1.0 / (1.0 + rho);
    if (1.0 + rho == rho) q = 0.0;
    if (1.0 + rho == 1.0) p = 0.0;
    if (std::isinf(rho)) p = 1.0;
}

// Statistics and criterion of a fit from the residual sum of squares e and the
// trace term tr.
inline void finish(int n, double p, double q, double e, double tr, double var, FitResult& res) {
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

// spfit: one fit at smoothing weight rho. var < 0: GCV is the criterion; otherwise the
// estimated true mean square error for the known variance var.
template <bool Unit>
void spfit(const Bands& b, double rho, double var, FitResult& res) {
    const int n = b.n;
    double* const r1 = b.r1;
    double* const r2 = b.r2;
    double* const r3 = b.r3;
    double* const u = b.u;
    double* const v = b.v;

    double p, q;
    weights(rho, p, q);

    // Rational Cholesky factorisation of P*C + Q*T, with the forward solution
    // carried along in the same pass. The values of the previous two rows are
    // kept in locals (the recurrences are latency bound; a round trip through
    // memory would lengthen every step).
    double f = 0.0, g = 0.0, h = 0.0;
    r1[0] = 0.0;
    r1[1] = 0.0;
    u[0] = 0.0;
    u[1] = 0.0;
    double r1_2 = 0.0, r1_1 = 0.0;  // R(i-2,1), R(i-1,1)
    double u_2 = 0.0, u_1 = 0.0;    // u(i-2), u(i-1)
    for (int i = 2; i <= n - 1; ++i) {
        const double r3_2 = g * r1_2;  // R(i-2,3)
        const double r2_1 = f * r1_1;  // R(i-1,2)
        r3[i - 2] = r3_2;
        r2[i - 1] = r2_1;
        const double ri = 1.0 / (p * b.c1[i] + q * b.t1[i] - f * r2_1 - g * r3_2);
        r1[i] = ri;
        f = p * b.c2[i] + q * b.t2[i] - h * r2_1;
        g = h;
        h = p * b.c3[i];
        const double ui = b.a[i] - r2_1 * u_1 - r3_2 * u_2;
        u[i] = ui;
        r1_2 = r1_1;
        r1_1 = ri;
        u_2 = u_1;
        u_1 = ui;
    }

    // Back substitution, and the three central bands of the inverse from the
    // bottom up. Both run downwards and are independent of each other; one
    // pass lets their dependency chains overlap. Row i of the factor is read
    // by the back substitution before the inverse replaces it.
    u[n] = 0.0;
    u[n + 1] = 0.0;
    r1[n] = 0.0;
    r2[n] = 0.0;
    r1[n + 1] = 0.0;
    double v1 = 0.0, v2 = 0.0;                 // u(i+1), u(i+2)
    double s1_1 = 0.0, s2_1 = 0.0, s1_2 = 0.0;  // inverse R(i+1,1), R(i+1,2), R(i+2,1)
    for (int i = n - 1; i >= 2; --i) {
        const double fi = r1[i];
        g = r2[i];
        h = r3[i];
        const double ui = fi * u[i] - g * v1 - h * v2;
        u[i] = ui;
        const double n2 = -g * s1_1 - h * s2_1;
        const double n3 = -g * s2_1 - h * s1_2;
        const double n1 = fi - g * n2 - h * n3;
        r1[i] = n1;
        r2[i] = n2;
        r3[i] = n3;
        v2 = v1;
        v1 = ui;
        s1_2 = s1_1;
        s1_1 = n1;
        s2_1 = n2;
    }

    // Residual vector and its sum of squares, with the trace term
    // tr(P (P C + Q T)^-1 C) / P accumulated in the same upward pass.
    double e = 0.0;
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
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
        if (i >= 2) {
            s1 += r1[i] * b.c1[i];
            s2 += r2[i] * b.c2[i];
            s3 += r3[i] * b.c3[i];
        }
    }
    if constexpr (Unit) {
        v[n] = -h;
    } else {
        v[n] = b.w[n] * (-h);
    }
    e += v[n] * v[n];
    const double tr = s1 + 2.0 * (s2 + s3);

    finish(n, p, q, e, tr, var, res);
}

// sperr: Bayesian standard errors from the inverse bands left by the last fit, for the
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

// spfit2: two fits at once, at the smoothing weights rho_a and rho_b, with the same
// arithmetic as spfit lane by lane (two-lane vectors of doubles: every lane
// rounds exactly as the scalar code does). The recurrences of a fit are bound
// by the latency of their operations, so a second, independent fit in the
// other lane costs little. `pair` holds five vectors of n+2 interleaved pairs
// (R(.,1..3), u, v); the single-fit bands in `b` are only read.
using Pair = double __attribute__((vector_size(16)));

inline Pair load2(const double* p) {
    Pair x;
    std::memcpy(&x, p, sizeof x);
    return x;
}
inline void store2(double* p, Pair x) { std::memcpy(p, &x, sizeof x); }

template <bool Unit>
void spfit2(const Bands& b, double* pair, double rho_a, double rho_b, double var, FitResult& ra, FitResult& rb) {
    const int n = b.n;
    const std::size_t stride = 2 * (static_cast<std::size_t>(n) + 2);
    double* const r1 = pair;
    double* const r2 = pair + stride;
    double* const r3 = pair + 2 * stride;
    double* const u = pair + 3 * stride;
    double* const v = pair + 4 * stride;
    auto at = [](double* base, int i) { return base + 2 * static_cast<std::ptrdiff_t>(i); };

    double pa, qa, pb, qb;
    weights(rho_a, pa, qa);
    weights(rho_b, pb, qb);
    const Pair p = {pa, pb};
    const Pair q = {qa, qb};
    const Pair zero = {0.0, 0.0};
    const Pair one = {1.0, 1.0};

    Pair f = zero, g = zero, h = zero;
    Pair r1_2 = zero, r1_1 = zero, u_2 = zero, u_1 = zero;
    store2(at(r1, 0), zero);
    store2(at(r1, 1), zero);
    store2(at(u, 0), zero);
    store2(at(u, 1), zero);
    for (int i = 2; i <= n - 1; ++i) {
        const Pair r3_2 = g * r1_2;
        const Pair r2_1 = f * r1_1;
        store2(at(r3, i - 2), r3_2);
        store2(at(r2, i - 1), r2_1);
        const Pair ri = one / (p * b.c1[i] + q * b.t1[i] - f * r2_1 - g * r3_2);
        store2(at(r1, i), ri);
        f = p * b.c2[i] + q * b.t2[i] - h * r2_1;
        g = h;
        h = p * b.c3[i];
        const Pair ui = b.a[i] - r2_1 * u_1 - r3_2 * u_2;
        store2(at(u, i), ui);
        r1_2 = r1_1;
        r1_1 = ri;
        u_2 = u_1;
        u_1 = ui;
    }

    store2(at(u, n), zero);
    store2(at(u, n + 1), zero);
    store2(at(r1, n), zero);
    store2(at(r2, n), zero);
    store2(at(r1, n + 1), zero);
    // The first steps back read entries the forward pass leaves unwritten; they
    // are multiplied by zeros, but whatever an earlier fit left there must not
    // reach this one (an infinity times zero).
    store2(at(r2, n - 1), zero);
    store2(at(r3, n - 1), zero);
    store2(at(r3, n - 2), zero);
    Pair v1 = zero, v2 = zero, s1_1 = zero, s2_1 = zero, s1_2 = zero;
    for (int i = n - 1; i >= 2; --i) {
        const Pair fi = load2(at(r1, i));
        g = load2(at(r2, i));
        h = load2(at(r3, i));
        const Pair ui = fi * load2(at(u, i)) - g * v1 - h * v2;
        store2(at(u, i), ui);
        const Pair n2 = -g * s1_1 - h * s2_1;
        const Pair n3 = -g * s2_1 - h * s1_2;
        const Pair n1 = fi - g * n2 - h * n3;
        store2(at(r1, i), n1);
        store2(at(r2, i), n2);
        store2(at(r3, i), n3);
        v2 = v1;
        v1 = ui;
        s1_2 = s1_1;
        s1_1 = n1;
        s2_1 = n2;
    }

    Pair e = zero, s1 = zero, s2 = zero, s3 = zero;
    h = zero;
    for (int i = 1; i <= n - 1; ++i) {
        g = h;
        Pair vi;
        if constexpr (Unit) {
            h = load2(at(u, i + 1)) - load2(at(u, i));
            vi = h - g;
        } else {
            h = (load2(at(u, i + 1)) - load2(at(u, i))) / b.dx[i];
            vi = b.w[i] * (h - g);
        }
        store2(at(v, i), vi);
        e += vi * vi;
        if (i >= 2) {
            s1 += load2(at(r1, i)) * b.c1[i];
            s2 += load2(at(r2, i)) * b.c2[i];
            s3 += load2(at(r3, i)) * b.c3[i];
        }
    }
    Pair vn;
    if constexpr (Unit) {
        vn = -h;
    } else {
        vn = b.w[n] * (-h);
    }
    store2(at(v, n), vn);
    e += vn * vn;
    const Pair tr = s1 + 2.0 * (s2 + s3);
    finish(n, pa, qa, e[0], tr[0], var, ra);
    finish(n, pb, qb, e[1], tr[1], var, rb);
}

// The fits of a search, made two at a time: each request also fits the
// weight the search is expected to ask for next, and a request for that
// weight is answered from the stored result. Results are those of spfit.
template <bool Unit>
class PairedFits {
public:
    PairedFits(const Bands& b, double* pair, double var, FitResult& res) : b_(b), pair_(pair), var_(var), res_(res) {}

    void operator()(double rho, double next) {
        last_ = rho;
        if (have_spare_ && rho == spare_rho_) {
            res_ = spare_;
            have_spare_ = false;
            return;
        }
        spfit2<Unit>(b_, pair_, rho, next, var_, res_, spare_);
        spare_rho_ = next;
        have_spare_ = true;
    }
    // The weight of the last fit requested.
    double last() const { return last_; }

private:
    const Bands& b_;
    double* pair_;
    double var_;
    FitResult& res_;
    FitResult spare_;
    double spare_rho_ = 0.0;
    bool have_spare_ = false;
    double last_ = 0.0;
};

// search: finds the smoothing weight of minimum criterion: bracketing by halving
// and doubling from 1 and 2, then golden section until the bracket is relatively
// narrower than 1e-6, then one fit at the midpoint. Halving stops when P reaches
// 0 (the interpolating limit), doubling when Q reaches 0 (the straight-line
// limit); in both cases the last fit stands.
//
// `fit(rho, next)` must make one fit at rho and leave its result in `res`;
// `next` is the weight the search expects to ask for next (a hint only: the
// fitter may use it to make that fit ahead of time). On return `res` holds the
// last fit.
template <class Fit>
void search(Fit&& fit, FitResult& res) {
    constexpr double ratio = 2.0;
    constexpr double tau = 1.618033989;
    double r1 = 1.0;
    double r2 = ratio * r1;
    fit(r2, r1);
    double g2 = res.crit;
    for (;;) {
        fit(r1, r1 / ratio);
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
        fit(r3, ratio * r3);
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
    fit(r3, r4);
    g3 = res.crit;
    // Golden section. Each step fits one new point; the next step's point is
    // r3 + delta/tau if the new point turns out lower than the other inner
    // point, otherwise r4 - delta/tau; after the last step comes the midpoint.
    // The hint guesses that the next step turns back (on smooth criteria this
    // is right about seven times in ten).
    bool moving_up = true;
    auto hint = [&](bool last) {
        if (last) return (r1 + r2) / 2.0;
        return moving_up ? r4 - delta / tau : r3 + delta / tau;
    };
    double err = (r2 - r1) / (r1 + r2);
    fit(r4, hint(false));
    double g4 = res.crit;
    do {
        if (g3 > g4) {
            r1 = r3;
            r3 = r4;
            g3 = g4;
            delta = delta / tau;
            r4 = r1 + delta;
            err = (r2 - r1) / (r1 + r2);
            moving_up = true;
            fit(r4, hint(!(err * err + 1.0 > 1.0 && err > 1.0e-6)));
            g4 = res.crit;
        } else {
            r2 = r4;
            r4 = r3;
            g4 = g3;
            delta = delta / tau;
            r3 = r2 - delta;
            err = (r2 - r1) / (r1 + r2);
            moving_up = false;
            fit(r3, hint(!(err * err + 1.0 > 1.0 && err > 1.0e-6)));
            g3 = res.crit;
        }
    } while (err * err + 1.0 > 1.0 && err > 1.0e-6);
    r1 = (r1 + r2) / 2.0;
    fit(r1, r1);
}

}  // namespace tarnik::spline::detail

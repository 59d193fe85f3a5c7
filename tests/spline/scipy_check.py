#!/usr/bin/python3
"""Independent check of the smoothing spline engines.

Reads a JSON file of cases written by the spline test program (the data, and
what our engines returned for them) and recomputes each case with two
references:

  * scipy.interpolate.make_smoothing_spline, which minimises
        sum_i w_i (y_i - g(x_i))^2 + lam * integral g''(t)^2 dt ;
  * the textbook (Reinsch) formulation with a general banded solver, for the
    diagonal and trace of the hat matrix A(lam), which scipy does not return.

Mapping to the engines: with relative standard deviations df_i, scaled inside
the engine to a mean square of 1 (divided by avdf = sqrt(mean df^2)), the
engines minimise sum (avdf/df_i)^2 (y_i - g_i)^2 + (rho/2) integral g''^2, so
    w_i = 1/df_i^2   and   lam = rho / (2 avdf^2).

Case kinds:
  fixed         the engine fitted at a given rho: compare fitted values,
                standard errors sqrt(var * A_ii) * df_i, the variance estimate
                and the statistics.
  gcv_equal     minimum GCV with equal weights: here scipy's own GCV (lam=None)
                is the same criterion, so its chosen fit is compared with ours.
  gcv_weighted  minimum GCV with unequal weights: scipy's lam=None leaves the
                weights out of the residual sum of its GCV numerator, so it
                minimises a different criterion. The weighted criterion of the
                engine, n * sum w_i r_i^2 / (n - tr A)^2 (w scaled), is
                minimised here instead; scipy's lam=None choice must not score
                better on it than ours.
  mse_known     known error variance: the engine minimises the estimated true
                mean square error  msr - 2 var (n - tr A)/n + var  (weighted,
                scaled); it is minimised here and compared.

Prints one line per case with the largest differences found; exits with status
1 when any check fails, 2 when scipy cannot be used.
"""

import json
import math
import sys

try:
    import numpy as np
    from scipy.interpolate import make_smoothing_spline
    from scipy import sparse
    from scipy.linalg import solve_banded
    from scipy.optimize import brentq, minimize_scalar
except Exception as exc:  # pragma: no cover - reported to the test
    print(f"FAIL scipy/numpy not available: {exc}")
    sys.exit(2)


def scipy_fit(x, y, w, lam):
    return make_smoothing_spline(x, y, w=w, lam=lam)(x)


def reinsch(x, y, w, lam):
    """Textbook (Reinsch) form of the same smoothing spline, as a second
    reference that also gives the diagonal of the hat matrix A(lam):
        M = R + lam Q' W^-1 Q,   M gamma = Q' y,   g = y - lam W^-1 Q gamma,
        A = I - lam W^-1 Q M^-1 Q',
    with Q the (n, n-2) second divided-difference matrix and R the (n-2, n-2)
    tridiagonal matrix of the spacings. M^-1 is formed in full with a general
    banded solver. Returns (fitted values, diagonal of A)."""
    n = len(x)
    h = np.diff(x)
    j = np.arange(n - 2)
    Q = sparse.csr_matrix(
        (np.concatenate([1.0 / h[:-1], -1.0 / h[:-1] - 1.0 / h[1:], 1.0 / h[1:]]),
         (np.concatenate([j, j + 1, j + 2]), np.concatenate([j, j, j]))), shape=(n, n - 2))
    R = sparse.diags([h[1:-1] / 6.0, (h[:-1] + h[1:]) / 3.0, h[1:-1] / 6.0], [-1, 0, 1])
    M = (R + lam * (Q.T @ sparse.diags(1.0 / w) @ Q)).todia()
    if n - 2 < 3:  # too small for the banded solver's layout
        Minv = np.linalg.inv(M.toarray())
    else:
        bands = np.zeros((5, n - 2))
        for off, data in zip(M.offsets, M.data):
            bands[2 - off] = data
        Minv = solve_banded((2, 2), bands, np.eye(n - 2))
    g = y - lam * (Q @ (Minv @ (Q.T @ y))) / w
    QMinv = np.asarray(Q @ Minv)                      # (n, n-2), dense
    diag = 1.0 - lam * np.asarray((Q.multiply(QMinv)).sum(axis=1)).ravel() / w
    return g, diag


def weighted_gcv(x, y, w, lam):
    """GCV of the engines: n * sum w_s r^2 / (n - tr A)^2, w_s = w * mean(1/w)."""
    g, diag = reinsch(x, y, w, lam)
    r = y - g
    n = len(x)
    w_scaled = w * np.mean(1.0 / w)
    return n * np.sum(w_scaled * r * r) / (n - np.sum(diag)) ** 2


def weighted_risk(x, y, w, lam, var_scaled):
    """Estimated true mean square error: msr - 2 var (n - tr A)/n + var, with
    msr and var in the scaled-weight units of the engines."""
    g, diag = reinsch(x, y, w, lam)
    r = y - g
    n = len(x)
    w_scaled = w * np.mean(1.0 / w)
    msr = np.sum(w_scaled * r * r) / n
    return max(msr - 2.0 * var_scaled * (n - np.sum(diag)) / n + var_scaled, 0.0)


def minimise_log_lambda(fun, lam_start):
    """The local minimum of fun(lam) reached by walking downhill from
    lam_start (the engines start their search at rho = 1) in steps of a
    quarter octave, refined by a bounded Brent search between the neighbours
    of the lowest step. The criteria can have more than one local minimum
    (a cloud with replicate weights often has two); the engines' bracketing
    search finds this one. Returns (lam, global grid minimum for reference)."""
    step = math.log(2.0) / 4.0
    t = math.log(lam_start)
    here = fun(math.exp(t))
    direction = -step if fun(math.exp(t - step)) < here else step
    while True:
        nxt = fun(math.exp(t + direction))
        if not nxt < here:
            break
        t, here = t + direction, nxt
    lo, hi = t - step, t + step
    res = minimize_scalar(lambda s: fun(math.exp(s)), bounds=(lo, hi), method="bounded",
                          options={"xatol": 1e-9})
    grid = np.log(lam_start) + np.linspace(-40 * math.log(2), 40 * math.log(2), 161)
    best = grid[int(np.argmin([fun(math.exp(g)) for g in grid]))]
    return math.exp(res.x), math.exp(best)


def scipy_gcv_choice(x, y, w):
    """scipy's own minimum-GCV fit (lam=None). scipy searches lam in (0, n)
    with an absolute tolerance of 1e-5, so x is rescaled until the optimum
    lies near n/2, where that tolerance is small relative to lam; the fit is
    invariant to the scale of x (lam scales with its cube). scipy does not
    return lam, so it is recovered from the fit's residual sum of squares,
    which grows monotonically with lam. The weights w enter the fit (and so the
    units of lam) but not the residuals of scipy's GCV numerator. Returns the fit and lam in x's units."""
    n = len(x)
    s = 1.0
    for _ in range(40):
        xs = x * s
        fitted = make_smoothing_spline(xs, y, w=w)(xs)
        lam_s = _chosen_lambda(xs, y, w, fitted, n)
        if lam_s > 0.9 * n:          # at the upper bound: the optimum lies beyond
            s *= 0.2
        elif lam_s < 1e-3 * n:       # too close to 0 for the absolute tolerance
            s *= 5.0
        elif abs(math.log(lam_s / (0.5 * n))) > 0.5:
            s *= ((0.5 * n) / lam_s) ** (1.0 / 3.0)
        else:
            return fitted, lam_s / s ** 3
    raise RuntimeError("scipy's GCV choice could not be placed inside its search interval")


def _chosen_lambda(x, y, w, fitted, n):
    target = float(np.sum(w * (y - fitted) ** 2))

    def excess(t):
        f = scipy_fit(x, y, w, math.exp(t))
        return float(np.sum(w * (y - f) ** 2)) - target

    lo, hi = math.log(1e-12 * n), math.log(n)
    if excess(hi) <= 0.0:
        return n
    if excess(lo) >= 0.0:
        return 1e-12 * n
    return math.exp(brentq(excess, lo, hi, xtol=1e-13, rtol=1e-15))


class Report:
    def __init__(self):
        self.failed = False

    def check(self, name, what, value, limit):
        ok = bool(value <= limit) and not math.isnan(value)
        if not ok:
            self.failed = True
        print(f"{'ok  ' if ok else 'FAIL'} {name:28s} {what:34s} {value:10.3e} (limit {limit:.0e})")


def rel(a, b):
    return float(np.max(np.abs(np.asarray(a) - np.asarray(b)))) / max(float(np.max(np.abs(b))), 1e-300)


def relscalar(a, b):
    return abs(a - b) / max(abs(b), 1e-300)


def check_fixed(case, rep):
    name = case["name"]
    x = np.array(case["x"], dtype=float)
    f = np.array(case["f"], dtype=float)
    df = np.array(case["df"], dtype=float)
    n = len(x)
    msw = float(np.mean(df * df))
    w = 1.0 / (df * df)
    lam = case["rho"] / (2.0 * msw)
    tol = case["tol"]

    y_ref, diag = reinsch(x, f, w, lam)
    if n >= 5:
        y_sp = scipy_fit(x, f, w, lam)
        rep.check(name, "Reinsch reference vs scipy", rel(y_ref, y_sp), 1e-6)
        rep.check(name, "fitted values vs scipy", rel(case["y"], y_sp), tol)
    else:
        # scipy needs at least 5 points; the Reinsch reference stands alone.
        y_sp = y_ref
        rep.check(name, "fitted values vs Reinsch (n < 5)", rel(case["y"], y_sp), tol)

    r = f - y_sp
    trA = float(np.sum(diag))
    wrss = float(np.sum(w * r * r))            # weights not scaled
    var = wrss / (n - trA)                     # what the engines return in var
    rep.check(name, "error variance", relscalar(case["var"], var), tol)
    se = np.sqrt(np.maximum(var * diag, 0.0)) * df
    rep.check(name, "standard errors", rel(case["se"], se), tol)
    if "stats" in case:
        st = case["stats"]  # df, gcv, msr, mse, variance (divided by msw), msw
        expect = [n - trA, n * wrss / (n - trA) ** 2, wrss / n, var - wrss / n, var, msw]
        worst = max(relscalar(a, b) for a, b in zip(st, expect))
        rep.check(name, "statistics df..msw", worst, tol)


def check_gcv_equal(case, rep):
    name = case["name"]
    x = np.array(case["x"], dtype=float)
    f = np.array(case["f"], dtype=float)
    df = np.array(case["df"], dtype=float)
    msw = float(np.mean(df * df))
    lam_ours = case["rho"] / (2.0 * msw)
    w = 1.0 / (df * df)
    y_sp, lam_sp = scipy_gcv_choice(x, f, w)
    rep.check(name, "chosen lambda vs scipy lam=None", relscalar(lam_ours, lam_sp), case["lam_tol"])
    rep.check(name, "chosen fit vs scipy lam=None", rel(case["y"], y_sp), case["tol"])
    g_ours = weighted_gcv(x, f, w, lam_ours)
    g_sp = weighted_gcv(x, f, w, lam_sp)
    rep.check(name, "GCV(ours) - GCV(scipy), relative", (g_ours - g_sp) / g_sp, 1e-9)


def check_gcv_weighted(case, rep):
    name = case["name"]
    x = np.array(case["x"], dtype=float)
    f = np.array(case["f"], dtype=float)
    df = np.array(case["df"], dtype=float)
    msw = float(np.mean(df * df))
    w = 1.0 / (df * df)
    lam_ours = case["rho"] / (2.0 * msw)
    lam_min, lam_global = minimise_log_lambda(lambda lam: weighted_gcv(x, f, w, lam), 1.0 / (2.0 * msw))
    rep.check(name, "chosen lambda vs weighted-GCV min", relscalar(lam_ours, lam_min), case["lam_tol"])
    y_min = scipy_fit(x, f, w, lam_min)
    rep.check(name, "chosen fit vs scipy at that min", rel(case["y"], y_min), case["tol"])
    # scipy's own choice minimises an unweighted-residual GCV, a different
    # criterion: it is shown for comparison only.
    y_sp, lam_sp = scipy_gcv_choice(x, f, w)
    print(f"     {name:28s} lambda: ours {lam_ours:.6g}, local weighted minimum {lam_min:.6g}, "
          f"lowest on the grid {lam_global:.4g}, scipy lam=None {lam_sp:.6g}")


def check_mse_known(case, rep):
    name = case["name"]
    x = np.array(case["x"], dtype=float)
    f = np.array(case["f"], dtype=float)
    df = np.array(case["df"], dtype=float)
    msw = float(np.mean(df * df))
    w = 1.0 / (df * df)
    var_scaled = case["known_var"] * msw
    lam_ours = case["rho"] / (2.0 * msw)
    lam_min, _ = minimise_log_lambda(lambda lam: weighted_risk(x, f, w, lam, var_scaled), 1.0 / (2.0 * msw))
    rep.check(name, "chosen lambda vs risk minimum", relscalar(lam_ours, lam_min), case["lam_tol"])
    y_min = scipy_fit(x, f, w, lam_min)
    rep.check(name, "chosen fit vs scipy at that min", rel(case["y"], y_min), case["tol"])


def main():
    with open(sys.argv[1]) as fh:
        cases = json.load(fh)["cases"]
    rep = Report()
    kinds = {"fixed": check_fixed, "gcv_equal": check_gcv_equal,
             "gcv_weighted": check_gcv_weighted, "mse_known": check_mse_known}
    for case in cases:
        kinds[case["kind"]](case, rep)
    sys.exit(1 if rep.failed else 0)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Independent check of the smoothing spline engines (run by test_spline).

Reads a JSON file of cases (data and what our engines returned) and recomputes
them with scipy.interpolate.make_smoothing_spline, which minimises
    sum w_i (y_i - g(x_i))^2 + lam * integral g''^2,
and with the textbook (Reinsch) form, which also gives the diagonal of the hat
matrix A. The engines scale the relative standard deviations df to a mean
square of 1 and minimise sum (avdf/df_i)^2 (y_i - g_i)^2 + (rho/2) integral g''^2,
so w_i = 1/df_i^2 and lam = rho / (2 mean(df^2)).

Kinds: "fixed" (fit at a given rho: values, standard errors sqrt(var A_ii) df_i,
variance, statistics); "gcv_equal" (equal weights: scipy's lam=None minimises
the same GCV, n*RSS/(n - tr A)^2, so its choice is compared); "gcv_weighted"
(scipy's GCV leaves the weights out of the residual sum, a different criterion,
so the engines' weighted GCV is minimised here instead); "mse_known" (known
variance: estimated true error msr - 2 var (n - tr A)/n + var, minimised here).
Exit status 1 when a check fails, 2 when scipy cannot be imported.
"""
import json
import math
import sys

try:
    import numpy as np
    from scipy import sparse
    from scipy.interpolate import make_smoothing_spline
    from scipy.linalg import solve_banded
    from scipy.optimize import brentq, minimize_scalar
except Exception as exc:
    print(f"FAIL scipy/numpy not available: {exc}")
    sys.exit(2)

failed = False


def check(name, what, value, limit):
    global failed
    ok = bool(value <= limit)
    failed |= not ok
    print(f"{'ok  ' if ok else 'FAIL'} {name:30s} {what:32s} {value:10.3e} (limit {limit:.0e})")


def rel(a, b):
    return float(np.max(np.abs(np.asarray(a) - b))) / max(float(np.max(np.abs(b))), 1e-300)


def reinsch(x, y, w, lam):
    """M = R + lam Q'W^-1 Q, g = y - lam W^-1 Q M^-1 Q'y, A = I - lam W^-1 Q M^-1 Q'.
    Returns g and the diagonal of A (M^-1 formed with a general banded solver)."""
    n, h, j = len(x), np.diff(x), np.arange(len(x) - 2)
    Q = sparse.csr_matrix((np.concatenate([1 / h[:-1], -1 / h[:-1] - 1 / h[1:], 1 / h[1:]]),
                           (np.concatenate([j, j + 1, j + 2]), np.tile(j, 3))), shape=(n, n - 2))
    R = sparse.diags([h[1:-1] / 6, (h[:-1] + h[1:]) / 3, h[1:-1] / 6], [-1, 0, 1])
    M = (R + lam * (Q.T @ sparse.diags(1 / w) @ Q)).todia()
    if n < 5:  # too small for the banded layout
        Minv = np.linalg.inv(M.toarray())
    else:
        bands = np.zeros((5, n - 2))
        for off, data in zip(M.offsets, M.data):
            bands[2 - off] = data
        Minv = solve_banded((2, 2), bands, np.eye(n - 2))
    QM = np.asarray(Q @ Minv)
    return y - lam * (QM @ (Q.T @ y)) / w, 1 - lam * np.asarray(Q.multiply(QM).sum(axis=1)).ravel() / w


def criterion(x, y, w, lam, var=None):
    """The engines' weighted GCV (var None) or estimated true error, weights scaled."""
    g, d = reinsch(x, y, w, lam)
    n, ws = len(x), w * np.mean(1 / w)
    rss = float(np.sum(ws * (y - g) ** 2))
    if var is None:
        return n * rss / (n - d.sum()) ** 2
    return max(rss / n - 2 * var * (n - d.sum()) / n + var, 0.0)


def local_minimum(fun, lam0):
    """Walk downhill from lam0 (the engines start at rho = 1) in quarter-octave
    steps, then Brent between the neighbours. Criteria can have two minima (a
    cloud with replicate weights often has); the engines' search finds this one."""
    step, t = math.log(2) / 4, math.log(lam0)
    here = fun(lam0)
    d = -step if fun(math.exp(t - step)) < here else step
    while (nxt := fun(math.exp(t + d))) < here:
        t, here = t + d, nxt
    res = minimize_scalar(lambda s: fun(math.exp(s)), bounds=(t - step, t + step), method="bounded",
                          options={"xatol": 1e-9})
    return math.exp(res.x)


def scipy_gcv_choice(x, y, w):
    """scipy's lam=None fit. It searches lam in (0, n) to an absolute 1e-5, so x
    is rescaled (lam scales with its cube) until the choice lies near n/2; lam
    itself is recovered from the weighted residual sum, monotone in lam."""
    n, s = len(x), 1.0
    for _ in range(40):
        xs = x * s
        fit = make_smoothing_spline(xs, y, w=w)(xs)
        target = float(np.sum(w * (y - fit) ** 2))
        excess = lambda t: float(np.sum(w * (y - make_smoothing_spline(xs, y, w=w, lam=math.exp(t))(xs)) ** 2)) - target
        lam = n if excess(math.log(n)) <= 0 else math.exp(brentq(excess, math.log(1e-12 * n), math.log(n),
                                                                  xtol=1e-13, rtol=1e-15))
        if lam > 0.9 * n:
            s *= 0.2
        elif abs(math.log(lam / (0.5 * n))) > 0.5:
            s *= (0.5 * n / lam) ** (1 / 3)
        else:
            return fit, lam / s ** 3
    raise RuntimeError("scipy's choice could not be placed inside its search interval")


def run(c):
    name, x, f, df, tol = c["name"], np.array(c["x"]), np.array(c["f"]), np.array(c["df"]), c["tol"]
    n, msw, w = len(x), float(np.mean(df * df)), 1 / (df * df)
    lam = c["rho"] / (2 * msw)
    if c["kind"] == "fixed":
        g, d = reinsch(x, f, w, lam)
        if n >= 5:  # scipy needs 5 points; below that the Reinsch form stands alone
            g_sp = make_smoothing_spline(x, f, w=w, lam=lam)(x)
            check(name, "Reinsch form vs scipy", rel(g, g_sp), 1e-6)
            g = g_sp
        check(name, "fitted values", rel(c["y"], g), tol)
        wrss, tr = float(np.sum(w * (f - g) ** 2)), float(d.sum())
        var = wrss / (n - tr)
        check(name, "error variance", abs(c["var"] - var) / var, tol)
        check(name, "standard errors", rel(c["se"], np.sqrt(np.maximum(var * d, 0)) * df), tol)
        expect = [n - tr, n * wrss / (n - tr) ** 2, wrss / n, var - wrss / n, var, msw]
        check(name, "statistics df..msw", max(abs(a - b) / abs(b) for a, b in zip(c["stats"], expect)), tol)
        return
    if c["kind"] == "gcv_equal":
        g, lam_ref = scipy_gcv_choice(x, f, w)
        check(name, "GCV(ours) - GCV(scipy), relative",
              criterion(x, f, w, lam) / criterion(x, f, w, lam_ref) - 1, 1e-9)
    else:
        var = c["known_var"] * msw if c["kind"] == "mse_known" else None
        lam_ref = local_minimum(lambda l: criterion(x, f, w, l, var), 1 / (2 * msw))
        g = make_smoothing_spline(x, f, w=w, lam=lam_ref)(x)
        if c["kind"] == "gcv_weighted":
            print(f"     {name:30s} scipy lam=None, another criterion, chose lam {scipy_gcv_choice(x, f, w)[1]:.6g}")
    print(f"     {name:30s} {c['kind']}: our lam {lam:.9g}, reference {lam_ref:.9g}")
    check(name, "chosen lambda", abs(lam - lam_ref) / lam_ref, c["lam_tol"])
    check(name, "chosen fit", rel(c["y"], g), tol)


if __name__ == "__main__":
    for case in json.load(open(sys.argv[1]))["cases"]:
        run(case)
    sys.exit(1 if failed else 0)

#pragma once
// General cubic smoothing spline with error estimates (Hutchinson and de Hoog's
// algorithm for strictly increasing abscissae and relative error weights), with
// a minimum-GCV / minimum-MSE search (cubgcv) and a fit at a given smoothing
// parameter (cugcv). The abscissae are used in their own units (years).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnik::spline {

// Coefficients and work storage of the general engine. They grow on demand to
// the largest n seen and are then reused, so a fit allocates nothing once the
// storage has reached its size. One instance serves any number of fits.
struct GeneralSplineWork {
    // Coefficients of the last fit, indexed from 0 like x and y: for k = 0..n-2
    // the spline on [x[k], x[k+1]) is y[k] + d*(c1[k] + d*(c2[k] + d*c3[k]))
    // with d = t - x[k]. (The vectors may be longer than n-1.)
    std::vector<double> c1, c2, c3;
    // Statistics of the last fit (the work array's first column rows 0..6):
    // [0] P = rho/(1+rho), [1] df, [2] gcv, [3] msr, [4] mse, [5] error variance
    // (rows 2..5 divided by the mean square weight), [6] msw.
    std::array<double, 7> stats{};
    // Internal work bands (R, T, u, v); sized by the engine.
    std::vector<double> wk;
};

// cubgcv: smooths weighted points at any abscissae with the cubic spline of
// minimum GCV (or of minimum estimated true MSE), with standard errors.
// x, f, df: n points (x strictly increasing; df are relative standard deviations
// > 0, which the engine uses scaled to a mean square of 1 and returns exactly as
// given). y: fitted values (n). se: standard errors (n), filled when job == 1. var < 0: estimate variance, choose by minimum GCV; var == 0:
// interpolate; var > 0: known variance, choose by minimum estimated true MSE.
// On return, if var was negative, var is the estimated error variance / msw.
// Failures (job not 0 or 1, n < 3, abscissae not increasing, weight <= 0) throw
// InternalError with the routine's message.
void cubgcv(std::span<const double> x, std::span<const double> f, std::span<const double> df, std::int32_t n,
            std::span<double> y, double& var, std::int32_t job, std::span<double> se,
            GeneralSplineWork& work);

// cugcv: the general spline at a given smoothing parameter (a fixed bandwidth).
// Fit at the smoothing parameter p of sb1bw2p (rho = 1/p), GCV-mode statistics,
// standard errors always computed; var returns the estimated variance / msw.
void cugcv(double p, std::span<const double> x, std::span<const double> f, std::span<const double> df,
           std::int32_t n, std::span<double> y, double& var, std::span<double> se, GeneralSplineWork& work);

}  // namespace tarnik::spline

#pragma once
// Equally spaced cubic smoothing spline with generalised cross-validation
// (Hutchinson and de Hoog's O(n) method specialised to unit spacing and unit
// weights). Used to detrend series and to smooth the regional growth curve.

#include <cstdint>
#include <span>

namespace tarnik::spline {

// cgcv1: smooths equally spaced values with a cubic spline of fixed bandwidth
// or of minimum GCV, with standard errors.
// nmax: declared capacity, must be 2100 and >= n.  n >= 3 values in vals.
// jdt >= 1: fixed bandwidth of jdt years; jdt == 0: minimum-GCV search;
// jdt < 0: minimum-GCV search and jdt returns the chosen bandwidth in whole years
// (2 for an interpolating fit, INT32_MIN for a straight line).
// var < 0 on entry: the error variance is unknown (GCV); var >= 0: that variance
// is known (the estimated true mean square error is minimised instead). On
// return var always holds the estimated variance, the one the standard errors use.
// fit and se receive n values. Failures throw InternalError.
void cgcv1(std::int32_t nmax, std::int32_t n, std::span<const float> vals, std::span<float> fit,
           std::int32_t& jdt, float& var, std::span<float> se);

// Statistics of the final fit of a cgcv1 call.
struct Cgcv1Stats {
    double p = 0.0;         // P = rho/(1+rho): 0 interpolates, 1 is the least-squares line
    double df = 0.0;        // estimated residual degrees of freedom
    double gcv = 0.0;       // generalised cross-validation score
    double msr = 0.0;       // mean square residual
    double mse = 0.0;       // estimated true mean square error at the data points
    double variance = 0.0;  // estimated error variance (also returned in var)
};

// The same, also returning the statistics of the final fit.
void cgcv1(std::int32_t nmax, std::int32_t n, std::span<const float> vals, std::span<float> fit,
           std::int32_t& jdt, float& var, std::span<float> se, Cgcv1Stats& stats);

}  // namespace tarnik::spline

#pragma once
// Conversion between a spline bandwidth in years (the period at which the fitted
// spline passes half the amplitude of a sinusoid) and the dimensionless smoothing
// parameter p of the spline engines (their smoothing weight rho is 1/p).
// Both use 2*pi at single precision. A bad argument is an internal error of the
// caller: it throws InternalError (the run then pauses and ends).

namespace tarnik::spline {

// sb1bw2p: bandwidth in years to smoothing parameter.
// bw >= 2 required; p = 6 u^2 / (3 + u) with u = cos(2pi/bw) - 1.
void sb1bw2p(float bw, double& p);
// sb1p2bw: smoothing parameter to bandwidth in years.
// 0 < p <= 24 required; the inverse of sb1bw2p, result at single precision.
void sb1p2bw(double p, float& bw);

}  // namespace tarnik::spline

#pragma once
// The fit of one age-class cloud: sort the points by year (sort_by_year), average the
// points that share a year (average_repeated_years), fit a cubic smoothing spline with replicate
// weights through the averaged points (fixed bandwidth or minimum GCV) and lay the
// spline out on a grid of whole years (fit_cloud).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "data/cloud_store.h"
#include "spline/cubgcv.h"

namespace tarnik::clouds {

// Double-precision work arrays of the fit; they grow to the largest cloud seen.
struct CloudFitWork {
    std::vector<double> x, f, df, y, se;
    spline::GeneralSplineWork spline;
};

// Sorts year[0..m-1] ascending and moves value along. Points of equal year keep
// their order (stable), so the sums of a year group accumulate in cloud order.
void sort_by_year(std::int32_t m, std::span<float> year, std::span<float> value);

// Compresses m sorted points into groups of neighbours closer than tol: the mean
// year and mean value of each group go into comp_year and comp_value, the group
// size into nrep; returns the number of groups. year must hold m + 1 entries
// (entry m is overwritten as the sentinel that closes the last group).
std::int32_t average_repeated_years(std::int32_t m, float tol, std::span<float> year, std::span<const float> value,
                   std::vector<float>& comp_year, std::vector<float>& comp_value, std::vector<std::int32_t>& nrep);

// Fits the m points of cs.point_year / cs.point_value (both reordered by year).
// bw below 2 asks for the minimum-GCV bandwidth (bw then returns the bandwidth
// chosen), 2 or more for that fixed bandwidth. Fills cs.comp_year, comp_value,
// nrep (ni entries) and grid_year with fixed_spline / fixed_se (fixed) or
// gcv_spline / gcv_se (minimum GCV), ns entries; the other pair keeps its values.
// stats: bw, df, gcv, msr, mse, EV, msw, nps.
void fit_cloud(CloudStore& cs, CloudFitWork& work, std::int32_t m, float tol, std::int32_t& ni, float& bw,
            std::int32_t& ns, std::array<float, 8>& stats);

}  // namespace tarnik::clouds

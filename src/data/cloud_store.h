#pragma once
// The age-class cloud store: the age class table, each class's cloud and spline,
// the fit results and the work lists of one cloud fit. It belongs to the
// dot-cloud display for the whole run and is read by the normalisation, the
// single age-class view and the cloud export. Every per-point vector grows on
// demand up to CloudMax; class k (1..mxnc) is element k - 1 of each array.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/limits.h"

namespace tarnik {

// One class's cloud (points in series order, each series in ascending age) and
// its spline on the yearly grid.
struct CloudClass {
    std::vector<float> cloud_year, cloud_value;                 // num points
    std::vector<float> spline_year, spline_value, spline_se;    // nps points
};

struct CloudStore {
    // Age class table.
    std::int32_t classnum = 0;
    std::array<std::int32_t, mxnc> start_age{}, stop_age{}, inc_length{}, jdt{};

    // Clouds, splines and their sizes.
    std::array<CloudClass, mxnc> cls;
    std::array<std::int32_t, mxnc> num{}, nps{};
    std::int32_t max_num = 0, max_nps = 0;

    // Bandwidth of each class in years (0: minimum GCV) and its legend text.
    std::array<float, mxnc> bw{};
    std::array<std::string, mxnc> bw_label{};
    // Fit statistics of each class: bw, df, gcv, msr, mse, EV, msw, nps.
    std::array<std::array<float, 8>, mxnc> fit_stats{};

    // Per-class results of the last normalisation: true when the class's spline
    // (or only its cloud) was left out.
    std::array<bool, mxnc> spline_skipped{}, cloud_skipped{};

    // Work lists of one cloud fit: the point lists (m + 1 entries, sorted in
    // place) and the result table of the fit.
    std::vector<float> point_year, point_value;
    std::vector<float> comp_year, comp_value, grid_year, fixed_spline, fixed_se, gcv_spline, gcv_se;
    std::vector<std::int32_t> nrep;
};

}  // namespace tarnik

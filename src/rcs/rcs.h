#pragma once
// Regional curve standardisation: the mean ring width by cambial age of all
// series, its smoothing spline at a bandwidth the user chooses (refitted as often
// as wanted, shown over the series), an optional save to "TarnikRCS_out", and
// finally every stored ring width replaced by its RCS index (width divided by the
// fitted curve at the ring's cambial age).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "console/console.h"
#include "data/analysis_variable.h"
#include "data/series_alignment.h"
#include "data/stores.h"
#include "plot/series_display.h"

namespace tarnik::rcs {

inline constexpr const char* kRcsFile = "TarnikRCS_out";

// Mean ring width by cambial age over all series of the value store, indexed by
// age (0..MaxYears; ages nobody reaches hold 0), accumulated in single precision
// in directory order.
std::vector<float> mean_by_age(const Stores& st);

// Replaces every stored value by scale * (width / curve at its age), truncated.
// curve_by_age is indexed by age. Rings whose curve value is 0 or not finite, or
// whose scaled index does not fit in 32 bits, are stored as 0 and counted.
// y_min/y_max receive the smallest and largest index of the other rings.
struct IndexingResult {
    float y_min = 1000.0f;
    float y_max = -9999.0f;
    std::int64_t undefined = 0;
};
IndexingResult index_series(Stores& st, std::span<const float> curve_by_age);

struct RcsState {
    // What the value store holds when the dialog returns.
    AnalysisVariable variable = AnalysisVariable::rcs_indices;
    std::int32_t jdt = 0;        // the spline parameter entered
    std::int32_t bandwidth = 0;  // the bandwidth in years it gives
    SeriesAlignment alignment = SeriesAlignment::cambial_age;
    std::vector<float> regional_curve;  // fitted curve by position, element 0 = min_first_age
};

// run_regional_curve: the whole dialog; the stores must hold raw ring widths. Series
// whose rings span fewer than 3 cambial ages have no curve: a notice says so
// and the state returns with the raw ring widths as its variable. `display`
// is the series display's state, shared with the main menu.
void run_regional_curve(Console& con, Stores& st, RcsState& state, const std::string& title,
               plot::SeriesDisplayState& display);

}  // namespace tarnik::rcs

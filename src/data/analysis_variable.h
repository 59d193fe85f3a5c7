#pragma once
// What the value store holds: the analysis variable the user chose in the Data
// Transformation Menu. The numbers are those of the menu's choices; the fourth
// is the state of the regional curve dialog, which draws the raw widths with
// the fitted regional curve before the widths become indices.

#include <cstdint>

namespace tarnik {

enum class AnalysisVariable : std::int32_t {
    ring_widths = 1,                 // raw ring widths
    spline_trends = 2,               // each series replaced by its spline curve
    rcs_indices = 3,                 // ring widths as indices of the regional curve
    widths_with_regional_curve = 4,  // raw widths drawn with the regional curve being fitted
};

}  // namespace tarnik

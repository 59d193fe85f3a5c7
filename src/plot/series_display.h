#pragma once
// The series display: all series of the current variable against cambial age or
// calendar year, with their sample depth below, and its PLOT Options Menu.

#include <cstdint>
#include <span>
#include <string>

#include "console/console.h"
#include "data/stores.h"

namespace tarnik::plot {

struct SeriesDisplayInput {
    // Variable code: 1 ring widths, 2 spline values, 3 RCS indices, 4 ring widths
    // with the regional curve drawn over them.
    std::int32_t code = 1;
    // 1: by cambial age, 2: by calendar year.
    std::int32_t alignment = 1;
    // Smallest and largest value of the variable plotted.
    float y_min = 0.0f, y_max = 0.0f;
    // Code 4: the regional curve, element 0 belonging to the summary's min_first_age.
    std::span<const float> regional_curve;
    // The input file name, the plot title (a 40-character field).
    std::string title;
};

// tarnikplt1: draws, then runs the option menu until a negative answer. The
// extents of the data (years, ages, depths) come from the stores' summary.
void tarnikplt1(Console& con, const Stores& st, const SeriesDisplayInput& in);

}  // namespace tarnik::plot

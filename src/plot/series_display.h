#pragma once
// The series display: all series of the current variable against cambial age or
// calendar year, with their sample depth below, and its PLOT Options Menu.

#include <cstdint>
#include <span>
#include <string>

#include "console/console.h"
#include "data/analysis_variable.h"
#include "data/series_alignment.h"
#include "data/stores.h"
#include "plot/appearance.h"

namespace tarnik::plot {

struct SeriesDisplayInput {
    // The variable drawn; widths_with_regional_curve draws the ring widths with
    // the regional curve over them.
    AnalysisVariable variable = AnalysisVariable::ring_widths;
    SeriesAlignment alignment = SeriesAlignment::cambial_age;
    // Smallest and largest value of the variable plotted.
    float y_min = 0.0f, y_max = 0.0f;
    // widths_with_regional_curve: the regional curve, element 0 belonging to the summary's min_first_age.
    std::span<const float> regional_curve;
    // The input file name, the plot title (a 40-character field).
    std::string title;
};

// What the display keeps from one visit to the next. Every visit restores the
// default colours and recomputes the ranges, so in practice only the Z settings
// (shown by options 12, 13, 18 and 19) carry over.
struct SeriesDisplayState {
    PlotAppearance ap;
    bool dark = false;
};

// run_series_display: draws, then runs the option menu until a negative answer. The
// extents of the data (years, ages, depths) come from the stores' summary; the
// display's settings stay in `state` between visits.
void run_series_display(Console& con, const Stores& st, const SeriesDisplayInput& in, SeriesDisplayState& state);

// The automatic axis settings of the display.
AxisTicks series_x_ticks(std::int32_t axis_width);
AxisTicks series_y_ticks(float y_top);
AxisTicks depth_ticks(std::int32_t depth_top);
// The top of the Y axis: the largest value plus 0.5, rounded to an integer.
float series_y_top(float y_max);
// Range set-up: X and Y ranges and ticks from the data's extent.
void series_ranges(const Stores& st, const SeriesDisplayInput& in, float y_top, PlotAppearance& ap);

// One drawing of both panels on `device`: "Mac1" the screen, "ps" and "psc" a
// saved file in black and white or colour (its type by the name asked).
void draw_series(Console& con, std::string_view device, const Stores& st, const SeriesDisplayInput& in,
                 const PlotAppearance& ap, bool dark);

}  // namespace tarnik::plot

#pragma once
// Appearance settings of one display and the dialog that changes them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "console/console.h"
#include "data/limits.h"

namespace tarnik::plot {

// Plot kinds: what the per-class arrays of PlotAppearance mean.
enum PlotKind : std::int32_t {
    kSeriesByAge = 1,    // element 1: series and depth lines; element 3: line colour of the regional curve
    kSeriesByYear = 2,   // as kind 1
    kDotClouds = 3,      // element k: age class k
    kSingleClass = 4,    // element 1: spline fit and cloud; element 2: error bounds
};

// The appearance settings a display owns for the whole run. The dark background
// flag is kept by the display beside it (the single age-class view has its own).
struct PlotAppearance {
    std::int32_t bg_red = 255, bg_green = 255, bg_blue = 255;
    std::array<std::int32_t, mxnc> line_style{};
    std::array<std::int32_t, mxnc> line_colour{};
    std::array<std::int32_t, mxnc> symbol_type{};
    std::array<std::int32_t, mxnc> symbol_colour{};
    std::int32_t text_colour = 15;
    std::int32_t frame_colour = 15;
    float x_major = 0.0f;
    std::int32_t x_minor = 0;
    float y_major = 0.0f;
    std::int32_t y_minor = 0;
    float z_major = 0.0f;
    std::int32_t z_minor = 0;
    float x_min = 0.0f, x_max = 0.0f;
    float y_min = 0.0f, y_max = 0.0f;
    float z_min = 0.0f, z_max = 0.0f;
};

// Major tick spacing and minor ticks of one axis as a display sets them.
struct AxisTicks {
    float major = 0.0f;
    std::int32_t minor = 0;
};

// Ticks of a calendar-year axis wider than 2500 years (only years before 1 or
// after 2100 make one): a labelled tick every 500, 1000 or 2000 years, so that
// the labels of even 20,000 years stay apart. No value for narrower axes, which
// keep the tick tables of their displays.
std::optional<AxisTicks> long_span_ticks(double width);

// Runs the dialog of one appearance option (1-19) or restores the defaults (99)
// for a plot of the given kind; any other option changes nothing. nc, start_age
// and stop_age list the age classes for the class loops of plot kind 3.
void plot_style_dialog(Console& con, std::int32_t option, PlotAppearance& ap, PlotKind kind, std::int32_t nc,
               std::span<const std::int32_t> start_age, std::span<const std::int32_t> stop_age,
               std::int32_t& dark);

}  // namespace tarnik::plot

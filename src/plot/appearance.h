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
enum class PlotKind {
    series_by_age,   // element 1: series and depth lines; element 3: line colour of the regional curve
    series_by_year,  // as series_by_age
    dot_clouds,      // element k: age class k
    single_class,    // element 1: spline fit and cloud; element 2: error bounds
};

// The appearance options, by their numbers in the PLOT Options Menus.
enum class StyleOption : std::int32_t {
    background = 1,
    frame_colour = 2,
    line_colour = 3,
    text_colour = 4,
    symbol_colour = 5,
    line_style = 6,
    symbol_type = 7,
    x_major_ticks = 8,
    x_minor_ticks = 9,
    y_major_ticks = 10,
    y_minor_ticks = 11,
    z_major_ticks = 12,
    z_minor_ticks = 13,
    x_max = 14,
    x_min = 15,
    y_max = 16,
    y_min = 17,
    z_max = 18,
    z_min = 19,
    restore_defaults = 99,
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

// Runs the dialog of one appearance option for a plot of the given kind, or
// restores the defaults. nc, start_age and stop_age list the age classes for
// the class loops of the dot clouds. `dark` is the display's dark background
// flag, which the background option and the defaults set.
void plot_style_dialog(Console& con, StyleOption option, PlotAppearance& ap, PlotKind kind, std::int32_t nc,
                       std::span<const std::int32_t> start_age, std::span<const std::int32_t> stop_age, bool& dark);
// The same for an option number typed at a menu (1-19, or 99 for the
// defaults); any other number changes nothing.
void plot_style_dialog(Console& con, std::int32_t option, PlotAppearance& ap, PlotKind kind, std::int32_t nc,
                       std::span<const std::int32_t> start_age, std::span<const std::int32_t> stop_age, bool& dark);

}  // namespace tarnik::plot

#include "plot/series_display.h"

#include <plplot/plplot.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "console/answers.h"
#include "console/format.h"
#include "data/analysis_variable.h"
#include "export/series_export.h"
#include "plot/cycle.h"
#include "plot/resolution.h"

namespace tarnik::plot {
namespace {

// The numbers of the PLOT Options Menu that the display answers itself; the
// others from 1 to 17 change the appearance (plot_style_dialog).
enum class SeriesOption : std::int32_t {
    replot = 0,
    rcs_fit_colour = 5,  // the symbol colour, which this display has not, where the regional curve is drawn
    symbol_type = 7,     // not available
    save_data = 66,
    save_black_on_white = 77,
    save_colour = 88,
    restore_defaults = 99,
};

constexpr std::int32_t kLastStyleOption = 17;

bool by_age(const SeriesDisplayInput& in) { return in.alignment == SeriesAlignment::cambial_age; }

bool with_regional_curve(const SeriesDisplayInput& in) {
    return in.variable == AnalysisVariable::widths_with_regional_curve;
}

PlotKind kind_of(const SeriesDisplayInput& in) { return by_age(in) ? PlotKind::series_by_age : PlotKind::series_by_year; }

const char* x_label(const SeriesDisplayInput& in) {
    return by_age(in) ? "Cambial Growth Years" : "X-Dated Calendar Years";
}

const char* y_label(const SeriesDisplayInput& in) {
    switch (in.variable) {
    case AnalysisVariable::spline_trends: return "Spline Values(mm.)";
    case AnalysisVariable::rcs_indices: return "RCS Index Values(mm.)";
    default: return "Ring Widths(mm.)";
    }
}

std::string title_of(const SeriesDisplayInput& in) {
    std::string t = in.title.substr(0, std::min<std::size_t>(in.title.size(), 40));
    return std::string(trim_right(t));
}

void print_menu(Console& con, bool rcs) {
    con.blank(2);
    con.line(menu_indent("************ PLOT Options Menu *************"));
    con.line(menu_indent(" REPLOT             [0]   Major Ticks X  [8] "));
    con.line(menu_indent(" Background color   [1]   Minor Ticks X  [9]"));
    con.line(menu_indent(" Frame color        [2]   Major Ticks Y  [10]"));
    con.line(menu_indent(" Line color         [3]   Minor Ticks Y  [11]"));
    con.line(menu_indent(" Text color         [4]   Max. X         [14]"));
    con.line(menu_indent(rcs ? " RCS fit color      [5]   Min. X         [15]"
                       : " Symbol color     [n/a]   Min. X         [15]"));
    con.line(menu_indent(" Line Style         [6]   Max. Y         [16]"));
    con.line(menu_indent(" Symbol type      [n/a]   Min. Y         [17]"));
    con.line(menu_indent(" (rescaling bottom plot Y axis is not allowed) "));
    con.line(menu_indent(" SAVE data         [66]   SAVE plot(b/w) [77]"));
    con.line(menu_indent(" SAVE plot(color)  [88]   RESET options  [99]"));
    con.line(menu_indent(rcs ? "           RETURN to RCS MENU [-1]" : "           RETURN to MAIN MENU [-1]"));
    con.line(menu_indent(std::string(45, '_')));
    con.blank();
}

void pause_two_columns(Console& con) {
    con.blank();
    con.pause_field(menu_indent("Hit RETURN to continue : "), 2);
}

void unknown_option(Console& con) {
    con.blank();
    con.line(menu_indent("Unknown option re-enter a valid number"));
    pause_two_columns(con);
}

void not_available(Console& con, std::int32_t option) {
    con.blank();
    con.line(menu_indent("This Option [" + fmt::I(option, 2) + "] not available for this plot"));
    pause_two_columns(con);
}

// The colour of the regional curve (line colour 3), in 0..15 only.
void rcs_fit_colour(Console& con, PlotAppearance& ap) {
    con.blank();
    con.line(menu_indent("COLOR TABLE ______________________________________________"));
    con.line(menu_indent("Black(0) Red(1)  Yellow(2)  Green(3)  Aquamarine(4) Pink(5) "));
    con.line(menu_indent("Wheat(6)  Grey(7)  Browm(8)  Blue(9)  BlueViolet(10)"));
    con.line(menu_indent("Cyan(11)  Turquoise(12)  Magenta(13)  Salmon(14)  White(15)"));
    con.line(menu_indent(std::string(59, '_')));
    con.blank();
    for (;;) {
        const std::int32_t c = con.ask_int_field(menu_indent("Select new RCS LINE color: [0-15] : "), 4);
        if (c >= 0 && c <= 15) {
            ap.line_colour[2] = c;
            return;
        }
        con.blank();
        con.line(menu_indent("You must enter a value between 0 and 15"));
        con.blank();
    }
}

}  // namespace

AxisTicks series_x_ticks(std::int32_t w) {
    if (auto t = long_span_ticks(w)) return *t;
    if (w <= 200) return {20.0f, 10};
    if (w <= 500) return {50.0f, 5};
    if (w <= 1000) return {100.0f, 10};
    return {250.0f, 5};
}

AxisTicks series_y_ticks(float y) {
    if (y <= 1.0f) return {0.5f, 5};
    if (y <= 5.0f) return {1.0f, 10};
    if (y <= 10.0f) return {1.0f, 5};
    return {4.0f, 4};
}

AxisTicks depth_ticks(std::int32_t d) {
    if (d <= 20) return {2.0f, 2};
    if (d <= 100) return {20.0f, 10};
    if (d <= 500) return {100.0f, 4};
    if (d <= 1000) return {200.0f, 4};
    if (d <= 5000) return {1000.0f, 4};
    if (d <= 10000) return {2000.0f, 2};
    if (d <= 15000) return {5000.0f, 4};
    return {5000.0f, 2};
}

float series_y_top(float y_max) {
    const float v = y_max + 0.5f;
    // Far beyond any ring width the value is used as it is.
    if (!std::isfinite(v) || std::fabs(v) > 2.0e9f) return v;
    return static_cast<float>(std::lroundf(v));
}

void series_ranges(const Stores& st, const SeriesDisplayInput& in, float y_top, PlotAppearance& ap) {
    const DataSummary& m = st.summary;
    std::int32_t width = 0;
    if (by_age(in)) {
        ap.x_min = 0.0f;
        ap.x_max = static_cast<float>(10 * (m.max_last_age / 10) + 10);
        width = static_cast<std::int32_t>(ap.x_max);
    } else {
        const std::int32_t hi = 10 * (m.max_last_year / 10) + 10;
        const std::int32_t lo = 10 * (m.min_first_year / 10) - 10;
        ap.x_max = static_cast<float>(hi);
        ap.x_min = static_cast<float>(lo);
        width = hi - lo + 1;
    }
    ap.y_min = in.variable == AnalysisVariable::rcs_indices ? in.y_min - 0.1f : 0.0f;
    ap.y_max = y_top;
    const AxisTicks xt = series_x_ticks(width);
    ap.x_major = xt.major;
    ap.x_minor = xt.minor;
    const AxisTicks yt = series_y_ticks(y_top);
    ap.y_major = yt.major;
    ap.y_minor = yt.minor;
}

namespace {

// Upper panel: every series, drawn at the resolution of the device.
void draw_series_lines(const DrawingCycle& cycle, const Stores& st, bool aligned_by_age, const PlotAppearance& ap) {
    pllsty(ap.line_style[0]);
    plcol0(ap.line_colour[0]);
    SeriesLines lines(cycle.grid(), ap.line_style[0]);
    for (std::int32_t i = 1; i <= st.nser; ++i) {
        const SeriesRecord& r = st.rec(i);
        const std::int32_t x0 = aligned_by_age ? r.first_age : r.first_year;
        if (r.length > 0) lines.span(x0, static_cast<double>(x0) + (r.length - 1));
    }
    std::vector<PLFLT> x, y;
    x.reserve(MaxYears);
    y.reserve(MaxYears);
    for (std::int32_t i = 1; i <= st.nser; ++i) {
        const SeriesRecord& r = st.rec(i);
        const std::int32_t x0 = aligned_by_age ? r.first_age : r.first_year;
        const float scale = static_cast<float>(r.scale);
        const auto vals = st.values_of(i);
        x.clear();
        y.clear();
        for (std::size_t k = 0; k < vals.size(); ++k) {
            x.push_back(static_cast<PLFLT>(x0 + static_cast<std::int32_t>(k)));
            y.push_back(static_cast<PLFLT>(static_cast<float>(vals[k]) / scale));
        }
        lines.draw(x, y);
    }
    lines.finish();
}

// The regional curve over the widths, one value per age from min_first_age.
void draw_regional_curve(const DataSummary& m, std::span<const float> curve, const PlotAppearance& ap) {
    plcol0(ap.line_colour[2]);
    const std::int64_t ages = std::int64_t{m.max_last_age} - m.min_first_age + 1;
    const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(ages, 0, static_cast<std::int64_t>(curve.size())));
    std::vector<PLFLT> x, y;
    for (std::size_t k = 0; k < n; ++k) {
        x.push_back(static_cast<PLFLT>(m.min_first_age + static_cast<std::int32_t>(k)));
        y.push_back(static_cast<PLFLT>(curve[k]));
    }
    draw_polyline(x, y);
}

// Lower panel: sample depth over the X range of the upper panel.
void draw_depth_panel(const Stores& st, const SeriesDisplayInput& in, const DrawnAxis& xa, const PlotAppearance& ap) {
    const DataSummary& m = st.summary;
    const bool aligned_by_age = by_age(in);
    const std::int32_t d = (aligned_by_age ? m.max_depth_age : m.max_depth_year) + 1;
    const AxisTicks dt = depth_ticks(d);
    const std::int32_t lo = aligned_by_age ? m.min_first_age : m.min_first_year;
    const std::int32_t hi = aligned_by_age ? m.max_last_age : m.max_last_year;
    const auto& depth = aligned_by_age ? st.depth_by_age : st.depth_by_year;
    std::vector<PLFLT> x, y;
    for (std::int32_t a = lo; a <= hi; ++a) {
        x.push_back(static_cast<PLFLT>(a));
        y.push_back(static_cast<PLFLT>(depth[a]));
    }
    pladv(0);
    plvpor(0.1, 0.9, 0.4, 0.9);
    plwind(xa.min, xa.max, 0.0, static_cast<PLFLT>(d));
    pllsty(ap.line_style[0]);
    plcol0(ap.frame_colour);
    plbox("ABCINTSN", xa.major, xa.minor, "ABCINTS", dt.major, dt.minor);
    plcol0(ap.text_colour);
    pllab(x_label(in), "Number of Observations", "Sample Depth");
    plcol0(ap.line_colour[0]);
    draw_polyline(x, y);
    if (in.variable == AnalysisVariable::rcs_indices || with_regional_curve(in))
        plmtex("b", 6.5, 0.36, 0.0, "RCS Standardization");
}

}  // namespace

void draw_series(Console& con, std::string_view device, const Stores& st, const SeriesDisplayInput& in, const PlotAppearance& ap, bool dark) {
    DrawingCycle cycle(con, device, ap, dark);
    if (!cycle.is_open()) return;
    const std::string title = title_of(in);
    plssub(1, 2);
    pladv(0);
    const DrawnAxis xa = upper_panel(con, ap, x_label(in), y_label(in), title.c_str());
    draw_series_lines(cycle, st, by_age(in), ap);
    if (with_regional_curve(in)) draw_regional_curve(st.summary, in.regional_curve, ap);
    draw_depth_panel(st, in, xa, ap);
}

namespace {

// Options 77 and 88: the plot in a file, "ps" black on white or "psc" in colour.
// A saved plot always uses the automatic ranges.
void save_plot(Console& con, std::string_view device, const Stores& st, const SeriesDisplayInput& in, SeriesDisplayState& s) {
    series_ranges(st, in, series_y_top(in.y_max), s.ap);
    draw_series(con, device, st, in, s.ap, s.dark);
}

// One answer of the menu other than a negative number.
void answer_option(Console& con, const Stores& st, const SeriesDisplayInput& in, SeriesDisplayState& s, std::int32_t option) {
    const PlotKind kind = kind_of(in);
    const std::span<const std::int32_t> no_classes;
    switch (static_cast<SeriesOption>(option)) {
    case SeriesOption::replot: draw_series(con, "Mac1", st, in, s.ap, s.dark); return;
    case SeriesOption::rcs_fit_colour:
        if (with_regional_curve(in)) rcs_fit_colour(con, s.ap);
        else not_available(con, option);
        return;
    case SeriesOption::symbol_type: not_available(con, option); return;
    case SeriesOption::save_data:
        exporting::series_save_menu(con, st, in.alignment);
        return;
    case SeriesOption::save_black_on_white: save_plot(con, "ps", st, in, s); return;
    case SeriesOption::save_colour: save_plot(con, "psc", st, in, s); return;
    case SeriesOption::restore_defaults:
        plot_style_dialog(con, StyleOption::restore_defaults, s.ap, kind, 0, no_classes, no_classes, s.dark);
        series_ranges(st, in, series_y_top(in.y_max), s.ap);
        draw_series(con, "Mac1", st, in, s.ap, s.dark);
        return;
    }
    if (option >= 1 && option <= kLastStyleOption) plot_style_dialog(con, option, s.ap, kind, 0, no_classes, no_classes, s.dark);
    else unknown_option(con);
}

}  // namespace

void run_series_display(Console& con, const Stores& st, const SeriesDisplayInput& in, SeriesDisplayState& s) {
    const std::span<const std::int32_t> no_classes;
    plot_style_dialog(con, StyleOption::restore_defaults, s.ap, kind_of(in), 0, no_classes, no_classes, s.dark);
    series_ranges(st, in, series_y_top(in.y_max), s.ap);
    draw_series(con, "Mac1", st, in, s.ap, s.dark);
    for (;;) {
        print_menu(con, with_regional_curve(in));
        const auto answer = parse_int_field(con.ask(menu_indent(" Enter option number > ")), 2);
        if (!answer) {
            unknown_option(con);
            continue;
        }
        if (*answer < 0) return;
        answer_option(con, st, in, s, *answer);
    }
}

}  // namespace tarnik::plot

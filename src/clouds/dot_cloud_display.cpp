#include "clouds/dot_cloud_display.h"

#include <span>
#include <string>

#include "clouds/age_classes.h"
#include "clouds/cloud_build.h"
#include "clouds/cloud_drawing.h"
#include "clouds/dot_cloud_state.h"
#include "clouds/menu_lines.h"
#include "clouds/normalise.h"
#include "clouds/single_class_view.h"
#include "console/format.h"
#include "export/cloud_export.h"
#include "plot/appearance.h"

namespace tarnik::clouds {
namespace {

using fmt::F;

void restore_style(Console& con, DotCloudState& s, plot::StyleOption option) {
    plot::plot_style_dialog(con, option, s.ap, plot::PlotKind::dot_clouds, s.cs.classnum, std::span<const std::int32_t>(s.cs.start_age),
                    std::span<const std::int32_t>(s.cs.stop_age), s.dark);
}

void show_menu(Console& con, const DotCloudState& s) {
    con.blank(2);
    say(con, "********** PLOT APPEARANCE MENU ***********");
    say(con, " REPLOT              [0]   MAJOR ticks Y  [10] ");
    say(con, " BACKGROUND color    [1]   MINOR ticks Y  [11]");
    say(con, " FRAME color         [2]   MAJOR ticks Z  [12]");
    say(con, " LINE color          [3]   MINOR ticks Z  [13]");
    say(con, " TEXT color          [4]   Max. X         [14]");
    say(con, " SYMBOL color        [5]   Min. X         [15]");
    say(con, " LINE style          [6]   Max. Y         [16]");
    say(con, " SYMBOL type         [7]   Min. Y         [17]");
    say(con, " MAJOR ticks X       [8]   Max. Z         [18]");
    say(con, " MINOR ticks X       [9]   Min. Z         [19]");
    say(con, " <for 3d plot only>        ALTITUDE       [20]");
    say(con, " <for 3d plot only>        AZIMUTH        [21]");
    say(con, "             -PLOT OPTIONS MENU- ");
    if (s.cs.classnum >= 2) {
        say(con, !s.view3d ? " VIEW 3D plot        [33]  save PLOT(b/w) [77]"
                               : " turn 3D OFF         [33]  save PLOT(b/w) [77]");
    }
    say(con, " NORMALIZE           [44]  save PLOT(rgb) [88] ");
    say(con, " VIEW curve fit      [55]  RESET options  [99]");
    say(con, " SAVE data           [66]  RETURN TO MAIN");
    say(con, "                                     MENU [-1]  ");
    say(con, "____________________________________________");
    con.blank();
}

// A view angle: the first 6 columns as a real with 2 implied decimals.
float ask_angle(Console& con, std::string_view what, float current) {
    con.blank();
    for (;;) {
        con.text(menu_indent(" change " + std::string(what) + " from " + F(current, 6, 2) + " to : "));
        if (auto v = parse_real_field(con.read_line(), 6, 2)) return static_cast<float>(*v);
        con.line(kUnreadableAnswer);
    }
}

// One visit of the display: what every menu option works with.
struct Visit {
    Console& con;
    const Stores& st;
    TextFile& report;
    AnalysisVariable ivar;
    DotCloudState& s;
    AgeRange range;
    std::string title;
};

void draw(Visit& v) { draw_dot_clouds(v.con, v.s, v.title); }

// Builds from the current age class table; a build that asks for new classes
// runs the definition again. False when no class is left to draw.
bool build(Visit& v, bool define_first) {
    Console& con = v.con;
    DotCloudState& s = v.s;
    for (;;) {
        if (define_first) {
            define_age_classes(con, v.report, s.cs, s.dialog, v.range);
            s.normalized = false;
            restore_style(con, s, plot::StyleOption::restore_defaults);
        }
        switch (build_clouds(con, v.st, v.report, s, v.ivar)) {
            case BuildResult::Built:
                return true;
            case BuildResult::Redefine:
                define_first = true;
                break;
            case BuildResult::NothingLeft:
                notice(con, {"No age class with 3 or more data points remains,", "so there is nothing to plot."});
                return false;
        }
    }
}

// The normalisation and the view of the spline fits both start from the
// original clouds: once one has run, the other first needs a RESET.

// NORMALIZE: the anomalies over a common period, unless the spline fits have
// been viewed since the last build.
void normalise(Visit& v) {
    Console& con = v.con;
    DotCloudState& s = v.s;
    if (s.fits_viewed) {
        notice(con, {"To see the Normalized Splines and Clouds", "AFTER viewing the spline fits you must select",
                     "RESET OPTIONS to rebuild the original age clouds."});
        return;
    }
    const NormaliseResult result = normalise_clouds(con, s.cs, v.report);
    s.ap.y_min = -s.ap.y_max;
    s.ap.z_max = s.ap.y_max;
    s.ap.z_min = -s.ap.y_max;
    if (result == NormaliseResult::no_common_period) {
        con.blank();
        say(con, "There is no common period amongst the age-classes");
        con.blank();
        say(con, "that can be used to normalize the clouds.");
        return;
    }
    s.normalized = true;
    s.y_label = "(Normalized Values)";
    draw(v);
}

// VIEW curve fit: the single age-class view, unless the clouds are normalised.
void view_fits(Visit& v) {
    DotCloudState& s = v.s;
    if (s.normalized) {
        notice(v.con, {"To see the spline fits for the age clouds", "AFTER normalizing you must select RESET OPTIONS",
                       "to rebuild the original age clouds."});
        return;
    }
    s.fits_viewed = true;
    // The view leaves its background in the shared appearance; the
    // palette must follow it, or the frame and text could be drawn in
    // the background's own colour (white on white, black on black).
    s.dark = run_single_class_view(v.con, s.cs, s.ap, v.report, v.ivar);
}

// RESET options: the original clouds from the same classes, with the default
// appearance. False when no class is left to draw.
bool reset(Visit& v) {
    DotCloudState& s = v.s;
    s.normalized = false;
    s.fits_viewed = false;
    s.altitude = 80.0f;
    s.azimuth = 125.0f;
    restore_style(v.con, s, plot::StyleOption::restore_defaults);
    if (!build(v, false)) return false;
    draw(v);
    return true;
}

// One answer of the plot menu; false when the visit ends.
bool run_option(Visit& v, std::int32_t o) {
    Console& con = v.con;
    DotCloudState& s = v.s;
    if (o >= 1 && o <= 19) {
        restore_style(con, s, static_cast<plot::StyleOption>(o));
        return true;
    }
    switch (static_cast<PlotMenuOption>(o)) {
        case PlotMenuOption::replot: draw(v); break;
        case PlotMenuOption::altitude:
            s.altitude = ask_angle(con, "altitude", s.altitude);
            draw(v);
            break;
        case PlotMenuOption::azimuth:
            s.azimuth = ask_angle(con, "azimuth", s.azimuth);
            draw(v);
            break;
        case PlotMenuOption::view_3d:
            s.view3d = !s.view3d;
            draw(v);
            break;
        case PlotMenuOption::normalise: normalise(v); break;
        case PlotMenuOption::view_fits: view_fits(v); break;
        case PlotMenuOption::save_data: exporting::cloud_save_menu(con, s.cs, s.normalized); break;
        case PlotMenuOption::save_bw:
            s.device = "ps";
            draw(v);
            break;
        case PlotMenuOption::save_rgb:
            s.device = "psc";
            draw(v);
            break;
        case PlotMenuOption::reset: return reset(v);
        default:
            notice(con, {"Unknown option re-enter a valid number"});
    }
    return true;
}

}  // namespace

DotCloudDisplay::DotCloudDisplay() : state_(std::make_unique<DotCloudState>()) {}
DotCloudDisplay::~DotCloudDisplay() = default;

void DotCloudDisplay::run(Console& con, const Stores& st, TextFile& report, AnalysisVariable ivar,
                          const std::string& title) {
    DotCloudState& s = *state_;
    const DataSummary& sum = st.summary;
    if (st.nser < 1 || sum.max_last_age < sum.min_first_age) {
        notice(con, {"There are no series to build age classes from."});
        return;
    }
    Visit v{con, st, report, ivar, s, AgeRange{sum.min_first_age, sum.max_last_age, sum.max_age_depth3},
            std::string(trim_right(title))};

    s.altitude = 80.0f;
    s.azimuth = 125.0f;
    s.device = kScreenDevice;
    s.view3d = false;

    if (!build(v, true)) return;
    draw(v);
    for (;;) {
        s.device = kScreenDevice;
        show_menu(con, s);
        const auto opt = parse_int_field(con.ask(menu_indent(" enter option number : ")), 2);
        if (opt && *opt < 0) return;
        if (!run_option(v, opt ? *opt : -1000)) return;
    }
}

}  // namespace tarnik::clouds

#include "clouds/dot_cloud_display.h"

#include <span>
#include <string>

#include "clouds/age_classes.h"
#include "clouds/cloud_build.h"
#include "clouds/cloud_drawing.h"
#include "clouds/dot_cloud_state.h"
#include "clouds/normalise.h"
#include "clouds/single_class_view.h"
#include "console/format.h"
#include "export/cloud_export.h"
#include "plot/appearance.h"

namespace tarnik::clouds {
namespace {

using fmt::F;

void say(Console& con, std::string_view s) { con.line(menu_indent(s)); }

void hit_return(Console& con) {
    con.blank();
    con.pause_field(menu_indent("  Hit RETURN to continue : "));
}

void restore_style(Console& con, DotCloudState& s, std::int32_t option) {
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
        say(con, s.view3d == 0 ? " VIEW 3D plot        [33]  save PLOT(b/w) [77]"
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

}  // namespace

DotCloudDisplay::DotCloudDisplay() : state_(std::make_unique<DotCloudState>()) {}
DotCloudDisplay::~DotCloudDisplay() = default;

void DotCloudDisplay::run(Console& con, const Stores& st, TextFile& report, std::int32_t ivar,
                                 const std::string& title) {
    DotCloudState& s = *state_;
    const DataSummary& sum = st.summary;
    if (st.nser < 1 || sum.max_last_age < sum.min_first_age) {
        con.blank();
        say(con, "There are no series to build age classes from.");
        hit_return(con);
        return;
    }
    const AgeRange range{sum.min_first_age, sum.max_last_age, sum.max_age_depth3};
    const std::string plot_title(trim_right(title));

    s.altitude = 80.0f;
    s.azimuth = 125.0f;
    s.device = kScreenDevice;
    s.view3d = 0;

    // Builds from the current age class table; a build that asks for new classes
    // runs the definition again. False when no class is left to draw.
    auto build = [&](bool define_first) {
        for (;;) {
            if (define_first) {
                define_age_classes(con, report, s.cs, s.dialog, range);
                s.normalized = 0;
                restore_style(con, s, 99);
            }
            switch (build_clouds(con, st, report, s, ivar)) {
                case BuildResult::Built:
                    return true;
                case BuildResult::Redefine:
                    define_first = true;
                    break;
                case BuildResult::NothingLeft:
                    con.blank();
                    say(con, "No age class with 3 or more data points remains,");
                    say(con, "so there is nothing to plot.");
                    hit_return(con);
                    return false;
            }
        }
    };
    auto draw = [&] { draw_dot_clouds(con, s, plot_title); };

    if (!build(true)) return;
    draw();
    for (;;) {
        s.device = kScreenDevice;
        show_menu(con, s);
        const auto opt = parse_int_field(con.ask(menu_indent(" enter option number : ")), 2);
        if (opt && *opt < 0) return;
        const std::int32_t o = opt ? *opt : -1000;
        if (o == 0) {
            draw();
        } else if (o >= 1 && o <= 19) {
            restore_style(con, s, o);
        } else if (o == 20) {
            s.altitude = ask_angle(con, "altitude", s.altitude);
            draw();
        } else if (o == 21) {
            s.azimuth = ask_angle(con, "azimuth", s.azimuth);
            draw();
        } else if (o == 33) {
            s.view3d = 1 - s.view3d;
            draw();
        } else if (o == 44) {
            if (s.fits_viewed == 1) {
                con.blank();
                say(con, "To see the Normalized Splines and Clouds");
                say(con, "AFTER viewing the spline fits you must select");
                say(con, "RESET OPTIONS to rebuild the original age clouds.");
                hit_return(con);
                continue;
            }
            std::int32_t abort = 0;
            normalise_clouds(con, s.cs, report, abort);
            s.ap.y_min = -s.ap.y_max;
            s.ap.z_max = s.ap.y_max;
            s.ap.z_min = -s.ap.y_max;
            if (abort == 1) {
                con.blank();
                say(con, "There is no common period amongst the age-classes");
                con.blank();
                say(con, "that can be used to normalize the clouds.");
                continue;
            }
            s.normalized = 1;
            s.y_label = "(Normalized Values)";
            draw();
        } else if (o == 55) {
            if (s.normalized == 1) {
                con.blank();
                say(con, "To see the spline fits for the age clouds");
                say(con, "AFTER normalizing you must select RESET OPTIONS");
                say(con, "to rebuild the original age clouds.");
                hit_return(con);
                continue;
            }
            s.fits_viewed = 1;
            // The view leaves its background in the shared appearance; the
            // palette must follow it, or the frame and text could be drawn in
            // the background's own colour (white on white, black on black).
            s.dark = run_single_class_view(con, s.cs, s.ap, report, ivar);
        } else if (o == 66) {
            exporting::cloud_save_menu(con, s.cs, s.normalized);
        } else if (o == 77 || o == 88) {
            s.device = o == 77 ? "ps" : "psc";
            draw();
        } else if (o == 99) {
            s.normalized = 0;
            s.fits_viewed = 0;
            s.altitude = 80.0f;
            s.azimuth = 125.0f;
            restore_style(con, s, 99);
            if (!build(false)) return;
            draw();
        } else {
            con.blank();
            say(con, "Unknown option re-enter a valid number");
            hit_return(con);
        }
    }
}

}  // namespace tarnik::clouds

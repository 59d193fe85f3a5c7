#include "clouds/single_class_view.h"

#include <plplot/plplot.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "clouds/cloud_build.h"
#include "clouds/menu_lines.h"
#include "console/answers.h"
#include "console/format.h"
#include "export/cloud_export.h"
#include "plot/cycle.h"
#include "plot/resolution.h"

namespace tarnik::clouds {
namespace {

using fmt::F;
using fmt::I;
using fmt::NINT;

constexpr const char* kStatsHeader = "       bw      df      gcv     msr     mse     EV      msw     nps";
constexpr std::size_t kTextLength = 256;  // the view keeps its texts in 256 characters

std::size_t idx(std::int32_t k) { return static_cast<std::size_t>(k - 1); }

// Points of class k really held (the counts, bounded by the stored vectors).
std::size_t cloud_points(const CloudStore& cs, std::int32_t k) {
    const CloudClass& c = cs.cls[idx(k)];
    const std::int32_t n = cs.num[idx(k)];
    return n <= 0 ? 0 : std::min({static_cast<std::size_t>(n), c.cloud_year.size(), c.cloud_value.size()});
}
std::size_t spline_points(const CloudStore& cs, std::int32_t k) {
    const CloudClass& c = cs.cls[idx(k)];
    const std::int32_t n = cs.nps[idx(k)];
    return n <= 0 ? 0
                  : std::min({static_cast<std::size_t>(n), c.spline_year.size(), c.spline_value.size(),
                              c.spline_se.size()});
}

// The pause after a notice of the class table, which is not indented.
void pause_unindented(Console& con) {
    con.blank();
    con.pause_field(std::string(kContinuePrompt));
}

// The class table and the choice of one class (1..nc).
std::int32_t select_class(Console& con, const CloudStore& cs) {
    const std::int32_t nc = cs.classnum;
    for (;;) {
        con.blank();
        con.line("************** Select Age Class ****************");
        con.line("  #    start    stop   inc/length spline-bandwidth");
        for (std::int32_t k = 1; k <= nc; ++k) {
            const std::int32_t start = cs.start_age[idx(k)], stop = cs.stop_age[idx(k)];
            con.line(I(k, 4) + "   " + I(start, 4) + "  to " + I(stop, 4) + "     " + I(stop - start + 1, 4) +
                     "        " + NINT(cs.bw[idx(k)], 4));
        }
        con.line("*************************************************");
        const auto answer = parse_int_field(con.ask("enter selection : "), 2);
        if (!answer) {
            con.blank();
            con.line("Invalid entry. Please make a new selection");
            pause_unindented(con);
            continue;
        }
        if (*answer < 1 || *answer > nc) {
            con.blank();
            con.line("ERROR you have entered an invalid number.");
            con.line("Please enter a value between 1 - " + I(nc, 3));
            pause_unindented(con);
            continue;
        }
        return *answer;
    }
}

// X axis from the decade at or below the first year to the decade strictly
// above the last; Y axis from the smallest value rounded to the largest
// rounded plus one half; tick spacing by the width and height of the window.
void set_ranges(const CloudStore& cs, std::int32_t k, plot::PlotAppearance& ap) {
    // The ranges start empty (years reach -9999..9999), so that they end as
    // the true extremes of the class; a class without points keeps 9999/-9999.
    constexpr float kInf = std::numeric_limits<float>::infinity();
    float xmin = kInf, xmax = -kInf, ymin = kInf, ymax = -kInf;
    const CloudClass& c = cs.cls[idx(k)];
    const std::size_t nps = spline_points(cs, k);
    for (std::size_t i = 0; i < nps; ++i) {
        const float lower = c.spline_value[i] - c.spline_se[i];
        const float upper = c.spline_value[i] + c.spline_se[i];
        xmin = std::min(xmin, c.spline_year[i]);
        xmax = std::max(xmax, c.spline_year[i]);
        ymin = std::min({ymin, lower, upper});
        ymax = std::max({ymax, lower, upper});
    }
    const std::size_t num = cloud_points(cs, k);
    for (std::size_t i = 0; i < num; ++i) {
        xmin = std::min(xmin, c.cloud_year[i]);
        xmax = std::max(xmax, c.cloud_year[i]);
        ymin = std::min(ymin, c.cloud_value[i]);
        ymax = std::max(ymax, c.cloud_value[i]);
    }
    if (xmin > xmax) xmin = ymin = 9999.0f, xmax = ymax = -9999.0f;
    set_cloud_axes(ap, xmin, xmax, ymin, ymax);
}

struct ViewTexts {
    std::string title, stats;
};

// The title and statistics line of class k; both go to the report with the header.
ViewTexts texts_of(const CloudStore& cs, std::int32_t k) {
    const std::int32_t start = cs.start_age[idx(k)], stop = cs.stop_age[idx(k)];
    const auto& s = cs.fit_stats[idx(k)];
    ViewTexts t;
    t.title = " Age Class " + I(start, 4) + "  to " + I(stop, 4) + " INC= " + I(stop - start + 1, 4) + " bw= " +
              NINT(s[0], 3);
    t.stats = " " + NINT(s[0], 8) + NINT(s[1], 8) + F(s[2], 8, 3) + F(s[3], 8, 3) + " " + F(s[4], 8, 3) +
              F(s[5], 8, 3) + F(s[6], 8, 3) + NINT(s[7], 8);
    return t;
}

std::vector<PLFLT> to_plflt(std::span<const float> v) { return std::vector<PLFLT>(v.begin(), v.end()); }

void draw(Console& con, const CloudStore& cs, std::int32_t k, const plot::PlotAppearance& ap, bool dark,
          const std::string& device, const ViewTexts& t, AnalysisVariable ivar) {
    plot::DrawingCycle cycle(con, device, ap, dark);
    if (!cycle.is_open()) return;
    const CloudClass& c = cs.cls[idx(k)];
    const std::size_t num = cloud_points(cs, k);
    const std::size_t nps = spline_points(cs, k);
    const std::vector<PLFLT> sx = to_plflt({c.spline_year.data(), nps});
    const std::vector<PLFLT> sy = to_plflt({c.spline_value.data(), nps});
    std::vector<PLFLT> lower(nps), upper(nps);
    for (std::size_t i = 0; i < nps; ++i) {
        lower[i] = c.spline_value[i] - c.spline_se[i];
        upper[i] = c.spline_value[i] + c.spline_se[i];
    }

    plssub(1, 2);
    pladv(0);

    // Upper panel: the cloud, the error band and the spline.
    plot::upper_panel(con, ap, "re-dated cambial growth years", cloud_y_label(ivar),
                      t.title.c_str());
    plcol0(ap.symbol_colour[0]);
    plot::CloudPoints points(cycle.grid());
    const std::size_t cloud = points.add({c.cloud_year.data(), num}, {c.cloud_value.data(), num}, ap.symbol_type[0]);
    points.plan();
    points.draw(cloud);
    pllsty(ap.line_style[1]);
    plcol0(ap.line_colour[1]);
    if (nps > 0) {
        plline(static_cast<PLINT>(nps), sx.data(), upper.data());
        plline(static_cast<PLINT>(nps), sx.data(), lower.data());
    }
    pllsty(ap.line_style[0]);
    plcol0(ap.line_colour[0]);
    if (nps > 0) plline(static_cast<PLINT>(nps), sx.data(), sy.data());

    // Lower panel: the fit statistics as text.
    pladv(0);
    plvpor(0.1, 0.9, 0.1, 0.9);
    plwind(1.0, 100.0, -1.5, 15.0);
    plcol0(ap.text_colour);
    plmtex("lv", -3.0, 0.28, 0.0, kStatsHeader);
    plmtex("lv", -3.0, 0.21, 0.0, t.stats.c_str());
}

void show_menu(Console& con) {
    con.blank(2);
    for (const char* l : {"********** PLOT APPEARANCE MENU ***********",
                          " REPLOT              [0]   MAJOR ticks Y  [10] ",
                          " BACKGROUND color    [1]   MINOR ticks Y  [11]",
                          " FRAME color         [2]   MAJOR ticks Z  [12]",
                          " LINE color          [3]   MINOR ticks Z  [13]",
                          " TEXT color          [4]   Max. X         [14]",
                          " SYMBOL color        [5]   Min. X         [15]",
                          " LINE style          [6]   Max. Y         [16]",
                          " SYMBOL type         [7]   Min. Y         [17]",
                          " MAJOR ticks X       [8]   ",
                          " MINOR ticks X       [9]   ",
                          "             -PLOT OPTIONS MENU- ",
                          "                           save PLOT(b/w) [77]",
                          " VIEW CURVE FIT      [55]  save PLOT(rgb) [88] ",
                          " SAVE data           [66]  RESET options  [99]",
                          " RETURN to Dot Cloud menu [-1]  "}) {
        con.line(menu_indent(l));
    }
    con.line(menu_indent(std::string(44, '_')));
    con.blank();
}

// The class on view and what the view draws it with.
struct ClassView {
    Console& con;
    const CloudStore& cs;
    plot::PlotAppearance& ap;
    TextFile& report;
    AnalysisVariable ivar;
    std::int32_t k = 0;
    ViewTexts texts;
};

void draw_on(ClassView& v, bool dark, const std::string& device) {
    draw(v.con, v.cs, v.k, v.ap, dark, device, v.texts, v.ivar);
}

// The class table, the statistics of the chosen class in the report, its ranges
// and its drawing on the screen.
void choose_and_draw(ClassView& v, bool dark) {
    v.k = select_class(v.con, v.cs);
    v.texts = texts_of(v.cs, v.k);
    v.report.line(" " + fmt::pad(kStatsHeader, kTextLength));
    v.report.line(fmt::pad(v.texts.stats, kTextLength));
    v.report.blank();
    set_ranges(v.cs, v.k, v.ap);
    draw_on(v, dark, kScreenDevice);
}

}  // namespace

bool run_single_class_view(Console& con, const CloudStore& cs, plot::PlotAppearance& ap, TextFile& report,
                           AnalysisVariable ivar) {
    const std::int32_t nc = std::clamp(cs.classnum, 0, mxnc);
    const std::span<const std::int32_t> start(cs.start_age.data(), static_cast<std::size_t>(nc));
    const std::span<const std::int32_t> stop(cs.stop_age.data(), static_cast<std::size_t>(nc));
    bool dark = false;  // the view's own background flag, reset by option 99 below
    auto style = [&](plot::StyleOption option) {
        plot::plot_style_dialog(con, option, ap, plot::PlotKind::single_class, nc, start, stop, dark);
    };
    style(plot::StyleOption::restore_defaults);
    report.blank();
    report.line("from Tarnikplt4 *****");

    // With no class left by the build there is nothing to choose; the class
    // table would otherwise ask for ever.
    if (nc < 1) {
        con.blank();
        con.line("There is no age class to view.");
        pause_unindented(con);
        return dark;
    }

    ClassView view{con, cs, ap, report, ivar, 0, {}};
    choose_and_draw(view, dark);
    for (;;) {
        show_menu(con);
        const auto answer = parse_int_field(con.ask(menu_indent(" enter option number : ")), 2);
        const std::int32_t o = answer ? *answer : 1000;
        if (answer && o < 0) return dark;
        if (o >= 1 && o <= 19) {
            style(static_cast<plot::StyleOption>(o));
            continue;
        }
        switch (static_cast<PlotMenuOption>(o)) {
            case PlotMenuOption::replot: draw_on(view, dark, kScreenDevice); break;
            case PlotMenuOption::view_fits: choose_and_draw(view, dark); break;
            case PlotMenuOption::save_data: exporting::save_class_splines(con, cs); break;
            case PlotMenuOption::save_bw: draw_on(view, dark, "ps"); break;
            case PlotMenuOption::save_rgb: draw_on(view, dark, "psc"); break;
            case PlotMenuOption::reset:
                style(plot::StyleOption::restore_defaults);
                draw_on(view, dark, kScreenDevice);
                break;
            default:
                notice(con, {"Unknown option re-enter a valid number"});
        }
    }
}

}  // namespace tarnik::clouds

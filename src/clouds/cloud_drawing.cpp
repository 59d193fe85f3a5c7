#include "clouds/cloud_drawing.h"

#include <plplot/plplot.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/format.h"
#include "plot/cycle.h"
#include "plot/resolution.h"

namespace tarnik::clouds {
namespace {

using fmt::I;

std::vector<PLFLT> widen(const std::vector<float>& v) { return {v.begin(), v.end()}; }

// Classes left out of the drawing after a normalisation.
bool spline_left_out(const DotCloudState& s, std::size_t i) { return s.normalized && s.cs.spline_skipped[i]; }
bool cloud_left_out(const DotCloudState& s, std::size_t i) {
    return s.normalized && (s.cs.spline_skipped[i] || s.cs.cloud_skipped[i]);
}

void draw_clouds_panel(Console& con, const plot::DrawingCycle& cycle, const DotCloudState& s, const std::string& title) {
    const plot::PlotAppearance& ap = s.ap;
    plot::upper_panel(con, ap, kXLabel, s.y_label.c_str(), title.c_str());
    // All clouds are known before the first is drawn, so that the drawing can
    // choose which to draw as the pixels their symbols cover.
    plot::CloudPoints points(cycle.grid());
    std::vector<std::size_t> cloud_of(static_cast<std::size_t>(std::max(s.cs.classnum, 0)), 0);
    for (std::int32_t k = 1; k <= s.cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (cloud_left_out(s, i)) continue;
        const CloudClass& cl = s.cs.cls[i];
        const auto num = std::min<std::size_t>(static_cast<std::size_t>(std::max(s.cs.num[i], 0)), cl.cloud_year.size());
        cloud_of[i] = points.add({cl.cloud_year.data(), num}, {cl.cloud_value.data(), num}, ap.symbol_type[i]);
    }
    points.plan();
    for (std::int32_t k = 1; k <= s.cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (spline_left_out(s, i)) continue;
        const CloudClass& cl = s.cs.cls[i];
        if (!cloud_left_out(s, i) && s.cs.num[i] > 0 && !cl.cloud_year.empty()) {
            plcol0(ap.symbol_colour[i]);
            points.draw(cloud_of[i]);
        }
        const auto nps = std::min<std::size_t>(static_cast<std::size_t>(std::max(s.cs.nps[i], 0)), cl.spline_year.size());
        if (nps > 0) {
            pllsty(ap.line_style[i]);
            plcol0(ap.line_colour[i]);
            auto x = widen(cl.spline_year), y = widen(cl.spline_value);
            plline(static_cast<PLINT>(nps), x.data(), y.data());
        }
    }
}

void draw_legend(const DotCloudState& s) {
    plvpor(0.1, 0.9, 0.1, 0.9);
    plwind(1.0, 100.0, -1.5, 15.0);
    plfont(1);
    for (const LegendText& t : legend_layout(s.cs)) {
        plcol0(s.ap.line_colour[static_cast<std::size_t>(t.klass - 1)]);
        plmtex(t.side.c_str(), t.disp, t.pos, 0.0, t.text.c_str());
    }
}

void draw_3d(Console& con, const DotCloudState& s) {
    const plot::PlotAppearance& ap = s.ap;
    const std::int32_t nc = s.cs.classnum;
    const plot::DrawnAxis xa = plot::drawable_axis(ap.x_min, ap.x_max, 0.0, 0);
    const plot::DrawnAxis za = plot::drawable_axis(con, "Z", ap.z_min, ap.z_max, ap.z_major, ap.z_minor);
    plvpor(0.1, 0.9, 0.1, 1.0);
    plwind(-0.9, 0.9, -0.7, 1.2);
    plw3d(0.8, 0.9, 1.9, xa.min, xa.max, 0.0, nc + 1, za.min, za.max, s.altitude, s.azimuth);
    plcol0(ap.frame_colour);
    plbox3("bnstu", "YEAR", 0.0, 0, "bntu", "AGE CLASS", 0.0, 0, "bcdmnstuv", "MM(z)", za.major, za.minor);
    plcol0(ap.text_colour);
    for (std::int32_t k = 1; k <= nc; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (spline_left_out(s, i)) continue;
        const CloudClass& cl = s.cs.cls[i];
        const auto nps = std::min<std::size_t>(static_cast<std::size_t>(std::max(s.cs.nps[i], 0)), cl.spline_year.size());
        if (nps == 0) continue;
        pllsty(ap.line_style[i]);
        plcol0(ap.line_colour[i]);
        auto x = widen(cl.spline_year), z = widen(cl.spline_value);
        std::vector<PLFLT> y(nps, static_cast<PLFLT>(k));
        plline3(static_cast<PLINT>(nps), x.data(), y.data(), z.data());
    }
}

}  // namespace

std::vector<LegendText> legend_layout(const CloudStore& cs) {
    std::vector<LegendText> out;
    const std::int32_t nc = cs.classnum;
    auto range = [&](std::int32_t k) {
        const auto i = static_cast<std::size_t>(k - 1);
        return I(cs.start_age[i], 4) + "-" + I(cs.stop_age[i], 4);
    };
    if (nc <= 15) {
        for (std::int32_t k = nc; k >= 1; --k) {
            const std::string label = fmt::pad(cs.bw_label[static_cast<std::size_t>(k - 1)], 30).substr(0, 30);
            out.push_back({"lv", -3.0, 0.07 * k, k, "age class:" + range(k) + "   Spline> " + label});
        }
        return out;
    }
    // Four columns: two placed from the left edge, two from the right.
    static constexpr struct {
        const char* side;
        double disp;
    } columns[4] = {{"lv", 2.0}, {"lv", -14.0}, {"rv", -27.0}, {"rv", -11.0}};
    const std::int32_t rows = (nc + 3) / 4;
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t c = 0; c < 4; ++c) {
            const std::int32_t k = 4 * r - 3 + c;
            if (k > nc) break;
            out.push_back({columns[c].side, columns[c].disp, 0.07 * r, k, "age:" + range(k)});
        }
    }
    return out;
}

void draw_dot_clouds(Console& con, const DotCloudState& s, const std::string& title) {
    con.pause("     >>> Hit Return to Display Plot <<<");
    plot::DrawingCycle cycle(con, s.device, s.ap, s.dark);
    if (!cycle.is_open()) return;
    plssub(1, 2);
    pladv(0);
    draw_clouds_panel(con, cycle, s, title);
    pladv(0);
    if (!s.view3d) draw_legend(s);
    else if (s.cs.classnum >= 2) draw_3d(con, s);
}

}  // namespace tarnik::clouds

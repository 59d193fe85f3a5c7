#include "rcs/rcs.h"

#include <cmath>

#include "console/format.h"
#include "console/textfile.h"
#include "spline/bandwidth_request.h"
#include "spline/cgcv1.h"

namespace tarnik::rcs {
namespace {

void rcs_menu(Console& con) {
    con.blank(2);
    con.line(menu_indent("________ RCS spline detrending menu ________"));
    con.line();
    spline::print_jdt_rules(con);
    con.line(menu_indent("______________________________________________"));
    con.line();
}

// Writes the regional mean and the fitted curve; false when the file could not be written.
bool save_rcs_file(const std::string& title, std::int32_t min_age, std::int32_t max_age,
                   const std::vector<float>& rgc, const std::vector<float>& curve) {
    TextFile f;
    if (!f.open(kRcsFile)) return false;
    f.line(" Tarnik RCS output.  Input File : " + fmt::pad(title, 40));
    f.line(" AGE     MEAN    RG-curve");
    for (std::int32_t age = min_age; age <= max_age; ++age) {
        const std::size_t k = static_cast<std::size_t>(age - min_age);
        f.line(" " + fmt::I(age, 4) + "  " + fmt::F(rgc[k], 8, 3) + "  " + fmt::F(curve[k], 8, 3));
    }
    return f.close();
}

}  // namespace

std::vector<float> mean_by_age(const Stores& st) {
    std::vector<float> sum(MaxYears + 1, 0.0f);
    std::vector<std::int32_t> count(MaxYears + 1, 0);
    for (std::int32_t i = 1; i <= st.nser; ++i) {
        const SeriesRecord& r = st.rec(i);
        const float scale = static_cast<float>(r.scale);
        std::int32_t age = r.first_age;
        for (std::int32_t v : st.values_of(i)) {
            sum[static_cast<std::size_t>(age)] += static_cast<float>(v) / scale;
            ++count[static_cast<std::size_t>(age)];
            ++age;
        }
    }
    for (std::size_t age = 0; age < sum.size(); ++age)
        sum[age] = count[age] != 0 ? sum[age] / static_cast<float>(count[age]) : 0.0f;
    return sum;
}

IndexingResult index_series(Stores& st, std::span<const float> curve_by_age) {
    IndexingResult res;
    for (std::int32_t i = 1; i <= st.nser; ++i) {
        const SeriesRecord& r = st.rec(i);
        const float scale = static_cast<float>(r.scale);
        std::int32_t age = r.first_age;
        for (std::int32_t& v : st.values_of(i)) {
            const float curve = curve_by_age[static_cast<std::size_t>(age++)];
            const float index = (static_cast<float>(v) / scale) / curve;
            const float scaled = scale * index;
            // An index that is not a number, or too large for the store, has no
            // meaningful stored value: keep 0 and report it.
            if (curve == 0.0f || !std::isfinite(curve) || !std::isfinite(index) || !(std::fabs(scaled) < 2147483520.0f)) {
                v = 0;
                ++res.undefined;
                continue;
            }
            if (index < res.y_min) res.y_min = index;
            if (index > res.y_max) res.y_max = index;
            v = static_cast<std::int32_t>(scaled);
        }
    }
    return res;
}

void run_regional_curve(Console& con, Stores& st, RcsState& state, const std::string& title,
               plot::SeriesDisplayState& display) {
    const std::int32_t min_age = st.summary.min_first_age;
    const std::int32_t max_age = st.summary.max_last_age;
    const std::int32_t n = max_age - min_age + 1;
    if (n < 3) {
        // The spline of the curve needs three ages at least: the series stay
        // raw ring widths, and the run goes on with them.
        con.line();
        con.line(menu_indent("The regional curve needs rings of 3 cambial ages or more; these series"));
        con.line(menu_indent("have rings of " + std::to_string(std::max(n, 0)) + (n == 1 ? " age" : " ages") +
                       " only. No RCS indices were computed:"));
        con.line(menu_indent("the analysis goes on with the raw ring widths."));
        state.ivar = 1;
        state.alignment = 1;
        return;
    }
    std::vector<float> mean = mean_by_age(st);
    std::vector<float> rgc(static_cast<std::size_t>(std::max(n, 0)), 0.0f);
    for (std::int32_t age = min_age; age <= max_age; ++age) rgc[static_cast<std::size_t>(age - min_age)] = mean[static_cast<std::size_t>(age)];
    state.regional_curve.assign(MaxYears, 0.0f);
    std::vector<float> se(MaxYears, 0.0f);

    for (;;) {
        rcs_menu(con);
        state.jdt = con.ask_free_int(menu_indent("Enter spline parameter           : "));
        bool raised = false;
        state.bandwidth = spline::bandwidth_request(state.jdt, n, raised);
        if (raised) {
            con.line();
            con.line(menu_indent("The spline bandwidth must be >= 2 years."));
            con.line(menu_indent("It will be set to 2."));
        }
        float var = -1.0f;
        spline::cgcv1(MaxYears, n, rgc, state.regional_curve, state.bandwidth, var, se);

        state.alignment = 1;
        state.ivar = 4;
        plot::SeriesDisplayInput in;
        in.code = 4;
        in.alignment = state.alignment;
        in.y_min = st.summary.y_min;
        in.y_max = st.summary.y_max;
        in.regional_curve = std::span<const float>(state.regional_curve.data(), static_cast<std::size_t>(n));
        in.title = title;
        plot::run_series_display(con, st, in, display);

        con.blank(2);
        con.line(menu_indent("Do you want to recalculate the mean Regional Growth Curve?"));
        if (!con.ask_free_logical(menu_indent("Enter [T]rue or [F]alse > "))) break;
    }

    con.blank(2);
    con.line(menu_indent("Do you want to save the current RCS mean and spline fit"));
    con.line(menu_indent("data ?"));
    if (con.ask_free_logical(menu_indent("Enter [T]rue or [F]alse > "))) {
        if (!save_rcs_file(title, min_age, max_age, rgc, state.regional_curve)) {
            con.line();
            con.line(menu_indent(std::string("The file ") + kRcsFile + " could not be written here; nothing was saved."));
        }
    }

    std::vector<float> curve_by_age(MaxYears + 1, 0.0f);
    for (std::int32_t age = min_age; age <= max_age; ++age)
        curve_by_age[static_cast<std::size_t>(age)] = state.regional_curve[static_cast<std::size_t>(age - min_age)];
    IndexingResult res = index_series(st, curve_by_age);
    st.summary.y_min = res.y_min;
    st.summary.y_max = res.y_max;
    if (res.undefined > 0) {
        con.line();
        con.line(menu_indent("Note: " + std::to_string(res.undefined) +
                       (res.undefined == 1 ? " ring lies" : " rings lie") +
                       " where the regional curve is 0 or undefined, or its index is too large;"));
        con.line(menu_indent("such rings are stored as 0."));
    }

    state.ivar = 3;
    plot::SeriesDisplayInput in;
    in.code = 3;
    in.alignment = state.alignment;
    in.y_min = st.summary.y_min;
    in.y_max = st.summary.y_max;
    in.title = title;
    plot::run_series_display(con, st, in, display);
}

}  // namespace tarnik::rcs

#include "rcs/rcs.h"

#include <algorithm>
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

// The series span fewer than 3 cambial ages: the spline of the curve needs
// three ages at least, so the series stay raw ring widths, and the run goes on
// with them.
void report_too_few_ages(Console& con, std::int32_t n) {
    con.line();
    con.line(menu_indent("The regional curve needs rings of 3 cambial ages or more; these series"));
    con.line(menu_indent("have rings of " + std::to_string(std::max(n, 0)) + (n == 1 ? " age" : " ages") +
                         " only. No RCS indices were computed:"));
    con.line(menu_indent("the analysis goes on with the raw ring widths."));
}

// The mean ring width at the ages min_age..max_age; element 0 belongs to min_age.
std::vector<float> regional_mean(const Stores& st, std::int32_t min_age, std::int32_t max_age) {
    const std::int32_t n = max_age - min_age + 1;
    std::vector<float> mean = mean_by_age(st);
    std::vector<float> rgc(static_cast<std::size_t>(std::max(n, 0)), 0.0f);
    for (std::int32_t age = min_age; age <= max_age; ++age)
        rgc[static_cast<std::size_t>(age - min_age)] = mean[static_cast<std::size_t>(age)];
    return rgc;
}

// Asks for the spline parameter and fits the regional curve to the n ages of
// the regional mean.
void fit_regional_curve(Console& con, RcsState& state, std::int32_t n, std::span<const float> rgc,
                        std::vector<float>& se) {
    rcs_menu(con);
    state.jdt = con.ask_free_int(menu_indent("Enter spline parameter           : "));
    const auto [bandwidth, raised] = spline::bandwidth_request(state.jdt, n);
    state.bandwidth = bandwidth;
    if (raised) {
        con.line();
        con.line(menu_indent("The spline bandwidth must be >= 2 years."));
        con.line(menu_indent("It will be set to 2."));
    }
    float var = -1.0f;
    spline::cgcv1(MaxYears, n, rgc, state.regional_curve, state.bandwidth, var, se);
}

// The series display with the state's variable and alignment, and the regional
// curve drawn over the series when `curve` holds one.
void show_series(Console& con, const Stores& st, const RcsState& state, std::span<const float> curve,
                 const std::string& title, plot::SeriesDisplayState& display) {
    plot::SeriesDisplayInput in;
    in.variable = state.variable;
    in.alignment = state.alignment;
    in.y_min = st.summary.y_min;
    in.y_max = st.summary.y_max;
    in.regional_curve = curve;
    in.title = title;
    plot::run_series_display(con, st, in, display);
}

bool answers_true(Console& con) { return con.ask_free_logical(menu_indent("Enter [T]rue or [F]alse > ")); }

// Offers to save the regional mean and the fitted curve, and says so when the
// file cannot be written.
void offer_rcs_save(Console& con, const std::string& title, std::int32_t min_age, std::int32_t max_age,
                    const std::vector<float>& rgc, const std::vector<float>& curve) {
    con.blank(2);
    con.line(menu_indent("Do you want to save the current RCS mean and spline fit"));
    con.line(menu_indent("data ?"));
    if (!answers_true(con)) return;
    if (!save_rcs_file(title, min_age, max_age, rgc, curve)) {
        con.line();
        con.line(menu_indent(std::string("The file ") + kRcsFile + " could not be written here; nothing was saved."));
    }
}

// Replaces the stored widths by their indices of the fitted curve (element 0 at
// min_age), sets the value range of the summary and reports the rings left
// without an index.
void replace_widths_by_indices(Console& con, Stores& st, const std::vector<float>& curve, std::int32_t min_age,
                               std::int32_t max_age) {
    std::vector<float> curve_by_age(MaxYears + 1, 0.0f);
    for (std::int32_t age = min_age; age <= max_age; ++age)
        curve_by_age[static_cast<std::size_t>(age)] = curve[static_cast<std::size_t>(age - min_age)];
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
        report_too_few_ages(con, n);
        state.variable = AnalysisVariable::ring_widths;
        state.alignment = SeriesAlignment::cambial_age;
        return;
    }
    const std::vector<float> rgc = regional_mean(st, min_age, max_age);
    state.regional_curve.assign(MaxYears, 0.0f);
    std::vector<float> se(MaxYears, 0.0f);

    // The curve is fitted and shown over the raw widths until the user keeps it.
    do {
        fit_regional_curve(con, state, n, rgc, se);
        state.alignment = SeriesAlignment::cambial_age;
        state.variable = AnalysisVariable::widths_with_regional_curve;
        show_series(con, st, state, std::span<const float>(state.regional_curve.data(), static_cast<std::size_t>(n)),
                    title, display);
        con.blank(2);
        con.line(menu_indent("Do you want to recalculate the mean Regional Growth Curve?"));
    } while (answers_true(con));

    offer_rcs_save(con, title, min_age, max_age, rgc, state.regional_curve);
    replace_widths_by_indices(con, st, state.regional_curve, min_age, max_age);
    state.variable = AnalysisVariable::rcs_indices;
    show_series(con, st, state, {}, title, display);
}

}  // namespace tarnik::rcs

#include "clouds/cloud_build.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "clouds/menu_lines.h"
#include "console/format.h"

namespace tarnik::clouds {
namespace {

using fmt::F;
using fmt::I;

// Rings of series r that have a cambial age in start..stop: the first and last
// such age (empty when first > last).
std::pair<std::int32_t, std::int32_t> overlap(const SeriesRecord& r, std::int32_t start, std::int32_t stop) {
    return {std::max(start, r.first_age), std::min(stop, r.last_age)};
}

void cloud_size_error(Console& con) {
    con.blank(2);
    say(con, "******* MAJOR ERROR *******");
    say(con, "You have defined an age class that exceeds");
    say(con, "the maximum allowed cloud size. The solution");
    say(con, "to this is to perform your analysis with a ");
    say(con, "smaller age class definition. ");
    hit_return(con);
}

void year_span_error(Console& con, std::int64_t span) {
    const std::string years = "many years: " + I(span, 7) + " . The solution";
    notice(con, {"******* MAJOR ERROR *******", "You have defined an age class that spans too", years,
                 "to this is to perform your analysis with a ", "smaller age class definition so as not to",
                 "include so many dots"});
}

// What to do about a class whose cloud cannot be fitted.
enum class SmallCloudChoice {
    keep_earlier_classes = 1,  // plot the classes before it
    redefine = 2,              // define the age classes again
};

// A class whose cloud cannot be fitted (fewer than 3 points, or points in fewer
// than 3 different years), and the user's choice.
SmallCloudChoice too_small_warning(Console& con, const CloudStore& cs, std::int32_t k, bool few_years) {
    const auto i = static_cast<std::size_t>(k - 1);
    for (;;) {
        con.blank();
        say(con, "******************* WARNING ********************");
        say(con, "You have defined an age class that is less then 3");
        if (few_years) say(con, "(its points fall in fewer than 3 different years)");
        con.blank();
        say(con, "Classnum StartAge  StopAge   Size");
        con.line(fmt::X(15) + I(k, 3) + fmt::X(7) + I(cs.start_age[i], 3) + fmt::X(5) + I(cs.stop_age[i], 3) +
                 fmt::X(7) + I(cs.num[i], 3));
        con.blank();
        say(con, "What to do?");
        con.blank();
        say(con, "Continue plotting all age classes");
        say(con, "with 3 or more data points        [1]");
        con.text(menu_indent("Redefine Dot Cloud parameters     [2] : "));
        const auto a = parse_int_field(con.read_line(), 2);
        if (a && (*a == 1 || *a == 2)) return static_cast<SmallCloudChoice>(*a);
        con.blank();
        say(con, "You must enter a 1 or 2");
        con.blank();
    }
}

// Copies a vector prefix, replacing the destination's storage when it is far
// larger than needed, so that memory follows the data of the last build.
void assign_prefix(std::vector<float>& to, const std::vector<float>& from, std::size_t n) {
    if (to.capacity() > 2 * n + 1024) std::vector<float>().swap(to);
    to.assign(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace

std::int64_t collect_cloud(const Stores& st, std::int32_t start, std::int32_t stop, CloudClass& out) {
    std::int64_t c = 0;
    for (std::int32_t j = 1; j <= st.nser; ++j) {
        const auto [a0, a1] = overlap(st.rec(j), start, stop);
        if (a0 <= a1) c += a1 - a0 + 1;
    }
    if (c > CloudMax) return c;
    const auto n = static_cast<std::size_t>(c);
    for (auto* v : {&out.cloud_year, &out.cloud_value}) {
        if (v->capacity() > 2 * n + 1024) std::vector<float>().swap(*v);
        v->resize(n);
    }
    std::size_t i = 0;
    for (std::int32_t j = 1; j <= st.nser; ++j) {
        const SeriesRecord& r = st.rec(j);
        const auto [a0, a1] = overlap(r, start, stop);
        const float scale = static_cast<float>(r.scale);
        for (std::int32_t a = a0; a <= a1; ++a) {
            const std::int32_t p = r.first_index + a - r.first_age;
            out.cloud_value[i] = static_cast<float>(st.values[static_cast<std::size_t>(p - 1)]) / scale;
            out.cloud_year[i] = static_cast<float>(r.first_year + a - r.first_age);
            ++i;
        }
    }
    return c;
}

void set_cloud_axes(plot::PlotAppearance& ap, float xmin, float xmax, float ymin, float ymax) {
    ap.x_min = xmin - std::fmod(xmin, 10.0f);
    ap.x_max = xmax + 10.0f - std::fmod(xmax, 10.0f);
    ap.y_max = std::round(ymax) + 0.5f;
    ap.y_min = std::round(ymin);
    const float xr = ap.x_max - ap.x_min;
    if (auto t = plot::long_span_ticks(xr)) ap.x_major = t->major, ap.x_minor = t->minor;
    else if (xr <= 100.0f) ap.x_major = 10.0f, ap.x_minor = 10;
    else if (xr <= 300.0f) ap.x_major = 20.0f, ap.x_minor = 10;
    else if (xr <= 500.0f) ap.x_major = 50.0f, ap.x_minor = 5;
    else if (xr <= 1000.0f) ap.x_major = 100.0f, ap.x_minor = 10;
    else ap.x_major = 250.0f, ap.x_minor = 5;
    const float yr = ap.y_max - ap.y_min;
    if (yr <= 1.0f) ap.y_major = 0.5f, ap.y_minor = 5;
    else if (yr <= 4.0f) ap.y_major = 1.0f, ap.y_minor = 10;
    else if (yr <= 10.0f) ap.y_major = 2.0f, ap.y_minor = 10;
    else ap.y_major = 2.0f, ap.y_minor = 5;
}

namespace {

// What one class's cloud shows of the build's checks.
struct CloudScan {
    float first = 0.0f, last = 0.0f;  // first and last year
    int distinct = 0;                 // different years, counted up to 3
};

// The first and last year and up to 3 different years of class cl's cloud; the
// data ranges of the appearance grow to take in its points.
CloudScan scan_cloud(const CloudClass& cl, plot::PlotAppearance& ap) {
    CloudScan scan;
    float seen[2] = {0.0f, 0.0f};
    for (std::size_t p = 0; p < cl.cloud_year.size(); ++p) {
        const float y = cl.cloud_year[p];
        const float v = cl.cloud_value[p];
        if (p == 0) scan.first = scan.last = y;
        scan.first = std::min(scan.first, y);
        scan.last = std::max(scan.last, y);
        ap.x_min = std::min(ap.x_min, y);
        ap.x_max = std::max(ap.x_max, y);
        ap.y_min = std::min(ap.y_min, v);
        ap.y_max = std::max(ap.y_max, v);
        if (scan.distinct < 3) {
            bool known = false;
            for (int d = 0; d < scan.distinct; ++d) known = known || seen[d] == y;
            if (!known) {
                if (scan.distinct < 2) seen[scan.distinct] = y;
                ++scan.distinct;
            }
        }
    }
    return scan;
}

// The clouds of all classes, with their checks. A class too small to fit ends
// the collection: the classes before it are kept when the user so chooses.
// Built when the collection went through (classnum may have been cut).
BuildResult collect_clouds(Console& con, const Stores& st, DotCloudState& s) {
    CloudStore& cs = s.cs;
    bool cut = false;
    std::int32_t kept = cs.classnum;
    for (std::int32_t k = 1; k <= cs.classnum && !cut; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        CloudClass& cl = cs.cls[i];
        const std::int64_t c = collect_cloud(st, cs.start_age[i], cs.stop_age[i], cl);
        if (c > CloudMax) {
            cloud_size_error(con);
            return BuildResult::Redefine;
        }
        const CloudScan scan = scan_cloud(cl, s.ap);
        const auto count = static_cast<std::int32_t>(c);
        cs.max_num = std::max(cs.max_num, count);
        s.cloud_span[i] = s.ap.x_max - s.ap.x_min + 1.0f;
        cs.num[i] = count;

        // A cloud needs 3 points in 3 different years for its spline.
        if (count < 3 || scan.distinct < 3) {
            if (too_small_warning(con, cs, k, count >= 3) == SmallCloudChoice::redefine) return BuildResult::Redefine;
            cut = true;
            kept = k - 1;
        }
        const double span = static_cast<double>(scan.last) - scan.first + 1.0;
        if (span > CloudMax) {
            year_span_error(con, static_cast<std::int64_t>(span));
            return BuildResult::Redefine;
        }
    }
    if (cut) cs.classnum = kept;
    return BuildResult::Built;
}

// Bandwidth of every class from its request.
void assign_bandwidths(Console& con, DotCloudState& s) {
    CloudStore& cs = s.cs;
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        const std::int32_t jdt = cs.jdt[i];
        if (jdt == 0) {
            cs.bw[i] = 0.0f;
            continue;
        }
        if (jdt < 0) {
            cs.bw[i] = (-static_cast<float>(jdt) / 100.0f) * s.cloud_span[i];
            cs.bw_label[i] = I(std::llround(cs.bw[i]), 4) + " %n years cutoff";
        } else {
            cs.bw[i] = static_cast<float>(jdt);
            cs.bw_label[i] = I(jdt, 4) + " fixed years cutoff";
        }
        if (cs.bw[i] < 2.0f) {
            con.blank();
            say(con, "The bandwidth must be > 2,");
            say(con, "It will be set = 2.");
            con.blank();
            say(con, "Hit return to CONTINUE");
            con.blank();
            con.read_line();
            cs.bw[i] = 2.0f;
        }
    }
}

// Fit of every cloud; the spline of each class goes into the class, and the
// spline range of the appearance grows to take it in.
void fit_clouds(DotCloudState& s) {
    CloudStore& cs = s.cs;
    plot::PlotAppearance& ap = s.ap;
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        CloudClass& cl = cs.cls[i];
        const auto m = static_cast<std::size_t>(cs.num[i]);
        if (cs.point_year.size() < m + 1) cs.point_year.resize(m + 1);
        if (cs.point_value.size() < m + 1) cs.point_value.resize(m + 1);
        std::copy(cl.cloud_year.begin(), cl.cloud_year.end(), cs.point_year.begin());
        std::copy(cl.cloud_value.begin(), cl.cloud_value.end(), cs.point_value.begin());

        const bool fixed = cs.bw[i] >= 2.0f;
        float bw = cs.bw[i];
        std::int32_t ni = 0, ns = 0;
        std::array<float, 8> stats{};
        fit_cloud(cs, s.fit, cs.num[i], 0.5f, ni, bw, ns, stats);
        cs.bw[i] = bw;
        cs.fit_stats[i] = stats;
        cs.nps[i] = ns;
        if (!fixed) cs.bw_label[i] = I(std::llround(static_cast<double>(bw)), 4) + " minimum-gcv years cutoff";
        cs.max_nps = std::max(cs.max_nps, ns);

        const auto n = static_cast<std::size_t>(ns);
        assign_prefix(cl.spline_year, cs.grid_year, n);
        assign_prefix(cl.spline_value, fixed ? cs.fixed_spline : cs.gcv_spline, n);
        assign_prefix(cl.spline_se, fixed ? cs.fixed_se : cs.gcv_se, n);
        for (float z : cl.spline_value) {
            ap.z_min = std::min(ap.z_min, z);
            ap.z_max = std::max(ap.z_max, z);
        }
    }
}

// The report lines of the build, then the axes, ticks and Y label of the plot.
void report_and_set_axes(Console& con, TextFile& report, DotCloudState& s, AnalysisVariable ivar) {
    const CloudStore& cs = s.cs;
    plot::PlotAppearance& ap = s.ap;
    report.blank();
    report.line(" Xhigh  Xlow   Yhigh  Ylow   Zhigh  Zlow");
    report.line(" " + fmt::FY(ap.x_max, 5, 0) + "  " + fmt::FY(ap.x_min, 5, 0) + "  " + F(ap.y_max, 7, 3) + F(ap.y_min, 7, 3) +
                F(ap.z_max, 7, 3) + F(ap.z_min, 7, 3));
    report.line(" Max Number of age clase cloud values = " + I(cs.max_num, 12));
    report.line(" Max Number of age clase compressed cloud values = " + I(cs.max_nps, 12));

    set_cloud_axes(ap, ap.x_min, ap.x_max, ap.y_min, ap.y_max);
    ap.z_major = 0.0f;
    ap.z_minor = 0;
    s.y_label = cloud_y_label(ivar);
    // The window also holds the splines.
    ap.y_min = std::min(ap.y_min, ap.z_min);
    ap.y_max = std::max(ap.y_max, ap.z_max);

    con.blank();
    con.line(" Dot Cloud Plotting Control _______________");
    con.blank();
}

}  // namespace

const char* cloud_y_label(AnalysisVariable ivar) {
    return ivar == AnalysisVariable::ring_widths ? "(RRW mm.)" : "(Spline mm.)";
}

BuildResult build_clouds(Console& con, const Stores& st, TextFile& report, DotCloudState& s, AnalysisVariable ivar) {
    CloudStore& cs = s.cs;
    plot::PlotAppearance& ap = s.ap;
    cs.max_num = -3000;
    cs.max_nps = -3000;
    // Years reach from -9999 to 9999 and values past 3000 are possible: the
    // ranges start empty, so that they end as the true extremes of the data.
    constexpr float kInf = std::numeric_limits<float>::infinity();
    ap.x_min = ap.y_min = ap.z_min = kInf;
    ap.x_max = ap.y_max = ap.z_max = -kInf;

    if (collect_clouds(con, st, s) == BuildResult::Redefine) return BuildResult::Redefine;
    // Clouds and splines of classes beyond the definition are no longer used.
    for (std::int32_t k = std::max(cs.classnum, 0) + 1; k <= mxnc; ++k) cs.cls[static_cast<std::size_t>(k - 1)] = {};
    if (cs.classnum < 1) return BuildResult::NothingLeft;

    assign_bandwidths(con, s);
    fit_clouds(s);
    report_and_set_axes(con, report, s, ivar);
    return BuildResult::Built;
}

}  // namespace tarnik::clouds

#include "clouds/cloud_fit.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "console/console.h"
#include "console/errors.h"
#include "console/format.h"
#include "spline/bandwidth.h"

namespace tarnik::clouds {
namespace {

using fmt::I;

[[noreturn]] void fatal(std::string message) {
    InternalError err;
    err.lines = {"", std::move(message)};
    err.pause = kProgrammerPause;
    throw err;
}

template <typename T>
void grow(std::vector<T>& v, std::size_t n) {
    if (v.size() < n) v.resize(n);
}

// Bandwidth reported for a minimum-GCV search that ended in a straight line.
constexpr float kStraightLine = 1.0e10f;

}  // namespace

void sort_by_year(std::int32_t m, std::span<float> year, std::span<float> value) {
    if (m < 1) fatal(menu_indent("In rankrr m < 1: " + I(m, 10)));
    const auto n = static_cast<std::size_t>(m);
    if (n > year.size() || n > value.size())
        fatal(menu_indent("In rankrr m > mmax: " + I(m, 10) + I(static_cast<std::int64_t>(year.size()), 10)));

    // Cloud years are whole calendar years, for which a counting sort is linear;
    // any other years go through a stable comparison sort. Both keep points of
    // equal year in their original order.
    float lo = year[0], hi = year[0];
    bool whole = true;
    for (std::size_t i = 0; i < n && whole; ++i) {
        const float y = year[i];
        whole = std::isfinite(y) && y == std::floor(y);
        lo = std::min(lo, y);
        hi = std::max(hi, y);
    }
    std::vector<std::pair<float, float>> sorted(n);
    if (whole && static_cast<double>(hi) - lo <= 4.0 * static_cast<double>(n) + 4096.0) {
        const auto base = static_cast<std::int64_t>(lo);
        std::vector<std::size_t> start(static_cast<std::size_t>(static_cast<std::int64_t>(hi) - base) + 2, 0);
        for (std::size_t i = 0; i < n; ++i) ++start[static_cast<std::size_t>(static_cast<std::int64_t>(year[i]) - base) + 1];
        for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        for (std::size_t i = 0; i < n; ++i)
            sorted[start[static_cast<std::size_t>(static_cast<std::int64_t>(year[i]) - base)]++] = {year[i], value[i]};
    } else {
        for (std::size_t i = 0; i < n; ++i) sorted[i] = {year[i], value[i]};
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    for (std::size_t i = 0; i < n; ++i) {
        year[i] = sorted[i].first;
        value[i] = sorted[i].second;
    }
}

std::int32_t average_repeated_years(std::int32_t m, float tol, std::span<float> year, std::span<const float> value,
                   std::vector<float>& comp_year, std::vector<float>& comp_value, std::vector<std::int32_t>& nrep) {
    if (m < 2) fatal(menu_indent("in amrep ni < 2. " + I(m, 10)));
    const auto n = static_cast<std::size_t>(m);
    if (n + 1 > year.size() || n > value.size())
        fatal(menu_indent("in amrep ni+1 > nmax. " + I(m, 10) + I(static_cast<std::int64_t>(year.size()), 10)));
    // The sentinel closes the last group.
    year[n] = year[n - 1] + 10.0f * tol;

    // Groups are closed in order; there are at most m of them.
    grow(comp_year, n);
    grow(comp_value, n);
    grow(nrep, n);
    std::int32_t ni = 0;
    std::int32_t count = 1;
    // Values are averaged in single precision. Years are summed in double: a large
    // group of one year (tens of thousands of points) would otherwise drift from
    // that year, because a single-precision sum above 2^24 can no longer hold it.
    double year_sum = year[0];
    float value_sum = value[0];
    for (std::size_t i = 0; i < n; ++i) {
        if (year[i + 1] - year[i] >= tol) {
            const auto g = static_cast<std::size_t>(ni);
            nrep[g] = count;
            comp_year[g] = static_cast<float>(year_sum / count);
            comp_value[g] = value_sum / static_cast<float>(count);
            ++ni;
            if (i + 1 < n) {
                count = 1;
                year_sum = year[i + 1];
                value_sum = value[i + 1];
            }
        } else {
            ++count;
            year_sum += year[i + 1];
            value_sum += value[i + 1];
        }
    }
    return ni;
}

namespace {

// Spline input of the ni averaged points: replicate means weighted by
// 1 / (number of replicates).
void load_spline_input(const CloudStore& cs, CloudFitWork& work, std::size_t n) {
    for (auto* v : {&work.x, &work.f, &work.df, &work.y, &work.se}) grow(*v, n);
    for (std::size_t i = 0; i < n; ++i) {
        work.x[i] = cs.comp_year[i];
        work.f[i] = cs.comp_value[i];
        work.df[i] = 1.0 / cs.nrep[i];
    }
}

// The smoothing spline through the loaded points: with the fixed bandwidth bw
// when `fixed`, otherwise with the smoothing of minimum GCV.
void fit_spline(CloudFitWork& work, std::int32_t ni, float bw, bool fixed) {
    const auto n = static_cast<std::size_t>(ni);
    std::span<const double> x(work.x.data(), n), f(work.f.data(), n);
    std::span<double> df(work.df.data(), n), y(work.y.data(), n), se(work.se.data(), n);
    double var = -1.0;
    if (fixed) {
        double p = 0.0;
        spline::sb1bw2p(bw, p);
        spline::cugcv(p, x, f, df, ni, y, var, se, work.spline);
    } else {
        spline::cubgcv(x, f, df, ni, y, var, 1, se, work.spline);
    }
}

// The fit statistics; for a minimum-GCV fit also the bandwidth it chose.
void fit_statistics(const CloudFitWork& work, std::int32_t ni, bool fixed, float& bw, std::array<float, 8>& stats) {
    const auto& s = work.spline.stats;
    for (std::size_t j = 0; j < 7; ++j) stats[j] = static_cast<float>(s[j]);
    stats[7] = static_cast<float>(ni);
    if (fixed) {
        stats[0] = bw;
    } else {
        // The search reports P = rho / (1 + rho); its smoothing parameter is 1 / rho.
        const double P = s[0];
        const double r = P == 0.0 ? 0.0 : (1.0 - P) / P;
        if (P == 0.0 || r > 24.0) {
            bw = 2.0f;  // interpolating fit
        } else if (r > 0.0) {
            spline::sb1p2bw(r, bw);
        } else {
            bw = kStraightLine;  // the fit is a straight line
        }
        stats[0] = bw == kStraightLine ? kStraightLine : std::max(std::round(bw), 2.0f);
    }
    stats[1] = std::round(stats[1]);
}

// The spline on a grid of whole years from the first to the last cloud year:
// data years carry the fitted value and its standard error, the years between
// them the spline's value and a standard error of 0. Returns the grid's size.
std::int32_t lay_out_on_grid(CloudStore& cs, const CloudFitWork& work, std::size_t n, bool fixed) {
    std::vector<float>& out_value = fixed ? cs.fixed_spline : cs.gcv_spline;
    std::vector<float>& out_se = fixed ? cs.fixed_se : cs.gcv_se;
    auto put = [&](std::int32_t idx, float yr, float v, float e) {
        const auto i = static_cast<std::size_t>(idx);
        if (cs.grid_year.size() <= i) cs.grid_year.resize(std::max(i + 1, cs.grid_year.size() * 3 / 2 + 16));
        if (out_value.size() <= i) out_value.resize(std::max(i + 1, out_value.size() * 3 / 2 + 16));
        if (out_se.size() <= i) out_se.resize(std::max(i + 1, out_se.size() * 3 / 2 + 16));
        cs.grid_year[i] = yr;
        out_value[i] = v;
        out_se[i] = e;
    };
    const auto& x = work.x;
    const auto& y = work.y;
    const auto& se = work.se;
    const auto& c1 = work.spline.c1;
    const auto& c2 = work.spline.c2;
    const auto& c3 = work.spline.c3;
    const float x0 = cs.comp_year[0];
    put(0, x0, static_cast<float>(y[0]), static_cast<float>(se[0]));
    std::int32_t ns = 1;
    std::int32_t step = 0;
    for (std::size_t k = 1; k < n; ++k) {
        for (;;) {
            ++ns;
            if (ns > CloudMax) fatal(menu_indent("In seq4pg ns > nmax: " + I(ns, 10) + I(CloudMax, 10)));
            ++step;
            const float t = x0 + static_cast<float>(step);
            if (cs.comp_year[k] - 0.1f <= t) {
                put(ns - 1, cs.comp_year[k], static_cast<float>(y[k]), static_cast<float>(se[k]));
                break;
            }
            const double d = static_cast<double>(t) - x[k - 1];
            const double v = ((c3[k - 1] * d + c2[k - 1]) * d + c1[k - 1]) * d + y[k - 1];
            put(ns - 1, t, static_cast<float>(v), 0.0f);
        }
    }
    return ns;
}

}  // namespace

void fit_cloud(CloudStore& cs, CloudFitWork& work, std::int32_t m, float tol, std::int32_t& ni, float& bw,
            std::int32_t& ns, std::array<float, 8>& stats) {
    if (m > CloudMax) fatal(menu_indent("in seq4pg ni > nmax: " + I(m, 10) + I(CloudMax, 10)));
    if (m < 3) fatal(menu_indent("in seq4pg ni < 3: " + I(m, 10) + I(3, 10)));
    const auto mm = static_cast<std::size_t>(m);
    grow(cs.point_year, mm + 1);
    grow(cs.point_value, mm + 1);

    sort_by_year(m, cs.point_year, cs.point_value);
    ni = average_repeated_years(m, tol, cs.point_year, cs.point_value, cs.comp_year, cs.comp_value, cs.nrep);

    const auto n = static_cast<std::size_t>(ni);
    load_spline_input(cs, work, n);
    const bool fixed = bw >= 2.0f;
    fit_spline(work, ni, bw, fixed);
    fit_statistics(work, ni, fixed, bw, stats);
    ns = lay_out_on_grid(cs, work, n, fixed);
}

}  // namespace tarnik::clouds

#include "clouds/normalise.h"

#include <cmath>
#include <string>
#include <vector>

#include "console/errors.h"
#include "console/format.h"

namespace tarnik::clouds {
namespace {

using fmt::F;
using fmt::I;
using fmt::NINTY;

[[noreturn]] void standardise_fail(const std::string& message) {
    throw InternalError{{"", message, ""}, "Hit RETURN to terminate ", true};
}

[[noreturn]] void entry_check_fail(std::vector<std::string> lines) {
    lines.push_back("");
    throw InternalError{std::move(lines), "Hit RETURN to Terminate program : ", true};
}

constexpr const char* kCallProgrammer = "This should not happen. Call the nearest programmer.";

// Lines that go to the console and, in the same words, to the report file.
void both(Console& con, TextFile& report, std::initializer_list<std::string> lines) {
    for (const auto& l : lines) con.line(l);
    for (const auto& l : lines) report.line(l);
}

struct Period {
    float a = 0, b = 0, c = 0, d = 0;  // full span a..d, common period b..c
};

void print_period(Console& con, TextFile& report, const Period& p) {
    both(con, report,
         {"", "The full time span of the age classes is", "from " + NINTY(p.a, 4) + " to " + NINTY(p.d, 4) + ".", "",
          "The common period for the age classes is", "from " + NINTY(p.b, 4) + " to " + NINTY(p.c, 4) + "."});
}

void try_again_pause(Console& con) {
    con.blank();
    con.pause_field("Hit RETURN to try again ");
}

// The user's own common period. It must lie within the full time span, start no
// later than the automatic period ends and end no earlier than it starts, so
// that it bridges a gap between classes. On return p.b and p.c hold it.
void ask_user_period(Console& con, Period& p) {
    con.blank();
    con.line("Enter the first and last years of your common period.");
    con.line("They must be within the full time span of the data");
    con.line("and the last year must be greater than the first year.");
    for (;;) {
        const float first = static_cast<float>(con.ask_free_real("New First Year? : "));
        if (first > p.c) {
            con.line("The first year must be \u2264 " + NINTY(p.c, 4) + ".");
            try_again_pause(con);
            continue;
        }
        for (;;) {
            const float last = static_cast<float>(con.ask_free_real("New Last Year?  : "));
            std::string problem;
            bool ask_last_again = false;
            if (last < p.b) {
                problem = "The last year must be \u2265 " + NINTY(p.b, 4) + ".";
                ask_last_again = true;
            } else if (first < p.a) {
                problem = "The first year must be \u2265 " + NINTY(p.a, 4) + ".";
            } else if (first > last) {
                problem = "The first year must be \u2264 the last year.";
            } else if (last > p.d) {
                problem = "The last year must be \u2264 " + NINTY(p.d, 4) + ".";
            } else {
                p.b = first;
                p.c = last;
                return;
            }
            con.line(problem);
            try_again_pause(con);
            if (!ask_last_again) break;  // start again with the first year
        }
    }
}

enum class AnomalyMethod {
    mean_removed,            // answer 1
    mean_removed_and_scaled  // answer 2: also scaled to unit standard deviation
};

AnomalyMethod ask_method(Console& con) {
    for (;;) {
        con.blank();
        con.line("It is time to compute the age class anomalies.");
        con.line("You may choose ONE of two options.");
        con.blank();
        con.line("If you ONLY want the MEAN removed from");
        con.line("each age class, enter [1].");
        con.blank();
        con.line("If you ALSO want the standard deviation");
        con.line("scaled to one, enter  [2].");
        con.text("Enter [1 or 2] :    ");
        const auto v = con.read_free_int();
        if (!v) continue;
        if (*v == 1) return AnomalyMethod::mean_removed;
        if (*v == 2) return AnomalyMethod::mean_removed_and_scaled;
        con.blank();
        con.line("Invalid Entry, try again.");
        try_again_pause(con);
    }
}

void check_store(const CloudStore& cs) {
    const std::int32_t nc = cs.classnum;
    if (nc > mxnc) {
        entry_check_fail({"", "In tarnikplot3 classnum is > mxnc: " + I(nc, 4) + I(mxnc, 4), kCallProgrammer});
    }
    for (std::int32_t k = 1; k <= nc; ++k) {
        const CloudClass& cl = cs.cls[static_cast<std::size_t>(k - 1)];
        const std::int32_t num = cs.num[static_cast<std::size_t>(k - 1)];
        const std::int32_t nps = cs.nps[static_cast<std::size_t>(k - 1)];
        if (num > CloudMax) {
            entry_check_fail({"", "in tarnikplot3 num[" + I(k, 4) + "] is > mxn: " + I(num, 4) + I(CloudMax, 4),
                              kCallProgrammer});
        }
        if (nps > CloudMax) {
            entry_check_fail({"", "in tarnikplot3 nps[" + I(k, 4) + "] is > mxn: " + I(nps, 4) + I(CloudMax, 4),
                              kCallProgrammer});
        }
        // The counts must match what the class holds, and every class the
        // display keeps has been fitted, so its spline has at least one point.
        if (num < 0 || static_cast<std::size_t>(num) > cl.cloud_year.size() ||
            static_cast<std::size_t>(num) > cl.cloud_value.size()) {
            entry_check_fail({"", "in tarnikplot3 num[" + I(k, 4) + "] does not match the cloud: " + I(num, 8) +
                                      I(static_cast<std::int64_t>(cl.cloud_value.size()), 8),
                              kCallProgrammer});
        }
        if (nps < 1 || static_cast<std::size_t>(nps) > cl.spline_year.size() ||
            static_cast<std::size_t>(nps) > cl.spline_value.size()) {
            entry_check_fail({"", "in tarnikplot3 nps[" + I(k, 4) + "] does not match the spline: " + I(nps, 8) +
                                      I(static_cast<std::int64_t>(cl.spline_value.size()), 8),
                              kCallProgrammer});
        }
    }
}

// The two series of a class that become anomalies: the words of their
// notices and the tags of their report lines.
struct SeriesWords {
    const char* name;       // "spline" or "cloud"
    const char* mean_tag;   // tag of the mean's report line
    const char* sd_tag;     // tag of the standard deviation's report line
    const char* left_out;   // what is not plotted when the series is left out
};
constexpr SeriesWords kSplineWords{"spline", "ysmu", "yssd", "this age class will not be plotted."};
constexpr SeriesWords kCloudWords{"cloud", "ycmu", "ycsd", "this cloud will not be plotted."};

void not_plotted(Console& con, TextFile& report, const SeriesWords& w, std::int32_t k, const std::string& why,
                 const std::string& detail) {
    both(con, report, {"", std::string(w.name) + " " + I(k, 4) + why, detail, w.left_out});
}

// The full span of the class splines and the period they all share.
Period common_period(const CloudStore& cs) {
    Period p;
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const CloudClass& cl = cs.cls[static_cast<std::size_t>(k - 1)];
        const float y1 = cl.spline_year.front();
        const float yn = cl.spline_year[static_cast<std::size_t>(cs.nps[static_cast<std::size_t>(k - 1)] - 1)];
        if (k == 1) {
            p = {y1, y1, yn, yn};
        } else {
            if (y1 < p.a) p.a = y1;
            if (y1 > p.b) p.b = y1;
            if (yn < p.c) p.c = yn;
            if (yn > p.d) p.d = yn;
        }
    }
    return p;
}

enum class PeriodChoice { automatic, user_defined, none };

// Shows the period and asks whether the user wants another; a period with a gap
// must be replaced, or the normalisation ends (none).
PeriodChoice choose_period(Console& con, TextFile& report, Period& p) {
    const bool acceptable = !(p.c - p.b < -0.1f);
    for (;;) {
        print_period(con, report, p);
        if (!acceptable) {
            con.line("This is not an acceptable common period.");
            con.line("You must enter a common period that will");
            con.line("span this gap and have additional years");
            con.line("at both ends or return to the main program.");
        }
        con.line("Remember, the mean and the standard deviation");
        con.line("that are used to compute anomalies are computed");
        con.line("over the common period.");
        con.blank();
        con.line("Would you like to enter a different common period?");
        const char answer = first_char(con.ask("Enter a lower case [y]es or [n]o  : "));
        if (answer == 'n') return acceptable ? PeriodChoice::automatic : PeriodChoice::none;
        if (answer == 'y') {
            ask_user_period(con, p);
            return PeriodChoice::user_defined;
        }
        con.blank();
        con.line("Invalid entry try again.");
        con.blank();
        con.pause_field("Hit RETURN to continue ");
    }
}

// Centres `values` on the mean of `period` (values of the same series within
// the common period) and, for the scaled method, divides them by the period's
// standard deviation. False, after the notice, when the series cannot be scaled.
bool centre_and_scale(Console& con, TextFile& report, const SeriesWords& w, std::int32_t k,
                      std::span<float> period, std::span<float> values, AnomalyMethod method) {
    const auto m = static_cast<std::int32_t>(period.size());
    float mean = 0.0f, sd = 0.0f;
    standardise(period, m, mean, sd, StatisticsMode::mean);
    report.line("index= " + I(k, 4) + " " + w.mean_tag + "= " + F(mean, 8, 5));
    for (float& v : values) v -= mean;
    if (method == AnomalyMethod::mean_removed) return true;
    if (m < 2) {
        not_plotted(con, report, w, k, " has too few points in the common period",
                    "for a standard deviation to be computed.");
        return false;
    }
    standardise(period, m, mean, sd, StatisticsMode::deviation);
    report.line("index= " + I(k, 4) + " " + w.sd_tag + "= " + F(sd, 8, 5));
    if (sd == 0.0f) {
        not_plotted(con, report, w, k, " has a standard deviation of 0 in the common period",
                    "so it cannot be scaled to one.");
        return false;
    }
    for (float& v : values) v /= sd;
    return true;
}

// The anomalies of class k's spline (its whole-year grid `years` and its
// values `spline`) over the period. False when the spline, and with it the whole
// class, is left out.
bool normalise_spline(Console& con, TextFile& report, std::int32_t k, std::span<const float> years,
                      std::span<float> spline, const Period& p, AnomalyMethod method, std::vector<float>& period_values) {
    const auto nps = static_cast<std::int32_t>(spline.size());
    const float y1 = years.front();
    const float yn = years.back();
    const float lo = p.b - 0.1f;
    const float hi = p.c + 0.1f;

    // Spline points j1..j2 (1-based) lie in the period; the spline is on a
    // grid of whole years, so the positions follow from the year distances.
    std::int32_t j1 = 1, j2 = nps;
    const bool outside = y1 > hi || yn < lo;
    if (!outside) {
        if (!(y1 >= lo)) j1 = static_cast<std::int32_t>(std::lround(p.b - y1)) + 1;
        if (!(yn <= hi)) j2 = nps - static_cast<std::int32_t>(std::lround(yn - p.c));
    }
    // A period narrower than a year (fractional years typed by the user) can
    // fall between two grid points; the class then has no spline point in it.
    if (outside || j2 < j1) {
        not_plotted(con, report, kSplineWords, k, std::string(" has no points in the common period") + (yn < lo ? "." : ""),
                    "and so the cloud cannot.");
        con.blank();
        con.pause_field("  Hit RETURN to continue : ");
        return false;
    }
    report.line("j1&2: " + I(j1, 5) + I(j2, 5));

    // The period's spline values are copied first: the whole spline is
    // centred next, and the deviation is taken from the values as they were.
    const std::int32_t m = j2 - j1 + 1;
    const auto first = spline.begin() + (j1 - 1);
    period_values.assign(first, first + m);
    return centre_and_scale(con, report, kSplineWords, k, period_values, spline, method);
}

// The anomalies of class k's cloud (its points' `years` and `cloud` values),
// centred and scaled by its own statistics over the period. False when the
// cloud is left out.
bool normalise_cloud(Console& con, TextFile& report, std::int32_t k, std::span<const float> years,
                     std::span<float> cloud, const Period& p, AnomalyMethod method, std::vector<float>& in_period) {
    in_period.clear();
    for (std::size_t i = 0; i < cloud.size(); ++i) {
        if (p.b <= years[i] && years[i] <= p.c) in_period.push_back(cloud[i]);
    }
    if (in_period.empty()) {
        both(con, report,
             {"", "cloud " + I(k, 4) + " has no points in the common period.", "this cloud will not be plotted."});
        return false;
    }
    return centre_and_scale(con, report, kCloudWords, k, in_period, cloud, method);
}

}  // namespace

bool standardise(std::span<float> x, std::int32_t l, float& mean, float& sd, StatisticsMode mode) {
    if (static_cast<std::int64_t>(l) > static_cast<std::int64_t>(x.size())) {
        standardise_fail("In amstd l > lmax:" + I(l, 5) + I(static_cast<std::int64_t>(x.size()), 5));
    }
    if (l < 1) standardise_fail("In amstd l \u201d 0:" + I(l, 5));
    using M = StatisticsMode;
    const bool own_mean =
        mode == M::mean || mode == M::mean_and_deviation || mode == M::scale_own_mean || mode == M::scale_own_mean_and_deviation;
    const bool own_deviation = mode == M::deviation || mode == M::mean_and_deviation || mode == M::scale_own_deviation ||
                               mode == M::scale_own_mean_and_deviation;
    const bool scales = mode == M::scale_given || mode == M::scale_own_mean || mode == M::scale_own_deviation ||
                        mode == M::scale_own_mean_and_deviation;
    if (l == 1 && own_deviation) standardise_fail("In amstds l = 1 and you want an std??");
    const std::span<float> v = x.first(static_cast<std::size_t>(l));

    double centre = mean;  // the mean the standard deviation is taken about
    if (own_mean) {
        double sum = 0.0;
        for (float xi : v) sum += xi;
        centre = sum / l;
        mean = static_cast<float>(centre);
    }
    if (own_deviation) {
        double ss = 0.0;
        for (float xi : v) {
            const double dev = static_cast<double>(xi) - centre;
            ss += dev * dev;
        }
        sd = static_cast<float>(std::sqrt(ss / (l - 1)));
    }
    if (scales) {
        if (sd == 0.0f) return false;
        for (float& xi : v) xi = (xi - mean) / sd;
    }
    return true;
}

NormaliseResult normalise_clouds(Console& con, CloudStore& cs, TextFile& report) {
    report.line("(Normalization ***************");
    check_store(cs);
    // With no class left by the build there is nothing to share a period.
    if (cs.classnum < 1) return NormaliseResult::no_common_period;

    Period p = common_period(cs);
    const PeriodChoice choice = choose_period(con, report, p);
    if (choice == PeriodChoice::none) return NormaliseResult::no_common_period;

    const AnomalyMethod method = ask_method(con);
    if (choice == PeriodChoice::user_defined) {
        report.blank();
        report.line("User Define common period ");
    }
    report.line("  cp: " + NINTY(p.b, 5) + NINTY(p.c, 5));
    report.line(method == AnomalyMethod::mean_removed ? "Normalization by MEAN removal"
                                                      : "Normalization by MEAN removal AND scaled STD ");

    cs.spline_skipped.fill(false);
    cs.cloud_skipped.fill(false);
    std::vector<float> period_values;
    for (std::int32_t k = 1; k <= cs.classnum; ++k) {
        const std::size_t ki = static_cast<std::size_t>(k - 1);
        CloudClass& cl = cs.cls[ki];
        const auto nps = static_cast<std::size_t>(cs.nps[ki]);
        const auto num = static_cast<std::size_t>(cs.num[ki]);
        if (!normalise_spline(con, report, k, {cl.spline_year.data(), nps}, {cl.spline_value.data(), nps}, p, method,
                              period_values)) {
            cs.spline_skipped[ki] = true;
            cs.cloud_skipped[ki] = true;
        } else if (!normalise_cloud(con, report, k, {cl.cloud_year.data(), num}, {cl.cloud_value.data(), num}, p,
                                    method, period_values)) {
            cs.cloud_skipped[ki] = true;
        }
    }
    return NormaliseResult::normalised;
}

}  // namespace tarnik::clouds

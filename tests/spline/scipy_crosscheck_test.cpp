// Cross-check of both engines against an independent implementation: scipy's
// make_smoothing_spline and a dense textbook formulation (tests/spline/
// scipy_check.py explains the mapping between the parameters). Our results are
// written to a JSON file, the script recomputes every case and fails on any
// difference beyond the stated tolerance. A missing scipy is a failure.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "spline/bandwidth.h"
#include "spline/cgcv1.h"
#include "spline/cubgcv.h"
#include "spline_data.h"

namespace tarnik::spline {
namespace {

class Cases {
public:
    // A fit at a known smoothing weight rho with the results to compare.
    void fixed(const std::string& name, const std::vector<double>& x, const std::vector<double>& f,
               const std::vector<double>& df, double rho, const std::vector<double>& y, const std::vector<double>& se,
               double var, const std::vector<double>& stats, double tol) {
        begin("fixed", name, x, f, df, rho, y);
        out_ << ", \"se\": " << array(se) << ", \"var\": " << num(var) << ", \"tol\": " << num(tol);
        if (!stats.empty()) out_ << ", \"stats\": " << array(stats);
        out_ << "}";
    }
    // A fit chosen by a criterion (gcv_equal, gcv_weighted or mse_known).
    void chosen(const std::string& kind, const std::string& name, const std::vector<double>& x,
                const std::vector<double>& f, const std::vector<double>& df, double rho, const std::vector<double>& y,
                double lam_tol, double tol, double known_var = 0.0) {
        begin(kind, name, x, f, df, rho, y);
        out_ << ", \"lam_tol\": " << num(lam_tol) << ", \"tol\": " << num(tol) << ", \"known_var\": " << num(known_var)
             << "}";
    }
    std::string json() const { return "{\"cases\": [" + out_.str() + "\n]}\n"; }

private:
    static std::string num(double v) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        return buf;
    }
    static std::string array(const std::vector<double>& v) {
        std::string s = "[";
        for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + num(v[i]);
        return s + "]";
    }
    void begin(const std::string& kind, const std::string& name, const std::vector<double>& x,
               const std::vector<double>& f, const std::vector<double>& df, double rho,
               const std::vector<double>& y) {
        out_ << (count_++ ? ",\n" : "\n") << "{\"kind\": \"" << kind << "\", \"name\": \"" << name
             << "\", \"x\": " << array(x) << ", \"f\": " << array(f) << ", \"df\": " << array(df)
             << ", \"rho\": " << num(rho) << ", \"y\": " << array(y);
    }
    std::ostringstream out_;
    int count_ = 0;
};

std::vector<double> widen(const std::vector<float>& v) { return {v.begin(), v.end()}; }

std::vector<double> positions(std::size_t n) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<double>(i + 1);
    return x;
}

// cgcv1 builds its band matrix T with 4/3 and 1/3 rounded to single precision,
// both larger than exact by the same factor (1 + 2^-25); that is the exact
// problem with rho divided by that factor.
double equal_spacing_rho(double rho) { return rho * (4.0 / 3.0) / static_cast<double>(4.0f / 3.0f); }

double rho_of(double p_stat) { return p_stat / (1.0 - p_stat); }

void add_cgcv1(Cases& cases, const std::string& name, const std::vector<float>& v, std::int32_t jdt) {
    const auto n = static_cast<std::int32_t>(v.size());
    std::vector<float> fit(v.size()), se(v.size());
    float var = -1.0f;
    std::int32_t j = jdt;
    Cgcv1Stats st;
    cgcv1(2100, n, v, fit, j, var, se, st);
    const std::vector<double> x = positions(v.size()), df(v.size(), 1.0);
    const double rho = equal_spacing_rho(rho_of(st.p));
    cases.fixed(name, x, widen(v), df, rho, widen(fit), widen(se), var,
                {st.df, st.gcv, st.msr, st.mse, st.variance, 1.0}, 1e-6);
    if (jdt <= 0) cases.chosen("gcv_equal", name, x, widen(v), df, rho, widen(fit), 1e-4, 2e-6);
}

struct Cloud {
    std::vector<double> x, f, df;
};

// Distinct years with gaps; means of 1..8 replicates, weighted by 1/count.
Cloud cloud(int n, std::uint64_t seed, bool equal_weights) {
    test::Rng rng(seed);
    Cloud c;
    double year = 1600;
    for (int i = 0; i < n; ++i) {
        year += 1 + (rng.uniform() < 0.25 ? 1 + static_cast<int>(4 * rng.uniform()) : 0);
        const int reps = equal_weights ? 1 : 1 + static_cast<int>(8 * rng.uniform());
        c.x.push_back(year);
        c.f.push_back(1.2 + 0.5 * std::sin((year - 1600) / 25.0) + 0.35 * rng.normal() / std::sqrt(reps));
        c.df.push_back(equal_weights ? 0.7 : 1.0 / reps);
    }
    return c;
}

void add_general(Cases& cases, const std::string& name, Cloud c, bool equal_weights) {
    const std::size_t n = c.x.size();
    const auto ni = static_cast<std::int32_t>(n);
    GeneralSplineWork w;
    std::vector<double> y(n), se(n);
    auto stats = [&] { return std::vector<double>(w.stats.begin() + 1, w.stats.end()); };
    // Given smoothing parameters.
    for (float bw : {6.0f, 40.0f}) {
        double p = 0.0, var = 0.0;
        sb1bw2p(bw, p);
        cugcv(p, c.x, c.f, c.df, ni, y, var, se, w);
        cases.fixed(name + " cugcv bw " + std::to_string(static_cast<int>(bw)), c.x, c.f, c.df, 1.0 / p, y, se, var,
                    stats(), 1e-9);
    }
    // Minimum GCV: the fit at the chosen weight, and the choice itself.
    double var = -1.0;
    cubgcv(c.x, c.f, c.df, ni, y, var, 1, se, w);
    const double rho = rho_of(w.stats[0]);
    cases.fixed(name + " cubgcv gcv", c.x, c.f, c.df, rho, y, se, var, stats(), 1e-9);
    cases.chosen(equal_weights ? "gcv_equal" : "gcv_weighted", name + " cubgcv gcv", c.x, c.f, c.df, rho, y, 1e-4,
                 2e-6);
    // Known variance: minimum estimated true error.
    const double known = var;
    double kv = known;
    cubgcv(c.x, c.f, c.df, ni, y, kv, 1, se, w);
    cases.chosen("mse_known", name + " cubgcv known var", c.x, c.f, c.df, rho_of(w.stats[0]), y, 1e-4, 2e-6, known);
}

TEST(SplineCrossCheck, AgreesWithScipy) {
    Cases cases;
    const auto rings = test::decadal_series("ca533.rwl", 2);
    ASSERT_EQ(rings.size(), 2u);
    for (std::int32_t bw : {2, 10, 67, 300}) add_cgcv1(cases, "cgcv1 ca533#1 bw " + std::to_string(bw), rings[0], bw);
    add_cgcv1(cases, "cgcv1 ca533#1 gcv", rings[0], -1);
    add_cgcv1(cases, "cgcv1 ca533#2 gcv", rings[1], 0);
    add_cgcv1(cases, "cgcv1 synthetic gcv", test::growth_series(150, 11), -1);
    add_cgcv1(cases, "cgcv1 n=3 bw 5", {1.0f, 2.5f, 1.75f}, 5);
    add_cgcv1(cases, "cgcv1 n=2100 bw 50", test::growth_series(2100, 12, 0.4), 50);
    add_general(cases, "replicates", cloud(120, 21, false), false);
    add_general(cases, "equal weights", cloud(100, 22, true), true);

    tarnik::test::TempDir dir;
    dir.write("cases.json", cases.json());
    const std::string command =
        std::string("/usr/bin/python3 ") + TARNIK_SPLINE_CHECK_SCRIPT + " " + (dir / "cases.json").string() + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buf[4096];
    while (std::size_t got = std::fread(buf, 1, sizeof buf, pipe)) output.append(buf, got);
    const int status = pclose(pipe);
    std::cout << output;
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the independent check failed or could not run:\n" << output;
    EXPECT_NE(output.find("ok  "), std::string::npos);
}

}  // namespace
}  // namespace tarnik::spline

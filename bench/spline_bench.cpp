// Speed of the equally spaced smoothing spline:
//  1. one fit of 2100 values at a fixed bandwidth, and a minimum-GCV search;
//  2. the same fixed-bandwidth fit by scipy's make_smoothing_spline (timed in
//     /usr/bin/python3 on the same data, when available), for comparison;
//  3. the spline trend variable at full capacity: 22000 series of 210 rings,
//     each fitted with the minimum-GCV bandwidth (as the reading cycle does).

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <string>
#include <vector>

#include "spline/bandwidth.h"
#include "spline/cgcv1.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// Processor time of this process: on a busy machine it shows what the work
// itself costs, apart from the time spent waiting for a processor.
double cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Reproducible ring-width-like values: an age trend, a slow wave and noise.
std::vector<float> series(int n, std::uint64_t seed) {
    std::vector<float> v(static_cast<std::size_t>(n));
    std::uint64_t s = seed * 0x9E3779B97F4A7C15ull + 1;
    for (int i = 0; i < n; ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        const double u = static_cast<double>(s >> 11) * 0x1.0p-53 - 0.5;
        v[static_cast<std::size_t>(i)] =
            static_cast<float>(0.4 + 1.6 * std::exp(-i / 60.0) + 0.2 * std::sin(i / 23.0) + 0.4 * u);
    }
    return v;
}

// Mean seconds per call of fit(), over enough calls to take about 0.5 s.
template <class F>
double per_call(F&& fit) {
    int reps = 1;
    for (;;) {
        const auto t0 = Clock::now();
        for (int r = 0; r < reps; ++r) fit();
        const double t = seconds_since(t0);
        if (t > 0.5) return t / reps;
        reps *= 2;
    }
}

// Seconds per scipy fit at the given lam, or a negative value when scipy
// cannot be run.
double scipy_seconds(const std::vector<float>& v, double lam) {
    const auto dir = std::filesystem::temp_directory_path() / ("spline_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream data(dir / "values.txt");
        for (float x : v) data << static_cast<double>(x) << "\n";
    }
    const std::string script =
        "import sys, timeit, numpy as np\n"
        "from scipy.interpolate import make_smoothing_spline\n"
        "y = np.loadtxt(sys.argv[1]); x = np.arange(1.0, len(y) + 1)\n"
        "lam = float(sys.argv[2])\n"
        "t = timeit.Timer(lambda: make_smoothing_spline(x, y, lam=lam)(x))\n"
        "n, _ = t.autorange()\n"
        "print(min(t.repeat(3, n)) / n)\n";
    {
        std::ofstream py(dir / "time_scipy.py");
        py << script;
    }
    char lam_text[40];
    std::snprintf(lam_text, sizeof lam_text, "%.17g", lam);
    const std::string command = "/usr/bin/python3 " + (dir / "time_scipy.py").string() + " " +
                                (dir / "values.txt").string() + " " + lam_text + " 2>/dev/null";
    double t = -1.0;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf", &t) != 1) t = -1.0;
        if (pclose(pipe) != 0) t = -1.0;
    }
    std::filesystem::remove_all(dir);
    return t;
}

}  // namespace

int main() {
    using namespace tarnik::spline;
    const int n = 2100;
    const std::vector<float> v = series(n, 1);
    std::vector<float> fit(n), se(n);
    float var = -1.0f;

    const std::int32_t bw = 30;
    const double fixed = per_call([&] {
        std::int32_t jdt = bw;
        var = -1.0f;
        cgcv1(2100, n, v, fit, jdt, var, se);
    });
    std::int32_t chosen = -1;
    const double gcv = per_call([&] {
        chosen = -1;
        var = -1.0f;
        cgcv1(2100, n, v, fit, chosen, var, se);
    });
    std::printf("cgcv1, n = 2100, fixed bandwidth %d:      %9.1f us per fit\n", bw, fixed * 1e6);
    std::printf("cgcv1, n = 2100, minimum GCV (bw %d): %9.1f us per search\n", chosen, gcv * 1e6);

    // scipy minimises sum (y - g)^2 + lam * integral g''^2; the engine's
    // smoothing weight is rho = 1/p and lam = rho / 2 for unit weights.
    double p = 0.0;
    sb1bw2p(static_cast<float>(bw), p);
    const double sp = scipy_seconds(v, 1.0 / (2.0 * p));
    if (sp > 0.0) {
        std::printf("scipy make_smoothing_spline, same fit:   %9.1f us per fit  (ours %.0f times faster)\n", sp * 1e6,
                    sp / fixed);
    } else {
        std::printf("scipy make_smoothing_spline: not available (/usr/bin/python3 with scipy)\n");
    }

    // Full capacity of the spline trend variable.
    const int nseries = 22000, length = 210;
    std::vector<std::vector<float>> all;
    all.reserve(nseries);
    for (int s = 0; s < nseries; ++s) all.push_back(series(length, 1000 + static_cast<std::uint64_t>(s)));
    std::vector<float> f2(length), se2(length);
    double checksum = 0.0;
    const auto t0 = Clock::now();
    const double c0 = cpu_seconds();
    for (const auto& s : all) {
        std::int32_t jdt = -1;
        float var2 = -1.0f;
        cgcv1(2100, length, s, f2, jdt, var2, se2);
        checksum += f2[length / 2] + jdt * 1e-6;
    }
    const double total = seconds_since(t0);
    const double cpu = cpu_seconds() - c0;
    std::printf("22000 series x 210 rings, minimum GCV:    %9.3f s elapsed, %.3f s processor time"
                "  (target < 3 s; checksum %.6f)\n",
                total, cpu, checksum);
    return 0;
}

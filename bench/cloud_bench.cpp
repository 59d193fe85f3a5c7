// Timing of the age-class cloud build and fit: one class cloud of 10^4, 10^5 and
// 10^6 points, and the whole display build of a full-capacity file (22000
// series of 210 rings) with 50 classes. Prints the peak memory of the run.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "clouds/cloud_build.h"
#include "console/console.h"
#include "console/textfile.h"
#include "data/stores.h"

using namespace tarnik;

namespace {

// nser series of `len` rings, first years spread over 1700..1889, values 0.5..2.5 mm.
Stores synthetic(std::int32_t nser, std::int32_t len) {
    Stores st;
    st.series.reserve(static_cast<std::size_t>(nser));
    st.values.reserve(static_cast<std::size_t>(nser) * static_cast<std::size_t>(len));
    std::uint32_t s = 2024;
    std::int32_t next = 1;
    for (std::int32_t j = 0; j < nser; ++j) {
        SeriesRecord r;
        r.first_index = next;
        r.length = len;
        r.last_index = next + len - 1;
        r.first_year = 1700 + j % 190;
        r.scale = 100;
        st.series.push_back(r);
        for (std::int32_t k = 0; k < len; ++k) {
            s = s * 1664525u + 1013904223u;
            st.values.push_back(50 + static_cast<std::int32_t>((s >> 8) % 200));
            ++st.depth_by_year[static_cast<std::size_t>(r.first_year + k)];
            ++st.depth_by_age[static_cast<std::size_t>(k + 1)];
        }
        next += len;
        ++st.nser;
    }
    st.total = static_cast<std::int64_t>(st.values.size());
    aboutit(st);
    return st;
}

std::string peak_memory() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
    return " unknown";
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double build(Console& con, TextFile& report, const Stores& st, clouds::DotCloudState& s) {
    const auto t0 = std::chrono::steady_clock::now();
    if (clouds::build_clouds(con, st, report, s, 1) != clouds::BuildResult::Built) std::printf("build failed\n");
    return seconds_since(t0);
}

}  // namespace

int main() {
    std::FILE* devnull = std::fopen("/dev/null", "w");
    Console con(stdin, devnull);
    TextFile report;
    report.open("/dev/null");

    // One class over ages 1..50 of n/50 series: a cloud of n points.
    for (std::int32_t n : {10000, 100000, 1000000}) {
        const Stores st = synthetic(n / 50, 60);
        clouds::DotCloudState s;
        s.cs.classnum = 1;
        s.cs.start_age[0] = 1;
        s.cs.stop_age[0] = 50;
        s.cs.jdt[0] = 0;
        const double gcv = build(con, report, st, s);
        s.cs.jdt[0] = 30;
        const double fixed = build(con, report, st, s);
        std::printf("one class of %8d points: build and minimum-GCV fit %.3f s, fixed-bandwidth %.3f s (%d spline points)\n",
                    s.cs.num[0], gcv, fixed, s.cs.nps[0]);
    }

    // Full capacity: 22000 series of 210 rings, 50 overlapping classes of 5 ages.
    {
        const auto t0 = std::chrono::steady_clock::now();
        const Stores st = synthetic(MaxSeries, 210);
        const double make = seconds_since(t0);
        clouds::DotCloudState s;
        s.cs.classnum = 50;
        for (std::size_t k = 0; k < 50; ++k) {
            s.cs.start_age[k] = 1 + 4 * static_cast<std::int32_t>(k);
            s.cs.stop_age[k] = s.cs.start_age[k] + 4;
            s.cs.jdt[k] = k % 2 == 0 ? 0 : -10;
        }
        const double t = build(con, report, st, s);
        std::int64_t points = 0;
        for (std::int32_t n : s.cs.num) points += n;
        std::printf("full file (%d series x 210 rings, %lld values, made in %.2f s): 50 classes, %lld cloud points, "
                    "build and fits %.3f s\n",
                    st.nser, static_cast<long long>(st.total), make, static_cast<long long>(points), t);
    }
    std::printf("peak memory (VmHWM):%s\n", peak_memory().c_str());
    std::fclose(devnull);
    return 0;
}

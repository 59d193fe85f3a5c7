// Time of the largest export: the column table of 22000 series over 2100 years,
// "(1x,i4,i10,21000(1x,f8.3))", i.e. 46.2 million F8.3 fields. Prints the time
// of the record writer and, for comparison, of the exact C-library conversion on
// a sample of rows.

#include <chrono>
#include <ctime>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "console/format.h"
#include "console/record_format.h"

int main() {
    using clock = std::chrono::steady_clock;
    constexpr int kRows = 2100;
    constexpr int kSeries = 22000;

    // Ring widths as stored: integers in 0.01 mm or 0.001 mm, divided by the scale;
    // about a third of the cells lie outside their series and hold 0.
    std::mt19937 rng(1);
    std::vector<float> row(kSeries);
    for (int s = 0; s < kSeries; ++s) {
        const int scale = (s % 4 == 0) ? 1000 : 100;
        row[s] = (rng() % 3 == 0) ? 0.0f : static_cast<float>(rng() % (6 * scale)) / static_cast<float>(scale);
    }

    const tarnik::fmt::RecordFormat format("(1x,i4,i10,21000(1x,f8.3))");
    std::string out;
    out.reserve(static_cast<std::size_t>(kSeries) * 9 + 64);
    std::size_t bytes = 0;
    const auto t0 = clock::now();
    const std::clock_t c0 = std::clock();
    for (int r = 0; r < kRows; ++r) {
        out.clear();
        tarnik::fmt::RecordWriter w(format, out);
        w.put(1 + r);
        w.put(kSeries);
        for (int s = 0; s < kSeries; ++s) w.put(row[static_cast<std::size_t>((s + r) % kSeries)]);
        w.finish();
        bytes += out.size();
    }
    const double secs = std::chrono::duration<double>(clock::now() - t0).count();
    const double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    const double fields = static_cast<double>(kRows) * kSeries;

    constexpr int kSampleRows = 50;
    std::size_t exact_bytes = 0;
    const std::clock_t c1 = std::clock();
    for (int r = 0; r < kSampleRows; ++r) {
        out.clear();
        for (int s = 0; s < kSeries; ++s) {
            out += ' ';
            tarnik::fmt::detail::put_F_exact(out, row[static_cast<std::size_t>((s + r) % kSeries)], 8, 3);
        }
        exact_bytes += out.size();
    }
    const double exact_cpu = static_cast<double>(std::clock() - c1) / CLOCKS_PER_SEC * kRows / kSampleRows;

    std::printf("column table %d rows x %d series: %.0f F8.3 fields, %.1f MB\n", kRows, kSeries, fields,
                static_cast<double>(bytes) / 1e6);
    std::printf("record writer:            %.2f s CPU (%.1f ns per field), %.2f s elapsed\n", cpu, cpu * 1e9 / fields,
                secs);
    std::printf("exact conversion (est.):  %.2f s CPU (%.1f ns per field)\n", exact_cpu, exact_cpu * 1e9 / fields);
    return exact_bytes > 0 ? 0 : 1;
}

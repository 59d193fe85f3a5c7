// Saving the series of the example file from both displays of the real program.
// The files are compared with what this test computes from the input file
// itself, and a saved decadal file is read back by the program.

#include <gtest/gtest.h>

#include <cstdio>

#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::test {
namespace {

std::string run_input(std::string_view file) {
    return lines({file, "f", "1", "1", "66", "1", "", "2", "", "3", "-1", "2", "66", "1", "", "2", "", "3", "-1", "5"});
}

// (a8,i4,10i6): values up to the end of each decade, the marker after the last;
// lines after the first are 73-column records.
std::string expected_decadal(const std::vector<SeriesSpec>& series, bool by_age) {
    std::string out;
    for (const SeriesSpec& s : series) {
        std::vector<long> items(s.entries.begin(), s.entries.end());
        items.push_back(999);
        long at = by_age ? 1 : s.first_year;
        for (std::size_t i = 0; i < items.size();) {
            const bool first_line = i == 0;
            char buf[32];
            std::snprintf(buf, sizeof buf, "%-8.8s%4ld", s.id.c_str(), at);
            std::string line = buf;
            do {
                std::snprintf(buf, sizeof buf, "%6ld", items[i] == 999 && i + 1 < items.size() ? 998 : items[i]);
                line += buf;
                ++i;
            } while (i < items.size() && ++at % 10 != 0);
            if (!first_line) line.resize(73, ' ');
            out += line + "\n";
        }
    }
    return out;
}

std::string expected_columns(const std::vector<SeriesSpec>& series, bool by_age) {
    std::string out = by_age ? " AGE         N   " : " YEAR        N   ";
    long lo = 100000, hi = -100000;
    char buf[32];
    for (const SeriesSpec& s : series) {
        std::snprintf(buf, sizeof buf, " %-8.8s", s.id.c_str());
        out += buf;
        lo = std::min<long>(lo, by_age ? 1 : s.first_year);
        hi = std::max<long>(hi, (by_age ? 0 : s.first_year - 1) + static_cast<long>(s.entries.size()));
    }
    out += "\n";
    for (long row = lo; row <= hi; ++row) {
        std::string cells;
        int depth = 0;
        for (const SeriesSpec& s : series) {
            const long k = row - (by_age ? 1 : s.first_year);
            const bool in = k >= 0 && k < static_cast<long>(s.entries.size());
            depth += in;
            const float v = in ? static_cast<float>(s.entries[static_cast<std::size_t>(k)]) / 100.0f : 0.0f;
            std::snprintf(buf, sizeof buf, " %8.3f", static_cast<double>(v));
            cells += buf;
        }
        std::snprintf(buf, sizeof buf, " %4ld%10d", row, depth);
        out += buf + cells + "\n";
    }
    return out;
}

TEST(SeriesExportRun, FilesHoldTheStoredSeriesAndReadBackUnchanged) {
    TempDir first, second;
    first.copy_data("ca533.rwl");
    const RunResult a = run_tarnik(first, run_input("ca533.rwl"));
    ASSERT_EQ(a.status, 0) << a.err;
    const auto series = parse_rwl_hundredths(read_file(data_file("ca533.rwl")));
    ASSERT_EQ(series.size(), 34u);
    EXPECT_EQ(first.read("Xdated.raw.DEC"), expected_decadal(series, false));
    EXPECT_EQ(first.read("AgeAligned.raw.DEC"), expected_decadal(series, true));
    EXPECT_EQ(first.read("Xdated.raw.INC"), expected_columns(series, false));
    EXPECT_EQ(first.read("AgeAligned.raw.INC"), expected_columns(series, true));

    // The saved decadal file as input gives the same summary and the same files.
    second.write("again.dec", first.read("Xdated.raw.DEC"));
    const RunResult b = run_tarnik(second, run_input("again.dec"));
    ASSERT_EQ(b.status, 0) << b.err;
    for (const char* f : {"Xdated.raw.DEC", "AgeAligned.raw.DEC", "Xdated.raw.INC", "AgeAligned.raw.INC"})
        EXPECT_EQ(first.read(f), second.read(f)) << f;
    const auto summary = [](const std::string& out) { return out.substr(out.find("Contains:"), 300); };
    EXPECT_EQ(summary(a.out), summary(b.out));
}

}  // namespace
}  // namespace tarnik::test

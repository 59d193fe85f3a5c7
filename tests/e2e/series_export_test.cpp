// Saving the series of the example file from both displays of the real program:
// the four files compared with what this test computes from the input file
// itself, and a decadal file read back by the program to the same values.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::test {
namespace {

std::string start(std::string_view file) { return lines({file, "f", "1"}); }

// Both displays, each saving a decadal file and a column table.
std::string save_both() {
    return lines({"1", "66", "1", "", "2", "", "3", "-1", "2", "66", "1", "", "2", "", "3", "-1", "5"});
}

std::string i6(long v) {
    char b[32];
    std::snprintf(b, sizeof b, "%6ld", v);
    return b;
}

// Decade lines of one series: identifier, start of the line, values up to the
// end of the decade, the end marker after the last value.
std::string expected_decadal(const std::vector<SeriesSpec>& series, bool by_age) {
    std::string out;
    for (const SeriesSpec& s : series) {
        std::vector<long> items(s.entries.begin(), s.entries.end());
        items.push_back(999);
        long at = by_age ? 1 : s.first_year;
        std::size_t i = 0;
        bool first = true;
        while (i < items.size()) {
            char head[32];
            std::snprintf(head, sizeof head, "%-8.8s%4ld", s.id.c_str(), at);
            std::string line = head;
            do {
                line += i6(items[i] == 999 && i + 1 < items.size() ? 998 : items[i]);
                ++i;
                ++at;
            } while (i < items.size() && at % 10 != 0);
            if (!first) line.resize(73, ' ');
            out += line + "\n";
            at = (at + 9) / 10 * 10;
            first = false;
        }
    }
    return out;
}

std::string expected_columns(const std::vector<SeriesSpec>& series, bool by_age) {
    std::string out = by_age ? " AGE         N   " : " YEAR        N   ";
    long lo = 1 << 30, hi = -(1 << 30);
    for (const SeriesSpec& s : series) {
        char id[16];
        std::snprintf(id, sizeof id, " %-8.8s", s.id.c_str());
        out += id;
        const long first = by_age ? 1 : s.first_year;
        lo = std::min(lo, first);
        hi = std::max(hi, first + static_cast<long>(s.entries.size()) - 1);
    }
    out += "\n";
    for (long row = lo; row <= hi; ++row) {
        std::string cells;
        int depth = 0;
        for (const SeriesSpec& s : series) {
            const long k = row - (by_age ? 1 : s.first_year);
            float v = 0.0f;
            if (k >= 0 && k < static_cast<long>(s.entries.size())) {
                ++depth;
                v = static_cast<float>(s.entries[static_cast<std::size_t>(k)]) / 100.0f;
            }
            char c[32];
            std::snprintf(c, sizeof c, " %8.3f", static_cast<double>(v));
            cells += c;
        }
        char head[32];
        std::snprintf(head, sizeof head, " %4ld%10d", row, depth);
        out += head + cells + "\n";
    }
    return out;
}

TEST(SeriesExportRun, FilesHoldTheStoredSeries) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult r = run_tarnik(dir, start("ca533.rwl") + save_both());
    ASSERT_FALSE(r.timed_out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(count_of(r.out, "******** SAVE Data Options *************"), 6u);
    const auto series = parse_rwl_hundredths(read_file(data_file("ca533.rwl")));
    ASSERT_EQ(series.size(), 34u);
    EXPECT_EQ(dir.read("Xdated.raw.DEC"), expected_decadal(series, false));
    EXPECT_EQ(dir.read("AgeAligned.raw.DEC"), expected_decadal(series, true));
    EXPECT_EQ(dir.read("Xdated.raw.INC"), expected_columns(series, false));
    EXPECT_EQ(dir.read("AgeAligned.raw.INC"), expected_columns(series, true));
}

TEST(SeriesExportRun, DecadalFileReadsBackToTheSameValues) {
    TempDir first, second;
    first.copy_data("ca533.rwl");
    const RunResult a = run_tarnik(first, start("ca533.rwl") + save_both());
    ASSERT_EQ(a.status, 0) << a.err;
    second.write("again.dec", first.read("Xdated.raw.DEC"));
    const RunResult b = run_tarnik(second, start("again.dec") + save_both());
    ASSERT_EQ(b.status, 0) << b.err;
    for (const char* f : {"Xdated.raw.DEC", "AgeAligned.raw.DEC", "Xdated.raw.INC", "AgeAligned.raw.INC"})
        EXPECT_EQ(first.read(f), second.read(f)) << f;
    const auto summary = [](const std::string& out) { return out.substr(out.find("Contains:"), 300); };
    EXPECT_EQ(summary(a.out), summary(b.out));
}

TEST(SeriesExportRun, UnwritableFileIsReportedAndTheMenuComesBack) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    std::filesystem::create_directory(dir / "Xdated.raw.INC");
    const RunResult r = run_tarnik(dir, start("ca533.rwl") + lines({"2", "66", "2", "", "3", "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains_block(r.out, "The file Xdated.raw.INC could not be written: nothing was saved.\n\n"
                                      "             Hit RETURN to continue : \n"
                                      "             ******** SAVE Data Options"));
}

}  // namespace
}  // namespace tarnik::test

// Long chronologies end to end: years before 1 (five-column years of the data
// bank, a decade start below 0, a series through year 0) and a span of more than
// 12,000 years, up to 9999. The summary, the saved series read back, the column
// table by year, the screen plot, and the regional curve and dot clouds with
// their files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::count_of;
using test::decadal;
using test::lines;
using test::run_tarnik;
using test::TempDir;

std::vector<int> widths(int n, int seed) {
    std::vector<int> w;
    for (int k = 0; k < n; ++k) w.push_back(40 + (seed * 37 + k * 13) % 150);
    return w;
}

// -2640..-2616, -1999..-1970, -5..14, 2300..2314, 9980..9999.
const std::string kLong = "long chronology\n" + decadal("NEGDEC", -2640, widths(25, 1)) +
                          decadal("FIVE", -1999, widths(30, 2)) + decadal("ZERO", -5, widths(20, 3)) +
                          decadal("Y2300", 2300, widths(15, 4)) + decadal("END9999", 9980, widths(20, 5));

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// The x-dated display, a look at its X minimum, then both of its saves.
std::string save_by_year(std::string_view file) {
    return lines({file, "f", "1", "2", "15", "-2650", "66", "1", "", "2", "", "3", "-1", "5"});
}

// The x-dated display and its saves, shared by the tests below.
class LongChronologyByYear : public ::testing::Test {
protected:
    static const test::KeptRun& run() {
        return test::kept_run("long_chronology_by_year", {}, save_by_year("long.rwl"), {{"long.rwl", kLong}});
    }
    void SetUp() override { ASSERT_EQ(run().result.status, 0) << run().result.out << run().result.err; }
};

TEST_F(LongChronologyByYear, TheSummarySpansEveryYear) {
    EXPECT_TRUE(contains_block(run().result.out,
                               lines({"Contains:        5 series", "Spanning the calander period -2640 -9999",
                                      "Spanning bological ages    1-  30", "Maximum age for which there are 3 or more",
                                      "growth increments is :   20", "For a total of        110 measurements"})));
}

TEST_F(LongChronologyByYear, TheDisplaysXAxisStartsBeforeTheFirstYear) {
    EXPECT_TRUE(contains_block(run().result.out, "Change X axis MIN value from: -2650.000\n"));
}

TEST_F(LongChronologyByYear, TheDisplayIsDrawnIntoTheScreenImage) {
    EXPECT_EQ(run().read("tarnik_screen.png").rfind("\x89PNG", 0), 0u);
}

TEST_F(LongChronologyByYear, TheDecadalFileHoldsEveryDecade) {
    const std::string dec = run().read("Xdated.raw.DEC");
    for (const char* start : {"NEGDEC -2640  ", "NEGDEC -2630  ", "NEGDEC -2620", "FIVE   -1999", "FIVE   -1990",
                              "ZERO      -5", "ZERO       0", "ZERO      10", "END9999 9990",
                              // the line of the end marker after 9999
                              "END999910000   999"})
        EXPECT_NE(("\n" + dec).find(std::string("\n") + start), std::string::npos) << start;
}

// One row per year from -2640 to 9999, each with its sample depth.
TEST_F(LongChronologyByYear, TheColumnTableHasARowForEveryYear) {
    const auto rows = split(run().read("Xdated.raw.INC"));
    ASSERT_EQ(rows.size(), 1u + 9999 + 2640 + 1);
    EXPECT_EQ(rows[1].substr(0, 16), " -2640         1");
    EXPECT_EQ(rows[2640 + 1].substr(0, 15), "    0         1");
    EXPECT_EQ(rows[2640 + 16].substr(0, 15), "   15         0");
    EXPECT_EQ(rows.back().substr(0, 15), " 9999         1");
    int year = -2641, depth_sum = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::istringstream row(rows[i]);
        int y = 0, depth = 0;
        row >> y >> depth;
        EXPECT_EQ(y, ++year);
        depth_sum += depth;
    }
    EXPECT_EQ(depth_sum, 110);
}

TEST_F(LongChronologyByYear, EveryYearFitsItsField) {
    for (const char* f : {"Xdated.raw.DEC", "Xdated.raw.INC"}) EXPECT_EQ(run().read(f).find('*'), std::string::npos) << f;
}

// The saved series as input: the same summary and the same files.
TEST_F(LongChronologyByYear, TheSavedSeriesReadBackUnchanged) {
    const test::KeptRun& first = run();
    TempDir second;
    second.write("again.dec", first.read("Xdated.raw.DEC"));
    const auto b = run_tarnik(second, save_by_year("again.dec"));
    ASSERT_EQ(b.status, 0) << b.out << b.err;
    for (const char* f : {"Xdated.raw.DEC", "Xdated.raw.INC"}) EXPECT_EQ(first.read(f), second.read(f)) << f;
    // Every year of the saved lines is where the reader expects it: no slip is told.
    EXPECT_EQ(count_of(b.out, "has the year"), 0u);
    const auto summary = [](const std::string& out) { return out.substr(out.find("Contains:"), 300); };
    EXPECT_EQ(summary(first.result.out), summary(b.out));
}

// RCS with a 10-year bandwidth, saved; the indices by calendar year saved as a
// decadal file. Then two age classes 1-10 and 11-20 with 10 % bandwidths: their
// clouds, index series and statistics, the normalisation over the common
// period, and the normalised splines. The tests below share the run.
class LongChronologyAnalysis : public ::testing::Test {
protected:
    static const test::KeptRun& run() {
        return test::kept_run("long_chronology_analysis", {},
                              lines({"long.rwl", "f", "3", "10", "-1", "f", "t", "-1",
                                     "2", "66", "1", "", "3", "-1",
                                     "3", "a", "1", "10", "10", "20", "t", "a", "-10", "t", "",
                                     "66", "1", "clouds.txt", "", "3", "index.txt", "", "4", "stats.txt", "", "7",
                                     "44", "n", "1", "",
                                     "66", "5", "normal.txt", "", "6", "normal_index.txt", "", "7", "-1", "5"}),
                              {{"long.rwl", kLong}});
    }
    void SetUp() override { ASSERT_EQ(run().result.status, 0) << run().result.out << run().result.err; }
};

TEST_F(LongChronologyAnalysis, RegionalCurveIndicesAreSavedFromTheFirstYear) {
    EXPECT_TRUE(run().exists("TarnikRCS_out"));
    EXPECT_TRUE(run().read("Xdated.raw.DEC").starts_with("NEGDEC -2640"));
}

// Clouds and splines hold the years before 1, in fields wide enough.
TEST_F(LongChronologyAnalysis, CloudFilesHoldTheYearsBefore1) {
    const auto clouds = split(run().read("clouds.txt"));
    ASSERT_GE(clouds.size(), 3u);
    EXPECT_EQ(clouds[2].substr(0, 6), " -2640");
    EXPECT_NE(run().read("index.txt").find("CLD  1-2640"), std::string::npos);
    EXPECT_NE(run().read("normal_index.txt").find("NOR  2-2630"), std::string::npos);
}

TEST_F(LongChronologyAnalysis, TheClassesPeriodsReachAcrossYear0) {
    const std::string report = run().read("long_Tarnik");
    EXPECT_TRUE(contains_block(report, lines({" Xhigh  Xlow   Yhigh  Ylow   Zhigh  Zlow"}) + " 9999.  -2640."));
    EXPECT_TRUE(contains_block(run().result.out,
                               lines({"The full time span of the age classes is", "from -2640 to 9999.", "",
                                      "The common period for the age classes is", "from -2630 to 9989."})));
    EXPECT_TRUE(contains_block(report, "  cp: -2630 9989\n"));
}

TEST_F(LongChronologyAnalysis, EveryYearFitsItsField) {
    for (const char* f : {"clouds.txt", "index.txt", "stats.txt", "normal.txt", "normal_index.txt",
                          "Xdated.raw.DEC", "TarnikRCS_out"})
        EXPECT_EQ(run().read(f).find('*'), std::string::npos) << f;
    // The report's only asterisks are those of its headings.
    for (const auto& line : split(run().read("long_Tarnik"))) {
        if (line.find("Construction") == std::string::npos && line.find("Normalization") == std::string::npos) {
            EXPECT_EQ(line.find('*'), std::string::npos) << line;
        }
    }
}

}  // namespace
}  // namespace tarnik

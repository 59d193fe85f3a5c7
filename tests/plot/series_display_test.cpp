#include <gtest/gtest.h>

#include "plot/plot_env.h"
#include "plot/rwl_fixture.h"
#include "plot/series_display.h"

namespace tarnik::plot {
namespace {

using test::contains_block;

const Stores& ca533() {
    static const Stores st = test::make_stores(test::parse_rwl_hundredths(test::read_file(test::data_file("ca533.rwl"))));
    return st;
}

SeriesDisplayInput input(std::int32_t alignment, std::int32_t code) {
    return {code, alignment, ca533().summary.y_min, ca533().summary.y_max, {}, "ca533.rwl"};
}

std::string visit(const SeriesDisplayInput& in, std::string_view answers, SeriesDisplayState& state) {
    test::MemConsole mc(answers);
    tarnikplt1(mc.con(), ca533(), in, state);
    return mc.output();
}

TEST(SeriesRanges, AxesFollowTheDataExtent) {
    // Years 1853-1998 and ages 1-187.
    const Stores st = test::make_stores({{"A", 1853, 0, 100, std::vector<std::int32_t>(146, 50)},
                                         {"B", 1900, 167, 100, std::vector<std::int32_t>(20, 50)}});
    PlotAppearance ap;
    series_ranges(st, {1, 1, 0.0f, 0.0f, {}, {}}, 4.0f, ap);
    EXPECT_EQ(ap.x_min * 1000 + ap.x_max, 190.0f);
    EXPECT_EQ(ap.x_major * 100 + static_cast<float>(ap.x_minor), 2010.0f);
    EXPECT_EQ(ap.y_min, 0.0f);
    series_ranges(st, {3, 2, 0.35f, 0.0f, {}, {}}, 4.0f, ap);
    EXPECT_EQ(ap.x_min, 1840.0f);
    EXPECT_EQ(ap.x_max, 2000.0f);
    EXPECT_EQ(ap.x_major, 20.0f);  // width 161
    EXPECT_FLOAT_EQ(ap.y_min, 0.25f);
    // Largest value plus 0.5, rounded half away from zero.
    EXPECT_EQ(series_y_top(3.0f), 4.0f);
    EXPECT_EQ(series_y_top(9.3f), 10.0f);
    EXPECT_EQ(series_y_top(0.4f), 1.0f);
    EXPECT_EQ(series_y_ticks(1.0f).major, 0.5f);
    EXPECT_EQ(series_y_ticks(10.0f).minor, 5);
    // Largest sample depth 20: d = 21, ticks 20 / 10 (each band includes its upper bound).
    EXPECT_EQ(depth_ticks(21).major * 100 + static_cast<float>(depth_ticks(21).minor), 2010.0f);
    EXPECT_EQ(depth_ticks(20).major, 2.0f);
}

TEST(SeriesMenu, RcsFitColourIsAskedUntilInTheTable) {
    test::PlotSandbox box;
    SeriesDisplayState state;
    const std::string out = visit(input(1, 4), "5\n16\n-1\n 3\n-1\n", state);
    EXPECT_TRUE(contains_block(out, "Cyan(11)  Turquoise(12)  Magenta(13)  Salmon(14)  White(15)\n"));
    EXPECT_EQ(test::count_of(out, ": \n             You must enter a value between 0 and 15\n\n"), 2u);
    EXPECT_EQ(state.ap.line_colour[2], 3);
}

TEST(SeriesMenu, SavedPlotsAndResetUseTheAutomaticRanges) {
    test::PlotSandbox box;
    SeriesDisplayState state;
    const std::string out = visit(input(1, 1), "14\n2100\n0\n-1\n", state);
    EXPECT_TRUE(contains_block(out, "Change X axis MAX value from: 1350.000\n"));
    EXPECT_EQ(state.ap.x_max, 2100.0f);  // REPLOT keeps it
    visit(input(1, 1), "14\n2100\n77\nbw.ps\n-1\n", state);
    EXPECT_EQ(state.ap.x_max, 1350.0f);
    visit(input(2, 1), "1\n0\n15\n900\n99\n-1\n", state);
    EXPECT_EQ(state.dark, 0);
    EXPECT_EQ(state.ap.x_min, 610.0f);
    // The Z settings, which no visit resets, are kept for the next visit.
    visit(input(1, 1), "12\n5\n-1\n", state);
    EXPECT_TRUE(contains_block(visit(input(2, 3), "12\n6\n-1\n", state), "Change Z axis major tics from:     5.\n"));
}

}  // namespace
}  // namespace tarnik::plot

// The drawing cycle, the axes the plotting library can draw, and the series
// display. Drawing tests run in a fresh working directory without an X display,
// so that the screen plot goes to tarnik_screen.png there.

#include <gtest/gtest.h>
#include <plplot/plplot.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "plot/cycle.h"
#include "plot/picture_fixture.h"
#include "plot/rwl_fixture.h"
#include "plot/series_display.h"
#include "support/test_support.h"

namespace tarnik::plot {
namespace {

using test::contains_block;
using test::PlotSandbox;

// A frame and a line in palette entry 15.
void draw_in_entry_15() {
    pladv(0);
    plvpor(0.1, 0.9, 0.1, 0.9);
    plwind(0.0, 1.0, 0.0, 1.0);
    plcol0(15);
    plbox("BCNST", 0.0, 0, "BCNST", 0.0, 0);
    const PLFLT x[] = {0.0, 1.0}, y[] = {0.0, 1.0};
    plline(2, x, y);
}

TEST(DrawingCycle, LibraryFindsItsFonts) {
    setenv("PLPLOT_LIB", "/nowhere", 1);
    set_plplot_environment();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(std::getenv("PLPLOT_LIB")) / "plstnd5.fnt"));
}

// Colour PostScript shows the colour that palette entry 15 got.
TEST(DrawingCycle, DarkFlagSwapsPaletteEntriesZeroAndFifteen) {
    PlotSandbox box;
    PlotAppearance black;
    black.bg_red = black.bg_green = black.bg_blue = 0;
    test::MemConsole mc("light.ps\ndark.ps\n");
    { DrawingCycle c(mc.con(), "psc", PlotAppearance{}, false); draw_in_entry_15(); }
    { DrawingCycle c(mc.con(), "psc", black, true); draw_in_entry_15(); }
    const std::string light = box.dir().read("light.ps"), dark = box.dir().read("dark.ps");
    EXPECT_NE(light.find("0.0000 0.0000 0.0000 C"), std::string::npos);
    EXPECT_EQ(light.find("1.0000 1.0000 1.0000 C"), std::string::npos);
    EXPECT_NE(dark.find("1.0000 1.0000 1.0000 C"), std::string::npos);
}

TEST(DrawingCycle, ScreenImageThatCannotBeWrittenIsSkippedQuietly) {
    PlotSandbox box;
    std::filesystem::create_directory(box.dir() / kScreenImageFile);  // not a file, not even for root
    test::MemConsole mc;
    {
        DrawingCycle c(mc.con(), "Mac1", PlotAppearance{}, 0);
        EXPECT_TRUE(c.is_open());  // drawing calls stay harmless
        draw_in_entry_15();
    }
    EXPECT_EQ(mc.output(), "");
    EXPECT_TRUE(std::filesystem::is_directory(box.dir() / kScreenImageFile));
}

// Ticks the library cannot draw (it would end the process or take minutes) are
// left to its own choice; limits and ticks it can draw are kept as set.
TEST(DrawnAxis, TicksTheLibraryCannotDrawAreLeftToIt) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        double min, max, major;
        std::int32_t minor;
        double want_major;
        std::int32_t want_minor;
        bool adjusted;
    };
    const Case cases[] = {
        {0, 1350, 50, 5, 50, 5, false},
        {1350, 0, -50, -5, -50, -5, false},          // reversed and negative: drawn as set
        {0, 1000, 1, 10, 1, 10, false},              // 1000 major, 10^4 minor ticks
        {0, 1000, 0.99, 0, 0, 0, true},              // more than 1000 major ticks
        {0, 1e11, 20, 0, 0, 0, true},
        {0, 1000, 100, 1001, 100, 0, true},          // more than 10^4 minor ticks
        {0, 1000, 0, 2147483647, 0, 0, true},
        {0, 1000, 0, -2147483647 - 1, 0, 0, true},
        {5, 5, 20, 4, 0, 0, true},                   // empty range
        {0, 1000, inf, 0, 0, 0, true},
        {-3.4e38, 3.4e38, 1e36, 5, 1e36, 5, false},
    };
    PlotSandbox box;
    test::MemConsole mc;
    DrawingCycle c(mc.con(), "Mac1", PlotAppearance{}, 0);
    for (const Case& k : cases) {
        const DrawnAxis a = drawable_axis(k.min, k.max, k.major, k.minor);
        EXPECT_EQ(a.major, k.want_major) << k.min << ".." << k.max << " by " << k.major;
        EXPECT_EQ(a.minor, k.want_minor) << k.min << ".." << k.max << " by " << k.major;
        EXPECT_EQ(a.adjusted, k.adjusted) << k.min << ".." << k.max << " by " << k.major;
        // The library draws what is left without ending the process.
        pladv(0);
        plvpor(0.1, 0.9, 0.1, 0.9);
        plwind(a.min, a.max, 0.0, 1.0);
        plbox("bcnst", a.major, a.minor, "bc", 0.0, 0);
    }
    const DrawnAxis nan = drawable_axis(0.0, std::nan(""), 0.0, 0);
    EXPECT_TRUE(nan.adjusted && nan.min == 0.0 && nan.max == 1.0);
    drawable_axis(mc.con(), "Z", 0, 1000, 0.5, 0);
    EXPECT_EQ(mc.output(), " The Z axis settings cannot be drawn as they are set; the plotting library chooses the ticks.\n");
}


const Stores& ca533() {
    static const Stores st = test::make_stores(test::parse_rwl_hundredths(test::read_file(test::data_file("ca533.rwl"))));
    return st;
}

SeriesDisplayInput input(std::int32_t alignment, std::int32_t code) {
    return {static_cast<AnalysisVariable>(code), static_cast<SeriesAlignment>(alignment), ca533().summary.y_min, ca533().summary.y_max, {}, "ca533.rwl"};
}

std::string visit(const SeriesDisplayInput& in, std::string_view answers, SeriesDisplayState& state) {
    test::MemConsole mc(answers);
    run_series_display(mc.con(), ca533(), in, state);
    return mc.output();
}

TEST(SeriesRanges, AxesFollowTheDataExtent) {
    // Years 1853-1998 and ages 1-187.
    const Stores st = test::make_stores({{"A", 1853, 0, 100, std::vector<std::int32_t>(146, 50)},
                                         {"B", 1900, 167, 100, std::vector<std::int32_t>(20, 50)}});
    PlotAppearance ap;
    series_ranges(st, {AnalysisVariable::ring_widths, SeriesAlignment::cambial_age, 0.0f, 0.0f, {}, {}}, 4.0f, ap);
    EXPECT_EQ(ap.x_min * 1000 + ap.x_max, 190.0f);
    EXPECT_EQ(ap.x_major * 100 + static_cast<float>(ap.x_minor), 2010.0f);
    EXPECT_EQ(ap.y_min, 0.0f);
    series_ranges(st, {AnalysisVariable::rcs_indices, SeriesAlignment::calendar_year, 0.35f, 0.0f, {}, {}}, 4.0f, ap);
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
    PlotSandbox box;
    SeriesDisplayState state;
    const std::string out = visit(input(1, 4), "5\n16\n-1\n 3\n-1\n", state);
    EXPECT_TRUE(contains_block(out, "Cyan(11)  Turquoise(12)  Magenta(13)  Salmon(14)  White(15)\n"));
    EXPECT_EQ(test::count_of(out, ": \n             You must enter a value between 0 and 15\n\n"), 2u);
    EXPECT_EQ(state.ap.line_colour[2], 3);
}

TEST(SeriesMenu, ReplotKeepsTheChangedRanges) {
    PlotSandbox box;
    SeriesDisplayState state;
    const std::string out = visit(input(1, 1), "14\n2100\n0\n-1\n", state);
    EXPECT_TRUE(contains_block(out, "Change X axis MAX value from: 1350.000\n"));
    EXPECT_EQ(state.ap.x_max, 2100.0f);  // REPLOT keeps it
}

TEST(SeriesMenu, SavedPlotUsesTheAutomaticRanges) {
    PlotSandbox box;
    SeriesDisplayState state;
    visit(input(1, 1), "14\n2100\n77\nbw.ps\n-1\n", state);
    EXPECT_EQ(state.ap.x_max, 1350.0f);
}

TEST(SeriesMenu, ResetRestoresTheDefaultsWithTheAutomaticRanges) {
    PlotSandbox box;
    SeriesDisplayState state;
    visit(input(2, 1), "1\n0\n15\n900\n99\n-1\n", state);
    EXPECT_EQ(state.dark, 0);
    EXPECT_EQ(state.ap.x_min, 610.0f);
}

TEST(SeriesMenu, ZSettingsAreKeptForTheNextVisit) {
    PlotSandbox box;
    SeriesDisplayState state;
    // The Z settings, which no visit resets, are kept for the next visit.
    visit(input(1, 1), "12\n5\n-1\n", state);
    EXPECT_TRUE(contains_block(visit(input(2, 3), "12\n6\n-1\n", state), "Change Z axis major tics from:     5.\n"));
}

}  // namespace
}  // namespace tarnik::plot

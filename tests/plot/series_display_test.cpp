#include <gtest/gtest.h>

#include <filesystem>

#include "plot/plot_env.h"
#include "plot/rwl_fixture.h"
#include "plot/series_display.h"

namespace tarnik::plot {
namespace {

namespace fs = std::filesystem;
using test::contains_block;
using test::count_of;
using test::MemConsole;
using test::PlotSandbox;

const Stores& ca533() {
    static const Stores st = test::make_stores(test::parse_rwl_hundredths(test::read_file(test::data_file("ca533.rwl"))));
    return st;
}

SeriesDisplayInput input_for(const Stores& st, std::int32_t alignment, std::int32_t code) {
    SeriesDisplayInput in;
    in.alignment = alignment;
    in.code = code;
    in.y_min = st.summary.y_min;
    in.y_max = st.summary.y_max;
    in.title = "ca533.rwl";
    return in;
}

struct Visit {
    std::string out;
    SeriesDisplayState state;
};

Visit visit(const SeriesDisplayInput& in, std::string_view answers, const Stores& st = ca533()) {
    Visit v;
    MemConsole mc(answers);
    tarnikplt1(mc.con(), st, in, v.state);
    v.out = mc.output();
    return v;
}

TEST(SeriesRanges, AxesFollowTheDataExtent) {
    // Ages 1-187: X 0..190; years 1853-1998: X 1840..2000, width 161.
    const Stores st = test::make_stores({{"A", 1853, 0, 100, std::vector<std::int32_t>(146, 50)},
                                         {"B", 1900, 167, 100, std::vector<std::int32_t>(20, 50)}});
    ASSERT_EQ(st.summary.max_last_age, 187);
    PlotAppearance ap;
    SeriesDisplayInput in;
    in.alignment = 1;
    series_ranges(st, in, 4.0f, ap);
    EXPECT_EQ(ap.x_min, 0.0f);
    EXPECT_EQ(ap.x_max, 190.0f);
    EXPECT_EQ(ap.x_major, 20.0f);
    EXPECT_EQ(ap.x_minor, 10);
    EXPECT_EQ(ap.y_min, 0.0f);
    EXPECT_EQ(ap.y_max, 4.0f);
    EXPECT_EQ(ap.y_major, 1.0f);
    EXPECT_EQ(ap.y_minor, 10);
    in.alignment = 2;
    series_ranges(st, in, 4.0f, ap);
    EXPECT_EQ(ap.x_min, 1840.0f);
    EXPECT_EQ(ap.x_max, 2000.0f);
    EXPECT_EQ(ap.x_major, 20.0f);
    // RCS indices start 0.1 below their smallest value.
    in.code = 3;
    in.y_min = 0.35f;
    series_ranges(st, in, 4.0f, ap);
    EXPECT_FLOAT_EQ(ap.y_min, 0.25f);
}

TEST(SeriesRanges, TopOfTheValueAxisAndItsTicks) {
    EXPECT_EQ(series_y_top(3.2f), 4.0f);
    EXPECT_EQ(series_y_top(3.0f), 4.0f);  // 3.5 rounds away from zero
    EXPECT_EQ(series_y_top(9.3f), 10.0f);
    EXPECT_EQ(series_y_top(0.4f), 1.0f);
    EXPECT_EQ(series_y_top(-2.0f), -2.0f);  // -1.5 rounds away from zero
    const std::pair<float, AxisTicks> y[] = {{1.0f, {0.5f, 5}}, {2.0f, {1.0f, 10}}, {5.0f, {1.0f, 10}},
                                             {6.0f, {1.0f, 5}}, {10.0f, {1.0f, 5}}, {11.0f, {4.0f, 4}}};
    for (auto [top, t] : y) {
        EXPECT_EQ(series_y_ticks(top).major, t.major) << top;
        EXPECT_EQ(series_y_ticks(top).minor, t.minor) << top;
    }
}

TEST(SeriesRanges, TickBandsIncludeTheirUpperBound) {
    const std::pair<std::int32_t, AxisTicks> x[] = {{200, {20, 10}}, {201, {50, 5}},  {500, {50, 5}},
                                                    {501, {100, 10}}, {1000, {100, 10}}, {1001, {250, 5}}};
    for (auto [w, t] : x) {
        EXPECT_EQ(series_x_ticks(w).major, t.major) << w;
        EXPECT_EQ(series_x_ticks(w).minor, t.minor) << w;
    }
    const std::pair<std::int32_t, AxisTicks> d[] = {
        {20, {2, 2}},        {21, {20, 10}},      {100, {20, 10}},    {101, {100, 4}},   {500, {100, 4}},
        {501, {200, 4}},     {1001, {1000, 4}},   {5000, {1000, 4}},  {5001, {2000, 2}}, {10001, {5000, 4}},
        {15000, {5000, 4}},  {15001, {5000, 2}}};
    for (auto [depth, t] : d) {
        EXPECT_EQ(depth_ticks(depth).major, t.major) << depth;
        EXPECT_EQ(depth_ticks(depth).minor, t.minor) << depth;
    }
}

TEST(SeriesMenu, ShowsTheMenuOfTheVariable) {
    PlotSandbox box;
    const Visit v = visit(input_for(ca533(), 1, 1), "-1\n");
    EXPECT_EQ(v.out,
              "\n\n"
              "             ************ PLOT Options Menu *************\n"
              "              REPLOT             [0]   Major Ticks X  [8] \n"
              "              Background color   [1]   Minor Ticks X  [9]\n"
              "              Frame color        [2]   Major Ticks Y  [10]\n"
              "              Line color         [3]   Minor Ticks Y  [11]\n"
              "              Text color         [4]   Max. X         [14]\n"
              "              Symbol color     [n/a]   Min. X         [15]\n"
              "              Line Style         [6]   Max. Y         [16]\n"
              "              Symbol type      [n/a]   Min. Y         [17]\n"
              "              (rescaling bottom plot Y axis is not allowed) \n"
              "              SAVE data         [66]   SAVE plot(b/w) [77]\n"
              "              SAVE plot(color)  [88]   RESET options  [99]\n"
              "                        RETURN to MAIN MENU [-1]\n"
              "             _____________________________________________\n"
              "\n"
              "              Enter option number > ");
    EXPECT_TRUE(test::is_png(box.dir().read(kScreenImageFile)));

    const Visit rcs = visit(input_for(ca533(), 1, 4), "-1\n");
    EXPECT_TRUE(contains_block(rcs.out, "              RCS fit color      [5]   Min. X         [15]\n"));
    EXPECT_TRUE(contains_block(rcs.out, "                        RETURN to RCS MENU [-1]\n"));
}

TEST(SeriesMenu, AnswersAreReadFromTwoColumns) {
    PlotSandbox box;
    // 123 is option 12 (Z major ticks), 7 and 5 have no symbols to change, 18, 50
    // and x are unknown; "-5" returns like -1.
    const Visit v = visit(input_for(ca533(), 2, 2), "123\n2.5\n7\n\n5\nx\n1\n18\n\n50\n\nx\n\n-5\n");
    EXPECT_TRUE(contains_block(v.out, "\n             Change Z axis major tics from:     0.\n"));
    EXPECT_EQ(v.state.ap.z_major, 2.5f);
    EXPECT_TRUE(contains_block(v.out, "> \n             This Option [ 7] not available for this plot\n\n"
                                      "             Hit RETURN to continue : \n\n"));
    // The pause is asked again while its answer is not a number.
    EXPECT_TRUE(contains_block(v.out, "This Option [ 5] not available for this plot\n\n"
                                      "             Hit RETURN to continue :              Hit RETURN to continue : \n"));
    EXPECT_EQ(count_of(v.out, "\n             Unknown option re-enter a valid number\n\n"
                              "             Hit RETURN to continue : "),
              3u);
    EXPECT_EQ(count_of(v.out, "PLOT Options Menu"), 7u);
}

TEST(SeriesMenu, ChangesShowAtTheNextDrawing) {
    PlotSandbox box;
    const auto in = input_for(ca533(), 1, 1);
    visit(in, "-1\n");
    const std::string plain = box.dir().read(kScreenImageFile);
    // A black background chosen and left without drawing: the image is the entry's.
    const Visit changed = visit(in, "1\n0\n-1\n");
    EXPECT_EQ(changed.state.dark, 1);
    EXPECT_EQ(changed.state.ap.bg_red, 0);
    EXPECT_EQ(box.dir().read(kScreenImageFile), plain);
    // An empty answer reads as 0 and redraws with the new background.
    visit(in, "1\n0\n\n-1\n");
    EXPECT_NE(box.dir().read(kScreenImageFile), plain);
}

TEST(SeriesMenu, RcsFitColourStaysInTheColourTable) {
    PlotSandbox box;
    const Visit v = visit(input_for(ca533(), 1, 4), "5\n16\n-1\n 3\n-1\n");
    EXPECT_TRUE(contains_block(v.out, "             Cyan(11)  Turquoise(12)  Magenta(13)  Salmon(14)  White(15)\n"));
    EXPECT_EQ(count_of(v.out, ": \n             You must enter a value between 0 and 15\n\n"), 2u);
    EXPECT_EQ(count_of(v.out, "Select new RCS LINE color: [0-15] : "), 3u);
    EXPECT_EQ(v.state.ap.line_colour[2], 3);
}

TEST(SeriesMenu, SavedPlotsUseTheAutomaticRanges) {
    PlotSandbox box;
    // Option 14 then REPLOT keeps the user's X maximum ...
    const Visit kept = visit(input_for(ca533(), 1, 1), "14\n2100\n0\n-1\n");
    EXPECT_TRUE(contains_block(kept.out, "Change X axis MAX value from: 1350.000\n"));
    EXPECT_EQ(kept.state.ap.x_max, 2100.0f);
    // ... a PostScript save sets the ranges up again, and the next drawing goes to the screen.
    const Visit saved = visit(input_for(ca533(), 1, 1), "14\n2100\n77\nbw.ps\n88\n\ncolour.ps\n-1\n");
    EXPECT_EQ(saved.state.ap.x_max, 1350.0f);
    EXPECT_EQ(count_of(saved.out, "Enter graphics output file name: "), 3u);
    EXPECT_EQ(box.dir().read("bw.ps").rfind("%!PS", 0), 0u);
    EXPECT_EQ(box.dir().read("colour.ps").rfind("%!PS", 0), 0u);

    fs::remove(box.dir() / kScreenImageFile);
    visit(input_for(ca533(), 1, 1), "77\nagain.ps\n0\n-1\n");
    EXPECT_TRUE(box.dir().exists(kScreenImageFile));
}

TEST(SeriesMenu, ResetRestoresDefaultsAndRanges) {
    PlotSandbox box;
    const Visit v = visit(input_for(ca533(), 2, 1), "1\n0\n3\n4\n15\n900\n99\n-1\n");
    EXPECT_EQ(v.state.dark, 0);
    EXPECT_EQ(v.state.ap.bg_red, 255);
    EXPECT_EQ(v.state.ap.line_colour[0], 15);
    EXPECT_EQ(v.state.ap.x_min, 610.0f);  // 10 * (626 / 10) - 10
}

TEST(SeriesMenu, ZSettingsAreKeptBetweenVisits) {
    PlotSandbox box;
    SeriesDisplayState state;
    {
        MemConsole mc("12\n5\n-1\n");
        tarnikplt1(mc.con(), ca533(), input_for(ca533(), 1, 1), state);
    }
    MemConsole mc("12\n6\n-1\n");
    tarnikplt1(mc.con(), ca533(), input_for(ca533(), 2, 3), state);
    EXPECT_TRUE(contains_block(mc.output(), "Change Z axis major tics from:     5.\n"));
}

TEST(SeriesMenu, SaveDataOpensTheExportMenu) {
    PlotSandbox box;
    const Visit v = visit(input_for(ca533(), 1, 1), "66\n3\n-1\n");
    EXPECT_TRUE(contains_block(v.out, "******** SAVE Data Options *************"));
    EXPECT_EQ(count_of(v.out, "PLOT Options Menu"), 2u);
}

}  // namespace
}  // namespace tarnik::plot

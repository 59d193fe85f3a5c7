#include <gtest/gtest.h>

#include "plot/appearance.h"
#include "support/test_support.h"

namespace tarnik::plot {
namespace {

using test::contains_block;
using test::count_of;

const std::int32_t kStart[] = {1, 11, 21, 31, 41}, kStop[] = {10, 20, 30, 40, 50};

struct Styled {
    std::string out;
    PlotAppearance ap;
    bool dark = false;
};

// One option on a defaulted appearance of the given kind, with nc classes listed.
Styled style(std::int32_t option, PlotKind kind, std::string_view answers, std::int32_t nc = 0) {
    Styled r;
    test::MemConsole quiet;
    plot_style_dialog(quiet.con(), 99, r.ap, kind, nc, kStart, kStop, r.dark);
    test::MemConsole mc(answers);
    plot_style_dialog(mc.con(), option, r.ap, kind, nc, std::span(kStart, static_cast<std::size_t>(nc)),
              std::span(kStop, static_cast<std::size_t>(nc)), r.dark);
    r.out = mc.output();
    return r;
}

TEST(PlotStyleDialog, DefaultsDependOnThePlotKind) {
    const Styled clouds = style(99, PlotKind::dot_clouds, "", 5);
    EXPECT_EQ(clouds.out, "");
    for (std::size_t i : {0u, 14u, 15u, 49u}) {
        EXPECT_EQ(clouds.ap.line_colour[i] * 100 + clouds.ap.symbol_colour[i], static_cast<std::int32_t>(i % 15 + 1) * 101) << i;
        EXPECT_EQ(clouds.ap.line_style[i] * 100 + clouds.ap.symbol_type[i], 118) << i;
    }
    const Styled series = style(99, PlotKind::series_by_year, "");
    EXPECT_EQ(series.ap.line_colour[2], 15);  // the regional curve
    EXPECT_EQ(series.ap.line_colour[3], 0);
    EXPECT_EQ(series.ap.symbol_type[0], 18);
    EXPECT_EQ(style(99, PlotKind::single_class, "").ap.line_colour[0], 0);
}

TEST(PlotStyleDialog, BackgroundBlackWhiteOrUserDefined) {
    const Styled black = style(1, PlotKind::series_by_age, "0\n");
    EXPECT_EQ(black.out,
              "\n             COLOR TABLE (Background Only) ____________________________\n"
              "             Black(0) White(1)  USER DEFINED (2)\n"
              "             ___________________________________________________________\n\n\n"
              "             Select new BACKGROUND color [0/1/2] : ");
    EXPECT_EQ(black.ap.bg_red + black.ap.bg_green + black.ap.bg_blue, 0);
    EXPECT_EQ(black.dark, 1);
    PlotAppearance ap = black.ap;
    bool dark = true;
    test::MemConsole user("2\n10\n\n20\n30\n");
    plot_style_dialog(user.con(), 1, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    EXPECT_TRUE(contains_block(user.output(), ":              Enter RED value [0-255] >              Enter GREEN"));
    EXPECT_EQ(ap.bg_red * 10000 + ap.bg_green * 100 + ap.bg_blue, 102030);
    EXPECT_EQ(dark, 0);
    // Another number changes nothing; an unreadable answer is asked again.
    test::MemConsole other("x\n7\n");
    plot_style_dialog(other.con(), 1, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    EXPECT_EQ(count_of(other.output(), "Select new BACKGROUND color"), 2u);
    EXPECT_EQ(ap.bg_red, 10);
}

TEST(PlotStyleDialog, ClassLoopSetsAllOrOneClassUntilMinusOne) {
    const Styled r = style(3, PlotKind::dot_clouds, "0\n6\n2\n  9\n4\n60\n-2\n-1\n", 3);
    EXPECT_EQ(r.ap.line_colour[0] * 100 + r.ap.line_colour[1] * 10 + r.ap.line_colour[2], 696);
    EXPECT_EQ(r.ap.line_colour[3], 4);  // beyond nc: the default of class 4, untouched
    // Class numbers not in use are refused without asking for a value.
    EXPECT_EQ(count_of(r.out, "There is no age class"), 3u);
    EXPECT_EQ(count_of(r.out, "Select new LINE color: [0-15] : "), 2u);
    // An odd last class gets a row of its own.
    EXPECT_EQ(count_of(r.out, "             Select age class to color:\n"
                              "             [enter  0  to color all classes the same]\n"
                              "             [enter -1  to quit]\n\n"
                              "             [  1]    1-  10   [  2]   11-  20   \n"
                              "             [  3]   21-  30   \n\n"
                              "             Enter the classnum to color: "),
              6u);
    const Styled sym = style(7, PlotKind::dot_clouds, "1\n32\n-1\n", 1);
    EXPECT_TRUE(contains_block(sym.out, "[enter -1  to quit]  <32 = no symbol, 18 = star>\n\n"
                                        "             [  1]    1-  10   \n"));
    EXPECT_EQ(sym.ap.symbol_type[0], 32);
}

TEST(PlotStyleDialog, SingleClassChoosesSplineFitOrErrorBounds) {
    const Styled bounds = style(3, PlotKind::single_class, "2\n7\n");
    EXPECT_TRUE(contains_block(bounds.out, "\n\n             Change Spline Fit color   [1]\n"
                                           "             Change Error Bounds color [2] :\n"
                                           "             Select new LINE color [0-15] : "));
    EXPECT_EQ(bounds.ap.line_colour[1], 7);
    EXPECT_EQ(style(6, PlotKind::single_class, "3\n7\n").ap.line_style, style(99, PlotKind::single_class, "").ap.line_style);
}

TEST(PlotStyleDialog, SeriesHaveNoSymbolOptions) {
    for (int option : {5, 7}) {
        const Styled none = style(option, PlotKind::series_by_age, "any line\n");
        EXPECT_TRUE(contains_block(none.out, "\n             This option not available for your plot\n"
                                             "             Hit return to enter new selection"));
        EXPECT_EQ(none.ap.symbol_colour[0] * 100 + none.ap.symbol_type[0], 1518);
    }
}

TEST(PlotStyleDialog, SeriesLineColourIsAFreeNumber) {
    EXPECT_EQ(style(3, PlotKind::series_by_age, "\n9\n").ap.line_colour[0], 9);  // free: the empty line is skipped
}

TEST(PlotStyleDialog, AxisDialogsShowTheCurrentValue) {
    PlotAppearance ap;
    ap.x_major = 20.0f;
    ap.y_max = 3.5f;
    ap.y_minor = 4;
    bool dark = false;
    test::MemConsole mc("\n50\n2.5e1\n\n123456\n\n3\n");
    plot_style_dialog(mc.con(), 8, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    EXPECT_EQ(mc.output(), "\n             Change X axis major tics from:    20.\n             to > ");
    EXPECT_EQ(ap.x_major, 50.0f);
    plot_style_dialog(mc.con(), 16, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    EXPECT_TRUE(contains_block(mc.output(), "Change Y axis MAX value from:    3.500\n"));
    EXPECT_EQ(ap.y_max, 25.0f);
    // Minor ticks of Y and Z are fields (empty line = 0), of X a free number.
    plot_style_dialog(mc.con(), 11, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    plot_style_dialog(mc.con(), 13, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    plot_style_dialog(mc.con(), 9, ap, PlotKind::series_by_age, 0, {}, {}, dark);
    EXPECT_TRUE(ap.y_minor == 0 && ap.z_minor == 1234 && ap.x_minor == 3);
    // Options outside the table read nothing and change nothing.
    test::MemConsole none;
    for (int option : {0, 20, 50, -1}) plot_style_dialog(none.con(), option, ap, PlotKind::dot_clouds, 3, kStart, kStop, dark);
    EXPECT_EQ(none.output(), "");
}

}  // namespace
}  // namespace tarnik::plot

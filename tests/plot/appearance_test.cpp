#include <gtest/gtest.h>

#include <array>

#include "plot/appearance.h"
#include "support/test_support.h"

namespace tarnik::plot {
namespace {

using test::contains_block;
using test::MemConsole;

const std::array<std::int32_t, 5> kStart{1, 11, 21, 31, 41};
const std::array<std::int32_t, 5> kStop{10, 20, 30, 40, 50};

struct Styled {
    std::string out;
    PlotAppearance ap;
    std::int32_t dark = 0;
};

// One plotstyle call on a defaulted appearance, with the given answer lines.
Styled style(std::int32_t option, PlotKind kind, std::string_view answers, std::int32_t nc = 0,
          std::int32_t dark = 0) {
    Styled r;
    r.dark = dark;
    MemConsole mc;
    plotstyle(mc.con(), 99, r.ap, kind, nc, kStart, kStop, r.dark);
    r.dark = dark;
    MemConsole answer(answers);
    plotstyle(answer.con(), option, r.ap, kind, nc, std::span(kStart).first(static_cast<std::size_t>(std::min(nc, 5))),
              std::span(kStop).first(static_cast<std::size_t>(std::min(nc, 5))), r.dark);
    r.out = answer.output();
    return r;
}

TEST(PlotDefaults, DependOnThePlotKind) {
    PlotAppearance ap;
    ap.line_colour.fill(-7);
    ap.line_style.fill(-7);
    ap.symbol_type.fill(-7);
    ap.symbol_colour.fill(-7);
    ap.bg_red = 3;
    ap.text_colour = 2;
    ap.x_major = 123.0f;
    std::int32_t dark = 1;
    MemConsole mc;
    plotstyle(mc.con(), 99, ap, kDotClouds, 20, kStart, kStop, dark);
    EXPECT_EQ(mc.output(), "");
    EXPECT_EQ(dark, 0);
    EXPECT_EQ(ap.bg_red, 255);
    EXPECT_EQ(ap.text_colour, 15);
    EXPECT_EQ(ap.frame_colour, 15);
    EXPECT_EQ(ap.x_major, 123.0f);  // ticks and ranges are the display's
    // Colours cycle through 1..15 over every element, not only the classes in use.
    for (int i : {0, 14, 15, 19, 29, 30, 49}) {
        EXPECT_EQ(ap.line_colour[static_cast<std::size_t>(i)], i % 15 + 1) << i;
        EXPECT_EQ(ap.symbol_colour[static_cast<std::size_t>(i)], i % 15 + 1) << i;
        EXPECT_EQ(ap.line_style[static_cast<std::size_t>(i)], 1);
        EXPECT_EQ(ap.symbol_type[static_cast<std::size_t>(i)], 18);
    }

    PlotAppearance series;
    series.line_colour.fill(-7);
    series.line_style.fill(-7);
    plotstyle(mc.con(), 99, series, kSeriesByYear, 0, {}, {}, dark);
    EXPECT_EQ(series.line_style[0], 1);
    EXPECT_EQ(series.line_style[1], 1);
    EXPECT_EQ(series.line_style[2], -7);
    EXPECT_EQ(series.line_colour[2], 15);  // the regional curve
    EXPECT_EQ(series.line_colour[3], -7);
    EXPECT_EQ(series.symbol_type[0], 18);

    PlotAppearance single;
    single.line_colour.fill(-7);
    single.bg_blue = 0;
    plotstyle(mc.con(), 99, single, kSingleClass, 0, {}, {}, dark);
    EXPECT_EQ(single.line_colour[0], -7);
    EXPECT_EQ(single.bg_blue, 255);
}

TEST(PlotBackground, BlackWhiteAndUserColours) {
    Styled black = style(1, kSeriesByAge, "0\n");
    EXPECT_EQ(black.out,
              "\n"
              "             COLOR TABLE (Background Only) ____________________________\n"
              "             Black(0) White(1)  USER DEFINED (2)\n"
              "             ___________________________________________________________\n"
              "\n\n"
              "             Select new BACKGROUND color [0/1/2] : ");
    EXPECT_EQ(black.ap.bg_red + black.ap.bg_green + black.ap.bg_blue, 0);
    EXPECT_EQ(black.dark, 1);

    Styled white = style(1, kDotClouds, "1\n", 3, /*dark=*/1);
    EXPECT_EQ(white.ap.bg_green, 255);
    EXPECT_EQ(white.dark, 0);

    Styled user = style(1, kSingleClass, "2\n10\n\n20\n30\n", 0, 1);
    EXPECT_TRUE(contains_block(user.out, "[0/1/2] :              Enter RED value [0-255] >              Enter GREEN"));
    EXPECT_EQ(user.ap.bg_red, 10);
    EXPECT_EQ(user.ap.bg_green, 20);  // the empty line is skipped
    EXPECT_EQ(user.ap.bg_blue, 30);
    EXPECT_EQ(user.dark, 0);

    Styled other = style(1, kSeriesByAge, "7\n", 0, 1);
    EXPECT_EQ(other.ap.bg_red, 255);
    EXPECT_EQ(other.dark, 1);

    // An unreadable answer is asked again.
    Styled retry = style(1, kSeriesByAge, "x\n0\n");
    EXPECT_EQ(test::count_of(retry.out, "Select new BACKGROUND color"), 2u);
    EXPECT_EQ(retry.dark, 1);
}

TEST(PlotColours, SeriesAndSingleClassDialogs) {
    Styled frame = style(2, kSeriesByAge, "3\n");
    EXPECT_TRUE(contains_block(frame.out,
                               "             Cyan(11)  Turquoise(12)  Magenta(13)  Salmon(14)  Black(15)\n"
                               "             ___________________________________________________________\n"
                               "\n"
                               "             Select new FRAME color [0-15] : "));
    EXPECT_EQ(frame.ap.frame_colour, 3);

    Styled line = style(3, kSeriesByYear, "9\n");
    EXPECT_TRUE(contains_block(line.out, "_\n\n\n             Select new LINE color: [0-15] : "));
    EXPECT_EQ(line.ap.line_colour[0], 9);

    // Kind 4: element 2 is the error bounds; another choice still asks the colour but keeps everything.
    Styled bounds = style(3, kSingleClass, "2\n7\n");
    EXPECT_TRUE(contains_block(bounds.out, "\n\n             Change Spline Fit color   [1]\n"
                                           "             Change Error Bounds color [2] :\n"
                                           "             Select new LINE color [0-15] : "));
    EXPECT_EQ(bounds.ap.line_colour[1], 7);
    Styled neither = style(3, kSingleClass, "3\n7\n");
    EXPECT_EQ(neither.ap.line_colour, Styled{}.ap.line_colour);

    Styled style_fit = style(6, kSingleClass, "1\n4\n");
    EXPECT_TRUE(contains_block(style_fit.out, "             Change Error Bounds [2] : \n"));
    EXPECT_EQ(style_fit.ap.line_style[0], 4);

    Styled symbol = style(5, kSingleClass, " 12\n");
    EXPECT_TRUE(contains_block(symbol.out, "Select new SYMBOL color [0-15]  : "));
    EXPECT_EQ(symbol.ap.symbol_colour[0], 12);
    Styled sym_type = style(7, kSingleClass, "\n");  // a blank field reads as 0
    EXPECT_EQ(sym_type.ap.symbol_type[0], 0);

    Styled text = style(4, kSeriesByAge, "6\n");
    EXPECT_EQ(text.ap.text_colour, 6);
    Styled lstyle = style(6, kSeriesByAge, "3\n");
    EXPECT_TRUE(contains_block(lstyle.out, "Change LINE style: Enter a value [1-8] > "));
    EXPECT_EQ(lstyle.ap.line_style[0], 3);
}

TEST(PlotColours, SymbolOptionsOfSeriesPlotsChangeNothing) {
    for (int option : {5, 7}) {
        Styled r = style(option, kSeriesByAge, "abc\nnot read\n");
        EXPECT_TRUE(contains_block(r.out, "\n             This option not available for your plot\n"
                                          "             Hit return to enter new selection"));
        Styled fresh = style(99, kSeriesByAge, "");
        EXPECT_EQ(r.ap.symbol_colour, fresh.ap.symbol_colour);
        EXPECT_EQ(r.ap.symbol_type, fresh.ap.symbol_type);
    }
}

TEST(PlotClassLoop, AllClassesThenOneThenQuit) {
    Styled r = style(3, kDotClouds, "0\n4\n2\n  9\n-1\n", 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.ap.line_colour[static_cast<std::size_t>(i)], i == 1 ? 9 : 4) << i;
    EXPECT_EQ(r.ap.line_colour[4], 5);  // classes beyond nc keep their colour
    const std::string round =
        "             Select age class to color:\n"
        "             [enter  0  to color all classes the same]\n"
        "             [enter -1  to quit]\n"
        "\n"
        "             [  1]    1-  10   [  2]   11-  20   \n"
        "             [  3]   21-  30   [  4]   31-  40   \n"
        "\n"
        "             Enter the classnum to color: ";
    EXPECT_EQ(test::count_of(r.out, round), 3u);
    EXPECT_TRUE(contains_block(r.out, "to color:              Select new LINE color: [0-15] : "));
}

TEST(PlotClassLoop, OddClassCountListsTheLastClassAlone) {
    Styled r = style(6, kDotClouds, "3\n5\n-1\n", 3);
    EXPECT_TRUE(contains_block(r.out, "             [  1]    1-  10   [  2]   11-  20   \n"
                                      "             [  3]   21-  30   \n\n"));
    EXPECT_EQ(r.ap.line_style[2], 5);
    Styled one = style(7, kDotClouds, "1\n32\n-1\n", 1);
    EXPECT_TRUE(contains_block(one.out, "[enter -1  to quit]  <32 = no symbol, 18 = star>\n\n"
                                        "             [  1]    1-  10   \n\n"
                                        "             Enter the classnum to change : "));
    EXPECT_EQ(one.ap.symbol_type[0], 32);
}

TEST(PlotClassLoop, ClassNumbersNotInUseAreRefused) {
    // 4 is beyond nc = 3, 60 beyond the arrays, -2 below -1: none asks for a value.
    Styled r = style(5, kDotClouds, "4\n60\n-2\n2\n11\n-1\n", 3);
    EXPECT_EQ(test::count_of(r.out, "There is no age class"), 3u);
    EXPECT_EQ(test::count_of(r.out, "Select new SYMBOL color: [0-15] : "), 1u);
    Styled fresh = style(99, kDotClouds, "", 3);
    auto expected = fresh.ap.symbol_colour;
    expected[1] = 11;
    EXPECT_EQ(r.ap.symbol_colour, expected);
}

TEST(PlotAxes, TicksAndRangesShowTheCurrentValue) {
    PlotAppearance ap;
    ap.x_major = 20.0f;
    ap.x_minor = 10;
    ap.y_max = 3.5f;
    std::int32_t dark = 0;
    {
        MemConsole mc("\n  50\n");
        plotstyle(mc.con(), 8, ap, kSeriesByAge, 0, {}, {}, dark);
        EXPECT_EQ(mc.output(), "\n             Change X axis major tics from:    20.\n             to > ");
        EXPECT_EQ(ap.x_major, 50.0f);
    }
    {
        // Option 9 is a free answer: the empty line is skipped.
        MemConsole mc("\n5\n");
        plotstyle(mc.con(), 9, ap, kSeriesByAge, 0, {}, {}, dark);
        EXPECT_TRUE(contains_block(mc.output(), "Change X axis minor tics from:   10\n"));
        EXPECT_EQ(ap.x_minor, 5);
    }
    {
        // Options 11 and 13 read a field: the empty line is 0.
        ap.y_minor = 4;
        MemConsole mc("\n");
        plotstyle(mc.con(), 11, ap, kSeriesByAge, 0, {}, {}, dark);
        EXPECT_EQ(ap.y_minor, 0);
        ap.z_minor = 4;
        MemConsole mz("123456\n");
        plotstyle(mz.con(), 13, ap, kSeriesByAge, 0, {}, {}, dark);
        EXPECT_EQ(ap.z_minor, 1234);
    }
    {
        MemConsole mc("2.5e1\n");
        plotstyle(mc.con(), 16, ap, kSeriesByAge, 0, {}, {}, dark);
        EXPECT_EQ(mc.output(), "\n             Change Y axis MAX value from:    3.500\n             to > ");
        EXPECT_EQ(ap.y_max, 25.0f);
    }
    const std::pair<int, float PlotAppearance::*> ranges[] = {
        {10, &PlotAppearance::y_major}, {12, &PlotAppearance::z_major}, {14, &PlotAppearance::x_max},
        {15, &PlotAppearance::x_min},   {17, &PlotAppearance::y_min},   {18, &PlotAppearance::z_max},
        {19, &PlotAppearance::z_min}};
    for (auto [option, field] : ranges) {
        MemConsole mc("-1.25\n");
        plotstyle(mc.con(), option, ap, kDotClouds, 0, {}, {}, dark);
        EXPECT_EQ(ap.*field, -1.25f) << option;
    }
}

TEST(PlotOptions, UnknownOptionsDoNothing) {
    for (int option : {0, 20, 50, -1, 98}) {
        PlotAppearance ap;
        std::int32_t dark = 0;
        MemConsole mc;  // no input: any read would throw
        plotstyle(mc.con(), option, ap, kDotClouds, 3, kStart, kStop, dark);
        EXPECT_EQ(mc.output(), "") << option;
        EXPECT_EQ(ap.line_colour, PlotAppearance{}.line_colour);
    }
}

}  // namespace
}  // namespace tarnik::plot

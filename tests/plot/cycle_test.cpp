#include <gtest/gtest.h>
#include <plplot/plplot.h>

#include <cmath>
#include <limits>

#include "plot/cycle.h"
#include "plot/plot_env.h"

namespace tarnik::plot {
namespace {

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
    test::PlotSandbox box;
    PlotAppearance black;
    black.bg_red = black.bg_green = black.bg_blue = 0;
    test::MemConsole mc("light.ps\ndark.ps\n");
    { DrawingCycle c(mc.con(), "psc", PlotAppearance{}, 0); draw_in_entry_15(); }
    { DrawingCycle c(mc.con(), "psc", black, 1); draw_in_entry_15(); }
    const std::string light = box.dir().read("light.ps"), dark = box.dir().read("dark.ps");
    EXPECT_NE(light.find("0.0000 0.0000 0.0000 C"), std::string::npos);
    EXPECT_EQ(light.find("1.0000 1.0000 1.0000 C"), std::string::npos);
    EXPECT_NE(dark.find("1.0000 1.0000 1.0000 C"), std::string::npos);
}

TEST(DrawingCycle, ScreenImageThatCannotBeWrittenIsSkippedQuietly) {
    test::PlotSandbox box;
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
    test::PlotSandbox box;
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

}  // namespace
}  // namespace tarnik::plot

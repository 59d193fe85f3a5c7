#include <gtest/gtest.h>
#include <plplot/plplot.h>

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

}  // namespace
}  // namespace tarnik::plot

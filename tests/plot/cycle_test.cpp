#include <gtest/gtest.h>
#include <plplot/plplot.h>
#include <sys/stat.h>

#include <filesystem>

#include "console/errors.h"
#include "plot/cycle.h"
#include "plot/plot_env.h"

namespace tarnik::plot {
namespace {

namespace fs = std::filesystem;
using test::contains_block;
using test::MemConsole;
using test::PlotSandbox;
using test::StdoutCapture;

// A frame and one line in palette entry `colour`.
void draw_something(std::int32_t colour) {
    pladv(0);
    plvpor(0.1, 0.9, 0.1, 0.9);
    plwind(0.0, 1.0, 0.0, 1.0);
    plcol0(colour);
    plbox("BCNST", 0.0, 0, "BCNST", 0.0, 0);
    const PLFLT x[] = {0.0, 1.0}, y[] = {0.0, 1.0};
    plline(2, x, y);
}

PlotAppearance white() { return PlotAppearance{}; }
PlotAppearance black() {
    PlotAppearance ap;
    ap.bg_red = ap.bg_green = ap.bg_blue = 0;
    return ap;
}

TEST(PlotEnvironment, OverwritesTheFontDirectory) {
    setenv("PLPLOT_LIB", "/nowhere", 1);
    set_plplot_environment();
    const char* dir = std::getenv("PLPLOT_LIB");
    ASSERT_NE(dir, nullptr);
    EXPECT_TRUE(fs::exists(fs::path(dir) / "plstnd5.fnt")) << dir;
}

TEST(ScreenWithoutDisplay, EachDrawingReplacesTheImageFileAndPrintsNothing) {
    PlotSandbox box;
    MemConsole mc;
    StdoutCapture cap;
    EXPECT_FALSE(screen_window_available());
    {
        DrawingCycle c(mc.con(), "Mac1", white(), 0);
        ASSERT_TRUE(c.is_open());
        EXPECT_EQ(c.file_name(), kScreenImageFile);
        draw_something(15);
    }
    const std::string first = box.dir().read(kScreenImageFile);
    {
        DrawingCycle c(mc.con(), "Mac1", black(), 1);
        draw_something(15);
    }
    const std::string second = box.dir().read(kScreenImageFile);
    EXPECT_EQ(cap.finish(), "");
    EXPECT_EQ(mc.output(), "");
    EXPECT_TRUE(test::is_png(first));
    EXPECT_TRUE(test::is_png(second));
    EXPECT_NE(first, second);
}

TEST(ScreenWithoutDisplay, UnwritableImageNeitherBlocksNorFails) {
    PlotSandbox box;
    fs::create_directory(box.dir() / kScreenImageFile);  // cannot be opened as a file, not even by root
    MemConsole mc;
    StdoutCapture cap;
    {
        DrawingCycle c(mc.con(), "Mac1", white(), 0);
        draw_something(1);
    }
    EXPECT_EQ(cap.finish(), "");
    EXPECT_EQ(mc.output(), "");
    EXPECT_TRUE(fs::is_directory(box.dir() / kScreenImageFile));
}

TEST(PostScriptFile, AskedWithTheLibraryPromptUntilUsable) {
    PlotSandbox box;
    MemConsole mc("\n   \n/no/such/dir/plot.ps\nplot.ps\n");
    StdoutCapture cap;
    {
        DrawingCycle c(mc.con(), "ps", white(), 0);
        EXPECT_EQ(c.file_name(), "plot.ps");
        draw_something(15);
    }
    EXPECT_EQ(cap.finish(), "");
    const std::string out = mc.output();
    EXPECT_EQ(test::count_of(out, "Enter graphics output file name: "), 4u);
    EXPECT_EQ(test::count_of(out, "/no/such/dir/plot.ps"), 1u);
    EXPECT_EQ(box.dir().read("plot.ps").rfind("%!PS", 0), 0u);
}

TEST(PostScriptFile, DashIsAFileNotStandardOutput) {
    PlotSandbox box;
    MemConsole mc("-\n");
    StdoutCapture cap;
    {
        DrawingCycle c(mc.con(), "psc", white(), 0);
        draw_something(2);
    }
    EXPECT_EQ(cap.finish(), "");
    EXPECT_EQ(box.dir().read("-").rfind("%!PS", 0), 0u);
}

TEST(PostScriptFile, EndOfInputAtThePromptOpensNothing) {
    PlotSandbox box;
    MemConsole mc("\n");
    EXPECT_THROW(DrawingCycle(mc.con(), "ps", white(), 0), EndOfInput);
    // The library is left closed: a following cycle works.
    MemConsole again("next.ps\n");
    { DrawingCycle c(again.con(), "ps", white(), 0); draw_something(15); }
    EXPECT_GT(fs::file_size(box.dir() / "next.ps"), 0u);
}

// Colour PostScript shows which colours palette entries 0 and 15 got.
TEST(PostScriptFile, DarkFlagSwapsPaletteEntriesZeroAndFifteen) {
    PlotSandbox box;
    MemConsole mc("light.ps\ndark.ps\n");
    { DrawingCycle c(mc.con(), "psc", white(), 0); draw_something(15); }
    { DrawingCycle c(mc.con(), "psc", black(), 1); draw_something(15); }
    const std::string light = box.dir().read("light.ps");
    const std::string dark = box.dir().read("dark.ps");
    EXPECT_NE(light.find("0.0000 0.0000 0.0000 C"), std::string::npos);
    EXPECT_EQ(light.find("1.0000 1.0000 1.0000 C"), std::string::npos);
    EXPECT_NE(dark.find("1.0000 1.0000 1.0000 C"), std::string::npos);
}

}  // namespace
}  // namespace tarnik::plot

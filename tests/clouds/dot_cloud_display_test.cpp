#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "clouds/dot_cloud_display.h"
#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

// Runs one visit of the display in a scratch directory (the screen plot becomes
// an image file there) and returns the console output.
std::string visit(const test::TempDir& dir, std::string_view answers) {
    std::vector<test::SeriesSpec> specs;
    for (int j = 0; j < 3; ++j) specs.push_back({"S", 1900 + 5 * j, 0, 100, std::vector<std::int32_t>(40, 100 + 10 * j)});
    const Stores st = test::make_stores(specs);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    test::MemConsole mc(answers);
    TextFile report((dir / "report").string());
    DotCloudDisplay display;
    display.tarnikplt2(mc.con(), st, report, 1, "three.rwl");
    std::filesystem::current_path(old);
    return mc.output();
}

TEST(DotCloudDisplay, WhiteBackgroundOfTheSingleClassViewClearsTheDarkPalette) {
    // A black background draws frame and text white; after the single-class view
    // restored the white background they must be drawn black again.
    test::TempDir dir;
    // One manual class (ages 1-20), black background, a colour plot, the view of
    // class 1, another colour plot.
    visit(dir, "m\n1\n1\n20\nt\na\n0\nt\n\n1\n0\n88\n\n" + (dir / "dark.ps").string() + "\n55\n1\n-1\n88\n\n" +
                   (dir / "after.ps").string() + "\n-1\n");
    const std::string white = "1.0000 1.0000 1.0000 C";
    EXPECT_NE(dir.read("dark.ps").find(white), std::string::npos);
    EXPECT_EQ(dir.read("after.ps").find(white), std::string::npos);
}

}  // namespace
}  // namespace tarnik::clouds

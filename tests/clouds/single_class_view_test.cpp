#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "clouds/single_class_view.h"
#include "console/format.h"
#include "plot/cycle.h"
#include "cloud_fixture.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::TempDir;

// Class 1 (ages 10-20): spline 1853..1987 between 0.5 and 1.5 with a standard
// error of 0.25, cloud points from 0.2 to 2.3. Class 2 (ages 21-40): years
// 1905..1990, values from -3.2 to 7.9.
CloudStore view_store() {
    CloudStore cs;
    test::set_class(cs, 1, 1853, 1987, [](int y) { return 0.5f + float(y - 1853) / 134.0f; },
                    {{1853, 0.2f}, {1900, 1.0f}, {1950, 2.3f}, {1987, 1.2f}}, 0.25f);
    test::set_class(cs, 2, 1905, 1990, [](int) { return 2.0f; }, {{1905, -3.2f}, {1990, 7.9f}, {1950, 2.0f}});
    cs.start_age = {10, 21}, cs.stop_age = {20, 40};
    cs.bw[0] = 25.4f, cs.bw[1] = 1.0e10f;
    cs.fit_stats[0] = {25.0f, 3.4f, 0.125f, 1.5f, 2.25f, 0.0625f, 1.0f, 135.0f};
    cs.fit_stats[1] = {1.0e10f, 80.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 86.0f};
    return cs;
}

// Axis ranges and ticks: x min, max, major, minor, then the same for y.
std::vector<float> ranges(const plot::PlotAppearance& ap) {
    return {ap.x_min, ap.x_max, ap.x_major, float(ap.x_minor), ap.y_min, ap.y_max, ap.y_major, float(ap.y_minor)};
}

// Runs the view in a scratch directory (the screen plot becomes an image file there).
class SingleClassView : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        ap_.line_colour[0] = 1, ap_.line_colour[1] = 2;
        ap_.line_style[0] = 1, ap_.line_style[1] = 1;
        ap_.symbol_colour[0] = 1, ap_.symbol_type[0] = 18;
    }
    void TearDown() override { std::filesystem::current_path(old_); }

    // The console output, without the notice of the image file that the first
    // screen plot of a run gives.
    std::string run(std::string_view answers) {
        const test::Scripted r = test::scripted(answers, [&](Console& c, TextFile& f) { run_single_class_view(c, cs_, ap_, f, AnalysisVariable::ring_widths); });
        report_ = r.report;
        std::string out = r.out;
        const std::string notice = std::string(plot::kImageNotice) + "\n";
        if (const auto at = out.find(notice); at != std::string::npos) out.erase(at, notice.size());
        return out;
    }

    TempDir dir_;
    std::filesystem::path old_;
    CloudStore cs_ = view_store();
    plot::PlotAppearance ap_;
    std::string report_;
};

// Selections 0 and 3 (out of range) and "x" (unreadable), then class 1.
constexpr const char* kSelections = "0\n\n3\n\nx\n\n1\n-1\n";

TEST_F(SingleClassView, InvalidClassSelectionsAreAskedAgain) {
    const std::string out = run(kSelections);
    EXPECT_TRUE(contains_block(out, "\n************** Select Age Class ****************\n"
                                    "  #    start    stop   inc/length spline-bandwidth\n"
                                    "   1     10  to   20       11          25\n"
                                    "   2     21  to   40       20        ****\n"
                                    "*************************************************\n"
                                    "enter selection : \nERROR you have entered an invalid number.\n"
                                    "Please enter a value between 1 -   2\n\n  Hit RETURN to continue : "));
    EXPECT_EQ(count_of(out, "ERROR you have entered an invalid number."), 2u);  // 0 and 3
    EXPECT_TRUE(contains_block(out, "enter selection : \nInvalid entry. Please make a new selection\n\n"
                                    "  Hit RETURN to continue : "));
    EXPECT_EQ(count_of(out, "enter selection : "), 4u);
    EXPECT_TRUE(contains_block(out, "enter selection : \n\n             ********** PLOT APPEARANCE MENU ***********\n"));
    EXPECT_TRUE(contains_block(out, "             RETURN to Dot Cloud menu [-1]  \n"
                                    "             ____________________________________________\n\n"
                                    "              enter option number : "));
}

TEST_F(SingleClassView, ChosenClassSetsTheRanges) {
    run(kSelections);
    // Years 1853-1987, values 0.2 .. 2.3 (band 0.25 .. 1.75).
    EXPECT_EQ(ranges(ap_), (std::vector<float>{1850, 1990, 20, 10, 0, 2.5f, 1, 10}));
}

TEST_F(SingleClassView, ChosenClassStatisticsGoToTheReport) {
    run(kSelections);
    const std::string header = "       bw      df      gcv     msr     mse     EV      msw     nps";
    EXPECT_TRUE(contains_block(report_, "\nfrom Tarnikplt4 *****\n " + fmt::pad(header, 256) + "\n" +
                                            fmt::pad("       25       3   0.125   1.500    2.250   0.062   1.000     135", 256) +
                                            "\n\n"));
}

TEST_F(SingleClassView, AnotherClassGetsFreshRanges) {
    // Option 14 changes the X maximum; choosing class 2 recomputes everything.
    const std::string out = run("1\n14\n2100\n55\n2\n-1\n");
    EXPECT_TRUE(contains_block(out, "Change X axis MAX value from: "));
    // Last year 1990 lies on a decade: the axis ends at the next; width 100.
    EXPECT_EQ(ranges(ap_), (std::vector<float>{1900, 2000, 10, 10, -3, 8.5f, 2, 5}));
    EXPECT_EQ(count_of(report_, "       bw      df"), 2u);
    EXPECT_TRUE(contains_block(report_, "\n ********      80   1.000   1.000    1.000   1.000   1.000      86"));
}

TEST_F(SingleClassView, OptionsOfTheMenu) {
    ap_.line_colour[0] = 9;
    const std::string out = run("1\n14\n2100\n77\n" + (dir_ / "view.ps").string() + "\n0\n88\n" +
                                (dir_ / "rgb.ps").string() + "\n1\n0\n42\n\n99\n66\n" + (dir_ / "se.txt").string() +
                                "\n-5\n");
    // One file name question per saved plot (the files are checked end to end):
    // option 0 draws on the screen again.
    EXPECT_EQ(count_of(out, "Enter graphics output file name: "), 2u);
    EXPECT_EQ(ap_.x_max, 2100.0f);
    // Option 99 restores the white background but keeps the line colours.
    EXPECT_EQ(ap_.bg_red, 255);
    EXPECT_EQ(ap_.line_colour[0], 9);
    EXPECT_TRUE(contains_block(out, "\n             Unknown option re-enter a valid number\n\n"
                                    "               Hit RETURN to continue : "));

    cs_.classnum = 0;
    const std::string none = run("\n");
    EXPECT_TRUE(contains_block(none, "There is no age class to view."));
    EXPECT_FALSE(contains_block(none, "enter selection"));
}

}  // namespace
}  // namespace tarnik::clouds

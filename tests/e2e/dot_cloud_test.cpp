// End-to-end dialogs of the age-class dot clouds (Main Program Menu choice 3):
// the three definition modes, the size checks, the report record, the plot menu
// and the PostScript plots.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::run_tarnik;
using test::TempDir;

// ca533.rwl read as raw ring widths, then Main Program Menu choice 3 with the
// given answers; the run ends with -1 at the plot menu (unless the answers end
// the visit themselves) and 5 at the main menu.
test::RunResult visit(const TempDir& dir, const std::vector<std::string>& answers, bool leave = true) {
    dir.copy_data("ca533.rwl");
    std::string input = lines({"ca533.rwl", "f", "1", "3"});
    for (const auto& a : answers) input += a + "\n";
    if (leave) input += "-1\n";
    input += "5\n";
    return run_tarnik(dir, input);
}

const std::string kPlotMenuTail = lines({
    "             ********** PLOT APPEARANCE MENU ***********",
    "              REPLOT              [0]   MAJOR ticks Y  [10] ",
    "              BACKGROUND color    [1]   MINOR ticks Y  [11]",
    "              FRAME color         [2]   MAJOR ticks Z  [12]",
    "              LINE color          [3]   MINOR ticks Z  [13]",
    "              TEXT color          [4]   Max. X         [14]",
    "              SYMBOL color        [5]   Min. X         [15]",
    "              LINE style          [6]   Max. Y         [16]",
    "              SYMBOL type         [7]   Min. Y         [17]",
    "              MAJOR ticks X       [8]   Max. Z         [18]",
    "              MINOR ticks X       [9]   Min. Z         [19]",
    "              <for 3d plot only>        ALTITUDE       [20]",
    "              <for 3d plot only>        AZIMUTH        [21]",
    "                          -PLOT OPTIONS MENU- ",
    "              VIEW 3D plot        [33]  save PLOT(b/w) [77]",
    "              NORMALIZE           [44]  save PLOT(rgb) [88] ",
    "              VIEW curve fit      [55]  RESET options  [99]",
    "              SAVE data           [66]  RETURN TO MAIN",
    "                                                  MENU [-1]  ",
    "             ____________________________________________",
    "",
}) + "              enter option number : ";

// Each definition mode: its dialog, the plot menu and the report record.
struct ModeCase {
    std::vector<std::string> answers, blocks;
    std::string record;
};

const ModeCase kModes[] = {
    // 1-10 by 5 up to 30.
    {{"a", "1", "10", "5", "30", "t", "a", "-10", "t", ""},
     {lines({"             Number of age classes =    5", "", "             Initial start age     =    1",
             "             Final end age         =   30", "             Increment             =    5"}),
      lines({"             Age Class   First Year   Last Year   Spline",
             "                   1           1          10       -10",
             "                   2           6          15       -10"}),
      // The first plot of the run, without a display, names its file.
      lines({"", " Dot Cloud Plotting Control _______________", "",
             "     >>> Hit Return to Display Plot <<< No display: the plot is drawn into tarnik_screen.png "
             "(replaced by every drawing).",
             "", ""}) + kPlotMenuTail},
     lines({" Automated age classes defined by user", "   #    start    stop   inc/length spline",
            "    1      1  to   10       10     -10", "    2      6  to   15       10     -10",
            "    3     11  to   20       10     -10", "    4     16  to   25       10     -10",
            "    5     21  to   30       10     -10", "", " Xhigh  Xlow   Yhigh  Ylow   Zhigh  Zlow"})},
    // Overlapping classes and one of a single age; the review is answered
    // false and then 7: the definition stands.
    {{"m", "3", "30", "40", "35", "50", "30", "30", "t", "m", "1000", "-25", "0", "f", "7", ""},
     {"                3     30 to   30      1\n"},
     lines({" *** manual mode age class selectioin ***", "", " Manual age classes defined by user",
            "   #    start    stop   inc/length spline", "    1     30  to   40       11     100",
            "    2     35  to   50       16     -25", "    3     30  to   30        1       0"})},
    // Without an earlier automatic definition the record carries the manual heading.
    {{"r", "4", "1", "100", "1", "a", "20", "t", ""},
     {},
     lines({" Manual age classes defined by user", "   #    start    stop   inc/length spline",
            "    1      1  to   10       10      20", "    2     10  to   42       33      20",
            "    3     42  to   76       35      20", "    4     76  to  100       25      20"})},
};

// Visits with each mode, each in a directory of its own, the check given the
// mode, the directory and the run.
template <typename Check>
void for_every_mode(Check check) {
    for (const auto& c : kModes) {
        SCOPED_TRACE(c.answers[0]);
        TempDir dir;
        const auto r = visit(dir, c.answers);
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        check(c, dir, r);
    }
}

TEST(DotCloudE2E, ClassesOfEveryModeAreBuiltThroughTheirDialog) {
    for_every_mode([](const ModeCase& c, const TempDir&, const test::RunResult& r) {
        for (const auto& block : c.blocks) EXPECT_TRUE(contains_block(r.out, block));
    });
}

TEST(DotCloudE2E, ClassesOfEveryModeAreDrawn) {
    for_every_mode([](const ModeCase&, const TempDir& dir, const test::RunResult&) {
        EXPECT_TRUE(dir.exists("tarnik_screen.png"));
    });
}

TEST(DotCloudE2E, ClassesOfEveryModeAreRecordedInTheReport) {
    for_every_mode([](const ModeCase& c, const TempDir& dir, const test::RunResult&) {
        const std::string report = dir.read("ca533_Tarnik");
        EXPECT_EQ(count_of(report, " Dot-Cloud Construction *********************\n"), 1u);
        EXPECT_TRUE(contains_block(report, c.record));
    });
}

// Ages 1342-1343 hold only two rings in ca533. Redefining leaves that class
// alone; keeping the classes before it leaves nothing: back to the main menu.
// The second visit keeps class 1: the 3-D line of the menu is gone.
test::RunResult define_a_small_class_twice(const TempDir& dir) {
    const std::vector<std::string> define = {"m", "3", "1", "10", "1342", "1343", "11", "20", "t", "a", "0", "t"};
    std::vector<std::string> answers = define;
    answers.insert(answers.end(), {"2", "m", "1", "1342", "1343", "t", "a", "0", "t", "1", "", "3"});
    answers.insert(answers.end(), define.begin(), define.end());
    answers.insert(answers.end(), {"1", ""});
    return visit(dir, answers);
}

TEST(DotCloudE2E, ASmallClassIsReported) {
    TempDir dir;
    const auto r = define_a_small_class_twice(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(count_of(r.out, lines({"             Classnum StartAge  StopAge   Size",
                                     "                 2       ***     ***         2"})), 2u);
}

TEST(DotCloudE2E, ASmallClassCanBeRedefined) {
    TempDir dir;
    const auto r = define_a_small_class_twice(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(count_of(r.out, "Enter either [r]andom [a]utomatic or [m]anual  :  "), 3u);
}

TEST(DotCloudE2E, CuttingEveryClassReturnsToTheMainMenu) {
    TempDir dir;
    const auto r = define_a_small_class_twice(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(count_of(r.out, "             No age class with 3 or more data points remains,\n"), 1u);
}

TEST(DotCloudE2E, OneClassLeftHasNo3dView) {
    TempDir dir;
    const auto r = define_a_small_class_twice(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(count_of(r.out, "VIEW 3D plot"), 0u);
    EXPECT_EQ(count_of(r.out, "turn 3D OFF"), 0u);
}

TEST(DotCloudE2E, TheReportRecordsEveryDefinitionButOnlyTheBuiltClasses) {
    TempDir dir;
    const auto r = define_a_small_class_twice(dir);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string report = dir.read("ca533_Tarnik");
    EXPECT_EQ(count_of(report, "Dot-Cloud Construction"), 3u);
    EXPECT_EQ(count_of(report, "Xhigh  Xlow"), 1u);
}

TEST(DotCloudE2E, PlotMenuOptions) {
    TempDir dir;
    auto r = visit(dir, {"m", "2", "1", "10", "11", "20", "t", "a", "0", "t", "",
                         "77", "", "clouds.ps",  // black-and-white plot
                         "33", "",               // 3-D view on the screen
                         "20", "45", "",         // altitude 0.45 (implied decimals), redraw
                         "21", "200.", "",       // azimuth 200
                         "88", "", "view3d.ps",  // colour plot of the 3-D view
                         "50", "",               // unknown option
                         "7", "1", "5", "-1",    // symbol type of class 1
                         "", "",                 // empty answer: replot
                         "99", "",               // reset: rebuild and redraw
                         "44", "n", "1", "",     // normalise over the common period, mean only
                         "55", "",               // refused after a normalisation
                         "99", "",               // reset
                         "1", "0", "88", "", "dark.ps",       // black background
                         "55", "1", "77", "single.ps", "-1",  // the single-class view of class 1
                         "88", "", "after.ps",   // its white background holds
                         "55", "1", "1", "0", "-1",  // a black background chosen in the view
                         "88", "", "black.ps",   // holds too, with its white frame and text
                         "44", ""});             // refused after viewing the fits
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    for (const char* ps : {"clouds.ps", "view3d.ps", "single.ps", "after.ps"}) EXPECT_EQ(dir.read(ps).rfind("%!PS", 0), 0u) << ps;
    EXPECT_NE(dir.read("clouds.ps"), dir.read("view3d.ps"));
    // A black background draws frame and text white; once the single-class view
    // restored the white background they are drawn black again, and after a
    // black background chosen in the view, white again.
    const std::string white = "1.0000 1.0000 1.0000 C";
    EXPECT_NE(dir.read("dark.ps").find(white), std::string::npos);
    EXPECT_EQ(dir.read("after.ps").find(white), std::string::npos);
    EXPECT_NE(dir.read("black.ps").find(white), std::string::npos);
    EXPECT_TRUE(contains_block(r.out, "              turn 3D OFF         [33]  save PLOT(b/w) [77]\n"));
    EXPECT_TRUE(contains_block(r.out, lines({"", "             Unknown option re-enter a valid number", ""}) +
                                          "               Hit RETURN to continue : "));
    EXPECT_TRUE(contains_block(r.out, lines({"", "             To see the spline fits for the age clouds",
                                             "             AFTER normalizing you must select RESET OPTIONS",
                                             "             to rebuild the original age clouds.", ""})));
    EXPECT_TRUE(contains_block(r.out, lines({"", "             To see the Normalized Splines and Clouds",
                                             "             AFTER viewing the spline fits you must select",
                                             "             RESET OPTIONS to rebuild the original age clouds.", ""})));
    EXPECT_EQ(count_of(r.out, "     >>> Hit Return to Display Plot <<<"), 13u);  // 8 before the normalisation
    const std::string report = dir.read("ca533_Tarnik");
    EXPECT_EQ(count_of(report, "Xhigh  Xlow"), 3u);  // the first build and the two resets
    EXPECT_TRUE(contains_block(report, "Normalization by MEAN removal"));
}

}  // namespace
}  // namespace tarnik

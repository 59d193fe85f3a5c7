// The series displays of the real program without an X display: the dialog on
// standard output, the screen plot in tarnik_screen.png, PostScript files named
// at the library's prompt.

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tarnik::test {
namespace {

std::string start() { return lines({"ca533.rwl", "f", "1"}); }

const std::string kMenu =
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
    "             _____________________________________________\n\n"
    "              Enter option number > ";

TEST(SeriesDisplayRun, MenusAndNoticesWithNothingElseOnStandardOutput) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    // 123 reads as 12 (Z major ticks); 7 and 5 have nothing to change; 18 and x
    // are unknown; the empty answer redraws.
    const RunResult r = run_tarnik(
        dir, start() + lines({"1", "123", "3", "7", "", "5", "", "18", "", "x", "", "", "-1", "2", "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The drawings add nothing to the dialog: each menu follows its prompt directly.
    EXPECT_EQ(count_of(r.out, "Enter option [1-5] : " + kMenu), 2u);
    EXPECT_EQ(count_of(r.out, "Enter option number > " + kMenu), 1u);
    EXPECT_TRUE(contains_block(r.out, "Enter option number > \n             Change Z axis major tics from:     0.\n"
                                      "             to > " + kMenu));
    EXPECT_TRUE(contains_block(r.out, "> \n             This Option [ 7] not available for this plot\n\n"
                                      "             Hit RETURN to continue : " + kMenu));
    EXPECT_TRUE(contains_block(r.out, "> \n             This Option [ 5] not available for this plot\n"));
    EXPECT_EQ(count_of(r.out, "\n             Unknown option re-enter a valid number\n\n"
                              "             Hit RETURN to continue : " + kMenu),
              2u);
    EXPECT_EQ(read_file(dir / "tarnik_screen.png").rfind("\x89PNG", 0), 0u);
}

TEST(SeriesDisplayRun, PlotsSavedAsPostScriptThroughTheFileNamePrompt) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    // An empty name and one that cannot be created are asked again; "-" is a file.
    const RunResult r = run_tarnik(
        dir, start() + lines({"2", "77", "", "/no/such/dir/plot.ps", "bw.ps", "88", "-", "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(count_of(r.out, "Enter graphics output file name: "), 4u);
    EXPECT_EQ(count_of(r.out, "/no/such/dir/plot.ps"), 1u);
    EXPECT_EQ(r.out.find("%!PS"), std::string::npos);
    EXPECT_EQ(read_file(dir / "bw.ps").rfind("%!PS", 0), 0u);
    EXPECT_EQ(read_file(dir / "-").rfind("%!PS", 0), 0u);

    // End of input at the prompt ends the run through the program, not the library.
    const RunResult eof = run_tarnik(dir, start() + lines({"1", "77"}));
    EXPECT_GT(eof.status, 0);
    EXPECT_LT(eof.status, 128);
    EXPECT_EQ(eof.err.find("PLPLOT"), std::string::npos);
    EXPECT_TRUE(contains_block(eof.out, "Enter graphics output file name: "));
}

}  // namespace
}  // namespace tarnik::test

// The series displays run from the main menu of the real program, without an X
// display: the dialog on standard output, the screen plot in tarnik_screen.png
// and PostScript files named at the library's prompt.

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tarnik::test {
namespace {

// Start of every run: the example file, no pith offsets, raw ring widths.
std::string start() { return lines({"ca533.rwl", "f", "1"}); }

const char* kMenuTop = "\n\n             ************ PLOT Options Menu *************\n";

TEST(SeriesDisplayRun, BothAlignmentsDrawAndAnswerTheirMenu) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    // 123 reads as 12 (Z major ticks); 7 and 5 have nothing to change; 18 and x are unknown.
    const RunResult r = run_tarnik(
        dir, start() + lines({"1", "123", "3", "7", "", "5", "", "18", "", "x", "", "", "-1", "2", "-1", "5"}));
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Nothing but the dialog reaches standard output: the menu follows the main
    // menu's prompt directly, also after a redraw.
    EXPECT_EQ(count_of(r.out, std::string("Enter option [1-5] : ") + kMenuTop), 2u);
    EXPECT_TRUE(contains_block(r.out, std::string("Enter option number > ") + kMenuTop));
    EXPECT_EQ(r.out.find("PLPLOT"), std::string::npos);
    EXPECT_TRUE(contains_block(r.out, "Enter option number > \n             Change Z axis major tics from:     0.\n"
                                      "             to > "));
    EXPECT_TRUE(contains_block(r.out, "\n             This Option [ 7] not available for this plot\n\n"
                                      "             Hit RETURN to continue : "));
    EXPECT_TRUE(contains_block(r.out, "This Option [ 5] not available for this plot"));
    EXPECT_EQ(count_of(r.out, "\n             Unknown option re-enter a valid number\n\n"
                              "             Hit RETURN to continue : "),
              2u);
    EXPECT_EQ(count_of(r.out, "RETURN to MAIN MENU [-1]"), 8u);
    EXPECT_TRUE(contains_block(r.out, "Normal termination of program"));
    EXPECT_EQ(read_file(dir / "tarnik_screen.png").rfind("\x89PNG", 0), 0u);
}

TEST(SeriesDisplayRun, PlotsAreSavedAsPostScript) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult r = run_tarnik(dir, start() + lines({"2", "77", "", "/no/such/dir/plot.ps", "bw.ps", "88",
                                                         "colour.ps", "-1", "5"}));
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(count_of(r.out, "Enter graphics output file name: "), 4u);
    EXPECT_EQ(count_of(r.out, "/no/such/dir/plot.ps"), 1u);
    EXPECT_EQ(r.out.find("%!PS"), std::string::npos);
    EXPECT_EQ(read_file(dir / "bw.ps").rfind("%!PS", 0), 0u);
    EXPECT_EQ(read_file(dir / "colour.ps").rfind("%!PS", 0), 0u);
}

TEST(SeriesDisplayRun, EndOfInputAtTheFileNamePromptEndsCleanly) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult r = run_tarnik(dir, start() + lines({"1", "77"}));
    ASSERT_FALSE(r.timed_out);
    EXPECT_NE(r.status, 0);
    EXPECT_LT(r.status, 128);  // no crash, no abort inside the library
    EXPECT_TRUE(contains_block(r.out, "Enter graphics output file name: "));
}

}  // namespace
}  // namespace tarnik::test

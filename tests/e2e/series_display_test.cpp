// The series displays of the real program without an X display: the dialog on
// standard output, the screen plot in tarnik_screen.png, PostScript files named
// at the library's prompt, and the series saved from both displays and read back.

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tarnik::test {
namespace {

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

const std::string kImageNotice = " No display: the plot is drawn into tarnik_screen.png (replaced by every drawing).\n";

// 123 reads as 12 (Z major ticks); 7 and 5 have nothing to change; 18 and x are
// unknown; the empty answer redraws. The tests below share the run.
class SeriesDisplayMenu : public ::testing::Test {
protected:
    static const KeptRun& run() {
        return kept_run("series_display_menu", {"ca533.rwl"},
                        lines({"ca533.rwl", "f", "1", "1", "123", "3", "7", "", "5", "", "18", "", "x", "", "", "-1",
                               "2", "-1", "5"}));
    }
    void SetUp() override { ASSERT_EQ(run().result.status, 0) << run().result.err; }
};

TEST_F(SeriesDisplayMenu, NothingGoesToStandardError) { EXPECT_EQ(run().result.err, ""); }

// Three drawings without a display: the first names the image file in one
// line, the others add nothing to the dialog.
TEST_F(SeriesDisplayMenu, OnlyTheFirstDrawingNamesTheImageFile) {
    const std::string& out = run().result.out;
    EXPECT_EQ(count_of(out, kImageNotice), 1u);
    EXPECT_EQ(count_of(out, "Enter option [1-5] : " + kImageNotice + kMenu), 1u);
    EXPECT_EQ(count_of(out, "Enter option [1-5] : " + kMenu), 1u);
    EXPECT_EQ(count_of(out, "Enter option number > " + kMenu), 1u);
}

TEST_F(SeriesDisplayMenu, AnAnswerOf123ChangesTheZMajorTicks) {
    EXPECT_TRUE(contains_block(run().result.out, "Enter option number > \n             Change Z axis major tics from:     0.\n"
                                                 "             to > " + kMenu));
}

TEST_F(SeriesDisplayMenu, AnOptionWithNothingToChangeIsNotAvailable) {
    const std::string& out = run().result.out;
    EXPECT_TRUE(contains_block(out, "> \n             This Option [ 7] not available for this plot\n\n"
                                    "             Hit RETURN to continue : " + kMenu));
    EXPECT_TRUE(contains_block(out, "> \n             This Option [ 5] not available for this plot\n"));
}

TEST_F(SeriesDisplayMenu, AnUnknownOptionIsAskedForAgain) {
    EXPECT_EQ(count_of(run().result.out, "\n             Unknown option re-enter a valid number\n\n"
                                         "             Hit RETURN to continue : " + kMenu), 2u);
}

TEST_F(SeriesDisplayMenu, TheScreenPlotIsAPngImage) {
    EXPECT_EQ(run().read("tarnik_screen.png").rfind("\x89PNG", 0), 0u);
}

// Both displays save all four files; the by-year display also saves PostScript
// plots: an empty name and one that cannot be created are asked again, and "-"
// is a file name like any other.
std::string save_everything(std::string_view file) {
    return lines({file, "f", "1", "1", "66", "1", "", "2", "", "3", "-1", "2", "66", "1", "", "2", "", "3", "77", "",
                  "/no/such/dir/plot.ps", "bw.ps", "88", "-", "-1", "5"});
}

class SeriesDisplaySaves : public ::testing::Test {
protected:
    static const KeptRun& run() { return kept_run("series_display_saves", {"ca533.rwl"}, save_everything("ca533.rwl")); }
    void SetUp() override { ASSERT_EQ(run().result.status, 0) << run().result.err; }
};

TEST_F(SeriesDisplaySaves, SavedFilesHoldTheStoredSeries) {
    // Their layouts are checked value by value in the export tests; here the
    // first line of each shows that the display saved what was read.
    const KeptRun& first = run();
    EXPECT_TRUE(first.read("Xdated.raw.DEC").starts_with("CAM011  1530   104    89   103    70    69   115   101   109    77   136\n"));
    EXPECT_TRUE(first.read("AgeAligned.raw.DEC").starts_with("CAM011     1   104    89   103    70    69   115   101   109    77\n"));
    EXPECT_TRUE(first.read("Xdated.raw.INC").starts_with(" YEAR        N    CAM011   CAM021 "));
    EXPECT_TRUE(first.read("AgeAligned.raw.INC").starts_with(" AGE         N    CAM011   CAM021 "));
}

TEST_F(SeriesDisplaySaves, APlotNameThatCannotBeUsedIsAskedForAgain) {
    const std::string& out = run().result.out;
    EXPECT_EQ(count_of(out, "Enter graphics output file name: "), 4u);
    EXPECT_EQ(count_of(out, "/no/such/dir/plot.ps"), 1u);
}

TEST_F(SeriesDisplaySaves, PostScriptPlotsGoOnlyToTheirNamedFiles) {
    const KeptRun& first = run();
    EXPECT_EQ(first.result.out.find("%!PS"), std::string::npos);
    EXPECT_EQ(first.read("bw.ps").rfind("%!PS", 0), 0u);
    EXPECT_EQ(first.read("-").rfind("%!PS", 0), 0u);
}

// The saved decadal file as input gives the same summary and the same files:
// a value changed on the way would change the column tables.
TEST_F(SeriesDisplaySaves, SavedSeriesReadBackUnchanged) {
    const KeptRun& first = run();
    TempDir second;
    second.write("again.dec", first.read("Xdated.raw.DEC"));
    const RunResult b = run_tarnik(second, save_everything("again.dec"));
    ASSERT_EQ(b.status, 0) << b.err;
    for (const char* f : {"Xdated.raw.DEC", "AgeAligned.raw.DEC", "Xdated.raw.INC", "AgeAligned.raw.INC"})
        EXPECT_EQ(first.read(f), second.read(f)) << f;
    const auto summary = [](const std::string& out) { return out.substr(out.find("Contains:"), 300); };
    EXPECT_EQ(summary(first.result.out), summary(b.out));
}

}  // namespace
}  // namespace tarnik::test

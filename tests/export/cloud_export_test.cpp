#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/cloud_store.h"
#include "export/cloud_export.h"
#include "support/test_support.h"

namespace tarnik::exporting {
namespace {

using test::contains_block;
using test::MemConsole;
using test::TempDir;

std::string rep(std::string_view s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// Two classes: class 1 (ages 10-12) with 4 cloud points and a 3-point spline,
// class 2 (ages 13-20) with 2 cloud points and a 2-point spline. Both carry
// values of an earlier, larger definition behind their counts.
CloudStore two_classes() {
    CloudStore cs;
    cs.classnum = 2;
    cs.start_age = {10, 13}, cs.stop_age = {12, 20};
    cs.cls[0].cloud_year = {1901, 1902, 1901, 1903, 1777, 1778};
    cs.cls[0].cloud_value = {0.5f, 1.25f, 2.125f, -0.75f, 9.0f, 9.0f};
    cs.cls[0].spline_year = {1901, 1902, 1903, 1666};
    cs.cls[0].spline_value = {1.0f, 1.5f, 0.25f, 7.0f};
    cs.cls[0].spline_se = {0.125f, 0.0f, 0.5f, 7.0f};
    cs.cls[1].cloud_year = {1950, 1951, 1555};
    cs.cls[1].cloud_value = {3.0f, 4.5f, 8.0f};
    cs.cls[1].spline_year = {1950, 1951, 1444};
    cs.cls[1].spline_value = {3.5f, -4.0f, 8.0f};
    cs.cls[1].spline_se = {0.25f, 0.75f, 8.0f};
    cs.num = {4, 2}, cs.nps = {3, 2};
    cs.max_num = 4, cs.max_nps = 3;
    cs.fit_stats[0] = {1.0e10f, 2.5f, 0.125f, 1.5f, 2.25f, 0.0625f, 1.0f, 3.0f};
    cs.fit_stats[1] = {25.0f, 3.5f, 12.0f, -0.5f, 100.0f, 0.001f, 0.5f, 2.0f};
    return cs;
}

struct Saved {
    std::string console, file;
};

// Runs the save menu with one choice and the file name "out.txt", then returns.
Saved save_choice(const CloudStore& cs, bool normalized, std::string_view choice) {
    TempDir dir;
    MemConsole mc(std::string(choice) + "\n" + (dir / "out.txt").string() + "\n\n7\n");
    cloud_save_menu(mc.con(), cs, normalized);
    return {mc.output(), dir.read("out.txt")};
}

// write_index_series into a fresh file: the file's text and what went to the console.
Saved index_series(std::string_view id, std::int32_t first_year, const std::vector<float>& v,
                   const std::vector<std::int32_t>& depth = {}) {
    TempDir dir;
    MemConsole mc;
    TextFile f((dir / "i.txt").string());
    write_index_series(mc.con(), f, id, first_year, v, depth);
    f.close();
    return Saved{mc.output(), dir.read("i.txt")};
}

TEST(IndexSeries, DecadeLinesWithEmptyPositions) {
    std::vector<float> v;
    for (int i = 1; i <= 12; ++i) v.push_back(0.125f * static_cast<float>(i));
    const Saved a = index_series("CLD 12", 1873, v);
    EXPECT_EQ(a.file, "CLD 121873" + rep("9990  0", 3) + " 125  1 250  1 375  1 500  1 625  1 750  1 875  1\n" +
                          "CLD 121880" + "1000  11125  11250  11375  11500  1" + rep("9990  0", 5) + "\n");
    EXPECT_EQ(a.console, "");  // factor 1: nothing reported
}

TEST(IndexSeries, FullLastLineIsFollowedByAnEmptyLine) {
    // Counts from the depth.
    const Saved a = index_series("CLD  1", 1871, std::vector<float>(9, 0.5f), {3, 4, 5, 6, 7, 8, 9, 10, 11});
    EXPECT_EQ(a.file, "CLD  11871" + rep("9990  0", 1) + " 500  3 500  4 500  5 500  6 500  7 500  8 500  9 500 10 500 11\n" +
                          "CLD  11880" + rep("9990  0", 10) + "\n");
}

TEST(IndexSeries, YearBelowMinus999WidensItsField) {
    // The positions follow the decades below 0.
    const Saved a = index_series("CLD  1", -2649, std::vector<float>(12, 0.5f));
    EXPECT_EQ(a.file, "CLD  1-2649" + rep("9990  0", 1) + rep(" 500  1", 9) + "\n" +
                          "CLD  1-2640" + rep(" 500  1", 3) + rep("9990  0", 7) + "\n");
}

TEST(IndexSeries, LargeValuesAreScaled) {
    EXPECT_EQ(index_series("CLD  3", 1990, {25.0f, 1.5f, -2.0f}).file,
              "CLD  31990" + std::string("2500  1 150  1-200  1") + rep("9990  0", 7) + "\n");
}

TEST(IndexSeries, ScalingIsReported) {
    EXPECT_EQ(index_series("CLD  3", 1990, {25.0f, 1.5f, -2.0f}).console,
              ">> sbr trrw: series   CLD  3 max value      25.000 multiplied by  0.100000\n");
}

TEST(IndexSeries, ScalingKeepsBothExtremesInTheirField) {
    // 9.9 and -0.999 keep factor 1; 9.99 needs 0.1, and so does a value below
    // -0.999, which would not fit the field unscaled.
    Saved a = index_series("X", 2000, {9.9f, -0.999f});
    EXPECT_EQ(a.file, "X     2000" + std::string("9900  1-999  1") + rep("9990  0", 8) + "\n");
    EXPECT_EQ(a.console, "");
    EXPECT_EQ(index_series("Y", 2000, {9.99f}).file, "Y     2000" + std::string(" 999  1") + rep("9990  0", 9) + "\n");
    a = index_series("Z", 2000, {0.5f, -1.5f});
    EXPECT_EQ(a.file, "Z     2000" + std::string("  50  1-150  1") + rep("9990  0", 8) + "\n");
    EXPECT_EQ(a.console, ">> sbr trrw: series        Z max value       0.500 multiplied by  0.100000\n");
}

TEST(CloudSaveMenu, RawCloudsShowEmptySlotsPastEachClass) {
    const Saved s = save_choice(two_classes(), false, "1");
    EXPECT_EQ(s.file,
              " Raw Age Class Clouds  ------\n"
              " YEAR  10-  12  YEAR  13-  20  YEAR\n"
              " 1901   0.500   1950   3.000\n"
              " 1902   1.250   1951   4.500\n"
              " 1901   2.125      0   0.000\n"
              " 1903  -0.750      0   0.000\n");
    EXPECT_TRUE(contains_block(s.console, "file : \n             Raw Age Class Clouds saved to file.\n\n"
                                          "             Hit RETURN to continue : "));
}

// The column table of the splines of two_classes().
const std::string kSplineColumns = " YEAR  10-  12  YEAR  13-  20  YEAR\n"
                                   " 1901   1.000   1950   3.500\n"
                                   " 1902   1.500   1951  -4.000\n"
                                   " 1903   0.250      0   0.000\n";

TEST(CloudSaveMenu, SplineColumnTable) {
    const Saved s = save_choice(two_classes(), false, "2");
    EXPECT_EQ(s.file, kSplineColumns);
    EXPECT_TRUE(contains_block(s.console, "file : \n             Compressed Age Class Splines <COL. FORMAT> saved to file.\n"));
}

TEST(CloudSaveMenu, NormalisedColumnTableRoundsTheYears) {
    // The normalised table rounds the years instead of truncating them.
    CloudStore cs = two_classes();
    cs.cls[0].spline_year[0] = 1900.6f;
    cs.cls[1].spline_year[1] = 1951.4f;
    const Saved s = save_choice(cs, true, "5");
    EXPECT_EQ(s.file, " Normailzed Age Class Splines ------\n" + kSplineColumns);
    // this notice comes without an empty line before it
    EXPECT_TRUE(contains_block(s.console, "file :              Normailzed Age Class Splines <COL.FORMAT> saved to file.\n"));
}

TEST(CloudSaveMenu, StatisticsTable) {
    const Saved s = save_choice(two_classes(), false, "4");
    const std::string head = "    bw      df      gcv     msr     MSE     EV      msw     nps\n";
    EXPECT_EQ(s.file, "\n Age class    1 Start=   10Stop=   12\n" + head +
                          " ********       3   0.125   1.500   2.250   0.062   1.000       3\n"
                          "\n Age class    2 Start=   13Stop=   20\n" +
                          head + "       25       4  12.000  -0.500 100.000   0.001   0.500       2\n");
    EXPECT_TRUE(contains_block(s.console, "file : \n             Spline Statistics saved to file.\n"));
}

// two_classes() with one-point classes 3..count: class k spans age k alone and
// has one spline point in `year`, of value value_of(k) and standard error `se`.
CloudStore with_one_point_classes(std::int32_t count, float year, float se, float (*value_of)(std::int32_t)) {
    CloudStore cs = two_classes();
    cs.classnum = count;
    for (std::int32_t k = 3; k <= count; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        cs.start_age[i] = cs.stop_age[i] = k, cs.nps[i] = 1;
        cs.cls[i].spline_year = {year}, cs.cls[i].spline_value = {value_of(k)}, cs.cls[i].spline_se = {se};
    }
    return cs;
}

// Classes 3..12 with splines in 2001 of value k / 1000.
CloudStore twelve_classes() {
    return with_one_point_classes(12, 2001.0f, 0.0f, [](std::int32_t k) { return 0.001f * static_cast<float>(k); });
}

TEST(CloudSaveMenu, CompressedIndexSeriesPerClass) {
    const Saved s = save_choice(twelve_classes(), false, "3");
    EXPECT_TRUE(contains_block(s.file, " Compressed Age Class Splines ------\n"
                                       "CLD  11901" + std::string("9990  0") + "1000  11500  1 250  1" + rep("9990  0", 6) + "\n"
                                       "CLD  21950" + " 350  1-400  1" + rep("9990  0", 8) + "\n"
                                       "CLD  32001" + "9990  0" + "   3  1" + rep("9990  0", 8) + "\n"));
    EXPECT_TRUE(contains_block(s.file, "\nCLD 122001" + std::string("9990  0") + "  12  1" + rep("9990  0", 8) + "\n"));
    EXPECT_FALSE(contains_block(s.file, "NOR"));
    // The console lists each series: identifier, first year, points, first value, unit.
    EXPECT_TRUE(contains_block(s.console, " CLD  1  1901     3 1.000  18\n CLD  2  1950     2 3.500  18\n"));
    EXPECT_TRUE(contains_block(s.console, " CLD 12  2001     1 0.012  18\n"));
    EXPECT_TRUE(contains_block(s.console, "  18\n\n             Compressed Age Class Splines <INDX FORMAT> saved to file.\n"));
}

TEST(CloudSaveMenu, NormalisedIndexSeriesPerClass) {
    const Saved n = save_choice(twelve_classes(), true, "6");
    EXPECT_TRUE(contains_block(n.file, " Normailzed Age Class Splines ------\nNOR  11901"));
    EXPECT_FALSE(contains_block(n.console, " NOR  1  1901"));
    // Class 2's anomaly -4.0 needs the scale factor 0.1 to fit its field.
    EXPECT_TRUE(contains_block(n.console, "file : >> sbr trrw: series   NOR  2 max value       3.500 multiplied by  0.100000\n"
                                          "\n             Normailzed Age Class Splines <INDEX FORMAT> saved to file.\n"));
}

const std::string kNormalisedChoices = "             Normalized Splines               - Column [5]\n"
                                       "             Normalized Splines               - Index  [6]\n";

// Without a normalisation: two empty answers, 5 answered "x", 6 answered with
// RETURN, 4 with an empty and a blank file name before "s.txt", then 5 and "r".
std::string run_menu_before_normalisation(const TempDir& dir) {
    MemConsole plain("\n\n5\nx\n6\n\n4\n\n   \n" + (dir / "s.txt").string() + "\n\n5\nr\n");
    cloud_save_menu(plain.con(), two_classes(), false);
    return plain.output();
}

TEST(CloudSaveMenu, NormalisedChoicesHiddenBeforeANormalisation) {
    TempDir dir;
    EXPECT_FALSE(contains_block(run_menu_before_normalisation(dir), kNormalisedChoices));
}

TEST(CloudSaveMenu, OtherChoicesAreRefusedBeforeANormalisation) {
    TempDir dir;
    EXPECT_TRUE(contains_block(run_menu_before_normalisation(dir),
                               "             Compressed Splines Statistics    - Table  [4]\n"
                               "             RETURN to main menue                      [7]\n"
                               "             *********************************************\n\n"
                               "             Enter Selection : \n"
                               "             You must enter a [1]-[4] or [7 to RETURN to Main Menu] \n\n"
                               "             Hit RETURN to continue : "));
}

TEST(CloudSaveMenu, NormalisedChoicesAskForANormalisationFirst) {
    // "x" shows the menu again, any other answer too, and "r" returns.
    TempDir dir;
    const std::string out = run_menu_before_normalisation(dir);
    EXPECT_EQ(test::count_of(out, "Before you may select this option you must first\n"), 3u);
    EXPECT_EQ(test::count_of(out, "Enter Selection : "), 5u);
    EXPECT_TRUE(contains_block(out, "\n             Normalize your cloud spline fits.  \n\n"
                                    "             Enter [R] to RETURN to the main menue.\n"
                                    "             Hit any other key to save data.\n"));
}

TEST(CloudSaveMenu, FileNameIsAskedUntilGiven) {
    TempDir dir;
    const std::string out = run_menu_before_normalisation(dir);
    EXPECT_EQ(test::count_of(out, "Spline Statistics saved to file."), 1u);
    EXPECT_EQ(test::count_of(out, "Enter the name of the output file : "), 3u);
    EXPECT_TRUE(dir.exists("s.txt"));
}

TEST(CloudSaveMenu, NormalisedChoicesOfferedAfterANormalisation) {
    MemConsole norm("9\n\n7\n");
    cloud_save_menu(norm.con(), two_classes(), true);
    EXPECT_TRUE(contains_block(norm.output(), kNormalisedChoices));
    EXPECT_TRUE(contains_block(norm.output(), "You must enter a [1]-[6] or [7 to RETURN to Main Menu] \n"));
}

TEST(ClassSplineExport, SplinesWithStandardErrors) {
    TempDir dir;
    CloudStore cs = two_classes();
    cs.cls[0].spline_year[2] = 1902.5f;  // rounds away from zero to 1903
    MemConsole mc((dir / "se.txt").string() + "\n");
    EXPECT_TRUE(save_class_splines(mc.con(), cs));
    EXPECT_EQ(dir.read("se.txt"),
              " Raw Age Class Clouds and Splines ------\n"
              " YR  10-  12 STD.ER  YR  13-  20 STD.ER  YR\n"
              " 1901  1.000  0.125  1950  3.500  0.250\n"
              " 1902  1.500  0.000  1951 -4.000  0.750\n"
              " 1903  0.250  0.500     0  0.000  0.000\n");
}

// Classes 3..27 with splines in 1900 of value 0.5 and standard error 0.25.
CloudStore twenty_seven_classes() {
    return with_one_point_classes(27, 1900.0f, 0.25f, [](std::int32_t) { return 0.5f; });
}

TEST(ClassSplineExport, ClassesPastThe25thContinueOnALineOfTheirOwn) {
    TempDir dir;
    MemConsole mc2((dir / "se2.txt").string() + "\n");
    EXPECT_TRUE(save_class_splines(mc2.con(), twenty_seven_classes()));
    const std::string t = dir.read("se2.txt");
    const std::string cell = "1900  0.500  0.250";
    EXPECT_TRUE(contains_block(t, "\n 1901  1.000  0.125  1950  3.500  0.250  " + rep(cell + "  ", 22) + cell + "\n" +
                                      cell + "  " + cell + "\n"));
    EXPECT_EQ(test::count_of(t, "\n"), 2u + 2u * 3u);
}

TEST(ClassSplineExport, UnwritableFileSavesNothing) {
    MemConsole bad("/nonexistent-dir/se.txt\n");
    EXPECT_FALSE(save_class_splines(bad.con(), twenty_seven_classes()));
    EXPECT_TRUE(contains_block(bad.output(), "cannot be written; nothing was saved."));
}

}  // namespace
}  // namespace tarnik::exporting

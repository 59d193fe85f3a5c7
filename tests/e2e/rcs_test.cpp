// End-to-end dialogs of regional curve standardisation (Data Transformation Menu
// choice 3). The mean by cambial age and the indices are checked by the unit tests.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::count_of;
using test::lines;
using test::run_tarnik;
using test::TempDir;

// Two series with cambial ages 1..5 whose mean by age (2, 3, 4, 5, 6 mm) is a
// straight line, which the spline reproduces exactly at any bandwidth.
const std::string kLinear =
    "linear regional curve\n"
    "A       1901   100   200   300   400   500   999\n"
    "B       1951   300   400   500   600   700   999\n";

TEST(Rcs, DialogAndFileOnAHandCheckableCurve) {
    TempDir dir;
    dir.write("lin.rwl", kLinear);
    // jdt 1 (raised to 2 with the notice), recalculate with jdt -50, save.
    auto r = run_tarnik(dir, lines({"lin.rwl", "f", "3", "1", "-1", "t", "-50", "-1", "f", "t", "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(contains_block(r.out, "\n\n             ________ RCS spline detrending menu ________\n\n"
                                      "             Enter an integer [jdt] for the bandwidth.\n"
                                      "             if jdt is < 0, bandwidth = (-jdt/100)*n.\n"
                                      "             if jdt is > 1, bandwidth = jdt.\n"
                                      "             if jdt is = 0, minimum-gcv bandwidth\n"
                                      "                            is computed by program.\n"
                                      "             ______________________________________________\n\n"
                                      "             Enter spline parameter           : \n"
                                      "             The spline bandwidth must be >= 2 years.\n"
                                      "             It will be set to 2.\n"));
    EXPECT_EQ(count_of(r.out, "RCS spline detrending menu"), 2u);
    EXPECT_EQ(count_of(r.out, "RETURN to RCS MENU [-1]"), 2u);
    EXPECT_TRUE(contains_block(r.out, "\n\n             Do you want to recalculate the mean Regional Growth Curve?\n"
                                      "             Enter [T]rue or [F]alse > "));
    EXPECT_TRUE(contains_block(r.out, "\n\n             Do you want to save the current RCS mean and spline fit\n"
                                      "             data ?\n             Enter [T]rue or [F]alse > "));
    EXPECT_EQ(count_of(r.out, "regional curve is 0 or undefined"), 0u);

    std::string expected = " Tarnik RCS output.  Input File : lin.rwl" + std::string(33, ' ') + "\n" +
                           " AGE     MEAN    RG-curve\n";
    char row[64];
    for (int age = 1; age <= 5; ++age) {
        std::snprintf(row, sizeof row, " %4d  %8.3f  %8.3f\n", age, age + 1.0, age + 1.0);
        expected += row;
    }
    EXPECT_EQ(dir.read("TarnikRCS_out"), expected);
}

TEST(Rcs, UndefinedIndicesAndAnUnwritableSaveAreReported) {
    TempDir dir;
    // Widths of 0 only: the regional curve is 0 at every age.
    dir.write("zero.rwl", "zeros\nA       1901     0     0     0     0     0   999\n"
                          "B       1951     0     0     0     0     0   999\n");
    // A directory of the file's name cannot be opened as a file.
    std::filesystem::create_directory(dir / "TarnikRCS_out");
    auto r = run_tarnik(dir, lines({"zero.rwl", "f", "3", "2", "-1", "f", "t", "-1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out,
        "\n             The file TarnikRCS_out could not be written here; nothing was saved.\n\n"
        "             Note: 10 rings lie where the regional curve is 0 or undefined, or its index is too large;\n"
        "             such rings are stored as 0.\n"));
}

}  // namespace
}  // namespace tarnik

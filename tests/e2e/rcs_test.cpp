// End-to-end dialogs of regional curve standardisation (Data Transformation Menu choice 3).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::lines;
using test::run_tarnik;
using test::TempDir;

std::string f83(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%8.3f", v);
    return b;
}

// Two series with cambial ages 1..5 whose mean by age (2, 3, 4, 5, 6 mm) is a
// straight line, which the spline reproduces exactly at any bandwidth.
const std::string kLinear =
    "linear regional curve\n"
    "A       1901   100   200   300   400   500   999\n"
    "B       1951   300   400   500   600   700   999\n";

TEST(Rcs, DialogFileAndIndicesOnAHandCheckableCurve) {
    TempDir dir;
    dir.write("lin.rwl", kLinear);
    // jdt 1 (raised to 2 with the notice), recalculate with jdt -50, save, then
    // save the indices by cambial age as a column table from the index display.
    auto r = run_tarnik(dir, lines({"lin.rwl", "f", "3", "1", "-1", "t", "-50", "-1", "f", "t", "66", "2", "", "3",
                                    "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(contains_block(r.out,
        "\n\n"
        "             ________ RCS spline detrending menu ________\n"
        "\n"
        "             Enter an integer [jdt] for the bandwidth.\n"
        "             if jdt is < 0, bandwidth = (-jdt/100)*n.\n"
        "             if jdt is > 1, bandwidth = jdt.\n"
        "             if jdt is = 0, minimum-gcv bandwidth\n"
        "                            is computed by program.\n"
        "             ______________________________________________\n"
        "\n"
        "             Enter spline parameter           : \n"
        "             The spline bandwidth must be >= 2 years.\n"
        "             It will be set to 2.\n"));
    EXPECT_EQ(test::count_of(r.out, "RCS spline detrending menu"), 2u);
    EXPECT_EQ(test::count_of(r.out, "RETURN to RCS MENU [-1]"), 2u);
    EXPECT_TRUE(contains_block(r.out,
        "\n\n             Do you want to recalculate the mean Regional Growth Curve?\n"
        "             Enter [T]rue or [F]alse > "));
    EXPECT_TRUE(contains_block(r.out,
        "\n\n             Do you want to save the current RCS mean and spline fit\n"
        "             data ?\n"
        "             Enter [T]rue or [F]alse > "));

    std::string expected = " Tarnik RCS output.  Input File : lin.rwl" + std::string(33, ' ') + "\n" +
                           " AGE     MEAN    RG-curve\n";
    for (int age = 1; age <= 5; ++age) {
        char b[8];
        std::snprintf(b, sizeof b, "%4d", age);
        expected += std::string(" ") + b + "  " + f83(age + 1) + "  " + f83(age + 1) + "\n";
    }
    EXPECT_EQ(dir.read("TarnikRCS_out"), expected);

    // Indices: width / curve, times 100, truncated.
    const std::string table = dir.read("AgeAligned.raw.INC");
    std::istringstream in(table);
    std::string header;
    std::getline(in, header);
    const double a[] = {1, 2, 3, 4, 5}, b[] = {3, 4, 5, 6, 7};
    for (int age = 1; age <= 5; ++age) {
        int got_age = 0, depth = 0;
        double va = 0, vb = 0;
        in >> got_age >> depth >> va >> vb;
        EXPECT_EQ(got_age, age);
        EXPECT_EQ(depth, 2);
        const double curve = age + 1;
        EXPECT_DOUBLE_EQ(va, std::trunc(100.0 * (a[age - 1] / curve) + 1e-9) / 100.0) << age;
        EXPECT_DOUBLE_EQ(vb, std::trunc(100.0 * (b[age - 1] / curve) + 1e-9) / 100.0) << age;
    }
    // The index display's label and the RCS note under the depth panel.
    EXPECT_TRUE(dir.exists("tarnik_screen.png"));
}

TEST(Rcs, RegionalMeanOfARealFile) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    auto r = run_tarnik(dir, lines({"ca533.rwl", "f", "3", "100", "-1", "f", "t", "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.out;
    // An independent mean by cambial age (no pith offsets: age = ring number).
    std::vector<double> sum(1400, 0.0), count(1400, 0.0);
    std::istringstream f(test::read_file(test::data_file("ca533.rwl")));
    std::string line;
    std::getline(f, line);
    int age = 0;
    bool open = false;
    while (std::getline(f, line)) {
        const int year = std::stoi(line.substr(8, 4));
        if (!open) {
            open = true;
            age = 0;
        }
        const int count_here = open && age == 0 ? 10 - year % 10 : 10;
        for (int k = 0; k < count_here; ++k) {
            const std::size_t p = 12 + 6 * static_cast<std::size_t>(k);
            if (p >= line.size()) break;
            const int v = std::stoi(line.substr(p, 6));
            if (v == 999) {
                open = false;
                break;
            }
            ++age;
            sum[static_cast<std::size_t>(age)] += v / 100.0;
            count[static_cast<std::size_t>(age)] += 1;
        }
    }
    std::istringstream out(dir.read("TarnikRCS_out"));
    std::getline(out, line);
    std::getline(out, line);
    int rows = 0;
    while (std::getline(out, line)) {
        ++rows;
        const int a = std::stoi(line.substr(1, 4));
        ASSERT_EQ(a, rows);
        const double mean = std::stod(line.substr(7, 8));
        EXPECT_NEAR(mean, sum[static_cast<std::size_t>(a)] / count[static_cast<std::size_t>(a)], 0.0005 + 1e-6) << a;
        const double curve = std::stod(line.substr(17, 8));
        EXPECT_GT(curve, 0.0) << a;
    }
    EXPECT_EQ(rows, 1343);
}

TEST(Rcs, UnwritableSaveIsReported) {
    TempDir dir;
    dir.write("lin.rwl", kLinear);
    // A directory of that name cannot be opened as a file.
    std::filesystem::create_directory(dir / "TarnikRCS_out");
    auto r = run_tarnik(dir, lines({"lin.rwl", "f", "3", "2", "-1", "f", "t", "-1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out,
        "             The file TarnikRCS_out could not be written here; nothing was saved.\n"));
}

}  // namespace
}  // namespace tarnik

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "export/series_export.h"
#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::exporting {
namespace {

using test::TempDir;
using Lines = std::vector<std::string>;

Lines split_lines(const std::string& text) {
    Lines out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// write_decadal_series into a fresh file, read back as lines.
Lines decadal(std::vector<float> values, std::int32_t start, std::int32_t marker = 999, std::string_view id = "ABC01") {
    TempDir dir;
    TextFile f(dir.path() / "s.dec");
    write_decadal_series(f, values, start, id, marker);
    f.close();
    return split_lines(dir.read("s.dec"));
}

TEST(DecadalExport, DecadeLines) {
    // 1876 and 5 rings: 4 values, then the 1880 line as a 73-column record.
    EXPECT_EQ(decadal({0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 1876),
              (Lines{"ABC01   1876    10    20    30    40", "ABC01   1880    50   999" + std::string(49, ' ')}));
    // A full decade leaves the marker alone on the next line, and nothing after it.
    EXPECT_EQ(decadal(std::vector<float>(10, 0.01f), 1870).back(), "ABC01   1880   999" + std::string(55, ' '));
    EXPECT_EQ(decadal(std::vector<float>(9, 0.01f), 1870).size(), 1u);
}

TEST(DecadalExport, ReservedValueIsWrittenAs998InEitherUnit) {
    // 999 would read back as the end marker in either unit: written as 998. Values
    // are rounded to the nearest unit (0.53f * 100 is slightly below 53).
    EXPECT_EQ(decadal({9.99f, 2.59f, 0.53f}, 1901, 999, "LONGIDENTIFIER")[0], "LONGIDEN1901   998   259    53   999");
    EXPECT_EQ(decadal({0.999f, 1.234f, 0.0f, 12.345f}, 1905, -9999)[0], "ABC01   1905   998  1234     0 12345 -9999");
}

TEST(DecadalExport, YearsBeforeMinus999) {
    // Years below -999 stand in columns 8-12 after 7 characters of the
    // identifier; from -990 on the lines are as usual.
    const Lines bc = decadal(std::vector<float>(20, 0.01f), -1005, 999, "SS004B99");
    ASSERT_EQ(bc.size(), 3u);
    EXPECT_EQ(bc[0], "SS004B9-1005     1     1     1     1     1");
    EXPECT_EQ(bc[1].substr(0, 18), "SS004B9-1000     1");
    EXPECT_EQ(bc[2].substr(0, 48), "SS004B99-990     1     1     1     1     1   999");
    // A negative decade start holds its whole decade.
    std::string ones;
    for (int i = 0; i < 10; ++i) ones += "     1";
    EXPECT_EQ(decadal(std::vector<float>(10, 0.01f), -2640)[0], "ABC01  -2640" + ones);
}

TEST(ColumnExport, CellsAreF83OfTheStoredValue) {
    std::vector<std::int32_t> entries;
    for (std::int32_t k = 0; k < 2100; ++k) entries.push_back((k * 7919) % 2000003 - 1000001);
    entries[0] = 9999999;   // 9999.999 fills the field
    entries[1] = 10000000;  // 10000.000 does not
    TempDir dir;
    ASSERT_TRUE(write_series_columns(test::make_stores({{"X", 1, 0, 1000, entries}}), SeriesAlignment::calendar_year,
                                     dir / "t.inc"));
    Lines lines = split_lines(dir.read("t.inc"));
    for (std::size_t k = 0; k < entries.size(); ++k) {
        char cell[64];
        std::snprintf(cell, sizeof cell, " %8.3f", static_cast<double>(static_cast<float>(entries[k]) / 1000.0f));
        ASSERT_EQ(lines[k + 1].substr(15), std::string_view(cell).size() > 9 ? " ********" : cell) << entries[k];
    }
}

TEST(ColumnExport, WideTablesWrap) {
    // More than 21000 series continue on a new line.
    TempDir dir;
    std::vector<test::SeriesSpec> series_list;
    for (int i = 1; i <= 21001; ++i) series_list.push_back({"S" + std::to_string(i), 1950, 0, 100, {i}});
    ASSERT_TRUE(write_series_columns(test::make_stores(series_list), SeriesAlignment::calendar_year, dir / "t.inc"));
    const Lines lines = split_lines(dir.read("t.inc"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].size(), 17u + 21000 * 9);
    EXPECT_EQ(lines[1], " S21001  ");
    EXPECT_EQ(lines[2].substr(0, 15), " 1950     21001");
    EXPECT_EQ(lines[2].substr(lines[2].size() - 9), "  210.000");
    EXPECT_EQ(lines[3], "  210.010");
}

Stores two_series() {
    return test::make_stores({{"A", 1901, 2, 100, {100, 250, 5}}, {"LONGERID", 1902, 0, 1000, {1234, 999, 0, 20}}});
}

// The save menu with age-aligned series: an empty answer, "x", 1, 2 and 3, each
// followed by RETURN at the pause. Returns the console output.
std::string run_save_menu(const TempDir& dir) {
    test::MemConsole mc("\n\nx\n\n1\n\n2\n\n3\n");
    series_save_menu(mc.con(), two_series(), SeriesAlignment::cambial_age, dir.path());
    return mc.output();
}

TEST(SaveMenu, ShowsItsSelections) {
    TempDir dir;
    EXPECT_TRUE(test::contains_block(run_save_menu(dir), "\n             ******** SAVE Data Options *************\n"
                                                         "             AGE Aligned or X-Dated Series - Decade [1]\n"
                                                         "             AGE Aligned or X-Dated Series\n"
                                                         "                     w/Sample Depth        - Column [2]\n"
                                                         "             RETURN to Plot Menue                   [3]\n"
                                                         "             *****************************************\n\n"
                                                         "             Enter Selection : "));
}

TEST(SaveMenu, OtherSelectionsAreRefused) {
    TempDir dir;
    EXPECT_EQ(test::count_of(run_save_menu(dir), "Enter Selection : \n             Please enter a [1] [2] or [3]\n"
                                                 "             Hit RETURN to continue : \n"),
              2u);
}

TEST(SaveMenu, SavesWithoutNotice) {
    TempDir dir;
    EXPECT_EQ(test::count_of(run_save_menu(dir), "Enter Selection : \n             Hit RETURN to continue : \n"), 2u);
}

TEST(SaveMenu, WritesTheDecadalFile) {
    TempDir dir;
    run_save_menu(dir);
    EXPECT_EQ(split_lines(dir.read("AgeAligned.raw.DEC"))[0], "A          3   100   250     5   999");
}

TEST(SaveMenu, WritesTheColumnTableByAge) {
    TempDir dir;
    run_save_menu(dir);
    // Ages from the pith offsets, the depth, and 0 where a series has no value.
    EXPECT_EQ(dir.read("AgeAligned.raw.INC"), " AGE         N    A        LONGERID\n"
                                              "    1         1    0.000    1.234\n"
                                              "    2         1    0.000    0.999\n"
                                              "    3         2    1.000    0.000\n"
                                              "    4         2    2.500    0.020\n"
                                              "    5         1    0.050    0.000\n");
}

TEST(ColumnExport, ByYear) {
    TempDir dir;
    ASSERT_TRUE(write_series_columns(two_series(), SeriesAlignment::calendar_year, dir / "y.inc"));
    EXPECT_EQ(dir.read("y.inc"), " YEAR        N    A        LONGERID\n"
                                 " 1901         1    1.000    0.000\n"
                                 " 1902         2    2.500    1.234\n"
                                 " 1903         2    0.050    0.999\n"
                                 " 1904         1    0.000    0.000\n"
                                 " 1905         1    0.000    0.020\n");
}

}  // namespace
}  // namespace tarnik::exporting

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "export/series_export.h"
#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::exporting {
namespace {

namespace fs = std::filesystem;
using test::contains_block;
using test::count_of;
using test::MemConsole;
using test::SeriesSpec;
using test::TempDir;

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// writeinc of the given values into a file, read back as lines.
std::vector<std::string> decadal(std::vector<float> values, std::int32_t start, std::int32_t marker,
                                 std::string_view id = "ABC01") {
    TempDir dir;
    {
        TextFile f(dir.path() / "s.dec");
        writeinc(f, values, start, id, marker);
    }
    return split_lines(dir.read("s.dec"));
}

TEST(DecadalLines, FirstLineEndsWithTheDecadeAndLaterLinesAreFixedRecords) {
    // Age 1, 12 rings: 9 values on the first line, then 10, 11, 12 and the marker.
    std::vector<float> v;
    for (int k = 1; k <= 12; ++k) v.push_back(static_cast<float>(k) / 100.0f + 1.0f);
    const auto lines = decadal(v, 1, 999);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "ABC01      1   101   102   103   104   105   106   107   108   109");
    EXPECT_EQ(lines[1], "ABC01     10   110   111   112   999" + std::string(37, ' '));
    EXPECT_EQ(lines[1].size(), 73u);

    // 1870 and 9 rings: one line with the marker.
    const auto one = decadal(std::vector<float>(9, 0.5f), 1870, 999);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], "ABC01   1870    50    50    50    50    50    50    50    50    50   999");

    // 1876 and 5 rings: 4 values, then the fifth and the marker on the 1880 line.
    const auto split = decadal({0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 1876, 999);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0], "ABC01   1876    10    20    30    40");
    EXPECT_EQ(split[1], "ABC01   1880    50   999" + std::string(49, ' '));

    // A full decade: the marker alone on the next line, and no empty line after it.
    const auto full = decadal(std::vector<float>(10, 0.01f), 1870, 999);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[1], "ABC01   1880   999" + std::string(55, ' '));
    const auto exact = decadal(std::vector<float>(8, 0.01f), 1871, 999);
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].size(), 12u + 9 * 6);
}

TEST(DecadalLines, UnitsMarkersAndTheReservedValue) {
    // 9.99 mm in 0.01 mm units would read back as the end marker: written as 998.
    const auto hundredths = decadal({9.99f, 2.59f, 0.53f}, 1901, 999, "LONGIDENTIFIER");
    EXPECT_EQ(hundredths[0], "LONGIDEN1901   998   259    53   999");
    // In 0.001 mm units the same holds for 0.999 mm; the marker is -9999.
    const auto thousandths = decadal({0.999f, 1.234f, 0.0f, 12.345f}, 1905, -9999);
    EXPECT_EQ(thousandths[0], "ABC01   1905   998  1234     0 12345 -9999");
}

// Every value of a series stored in the value store comes back as stored.
TEST(DecadalLines, StoredValuesAreWrittenExactly) {
    std::vector<std::int32_t> entries;
    for (std::int32_t e = 0; e < 2000; ++e) entries.push_back(e == 999 ? 1000 : e);
    const Stores st = test::make_stores({{"S1", 101, 0, 100, entries}, {"S2", 1, 0, 1000, entries}});
    TempDir dir;
    ASSERT_TRUE(write_series_decadal(st, kByYear, dir / "out.dec"));
    const auto lines = split_lines(dir.read("out.dec"));
    std::vector<std::int32_t> back;
    for (const auto& l : lines) {
        for (std::size_t c = 12; c + 6 <= l.size(); c += 6) {
            const std::string field = l.substr(c, 6);
            if (field.find_first_not_of(' ') != std::string::npos) back.push_back(std::stoi(field));
        }
    }
    std::vector<std::int32_t> expected = entries;
    expected.push_back(999);
    expected.insert(expected.end(), entries.begin(), entries.end());
    expected.push_back(-9999);
    EXPECT_EQ(back, expected);
}

const Stores& small_stores() {
    // A: years 1901-1903, ages 3-5; B: years 1902-1905, ages 1-4 (0.001 mm).
    static const Stores st = test::make_stores({{"A", 1901, 2, 100, {100, 250, 5}},
                                                {"LONGERID", 1902, 0, 1000, {1234, 999, 0, 20}}});
    return st;
}

TEST(ColumnTable, OneRowPerYearWithDepthAndZeroWhereNoValue) {
    TempDir dir;
    ASSERT_TRUE(write_series_columns(small_stores(), kByYear, dir / "t.inc"));
    EXPECT_EQ(dir.read("t.inc"),
              " YEAR        N    A        LONGERID\n"
              " 1901         1    1.000    0.000\n"
              " 1902         2    2.500    1.234\n"
              " 1903         2    0.050    0.999\n"
              " 1904         1    0.000    0.000\n"
              " 1905         1    0.000    0.020\n");
    ASSERT_TRUE(write_series_columns(small_stores(), kByAge, dir / "a.inc"));
    EXPECT_EQ(dir.read("a.inc"),
              " AGE         N    A        LONGERID\n"
              "    1         1    0.000    1.234\n"
              "    2         1    0.000    0.999\n"
              "    3         2    1.000    0.000\n"
              "    4         2    2.500    0.020\n"
              "    5         1    0.050    0.000\n");
}

TEST(ColumnTable, CellsMatchTheStoredValuesToThreeDecimals) {
    std::vector<std::int32_t> entries;
    for (std::int32_t k = 0; k < 2100; ++k) entries.push_back((k * 7919) % 2000003 - 1000001);
    entries[0] = 9999999;    // 9999.999: fills the field
    entries[1] = 10000000;   // 10000.000: too wide
    entries[2] = -999999;
    entries[3] = -1;
    const Stores st = test::make_stores({{"X", 1, 0, 1000, entries}});
    TempDir dir;
    ASSERT_TRUE(write_series_columns(st, kByYear, dir / "t.inc"));
    const auto lines = split_lines(dir.read("t.inc"));
    ASSERT_EQ(lines.size(), 2101u);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        char cell[64];
        std::snprintf(cell, sizeof cell, " %8.3f", static_cast<double>(static_cast<float>(entries[k]) / 1000.0f));
        std::string want = cell;
        if (want.size() > 9) want = " ********";
        ASSERT_EQ(lines[k + 1].substr(15), want) << entries[k];
    }
    EXPECT_EQ(lines[2].substr(15), " ********");
}

TEST(ColumnTable, MoreThan21000SeriesContinueOnANewLine) {
    std::vector<SeriesSpec> specs;
    for (int i = 1; i <= 21001; ++i) specs.push_back({"S" + std::to_string(i), 1950, 0, 100, {i == 21001 ? 77 : 1}});
    const Stores st = test::make_stores(specs);
    TempDir dir;
    ASSERT_TRUE(write_series_columns(st, kByYear, dir / "t.inc"));
    const auto lines = split_lines(dir.read("t.inc"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].size(), 17u + 21000 * 9);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 9), " S21000  ");
    EXPECT_EQ(lines[1], " S21001  ");
    EXPECT_EQ(lines[2].substr(0, 15), " 1950     21001");
    EXPECT_EQ(lines[2].size(), 15u + 21000 * 9);
    EXPECT_EQ(lines[3], "    0.770");
}

TEST(SaveMenu, WritesTheChosenFileAndComesBack) {
    TempDir dir;
    MemConsole mc("\n\nx\n\n9\n\n1\n\n2\n \n3\n");
    tarnikwrt1(mc.con(), small_stores(), kByAge, dir.path());
    const std::string out = mc.output();
    EXPECT_TRUE(contains_block(out, "\n"
                                    "             ******** SAVE Data Options *************\n"
                                    "             AGE Aligned or X-Dated Series - Decade [1]\n"
                                    "             AGE Aligned or X-Dated Series\n"
                                    "                     w/Sample Depth        - Column [2]\n"
                                    "             RETURN to Plot Menue                   [3]\n"
                                    "             *****************************************\n"
                                    "\n"
                                    "             Enter Selection : "));
    // Blank, unreadable and 9: the notice, then the pause without an empty line.
    EXPECT_EQ(count_of(out, "Enter Selection : \n             Please enter a [1] [2] or [3]\n"
                            "             Hit RETURN to continue : \n"),
              3u);
    EXPECT_EQ(count_of(out, "Enter Selection : \n             Hit RETURN to continue : \n"), 2u);
    EXPECT_EQ(count_of(out, "SAVE Data Options"), 6u);
    EXPECT_TRUE(dir.exists("AgeAligned.raw.DEC"));
    EXPECT_EQ(dir.read("AgeAligned.raw.INC").substr(0, 5), " AGE ");
    EXPECT_EQ(split_lines(dir.read("AgeAligned.raw.DEC"))[0], "A          3   100   250     5   999");
}

TEST(SaveMenu, AFileThatCannotBeWrittenIsReported) {
    TempDir dir;
    fs::create_directory(dir / "Xdated.raw.DEC");  // not even root can open this as a file
    MemConsole mc("1\n\n2\n\n3\n");
    tarnikwrt1(mc.con(), small_stores(), kByYear, dir.path());
    const std::string out = mc.output();
    EXPECT_EQ(count_of(out, "could not be written"), 1u);
    EXPECT_TRUE(contains_block(out, "The file Xdated.raw.DEC could not be written: nothing was saved.\n"));
    EXPECT_TRUE(dir.exists("Xdated.raw.INC"));
}

}  // namespace
}  // namespace tarnik::exporting

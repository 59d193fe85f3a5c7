// End-to-end dialogs of the program start, the reading cycle, the data summary
// and the Main Program Menu.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::lines;
using test::run_tarnik;
using test::TempDir;

const std::string kBanner =
    "\n"
    "______________________________________________________________________\n"
    "********* Program Tarnik *********************************************\n"
    "______________________________________________________________________\n"
    "\n"
    "This program reads in a raw ring width increment file in decadal format\n"
    "and builds cambially aligned chronologies from user specified parameters.\n"
    "From these intiial conditions the program will analyze the chronologies\n"
    "for the purpose of detecting age-related low and high frequesncy trends \n"
    "in the data.\n"
    "\n"
    "Version : 25v3e   \n"
    "Creation date : April 1, 2014\n"
    "\n"
    "Max Series =  22000\n"
    "Max Years  =   2100\n"
    "______________________________________________________________________\n"
    "\n"
    "Enter raw ring width file  name : ";

const std::string kMainMenu =
    "\n\n\n"
    "             _____________ Main Program Menu _________________\n"
    "             Display all cambially aligned series            >[1]\n"
    "             Display all x-dated series                      >[2]\n"
    "             Display age class dotting distributions         >[3]\n"
    "             Change variable for analysis                    >[4]\n"
    "\n"
    "             EXIT program                                    >[5]\n"
    "             ____________________________________________________\n"
    "\n"
    "Enter option [1-5] : ";

const std::string kTransformationMenu =
    "\n"
    "             ____ Data Transformation Menu ____\n"
    "             Work with raw ring-widths       [1] \n"
    "             Work with spline trend values   [2]\n"
    "             Work with RCS detrended values  [3]\n"
    "             ___________________________________\n"
    "             Enter a value between   [1-3]  : ";

std::string pad40(std::string s) {
    s.resize(40, ' ');
    return s;
}

// One line of a decadal file.
std::string row(std::string id, int year, std::initializer_list<int> fields) {
    char buf[16];
    id.resize(8, ' ');
    std::snprintf(buf, sizeof buf, "%4d", year);
    std::string s = id + buf;
    for (int v : fields) {
        std::snprintf(buf, sizeof buf, "%6d", v);
        s += buf;
    }
    return s + "\n";
}

// A series of n rings of width w from `year`, in decadal layout, with marker 999.
std::string series(const std::string& id, int year, int n, int w = 100) {
    std::string s;
    std::vector<int> items(static_cast<std::size_t>(n), w);
    items.push_back(999);
    std::size_t i = 0;
    int y = year;
    while (i < items.size()) {
        std::size_t count = static_cast<std::size_t>(y >= 0 ? 10 - y % 10 : 10);
        char buf[16];
        std::string idf = id;
        idf.resize(8, ' ');
        std::snprintf(buf, sizeof buf, "%4d", y);
        s += idf + buf;
        for (std::size_t k = 0; k < count && i < items.size(); ++k, ++i) {
            std::snprintf(buf, sizeof buf, "%6d", items[i]);
            s += buf;
        }
        s += "\n";
        y = (y / 10) * 10 + 10;
    }
    return s;
}

TEST(Driver, BannerNotFoundLoopSummaryAndNormalEnd) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    auto r = run_tarnik(dir, lines({"nofile.rwl", "ca533.rwl", "f", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out.rfind(kBanner, 0), 0u) << r.out.substr(0, 1500);
    EXPECT_TRUE(contains_block(r.out,
        "Enter raw ring width file  name : \n\n"
        "File > " + pad40("nofile.rwl") + " < not found\n"
        "Please enter a new file name or terminate the program\n"
        "\n"
        "Enter raw ring width file  name : \n"
        "Is there a pith offset file ?\n"
        "[t]rue-[f]alse             : "));
    EXPECT_TRUE(contains_block(r.out, kTransformationMenu + "\nProcessing file ca533.rwl\n"));
    EXPECT_TRUE(contains_block(r.out,
        "\n"
        "Input file =: ca533.rwl\n"
        "Contains:       34 series\n"
        "Spanning the calander period  626 -1983\n"
        "Spanning bological ages    1-1343\n"
        "Maximum age for which there are 3 or more\n"
        "growth increments is : 1007\n"
        "For a total of      23276 measurements\n"
        "Ranging from Min. y =    0.000 to Max. y =    3.030\n"));
    EXPECT_TRUE(contains_block(r.out, kMainMenu + "             Normal termination of program\n"));
    EXPECT_TRUE(dir.exists("ca533_Tarnik"));
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(Driver, SummariesOfTheOtherExampleFiles) {
    TempDir dir;
    dir.copy_data("TTHH_raw.txt");
    dir.copy_data("th001.rwl");
    auto t = run_tarnik(dir, lines({"TTHH_raw.txt", "f", "1", "5"}));
    EXPECT_EQ(t.status, 0);
    EXPECT_TRUE(contains_block(t.out,
        "Input file =: TTHH_raw.txt\n"
        "Contains:       74 series\n"
        "Spanning the calander period 1459 -1999\n"
        "Spanning bological ages    1- 517\n"
        "Maximum age for which there are 3 or more\n"
        "growth increments is :  448\n"
        "For a total of      19593 measurements\n"
        "Ranging from Min. y =    0.000 to Max. y =    1.993\n"));
    EXPECT_TRUE(dir.exists("TTHH_raw_Tarnik"));

    auto h = run_tarnik(dir, lines({"th001.rwl", "f", "1", "5"}));
    EXPECT_EQ(h.status, 0);
    EXPECT_TRUE(contains_block(h.out,
        "Processing file th001.rwl\n"
        " Lines 2 and 3 of the file are a data bank header and were skipped.\n"));
    EXPECT_TRUE(contains_block(h.out, "(PATUNG  ): 1 negative width read as missing rings (0), the first in 1928.\n"));
    EXPECT_TRUE(contains_block(h.out,
        "Contains:       77 series\n"
        "Spanning the calander period 1558 -2005\n"
        "Spanning bological ages    1- 391\n"
        "Maximum age for which there are 3 or more\n"
        "growth increments is :  305\n"
        "For a total of      12369 measurements\n"
        "Ranging from Min. y =    0.000 to Max. y =   15.028\n"));
    // The report file carries the same notices.
    const std::string report = dir.read("th001_Tarnik");
    EXPECT_NE(report.find("data bank header"), std::string::npos);
    EXPECT_NE(report.find("PATUNG"), std::string::npos);
}

TEST(Driver, PithOffsetsWithTheFixedMethod) {
    TempDir dir;
    dir.write("s.rwl", "three series\n" + series("A", 1901, 5) + series("B", 1902, 5) + series("C", 1903, 5));
    dir.write("off.txt", "offsets\n  12\n\n   7\n");
    auto r = run_tarnik(dir, lines({"s.rwl", "t", "nothere.txt", "off.txt", "1", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out,
        "[t]rue-[f]alse             : \n"
        "Enter the name of the pith offset file for these measurements.\n"
        "WARNING: the order of pith offset information must follow\n"
        "the order of the records in the raw ring width file > " + pad40("s.rwl") + "\n"
        "\n\n"
        "Enter pith offset file name : \n\n"
        "File > " + pad40("nothere.txt") + " < not found\n"
        "Please enter a new file name or terminate the program\n"));
    EXPECT_TRUE(contains_block(r.out,
        "Enter pith offset file name : Select method to read only the offset information.\n"
        "\n"
        "Single column offset ie. <i4>    [1]\n"
        "User defined fortran format      [2]\n"
        "Enter option number            : \n"
        "Reading offset file: off.txt\n"
        "\n"
        "Title Line: offsets" + std::string(73, ' ') + "\n"));
    // Offsets 12, 0, 7 give ages 13-17, 1-5 and 8-12.
    EXPECT_TRUE(contains_block(r.out, "Spanning bological ages    1-  17\n"));
}

TEST(Driver, PithOffsetMethodOutOfRangeAskedAgain) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + series("A", 1901, 5));
    dir.write("off.txt", "offsets\n   3\n");
    auto r = run_tarnik(dir, lines({"s.rwl", "t", "off.txt", "3", "", "x", "", "1", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(test::count_of(r.out, "\nPlease enter a value between 1 and 2 \n Hit RETURN and try again."), 2u);
    EXPECT_TRUE(contains_block(r.out, "Spanning bological ages    4-   8\n"));
}

TEST(Driver, PithOffsetsWithAUserFormat) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + series("A", 1901, 5) + series("B", 1902, 5) + series("C", 1903, 5));
    // Columns 3-5 hold the offset, whatever columns 1-2 hold; the last record is
    // followed by a line the format does not read as an integer.
    dir.write("off.txt", "offsets\nxx 15\nab  4\n--  9\n");
    auto r = run_tarnik(dir, lines({"s.rwl", "t", "off.txt", "2", "(2x,i3", "(2x,i3)", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out,
        "Enter option number            : \n"
        "Enter format to read just the \n"
        "offset values (within parentheses)\n"
        "[e.g.,(2x,i3)]                  : \n"
        " The format (2x,i3 cannot be used: "));
    EXPECT_TRUE(contains_block(r.out, "Spanning bological ages    5-  20\n"));

    // A record the format cannot read: the line is shown and the method asked again.
    dir.write("bad.txt", "offsets\n  3\n 7x\n");
    r = run_tarnik(dir, lines({"s.rwl", "t", "bad.txt", "1", "2", "(i2)", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out, " Line 3 of the pith offset file cannot be read with the format (i4):\n  7x\n"));
    EXPECT_EQ(test::count_of(r.out, "Select method to read only the offset information."), 2u);
    // With (i2) the offsets are 0 (a blank field) and 7, so ages 1-5, 8-12, 1-5.
    EXPECT_TRUE(contains_block(r.out, "Spanning bological ages    1-  12\n"));

    // Two lines per record with '/': the offset is on the second line.
    dir.write("two.txt", "offsets\nseries A\n  20\nseries B\n  30\n");
    r = run_tarnik(dir, lines({"s.rwl", "t", "two.txt", "2", "(/i4)", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out, "Spanning bological ages    1-  35\n"));
}

TEST(Driver, ReportFileNames) {
    TempDir dir;
    const std::string data = "t\n" + series("A", 1901, 5);
    const std::pair<const char*, const char*> cases[] = {
        {"abc12.rwl", "abc12_Tarnik"},
        {"abc.d.rwl", "abc_Tarnik"},
        {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst_Tarnik"},
        {".hidden.rwl", "_Tarnik"},
    };
    for (const auto& [input, report] : cases) {
        dir.write(input, data);
        auto r = run_tarnik(dir, lines({input, "f", "1", "5"}));
        EXPECT_EQ(r.status, 0) << input;
        EXPECT_TRUE(dir.exists(report)) << input;
    }
}

TEST(Driver, ChoiceFourReadsTheFileAgainKeepingOffsets) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + series("A", 1901, 5) + series("B", 1950, 5));
    dir.write("off.txt", "offsets\n  10\n");
    auto r = run_tarnik(dir, lines({"s.rwl", "t", "off.txt", "1", "1", "4", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(test::count_of(r.out, "Spanning bological ages    1-  15\n"), 2u);
    EXPECT_EQ(test::count_of(r.out, "Processing file s.rwl\n"), 2u);
    EXPECT_EQ(test::count_of(r.out, "Contains:        2 series\n"), 2u);
    EXPECT_EQ(test::count_of(r.out, "Is there a pith offset file ?"), 1u);
}

TEST(Driver, MenuAnswersOutOfRange) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + series("A", 1901, 5));
    auto r = run_tarnik(dir, lines({"s.rwl", "f", "7", "abc", "", "1", "", "x", "1", "9", "", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(test::count_of(r.out, "\n   You must enter a value between 1 and 3\n"), 2u);
    // A blank answer and 9 are out of range; the pause is asked again while unreadable.
    EXPECT_EQ(test::count_of(r.out, "Enter option [1-5] : " + std::string(25, ' ') + "That choice"), 2u);
    EXPECT_EQ(test::count_of(r.out, "             Hit RETURN to continue : "), 3u);
}

std::string fatal_tail() {
    return "             This is a fatal error and indicates a dimension violation.\n"
           "             Contact your computer programmer for assisatance\n";
}

TEST(Driver, FatalLimits) {
    TempDir dir;
    {
        std::string f = "t\n";
        for (int i = 0; i < 22001; ++i) f += row("S" + std::to_string(i), 1900, {100, 999});
        dir.write("many.rwl", f);
        auto r = run_tarnik(dir, lines({"many.rwl", "f", "1"}), 600);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(contains_block(r.out,
            "             The number of radii   22001 exceeds\n"
            "             the maximum allowed.   22000 Program Terminating...\n" + fatal_tail()));
        // Exactly 22000 series are accepted.
        f.erase(f.rfind("S22000"));
        dir.write("many.rwl", f);
        auto ok = run_tarnik(dir, lines({"many.rwl", "f", "1", "5"}), 600);
        EXPECT_EQ(ok.status, 0);
        EXPECT_TRUE(contains_block(ok.out, "Contains:    22000 series\n"));
    }
    {
        dir.write("long.rwl", "t\n" + series("A", 1, 2101));
        auto r = run_tarnik(dir, lines({"long.rwl", "f", "1"}));
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(contains_block(r.out,
            "             The length of radius       1 := [    2101 ] exceeds\n"
            "             the maximum allowed.    2100 Program Terminating...\n" + fatal_tail()));
    }
    {
        std::string f = "t\n";
        const std::string one = series("L", 1, 2100);
        for (int i = 0; i < 2201; ++i) f += one;
        dir.write("total.rwl", f);
        auto r = run_tarnik(dir, lines({"total.rwl", "f", "1"}), 600);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(contains_block(r.out,
            "             The total number of measurements    4622100 exceeds\n"
            "             the maximum allowed.    4620000 Program Terminating...\n" + fatal_tail()));
    }
    {
        dir.write("short.rwl", "t\n" + series("A", 1901, 5) + series("B", 1901, 2));
        auto r = run_tarnik(dir, lines({"short.rwl", "f", "2", "0"}));
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(contains_block(r.out,
            "             The length of radius       2 := [       2 ] is less\n"
            "             than 3. This is too short to spline. Program Terminating...\n" + fatal_tail()));
    }
}

TEST(Driver, YearsAndAgesOutsideTheArraysEndTheRun) {
    TempDir dir;
    dir.write("late.rwl", "t\n" + series("A", 1901, 5) + series("LATE", 2095, 10));
    auto r = run_tarnik(dir, lines({"late.rwl", "f", "1"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out,
        "             The calendar year    2104 of radius       2 (LATE    )\n"
        "             is outside the allowed range 1 - 2100 Program Terminating...\n" + fatal_tail()));

    dir.write("zero.rwl", "t\n" + row("Z", 0, {100, 100, 999}));
    r = run_tarnik(dir, lines({"zero.rwl", "f", "1"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "The calendar year       0 of radius       1 (Z       )\n"));

    dir.write("old.rwl", "t\n" + series("A", 1901, 50));
    dir.write("off.txt", "offsets\n2060\n");
    r = run_tarnik(dir, lines({"old.rwl", "t", "off.txt", "1", "1"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out,
        "             The cambial age    2110 of radius       1 (A       )\n"
        "             exceeds the maximum allowed.    2100 Program Terminating...\n" + fatal_tail()));

    dir.write("neg.txt", "offsets\n  -3\n");
    r = run_tarnik(dir, lines({"old.rwl", "t", "neg.txt", "1", "1"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "             The pith offset      -3 of radius       1 (A       )\n"));
}

TEST(Driver, UnreadableSeriesLineEndsTheRunWithItsLine) {
    TempDir dir;
    dir.write("bad.rwl", "t\n" + series("A", 1901, 5) + "B       1901   100   1x0   999\n");
    auto r = run_tarnik(dir, lines({"bad.rwl", "f", "1", "x", ""}));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains_block(r.out,
        " error reading data\n"
        "             Line 3 of the file cannot be read:\n"
        "             B       1901   100   1x0   999\n"
        "             This should not happen. Check file format and LF\n"
        "             Hit RETURN to Terminate program :              Hit RETURN to Terminate program : "));
}

TEST(Driver, FileWithoutTitleLineAndNegativeWidths) {
    TempDir dir;
    const std::string ca = test::read_file(test::data_file("ca533.rwl"));
    dir.write("notitle.rwl", ca.substr(ca.find('\n') + 1));
    auto r = run_tarnik(dir, lines({"notitle.rwl", "f", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out,
        "Processing file notitle.rwl\n"
        " The file has no title line: its first line was read as the first line of a series.\n"));
    EXPECT_TRUE(contains_block(r.out, "Contains:       34 series\nSpanning the calander period  626 -1983\n"));
    EXPECT_TRUE(contains_block(r.out, "For a total of      23276 measurements\n"));

    dir.write("neg.rwl", "t\n" + row("N", 1905, {100, -999, -2599, 50, 999}));
    r = run_tarnik(dir, lines({"neg.rwl", "f", "1", "5"}));
    EXPECT_TRUE(contains_block(r.out, " Series 1 (N       ): 2 negative widths read as missing rings (0), the first in 1906.\n"));
    EXPECT_TRUE(contains_block(r.out, "Ranging from Min. y =    0.000 to Max. y =    1.000\n"));
}

TEST(Driver, EndOfInputAtEveryPromptEndsCleanly) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + series("A", 1901, 5));
    dir.write("off.txt", "offsets\n   3\n");
    const std::vector<std::string> full = {"s.rwl", "t", "off.txt", "2", "(i4)", "2", "-50", "9", ""};
    for (std::size_t n = 0; n < full.size(); ++n) {
        std::string input;
        for (std::size_t i = 0; i < n; ++i) input += full[i] + "\n";
        auto r = run_tarnik(dir, input, 30);
        EXPECT_FALSE(r.timed_out) << n;
        EXPECT_EQ(r.status, 3) << "answers given: " << n << "\n" << r.out;
        EXPECT_NE(r.out.find("End of input"), std::string::npos) << n;
    }
}

}  // namespace
}  // namespace tarnik

// End-to-end dialogs of the program start, the reading cycle, the data summary,
// the Main Program Menu and the limits of the stores; a damaged input file and
// output files that cannot be written: each gives a clear message, and no save
// that failed is reported as done. Tests run as root in CI, where directory
// permissions do not stop anything: a file is made unwritable by a directory of
// its name, a path under a regular file, or a link to /dev/full (which takes
// the open and fails every write).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::count_of;
using test::decadal;
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

std::string five(const char* id, int year) { return decadal(id, year, std::vector<int>(5, 100)); }

// A name not found, then ca533.rwl read as raw widths and the program ended.
test::RunResult read_after_a_missing_name(const TempDir& dir) {
    dir.copy_data("ca533.rwl");
    return run_tarnik(dir, lines({"nofile.rwl", "ca533.rwl", "f", "1", "5"}));
}

TEST(Driver, TheBannerOpensTheDialog) {
    TempDir dir;
    const auto r = read_after_a_missing_name(dir);
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_EQ(r.out.rfind(kBanner, 0), 0u) << r.out.substr(0, 1500);
}

TEST(Driver, AFileNotFoundIsAskedForAgain) {
    TempDir dir;
    const auto r = read_after_a_missing_name(dir);
    EXPECT_TRUE(contains_block(r.out, "Enter raw ring width file  name : \n\nFile > " + pad40("nofile.rwl") +
                                          " < not found\nPlease enter a new file name or terminate the program\n\n"
                                          "Enter raw ring width file  name : \nIs there a pith offset file ?\n"
                                          "[t]rue-[f]alse             : "));
}

TEST(Driver, TheFileIsReadAfterTheTransformationMenu) {
    TempDir dir;
    const auto r = read_after_a_missing_name(dir);
    EXPECT_TRUE(contains_block(r.out, kTransformationMenu + "\nProcessing file ca533.rwl\n"));
}

TEST(Driver, TheSummaryDescribesTheSeriesRead) {
    TempDir dir;
    const auto r = read_after_a_missing_name(dir);
    EXPECT_TRUE(contains_block(r.out, "\nInput file =: ca533.rwl\nContains:       34 series\n"
                                      "Spanning the calander period  626 -1983\nSpanning bological ages    1-1343\n"
                                      "Maximum age for which there are 3 or more\ngrowth increments is : 1007\n"
                                      "For a total of      23276 measurements\n"
                                      "Ranging from Min. y =    0.000 to Max. y =    3.030\n"));
}

TEST(Driver, TheExitChoiceEndsTheRunNormally) {
    TempDir dir;
    const auto r = read_after_a_missing_name(dir);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(contains_block(r.out, kMainMenu + "             Normal termination of program\n"));
}

TEST(Driver, TheRunLeavesItsReportFile) {
    TempDir dir;
    read_after_a_missing_name(dir);
    EXPECT_TRUE(dir.exists("ca533_Tarnik"));
}

// th001.rwl read as raw widths; the input ends at the main menu.
test::RunResult read_until_the_input_ends(const TempDir& dir) {
    dir.copy_data("th001.rwl");
    return run_tarnik(dir, lines({"th001.rwl", "f", "1"}));
}

const std::string kTh001Notices =
    " Lines 2 and 3 of the file are a data bank header and were skipped.\n"
    " Series 77 (PATUNG  ): 1 negative width read as missing rings (0), the first in 1928.\n";

TEST(Driver, TheEndOfInputEndsTheRunWithStatus3) {
    TempDir dir;
    const auto h = read_until_the_input_ends(dir);
    EXPECT_EQ(h.status, 3);
    EXPECT_TRUE(contains_block(h.out, "Enter option [1-5] : \n End of input: no more answers can be read, so the "
                                      "run ends here.\n"));
}

TEST(Driver, TheReadingNoticesFollowTheFileName) {
    TempDir dir;
    const auto h = read_until_the_input_ends(dir);
    EXPECT_TRUE(contains_block(h.out, "Processing file th001.rwl\n" + kTh001Notices));
}

TEST(Driver, TheReportFileHoldsTheReadingNotices) {
    TempDir dir;
    read_until_the_input_ends(dir);
    EXPECT_EQ(dir.read("th001_Tarnik"), kTh001Notices);
}

TEST(Driver, TheSummaryLeavesOutTheSkippedHeader) {
    TempDir dir;
    const auto h = read_until_the_input_ends(dir);
    EXPECT_TRUE(contains_block(h.out, "Contains:       77 series\nSpanning the calander period 1558 -2005\n"
                                      "Spanning bological ages    1- 391\nMaximum age for which there are 3 or more\n"
                                      "growth increments is :  305\nFor a total of      12369 measurements\n"
                                      "Ranging from Min. y =    0.000 to Max. y =   15.028\n"));
}

// The offset reading methods on three series of 5 rings from 1901, 1902 and
// 1903: the output of a run with the given offset file and answers after "t".
std::string read_with_offsets(const std::string& offsets, const std::vector<std::string>& answers) {
    TempDir dir;
    dir.write("s.rwl", "three series\n" + five("A", 1901) + five("B", 1902) + five("C", 1903));
    dir.write("off.txt", offsets);
    std::string input = "s.rwl\nt\n";
    for (const auto& a : answers) input += a + "\n";
    const auto r = run_tarnik(dir, input + "1\n5\n");
    EXPECT_EQ(r.status, 0) << r.out;
    return r.out;
}

const std::string kMethod = "Select method to read only the offset information.\n\n"
                            "Single column offset ie. <i4>    [1]\nUser defined fortran format      [2]\n"
                            "Enter option number             : ";

// A missing file is asked again; method 3 is out of range: the message, a
// pause, the method again. Offsets 12, 0 (blank line), 7: ages 13-17, 1-5, 8-12.
const std::string kColumnOffsets = "offsets\n  12\n\n   7\n";
const std::vector<std::string> kColumnAnswers = {"nothere.txt", "off.txt", "3", "", "1"};

TEST(PithOffsets, AFileNotFoundIsAskedForAgain) {
    EXPECT_TRUE(contains_block(read_with_offsets(kColumnOffsets, kColumnAnswers),
                               "[t]rue-[f]alse             : \nEnter the name of the pith offset file for these measurements.\n"
                               "WARNING: the order of pith offset information must follow\n"
                               "the order of the records in the raw ring width file > " + pad40("s.rwl") +
                                   "\n\n\nEnter pith offset file name : \n\nFile > " + pad40("nothere.txt") +
                                   " < not found\nPlease enter a new file name or terminate the program\n"))
        << kColumnOffsets;
}

TEST(PithOffsets, AMethodOutOfRangeIsAskedForAgain) {
    EXPECT_TRUE(contains_block(read_with_offsets(kColumnOffsets, kColumnAnswers),
                               "Enter pith offset file name : " + kMethod +
                                   "\nPlease enter a value between 1 and 2 \n Hit RETURN and try again."))
        << kColumnOffsets;
}

TEST(PithOffsets, TheSingleColumnMethodReadsOneOffsetALine) {
    const std::string out = read_with_offsets(kColumnOffsets, kColumnAnswers);
    EXPECT_TRUE(contains_block(out, kMethod + "\nReading offset file: off.txt\n\nTitle Line: offsets" +
                                        std::string(73, ' ') + "\n"))
        << kColumnOffsets;
    EXPECT_TRUE(contains_block(out, "Spanning bological ages    1-  17\n")) << kColumnOffsets;
}

// Columns 3-5 hold the offset whatever columns 1-2 hold; the line after the
// last record is not read. A format that cannot be used is asked again.
const std::string kFormatOffsets = "offsets\nxx 15\nab  4\n--  9\n";
const std::vector<std::string> kFormatAnswers = {"off.txt", "2", "(2x,i3", "(2x,i3)"};

TEST(PithOffsets, AFormatThatCannotBeUsedIsAskedForAgain) {
    EXPECT_TRUE(contains_block(read_with_offsets(kFormatOffsets, kFormatAnswers),
                               "Enter option number             : \nEnter format to read just the \n"
                               "offset values (within parentheses)\n[e.g.,(2x,i3)]                  : \n"
                               " The format (2x,i3 cannot be used: "))
        << kFormatOffsets;
}

TEST(PithOffsets, AFormatReadsOnlyItsOwnColumns) {
    EXPECT_TRUE(contains_block(read_with_offsets(kFormatOffsets, kFormatAnswers),
                               "Spanning bological ages    5-  20\n"))
        << kFormatOffsets;
}

// A record the method cannot read: the line is shown and the method asked
// again. With (i2) the offsets are 0 (a blank field) and 7: ages 1-5, 8-12, 1-5.
const std::string kUnreadableOffsets = "offsets\n  3\n 7x\n";
const std::vector<std::string> kUnreadableAnswers = {"off.txt", "1", "2", "(i2)"};

TEST(PithOffsets, AnUnreadableRecordIsShownBeforeTheMethodIsAskedAgain) {
    EXPECT_TRUE(contains_block(read_with_offsets(kUnreadableOffsets, kUnreadableAnswers),
                               " Line 3 of the pith offset file cannot be read with the format (i4):\n  7x\n"
                               " No offsets were taken from the file. Please choose the method again.\n\n" + kMethod))
        << kUnreadableOffsets;
}

TEST(PithOffsets, ABlankFieldIsAnOffsetOf0) {
    EXPECT_TRUE(contains_block(read_with_offsets(kUnreadableOffsets, kUnreadableAnswers),
                               "Spanning bological ages    1-  12\n"))
        << kUnreadableOffsets;
}

// Two lines per record with '/': the offset is on the second line, and so
// is a field that cannot be read.
TEST(PithOffsets, ASlashReadsTheOffsetFromTheRecordsSecondLine) {
    const std::string offsets = "offsets\nseries A\n  20\nseries B\n  30\n";
    EXPECT_TRUE(contains_block(read_with_offsets(offsets, {"off.txt", "2", "(/i4)"}),
                               "Spanning bological ages    1-  35\n"))
        << offsets;
}

TEST(PithOffsets, AnUnreadableFieldOnASecondLineIsShown) {
    const std::string offsets = "offsets\nseries A\n  3x\n";
    EXPECT_TRUE(contains_block(read_with_offsets(offsets, {"off.txt", "2", "(/i4)", "2", "(/i2)"}),
                               " Line 3 of the pith offset file cannot be read with the format (/i4):\n"
                               "   3x  (the field in columns 1-4 (\"  3x\") is not an integer)\n"))
        << offsets;
}

TEST(Driver, ReportFileNames) {
    TempDir dir;
    for (const auto& [input, report] : {std::pair{"abc12.rwl", "abc12_Tarnik"}, {"abc.d.rwl", "abc_Tarnik"},
                                        {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst_Tarnik"},
                                        {".hidden.rwl", "_Tarnik"},
                                        // past 40 characters the name is still used whole
                                        {"ring_widths_from_the_upper_treeline_plots_2026.rwl", "ring_widths_from_the_Tarnik"}}) {
        dir.write(input, "t\n" + five("A", 1901));
        EXPECT_EQ(run_tarnik(dir, lines({input, "f", "1", "5"})).status, 0) << input;
        EXPECT_TRUE(dir.exists(report)) << input;
    }
}

TEST(Driver, ChoiceFourReadsTheFileAgainKeepingOffsets) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + decadal("A", 1901, {100, -5, -7, 100, 100}) + five("B", 1950));
    dir.write("off.txt", "offsets\n  10\n");
    auto r = run_tarnik(dir, lines({"s.rwl", "t", "off.txt", "1", "1", "4", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.out, "Contains:        2 series\nSpanning the calander period 1901 -1954\n"
                              "Spanning bological ages    1-  15\n"), 2u);
    EXPECT_EQ(count_of(r.out, "Is there a pith offset file ?"), 1u);
    EXPECT_EQ(count_of(r.out, "Processing file s.rwl\n Series 1 (A       ): 2 negative widths read as missing rings "
                              "(0), the first in 1902.\n"), 2u);
}

TEST(Driver, MenuAnswersOutOfRange) {
    TempDir dir;
    dir.write("s.rwl", "t\n" + five("A", 1901));
    auto r = run_tarnik(dir, lines({"s.rwl", "f", "7", "abc", "", "1", "", "x", "1", "9", "", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.out, "\n   You must enter a value between 1 and 3\n"), 2u);
    // A blank answer and 9 are out of range; the pause is asked again while unreadable.
    EXPECT_EQ(count_of(r.out, "Enter option [1-5] : " + std::string(25, ' ') + "That choice"), 2u);
    EXPECT_EQ(count_of(r.out, "             Hit RETURN to continue : "), 3u);
}

// Files beyond the limits of the stores, years past 9999 and ages outside the arrays:
// each ends the run with its message and the two closing lines.
TEST(Driver, FatalLimits) {
    std::string many = "t\n", total = "t\n";
    for (int i = 0; i < 22001; ++i) many += decadal("S" + std::to_string(i), 1900, {100});
    const std::string longest = decadal("L", 1, std::vector<int>(2100, 100));
    for (int i = 0; i < 2201; ++i) total += longest;
    const struct {
        std::string file, offsets;
        std::vector<std::string> answers;
        std::string message;
    } cases[] = {
        {many, "", {"f", "1"}, "             The number of radii   22001 exceeds\n"
                               "             the maximum allowed.   22000 Program Terminating...\n"},
        {"t\n" + decadal("A", 1, std::vector<int>(2101, 100)), "", {"f", "1"},
         "             The length of radius       1 := [    2101 ] exceeds\n"
         "             the maximum allowed.    2100 Program Terminating...\n"},
        {total, "", {"f", "1"}, "             The total number of measurements    4622100 exceeds\n"
                                "             the maximum allowed.    4620000 Program Terminating...\n"},
        {"t\n" + five("A", 1901) + decadal("B", 1901, {100, 100}), "", {"f", "2", "0"},
         "             The length of radius       2 := [       2 ] is less\n"
         "             than 3. This is too short to spline. Program Terminating...\n"},
        {"t\n" + five("A", 1901) + decadal("LATE", 9995, std::vector<int>(10, 100)), "", {"f", "1"},
         "             The calendar year   10004 of radius       2 (LATE    )\n"
         "             is outside the allowed range -9999 - 9999 Program Terminating...\n"},
        {"t\n" + decadal("A", 1901, std::vector<int>(50, 100)), "offsets\n2060\n", {"t", "off.txt", "1", "1"},
         "             The cambial age    2110 of radius       1 (A       )\n"
         "             exceeds the maximum allowed.    2100 Program Terminating...\n"},
        {"t\n" + five("A", 1901), "offsets\n  -3\n", {"t", "off.txt", "1", "1"},
         "             The pith offset      -3 of radius       1 (A       )\n"
         "             is negative; offsets must be 0 or more. Program Terminating...\n"},
    };
    const std::string tail = "             This is a fatal error and indicates a dimension violation.\n"
                             "             Contact your computer programmer for assisatance\n";
    TempDir dir;
    for (const auto& c : cases) {
        dir.write("in.rwl", c.file);
        dir.write("off.txt", c.offsets);
        std::string input = "in.rwl\n";
        for (const auto& a : c.answers) input += a + "\n";
        const auto r = run_tarnik(dir, input, 600);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_TRUE(contains_block(r.out, c.message + tail));
    }
    // Exactly 22000 series are accepted.
    dir.write("in.rwl", many.erase(many.rfind("S22000")));
    const auto ok = run_tarnik(dir, lines({"in.rwl", "f", "1", "5"}), 600);
    EXPECT_EQ(ok.status, 0);
    EXPECT_TRUE(contains_block(ok.out, "Contains:    22000 series\n"));
}

// The ten Campito series as other programs write them: each file is read with
// its notice (on the console and in the report file) and saves the same decadal
// file as the ten series of the decadal file, identifiers, years and widths.
struct FormatRun {
    std::string file, notice, report;  // the file, its notice and its report file's name
    std::string out, saved;            // the run's output and the decadal file it saved
    std::string report_text;           // what the run wrote to its report file
};

// The decadal file ten.rwl first, then each of the other formats.
std::vector<FormatRun> read_every_format(const TempDir& dir) {
    const std::string ca = test::read_file(test::data_file("ca533.rwl"));
    dir.write("ten.rwl", ca.substr(0, ca.find("\nCAM072") + 1));
    std::vector<FormatRun> runs;
    for (const auto& [file, notice, report] :
         {std::tuple{"ten.rwl", "", "ten_Tarnik"},
          {"ca533.fh", " Read as a Heidelberg file: 10 series.", "ca533_Tarnik"},
          {"ca533.xml", " Read as a TRiDaS file: 10 series.", "ca533_Tarnik"},
          {"ca533.csv", " Read as a CSV file: 10 series.", "ca533_Tarnik"},
          {"ca533_compact.rwl", " Read as a compact file: 10 series.", "ca533_compact_Tarnik"}}) {
        if (runs.size() > 0) dir.copy_data(std::string("formats/") + file, file);
        const auto r = run_tarnik(dir, lines({file, "f", "1", "2", "66", "1", "", "3", "-1", "5"}));
        EXPECT_EQ(r.status, 0) << r.out;
        runs.push_back({file, notice, report, r.out, dir.read("Xdated.raw.DEC"), dir.read(report)});
    }
    return runs;
}

TEST(OtherFormats, SaveTheSameDecadalFileAsTheirDecadalSeries) {
    TempDir dir;
    const auto runs = read_every_format(dir);
    const std::string& want = runs[0].saved;
    EXPECT_TRUE(want.starts_with("CAM011  1530   104"));
    for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_EQ(runs[i].saved, want) << runs[i].file;
}

// The notice is given on the console and in the report file.
TEST(OtherFormats, AreNamedInTheirNotice) {
    TempDir dir;
    const auto runs = read_every_format(dir);
    for (std::size_t i = 1; i < runs.size(); ++i) {
        EXPECT_TRUE(contains_block(runs[i].out, "Processing file " + runs[i].file + "\n" + runs[i].notice +
                                                    "\n\nInput file =: "));
        EXPECT_EQ(runs[i].report_text, runs[i].notice + "\n");
    }
}

TEST(OtherFormats, AreSummarisedLikeTheirDecadalSeries) {
    TempDir dir;
    const auto runs = read_every_format(dir);
    const auto summary = [](const std::string& out) { return out.substr(out.find("\nInput file =: "), 400); };
    for (std::size_t i = 1; i < runs.size(); ++i) {
        std::string expected_summary = summary(runs[0].out);
        expected_summary.replace(expected_summary.find("ten.rwl"), 7, runs[i].file);
        EXPECT_EQ(summary(runs[i].out).substr(0, 300), expected_summary.substr(0, 300)) << runs[i].file;
    }
}

// Missing rings in the words of the format.
TEST(OtherFormats, EmptyCellsAreReadAsMissingRings) {
    TempDir dir;
    dir.write("gap.csv", "Year,A,B\n1901,1.5,\n1902,,0.1\n1903,0.5,0.2\n1904,,0.3\n");
    const auto r = run_tarnik(dir, lines({"gap.csv", "f", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Processing file gap.csv\n Read as a CSV file: 2 series.\n Series 1 (A       ): 1 "
                                      "empty or negative cell read as missing rings (0), the first in 1902.\n\n"
                                      "Input file =: gap.csv\nContains:        2 series\n"
                                      "Spanning the calander period 1901 -1904\n"));
}

TEST(OtherFormats, AFileWithoutRingWidthsLeavesNothingToAnalyse) {
    TempDir dir;
    dir.write("early.xml", "<tridas><measurementSeries><title>E</title><values><variable normalTridas=\"earlywood "
                           "width\"/><value value=\"5\"/></values></measurementSeries></tridas>\n");
    const auto r = run_tarnik(dir, lines({"early.xml", "f", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    const std::string nothing = " The TRiDaS file early.xml holds no ring-width series, 1 block of other variables than "
                                "ring width skipped.\n There is nothing to analyse. The run ends here.\n";
    EXPECT_TRUE(contains_block(r.out, "Processing file early.xml\n" + nothing));
    EXPECT_EQ(r.out.find("Input file =:"), std::string::npos);
    EXPECT_EQ(dir.read("early_Tarnik"), nothing);
}

// A bad file through the read-error pattern.
TEST(OtherFormats, AnUnreadableFileEndsTheRunThroughTheReadError) {
    TempDir dir;
    dir.write("bad.fh", "HEADER:\r\nKeyCode=A1\r\nLength=2\r\nDATA:Tree\r\n  12  1.5\r\n");
    const auto r = run_tarnik(dir, lines({"bad.fh", "f", "1", ""}));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains_block(r.out, "Processing file bad.fh\n error reading data\n"
                                      "             The Heidelberg file bad.fh cannot be read, line 5, series 1 (A1):\n"
                                      "             \"1.5\" is not a whole number\n"
                                      "               12  1.5\n"
                                      "             This should not happen. Check file format and LF\n"
                                      "             Hit RETURN to Terminate program : "));
}

// A PAST4 project goes through the dialog like any file.
TEST(OtherFormats, APast4ProjectIsReadLikeAnyFile) {
    TempDir dir;
    dir.write("p.p4p", "<?xml version=\"1.0\"?>\n<PAST_4_PROJECT_FILE>\n<RECORD Keycode=\"A\" Length=\"2\" "
                       "Offset=\"1901\"><HEADER><![CDATA[Unit=1/1000 mm\n]]></HEADER><DATA><![CDATA[1500\t1\n"
                       "1250\t1\n]]></DATA></RECORD>\n</PAST_4_PROJECT_FILE>\n");
    const auto r = run_tarnik(dir, lines({"p.p4p", "f", "1", "5"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains_block(r.out, "Processing file p.p4p\n Read as a PAST4 project: 1 series.\n\n"
                                      "Input file =: p.p4p\nContains:        1 series\n"
                                      "Spanning the calander period 1901 -1902\n"));
}

// A file that holds no ring widths ends the run saying what it is.
void expect_refused_as(const TempDir& dir, const std::string& file, const std::string& words) {
    const auto r = run_tarnik(dir, lines({file, "f", "1", "5"}));
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_TRUE(contains_block(r.out, "Processing file " + file + "\n The file " + file + words +
                                          "\n There is nothing to analyse. The run ends here.\n"))
        << r.out;
}

TEST(OtherFormats, AChronologyOfIndicesEndsTheRun) {
    TempDir dir;
    std::string crn = "107089 1 Site\n";
    crn += "1070001900 950  11050  1" + std::string(56, ' ') + "\n";
    crn.replace(crn.size() - 57, 56, "9990  09990  09990  09990  09990  09990  09990  09990  0");
    dir.write("site.crn", crn);
    expect_refused_as(dir, "site.crn", " is a chronology of the data bank: it holds indices of a "
                                       "mean curve with their sample depths, not ring widths.");
}

TEST(OtherFormats, XmlOfAnotherKindEndsTheRun) {
    TempDir dir;
    dir.write("page.xml", "<html>\n<body/>\n</html>\n");
    expect_refused_as(dir, "page.xml", " is an XML document whose root element is <html>: neither a TRiDaS document "
                                       "nor a PAST4 project, it holds no ring widths.");
}

// The reader's messages themselves are checked by the unit tests of the reader.
test::RunResult read_an_unreadable_line(const TempDir& dir) {
    dir.write("in.rwl", "t\n" + decadal("A", 1901, {100}) + "B       1901   100   1x0   999\n");
    return run_tarnik(dir, lines({"in.rwl", "f", "1", "x", ""}));
}

TEST(BadFiles, AnUnreadableLineEndsTheRunWithStatus2) {
    TempDir dir;
    const auto r = read_an_unreadable_line(dir);
    EXPECT_EQ(r.status, 2) << r.out;
}

TEST(BadFiles, AnUnreadableLineIsShownUntilTheRunEnds) {
    TempDir dir;
    const auto r = read_an_unreadable_line(dir);
    EXPECT_TRUE(contains_block(r.out, " error reading data\n             Line 3 of the file in.rwl cannot be read:\n"
                                      "             B       1901   100   1x0   999\n"
                                      "             This should not happen. Check file format and LF\n"
                                      "             Hit RETURN to Terminate program : "
                                      "             Hit RETURN to Terminate program : "));
}

// A file that exists but fails while it is read (reading /proc/self/mem from its
// start fails) is never taken for a short or empty file.
TEST(BadFiles, FilesThatFailWhileReadAreNotTakenAsEmpty) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    auto r = run_tarnik(dir, lines({"ca533.rwl", "t", "/proc/self/mem"}));
    EXPECT_TRUE(contains_block(r.out, "File > /proc/self/mem                           < cannot be read\n"
                                      "Please enter a new file name or terminate the program\n"));
    EXPECT_EQ(r.status, 3);
    r = run_tarnik(dir, lines({"/proc/self/mem", "f", "1"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "\n The file /proc/self/mem cannot be read. The run ends here.\n"));
}

// Every save of the program, to a file that cannot be created or written.
TEST(BadFiles, SavesThatFailAreNeverReportedAsDone) {
    namespace fs = std::filesystem;
    TempDir dir;
    dir.copy_data("ca533.rwl");
    fs::create_directory(dir / "AgeAligned.raw.DEC");
    fs::create_symlink("/dev/full", dir / "Xdated.raw.INC");
    fs::create_symlink("/dev/full", dir / "TarnikRCS_out");
    fs::create_symlink("/dev/full", dir / "ca533_Tarnik");
    fs::create_symlink("/dev/full", dir / "full.png");
    fs::create_symlink("/dev/full", dir / "full.svg");
    const std::string input = lines({
        "ca533.rwl", "f", "3", "-10", "-1", "f", "t",  // RCS: save the curve
        "-1",                                          // index display
        "1", "66", "1", "", "3", "-1",                 // series by age, decadal
        "2", "66", "2", "", "3",                       // series by year, columns
        "77", "ca533.rwl/p.ps", "/dev/full",           // PostScript
        "88", "full.png", "77", "full.svg", "-1",      // PNG and SVG
        "3", "a", "1", "10", "5", "30", "t", "a", "-10", "t", "",
        "66", "1", "/dev/full", "", "4", "ca533.rwl/stats", "", "7",  // cloud exports
        "55", "1", "66", "/dev/full", "-1", "-1",      // single-class export
        "5"});
    const auto r = run_tarnik(dir, input, 120);
    EXPECT_EQ(r.status, 0) << r.out;
    for (const std::string& message : {
             std::string("             The file TarnikRCS_out could not be written here; nothing was saved.\n"),
             std::string("             The file AgeAligned.raw.DEC could not be written: nothing was saved.\n"),
             std::string("             The file Xdated.raw.INC could not be written: nothing was saved.\n"),
             std::string(" Cannot write the file ca533.rwl/p.ps (Not a directory): please enter another name.\n"),
             std::string(" The plot could not be written to the file /dev/full .\n"),
             std::string(" The plot could not be written to the file full.png .\n"),
             std::string(" The plot could not be written to the file full.svg .\n"),
             std::string("             Writing the file \"/dev/full\" failed; the data were not saved completely.\n"),
             std::string("             The file \"ca533.rwl/stats\" cannot be written; nothing was saved.\n"),
             std::string(" The report file ca533_Tarnik could not be written completely.\n"),
         }) {
        EXPECT_TRUE(contains_block(r.out, message));
    }
    EXPECT_EQ(test::count_of(r.out, "Writing the file \"/dev/full\" failed"), 2u);  // cloud and single class
    EXPECT_EQ(test::count_of(r.out, "saved to file."), 0u);

    // A report file that cannot be created ends the run before any reading.
    fs::remove(dir / "ca533_Tarnik");
    fs::create_directory(dir / "ca533_Tarnik");
    const auto end = run_tarnik(dir, lines({"ca533.rwl", "f", "1"}));
    EXPECT_EQ(end.status, 1);
    EXPECT_TRUE(contains_block(end.out, " The report file ca533_Tarnik cannot be created (is its folder writable?)."));
}

}  // namespace
}  // namespace tarnik

// Hostile and damaged files through the whole program: files shaped to make a
// reader keep far more than their values (run with an address space of 1 GB,
// their peak memory measured), files from which no series is read, report
// names that must never replace an input, and a regional curve from too few ages.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::decadal;
using test::lines;
using test::run_tarnik;
using test::TempDir;

// The shapes, each written piece by piece (this test's own memory counts in the
// program's peak: it stays small), with the line its run must show.
struct Shape {
    std::string name, file;
    std::function<void(std::ostream&)> write;
    int status;
    std::string shows;
};

const std::string kSeries1 = "<measurementSeries><title>1</title><values><variable normalTridas=\"ring width\"/>"
                             "<value value=\"1\"/><value value=\"2\"/></values></measurementSeries>";

std::vector<Shape> shapes() {
    return {
        // 10000 columns, a full first and last row and 99998 rows holding only a year.
        {"empty rows", "wide.csv",
         [](std::ostream& o) {
             std::string header = "Year", full;
             for (int c = 0; c < 10000; ++c) {
                 header += ",S" + std::to_string(c);
                 full += ",1";
             }
             o << header << "\n1" << full << "\n";
             for (int y = 2; y < 100000; ++y) o << y << "\n";
             o << "100000" << full << "\n";
         },
         1, "The length of radius       1 := [  100000 ] exceeds"},
        // A header of three million columns, and one row with a value in each.
        {"many columns", "header.csv",
         [](std::ostream& o) {
             o << "Year";
             for (int c = 0; c < 3000000; ++c) o << ",a";
             o << "\n1900";
             for (int c = 0; c < 3000000; ++c) o << ",1";
             o << "\n";
         },
         1, "The number of radii   22001 exceeds"},
        // 22000 series titled 1 inside 990 nested levels with long titles.
        {"shared levels", "shared.xml",
         [](std::ostream& o) {
             o << "<tridas><project><title>p</title>";
             for (int d = 0; d < 990; ++d) o << "<object><title>level number " << 1000000 + d << "</title>";
             for (int s = 0; s < 22000; ++s) o << kSeries1;
             for (int d = 0; d < 990; ++d) o << "</object>";
             o << "</project></tridas>\n";
         },
         0, "Contains:    22000 series"},
        // 2000 series inside 100000 nested objects.
        {"deep nesting", "deep.xml",
         [](std::ostream& o) {
             o << "<tridas><project><title>p</title>";
             for (int s = 0; s < 2000; ++s) {
                 for (int d = 0; d < 50; ++d) o << "<object>";
                 o << kSeries1;
             }
             for (int d = 0; d < 100000; ++d) o << "</object>";
             o << "</project></tridas>\n";
         },
         2, "elements are nested more than 1000 deep"},
        // A Heidelberg series of five million numbers.
        {"long series", "long.fh",
         [](std::ostream& o) {
             o << "HEADER:\nKeyCode=A\nDateBegin=1\nDATA:Tree\n";
             for (int i = 0; i < 5000000; ++i) o << "1 ";
             o << "\n";
         },
         1, "The length of radius       1 := [ 5000000 ] exceeds"},
        // A million lone CRs: a million empty lines.
        {"line ends", "cr.rwl", [](std::ostream& o) { o << std::string(1000000, '\r'); }, 1, "holds no series"},
    };
}

TEST(HostileFiles, MemoryFollowsTheValuesWhateverTheFilesShape) {
    TempDir dir;
#ifdef TARNIK_SANITIZER_BUILD
    const long limit_mb = 0;  // the sanitizers reserve far more address space than that
#else
    const long limit_mb = 1024;
#endif
    for (const Shape& s : shapes()) {
        {
            std::ofstream out(dir / s.file, std::ios::binary);
            s.write(out);
        }
        const auto size_kb = static_cast<long>(std::filesystem::file_size(dir / s.file) / 1024);
        const auto r = run_tarnik(dir, lines({s.file, "f", "1", "5", ""}), 300, {}, {}, limit_mb);
        EXPECT_FALSE(r.timed_out) << s.name;
        EXPECT_EQ(r.status, s.status) << s.name << "\n" << r.out.substr(r.out.size() > 600 ? r.out.size() - 600 : 0);
        EXPECT_TRUE(contains_block(r.out, s.shows)) << s.name;
        std::printf("[ measured ] %s: %ld kB at the peak for a file of %ld kB\n", s.name.c_str(), r.peak_kb, size_kb);
#ifndef TARNIK_SANITIZER_BUILD
        // Below twice the file's size plus 100 MB (the sanitizers' own memory aside).
        EXPECT_LT(r.peak_kb, 2 * size_kb + 100 * 1024) << s.name << ": " << r.peak_kb << " kB for a file of "
                                                       << size_kb << " kB";
#endif
        std::filesystem::remove(dir / s.file);
    }
}

// No series read, of any format or from a folder: one plain line naming the
// file or folder, exit status 1, and no summary.
TEST(HostileFiles, NoSeriesNoAnalysis) {
    TempDir dir;
    dir.write("empty.rwl", "");
    dir.write("title.rwl", "a title and nothing else\n");
    dir.write("unended.rwl", "title\n" + decadal("A", 1901, {100, 110}).substr(0, 24) + "\n");
    // A compact file damaged in its first line is read as decadal, and gives nothing.
    dir.write("compact.rwl", "3=N 1990=I ABC -3(3F5.0\n 1234   56  -1\n");
    // A folder whose files hold only series of other data: they are counted, and
    // the folder holds no series.
    std::filesystem::create_directory(dir / "lab");
    dir.write("lab/late.fh", "HEADER:\nKeyCode=A\nDataType=Latewood\nLength=1\nDATA:Tree\n 12\n");
    for (const char* file : {"empty.rwl", "title.rwl", "unended.rwl", "compact.rwl", "lab"}) {
        const auto r = run_tarnik(dir, lines({file, "f", "1", "5"}));
        EXPECT_EQ(r.status, 1) << file;
        const std::string what = std::string(file) == "lab" ? " The folder " : " The file ";
        const std::string line = what + file + " holds no series: there is nothing to analyse. The run ends here.\n";
        EXPECT_TRUE(contains_block(r.out, line)) << r.out;
        EXPECT_TRUE(r.out.ends_with(line)) << file;
        EXPECT_EQ(r.out.find("Contains:"), std::string::npos) << file;
    }
    // In a folder, a file without any series ends the run naming that file.
    std::filesystem::create_directory(dir / "lab2");
    dir.write("lab2/a.rwl", "title only\n");
    dir.write("lab2/b.rwl", decadal("B", 1901, {100, 110}));
    const auto r = run_tarnik(dir, lines({"lab2", "f", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, " The decadal file lab2/a.rwl holds no ring-width series.\n")) << r.out;
    EXPECT_EQ(r.out.find("Contains:"), std::string::npos);
    // The report says so too.
    EXPECT_TRUE(dir.read("title_Tarnik").ends_with("holds no series: there is nothing to analyse. The run ends here.\n"));
}

const std::string kFive = "t\n" + decadal("A", 1901, std::vector<int>(5, 100));

TEST(HostileFiles, TheReportIsWrittenBesideItsInput) {
    namespace fs = std::filesystem;
    TempDir dir;
    fs::create_directories(dir / "run" / "longdirectoryname");
    fs::create_directory(dir / "lab");
    dir.write("run/longdirectoryname/ca533.rwl", kFive);
    dir.write("lab/a.rwl", kFive);
    const std::string parent = "../" + dir.path().filename().string();
    for (const auto& [input, report] :
         {std::pair{(dir / "run/longdirectoryname/ca533.rwl").string(), "run/longdirectoryname/ca533_Tarnik"},
          {parent + "/run/longdirectoryname/ca533.rwl", "run/longdirectoryname/ca533_Tarnik"},
          {"lab/", "lab_Tarnik"},
          {"lab", "lab_Tarnik"}}) {
        const auto r = run_tarnik(dir, lines({input, "f", "1", "5"}));
        EXPECT_EQ(r.status, 0) << input;
        EXPECT_TRUE(dir.exists(report)) << input;
        fs::remove(dir / report);
    }
    EXPECT_FALSE(dir.exists("run/longdi_Tarnik"));
    EXPECT_FALSE(dir.exists("_Tarnik"));
}

// An input named like its own report.
TEST(HostileFiles, TheReportNeverReplacesTheRingWidthFile) {
    TempDir dir;
    dir.write("abcdefghijklmnopqrst_Tarnik", kFive);
    const auto r = run_tarnik(dir, lines({"abcdefghijklmnopqrst_Tarnik", "f", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "\n The report file would be the ring-width file abcdefghijklmnopqrst_Tarnik "
                                      "itself, and replace it.\n"));
    EXPECT_EQ(dir.read("abcdefghijklmnopqrst_Tarnik"), kFive);
}

// A pith offset file named like the report.
TEST(HostileFiles, TheReportNeverReplacesThePithOffsetFile) {
    TempDir dir;
    dir.write("s.rwl", kFive);
    dir.write("s_Tarnik", "offsets\n   3\n");
    const auto r = run_tarnik(dir, lines({"s.rwl", "t", "s_Tarnik", "1", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, " The report file would be the pith offset file s_Tarnik itself"));
    EXPECT_EQ(r.out.find("Processing file"), std::string::npos);
    EXPECT_EQ(dir.read("s_Tarnik"), "offsets\n   3\n");
}

// The regional curve needs three ages: with fewer the widths stay raw.
TEST(HostileFiles, ARegionalCurveFromFewerThanThreeAgesIsRefusedPlainly) {
    TempDir dir;
    dir.write("two.rwl", "t\n" + decadal("A", 1901, {100, 120}) + decadal("B", 1950, {80, 90}));
    const auto r = run_tarnik(dir, lines({"two.rwl", "f", "3", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out, "             The regional curve needs rings of 3 cambial ages or more; these "
                                      "series\n             have rings of 2 ages only. No RCS indices were computed:\n"
                                      "             the analysis goes on with the raw ring widths.\n"));
    EXPECT_EQ(r.out.find("nearest programmer"), std::string::npos);
    EXPECT_TRUE(contains_block(r.out, "Enter option [1-5] : "));
}

}  // namespace
}  // namespace tarnik

// End to end: a folder given at the ring-width file prompt is read as one data
// set. Files of mixed formats save the same decadal file as each file alone,
// one after the other, with the pith offsets following the data set's order; a
// damaged file, a file without series and an empty folder end the run before
// anything is analysed.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::lines;
using test::run_tarnik;
using test::TempDir;

// The series a run saves as decadal file by calendar year (Xdated.raw.DEC).
std::string saved_by_year(const TempDir& dir, const std::string& input, std::string& out) {
    const auto r = run_tarnik(dir, lines({input, "f", "1", "2", "66", "1", "", "3", "-1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    out = r.out;
    return dir.read("Xdated.raw.DEC");
}

// Hidden files, the program's reports and folders inside are not read; the
// CATRAS file and its Heidelberg twin share their identifier.
TEST(Folder, MixedFormatsReadAsOneDataSetInNameOrder) {
    TempDir dir;
    std::filesystem::create_directories(dir / "lab/sub");
    dir.copy_data("corpus/formats2/CATRAS/UAKK0530.CAT", "lab/a1.CAT");
    dir.copy_data("corpus/formats2/CATRAS/OBL10002.CAT", "lab/a2.CAT");
    dir.copy_data("corpus/formats/Heidelberg/UAKK0530.fh", "lab/a3.fh");
    dir.copy_data("corpus/formats2/Sheffield/yhg50683.d", "lab/b.d");
    std::string slip = "Site\n" + test::decadal("C1", 1905, {120, 130, 140, 150, 160, 170, 180});
    slip.replace(slip.find("C1      1910"), 12, "C1      1930");
    dir.write("lab/c.rwl", slip);
    for (const char* unread : {"lab/.c.rwl", "lab/c_Tarnik", "lab/sub/d.rwl"}) dir.write(unread, "not read");

    std::string out, alone_out;
    const std::string folder = saved_by_year(dir, "lab", out);
    std::string alone;
    for (const char* f : {"lab/a1.CAT", "lab/a2.CAT", "lab/a3.fh", "lab/b.d", "lab/c.rwl"})
        alone += saved_by_year(dir, f, alone_out);
    EXPECT_EQ(folder, alone);
    EXPECT_TRUE(folder.starts_with("UAKK0530 987"));

    const std::string notices = " In the file lab/c.rwl:\n"
                                " Series 1 (C1      ): line 3 has the year 1930, not 1910 as after the first year 1905 "
                                "(line 2); the widths were read in order.\n"
                                " Read 2 CATRAS files: 2 series, 1 of them a mean curve.\n"
                                " Read 1 Heidelberg file: 1 series, 1 of them a mean curve.\n"
                                " Read 1 Sheffield file: 1 series.\n"
                                " Read 1 decadal file: 1 series.\n"
                                " Identifiers: 2 series share an identifier with another series (UAKK0530).\n";
    EXPECT_TRUE(contains_block(out, "Processing file lab\n" + notices + "\nInput file =: lab\n"
                                    "Contains:        5 series\nSpanning the calander period  249 -1911\n"));
    EXPECT_EQ(dir.read("lab_Tarnik"), notices);

    // The offsets follow the series of the data set: 200 rings before the fifth
    // (7 rings) make the oldest age 207.
    dir.write("off.txt", "offsets\n   0\n   0\n   0\n   0\n 200\n");
    const auto r = run_tarnik(dir, lines({"lab", "t", "off.txt", "1", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out, "Spanning bological ages    1- 207\n"));
}

// A folder of a CATRAS file and the decadal file b.rwl.
void write_lab(const TempDir& dir, const std::string& decadal_file) {
    std::filesystem::create_directory(dir / "lab");
    dir.copy_data("corpus/formats2/CATRAS/UAKK0530.CAT", "lab/a.CAT");
    dir.write("lab/b.rwl", decadal_file);
}

TEST(Folder, ADamagedFileEndsTheRunBeforeTheSummary) {
    TempDir dir;
    write_lab(dir, "t\n" + test::decadal("A", 1901, {100}) + "B       1901   1x0   999\n");
    const auto r = run_tarnik(dir, lines({"lab", "f", "1", ""}));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains_block(r.out, "Processing file lab\n error reading data\n"
                                      "             Line 3 of the file lab/b.rwl cannot be read:\n"));
    EXPECT_EQ(r.out.find("Input file =:"), std::string::npos);
}

TEST(Folder, AFileWithoutSeriesEndsTheRunBeforeTheSummary) {
    TempDir dir;
    write_lab(dir, "");
    const auto r = run_tarnik(dir, lines({"lab", "f", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "Processing file lab\n The decadal file lab/b.rwl holds no ring-width series.\n"
                                      " There is nothing to analyse. The run ends here.\n"));
    EXPECT_EQ(r.out.find("Input file =:"), std::string::npos);
}

TEST(Folder, AnEmptyFolderEndsTheRunBeforeTheAnalysis) {
    TempDir dir;
    std::filesystem::create_directory(dir / "empty");
    const auto r = run_tarnik(dir, lines({"empty", "f", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, "[t]rue-[f]alse             : \n The folder empty holds no file to read. "
                                      "The run ends here.\n"));
    EXPECT_EQ(r.out.find("Data Transformation Menu"), std::string::npos);
}

}  // namespace
}  // namespace tarnik

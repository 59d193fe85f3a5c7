// Damaged input files and output files that cannot be written: each gives a
// clear message, and no save that failed is reported as done. Tests run as root
// in CI, where directory permissions do not stop anything: a file is made
// unwritable by a directory of its name, a path under a regular file, or a link
// to /dev/full (which takes the open and fails every write).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::lines;
using test::run_tarnik;
using test::TempDir;

const std::string kCa = test::read_file(test::data_file("ca533.rwl"));
const std::string kCaSummary =
    "Contains:       34 series\nSpanning the calander period  626 -1983\nSpanning bological ages    1-1343\n"
    "Maximum age for which there are 3 or more\ngrowth increments is : 1007\n"
    "For a total of      23276 measurements\nRanging from Min. y =    0.000 to Max. y =    3.030\n";

TEST(BadFiles, DamagedRingWidthAndOffsetFilesSayWhatIsWrong) {
    std::string cr = kCa;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    const std::size_t cut = kCa.find('\n', kCa.size() / 2) - 20;  // inside a line of series 20
    std::string tab = kCa;
    tab[kCa.find("CAM011  1540") + 20] = '\t';
    std::string binary = kCa;
    binary.replace(kCa.find("CAM011  1550") + 14, 3, "\x01\xff\x00", 3);
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> answers;
        int status;
        std::vector<std::string> blocks;
    } cases[] = {
        {"truncated", kCa.substr(0, cut), {"f", "1", "5"}, 0,
         {" The file ends inside series 20 (CAM121  ): it has no end marker, and its 590 values were not read."}},
        {"no end marker", kCa.substr(0, kCa.rfind("   999")) + "\n", {"f", "1", "5"}, 0,
         {" The file ends inside series 34 (CAM211  ): it has no end marker, and its 1344 values"}},
        {"unreadable", "t\n" + test::decadal("A", 1901, {100}) + "B       1901   100   1x0   999\n",
         {"f", "1", "x", ""}, 2,
         {" error reading data\n             Line 3 of the file cannot be read:\n"
          "             B       1901   100   1x0   999\n"
          "             This should not happen. Check file format and LF\n"
          "             Hit RETURN to Terminate program :              Hit RETURN to Terminate program : "}},
        {"tab", tab, {"f", "1", ""}, 2,
         {" error reading data\n             Line 3 of the file cannot be read:\n"
          "             CAM011  1540   102  ? 61    56"}},
        {"binary", binary, {"f", "1", ""}, 2, {"             CAM011  1550  ???"}},
        {"CR line ends", cr, {"f", "1", "5"}, 0, {kCaSummary}},
        {"blank lines between series", std::regex_replace(kCa, std::regex(" 999 *\n"), "$&\n   \n"),
         {"f", "1", "5"}, 0, {kCaSummary}},
        {"no title line", kCa.substr(kCa.find('\n') + 1), {"f", "1", "5"}, 0,
         {"Processing file in.rwl\n"
          " The file has no title line: its first line was read as the first line of a series.\n",
          kCaSummary}},
        {"negative widths", "t\n" + test::decadal("N", 1905, {100, -999, -2599, 50}), {"f", "1", "5"}, 0,
         {" Series 1 (N       ): 2 negative widths read as missing rings (0), the first in 1906.\n",
          "Ranging from Min. y =    0.000 to Max. y =    1.000\n"}},
        {"binary offsets", kCa, {"t", "off.bin", "1"}, 3,
         {" Line 2 of the pith offset file cannot be read with the format (i4):\n ????\n"
          " No offsets were taken from the file. Please choose the method again.\n"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("in.rwl", c.content);
        dir.write("off.bin", std::string("offsets\n\x80\xff\x00\x01\n  12\n", 14));
        std::string input = "in.rwl\n";
        for (const auto& a : c.answers) input += a + "\n";
        const auto r = run_tarnik(dir, input, 60);
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.out;
        for (const auto& block : c.blocks) EXPECT_TRUE(contains_block(r.out, block)) << c.name;
    }
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
    const std::string input = lines({
        "ca533.rwl", "f", "3", "-10", "-1", "f", "t",  // RCS: save the curve
        "-1",                                          // index display
        "1", "66", "1", "", "3", "-1",                 // series by age, decadal
        "2", "66", "2", "", "3",                       // series by year, columns
        "77", "ca533.rwl/p.ps", "/dev/full", "-1",     // PostScript
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
             std::string(" Cannot write the file ca533.rwl/p.ps : please enter another name.\n"),
             std::string(" The plot could not be written to the file /dev/full .\n"),
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
    EXPECT_TRUE(contains_block(end.out, " The report file ca533_Tarnik cannot be created here"));
}

}  // namespace
}  // namespace tarnik

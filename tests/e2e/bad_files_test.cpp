// A damaged input file and output files that cannot be written: each gives a
// clear message, and no save that failed is reported as done. Tests run as root
// in CI, where directory permissions do not stop anything: a file is made
// unwritable by a directory of its name, a path under a regular file, or a link
// to /dev/full (which takes the open and fails every write).

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

// The reader's messages themselves are checked by the unit tests of the reader.
TEST(BadFiles, AnUnreadableLineIsShownAndEndsTheRun) {
    TempDir dir;
    dir.write("in.rwl", "t\n" + test::decadal("A", 1901, {100}) + "B       1901   100   1x0   999\n");
    const auto r = run_tarnik(dir, lines({"in.rwl", "f", "1", "x", ""}));
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_TRUE(contains_block(r.out, " error reading data\n             Line 3 of the file cannot be read:\n"
                                      "             B       1901   100   1x0   999\n"
                                      "             This should not happen. Check file format and LF\n"
                                      "             Hit RETURN to Terminate program : "
                                      "             Hit RETURN to Terminate program : "));
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

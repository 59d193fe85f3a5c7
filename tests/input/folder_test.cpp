// A folder read as one data set: files whose series were all skipped, and
// files or folders without any series. (tests/e2e/folder_test.cpp reads
// folders of mixed formats, damaged files and empty folders.)

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "input/data_set.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

namespace fs = std::filesystem;

// The number of series and the notices of a folder, or the message that ends the run.
std::pair<std::size_t, std::vector<std::string>> read_folder(const fs::path& folder,
                                                             const std::string& pith_offset_file = {}) {
    std::string problem;
    auto data = DataSetReader::open(folder.string(), problem, pith_offset_file);
    if (!data) return {0, {problem}};
    std::size_t n = 0;
    try {
        SeriesRead s;
        while (data->next(s)) ++n;
    } catch (const UnusableFile& e) {
        return {n, e.lines};
    }
    return {n, data->take_notices()};
}

// A file whose every series was skipped is counted with its format; a file
// without any series ends the run (the e2e tests show damaged files, empty
// folders and folders without series).
TEST(Folder, SkippedSeriesAreCountedWithTheirFormat) {
    test::TempDir dir;
    const fs::path lab = dir / "lab";
    fs::create_directories(lab);
    dir.write("lab/late.fh", "HEADER:\nKeyCode=L\nDataType=Latewood\nLength=1\nDATA:Tree\n 5\n");
    // Nothing but skipped series: the data set ends without series (the reading
    // loop then ends the run naming the folder).
    EXPECT_EQ(read_folder(lab), (std::pair<std::size_t, std::vector<std::string>>{
                                    0, {" Read 1 Heidelberg file: 0 series, 1 series of other data than ring widths "
                                        "skipped."}}));
    std::string ok = "title\n1\nA\n11900\nR\n";
    for (int i = 6; i <= 21; ++i) ok += "?\n";
    dir.write("lab/ok.d", ok + "D\n12\n");
    EXPECT_EQ(read_folder(lab), (std::pair<std::size_t, std::vector<std::string>>{
                                    1, {" Read 1 Heidelberg file: 0 series, 1 series of other data than ring widths "
                                        "skipped.",
                                        " Read 1 Sheffield file: 1 series."}}));
}

TEST(Folder, AFileWithoutSeriesEndsTheRun) {
    test::TempDir dir;
    const fs::path lab = dir / "lab";
    fs::create_directories(lab);
    dir.write("lab/late.fh", "HEADER:\nKeyCode=L\nDataType=Latewood\nLength=1\nDATA:Tree\n 5\n");
    std::string ok = "title\n1\nA\n11900\nR\n";
    for (int i = 6; i <= 21; ++i) ok += "?\n";
    dir.write("lab/ok.d", ok + "D\n12\n");
    // A decadal file whose only series has no end marker holds none.
    dir.write("lab/m.rwl", "title\nA       1901   100\n");
    EXPECT_EQ(read_folder(lab).second, (std::vector<std::string>{" The decadal file " + (lab / "m.rwl").string() +
                                                                      " holds no ring-width series.",
                                                                  " There is nothing to analyse. The run ends here."}));
}

// The pith offset file often stands beside the ring widths: a folder's files
// leave it out, however it is named.
TEST(Folder, ThePithOffsetFileIsNotReadAsRingWidths) {
    test::TempDir dir;
    const fs::path lab = dir / "lab";
    fs::create_directories(lab);
    dir.write("lab/a.rwl", "title\n" + test::decadal("A", 1901, {100, 120, 140}));
    dir.write("lab/b.rwl", "title\n" + test::decadal("B", 1902, {90, 80, 70}));
    dir.write("lab/offsets", "offsets\n  12\n   7\n");
    // Read as a decadal file, the offsets hold no series and end the run.
    const std::vector<std::string> ended = read_folder(lab).second;
    EXPECT_NE(std::find(ended.begin(), ended.end(),
                        " The decadal file " + (lab / "offsets").string() + " holds no ring-width series."),
              ended.end());
    const auto [series, notices] = read_folder(lab, (lab / "offsets").string());
    EXPECT_EQ(series, 2u);
    // The same file named another way (relative to another folder) is left out too.
    EXPECT_EQ(read_folder(lab, (lab / ".." / "lab" / "offsets").string()).first, 2u);
}

// Identifiers are 8 bytes: a name is cut or padded with blanks, and a UTF-8
// character that would be cut at the eighth byte is left out whole.
TEST(Identifier, LongNamesAreCutAtACharacterBoundary) {
    EXPECT_EQ(identifier_of("CA533"), "CA533   ");
    EXPECT_EQ(identifier_of("ABCDEFGHIJ"), "ABCDEFGH");
    EXPECT_EQ(identifier_of("Besan\xC3\xA7on"), "Besan\xC3\xA7o");      // the 2-byte ç fits whole
    EXPECT_EQ(identifier_of("Besanc\xC3\xA7on"), "Besanc\xC3\xA7");     // ends exactly at byte 8
    EXPECT_EQ(identifier_of("Besanco\xC3\xA7n"), "Besanco ");            // ç would be cut: left out
    EXPECT_EQ(identifier_of("abc\xE2\x82\xAC\xE2\x82\xAC"), "abc\xE2\x82\xAC  ");  // the second euro sign
    EXPECT_EQ(identifier_of("abcdefg\xE2\x82\xAC"), "abcdefg ");                       // a lead byte at the eighth
    // Latin-1 and cp1250 bytes are no UTF-8 sequences: all 8 bytes stay.
    EXPECT_EQ(identifier_of("ABCDEFGH\xB0"), "ABCDEFGH");
    EXPECT_EQ(identifier_of("Bia\xB3owie\xBF" "a"), "Bia\xB3owie");
    EXPECT_EQ(identifier_of("\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0"), "\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0");
}

}  // namespace
}  // namespace tarnik

// A folder read as one data set: which files are read and in what order, the
// series numbered across the files, the notices (per format, and per file
// after a line naming it), and how a file or folder without anything to read
// ends the run.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "console/errors.h"
#include "input/data_set.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

namespace fs = std::filesystem;

struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

Read read_folder(const fs::path& folder) {
    std::string problem;
    auto data = DataSetReader::open(folder.string(), problem);
    if (!data) throw UnusableFile{{problem}};
    EXPECT_TRUE(data->is_folder());
    Read r;
    SeriesRead s;
    while (data->next(s)) r.series.push_back(s);
    r.notices = data->take_notices();
    r.missing = data->missing_rings();
    return r;
}

// The message that ends the run, or the notices and series when there is none.
std::vector<std::string> message_of(const fs::path& folder) {
    try {
        read_folder(folder);
    } catch (const InternalError& e) {
        return e.lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    return {"no message"};
}

std::string sheffield(int first_year, const std::string& values_one_a_line, char type = 'R') {
    int n = 0;
    for (char c : values_one_a_line) n += c == '\n';
    std::string s = "title\n" + std::to_string(n) + "\nA\n" + std::to_string(first_year + 10000) + "\n" + type + "\n";
    for (int i = 6; i <= 21; ++i) s += "?\n";
    return s + "D\n" + values_one_a_line;
}

// Files of four formats, read in the order of their names, with the files that
// are never read (hidden ones, the program's reports, folders) beside them.
TEST(Folder, FilesOfEveryFormatInNameOrderAsOneDataSet) {
    test::TempDir dir;
    const fs::path lab = dir / "lab";
    fs::create_directories(lab / "sub");
    fs::copy_file(test::data_file("corpus/formats2/CATRAS/UAKK0530.CAT"), lab / "c1.CAT");
    // The same series as Heidelberg file: both keep their identifier, told as shared.
    fs::copy_file(test::data_file("corpus/formats/Heidelberg/UAKK0530.fh"), lab / "b.fh");
    dir.write("lab/a.d", sheffield(1900, "12\n-1\n14\n"));
    dir.write("lab/d.rwl", "Site\n" + test::decadal("SLIP", 1905, {1, 2, 3, 4, 5, 6, 7}) +
                               test::decadal("OTHER", 1901, {5, 6}));
    // Line 3 of d.rwl names the year 1930 where 1910 is due: a slip, told per file.
    std::string d = dir.read("lab/d.rwl");
    d.replace(d.find("SLIP    1910"), 12, "SLIP    1930");
    dir.write("lab/d.rwl", d);
    dir.write("lab/.hidden", "not read");
    dir.write("lab/d_Tarnik", "not read");
    dir.write("lab/sub/e.rwl", "not read");

    const Read r = read_folder(lab);
    std::vector<std::string> ids;
    for (const SeriesRead& s : r.series) ids.push_back(s.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"a       ", "UAKK0530", "UAKK0530", "SLIP    ", "OTHER   "}));
    EXPECT_EQ(r.series[0].values, (std::vector<std::int32_t>{12, 0, 14}));
    EXPECT_EQ(r.series[3].first_year, 1905);
    EXPECT_EQ(r.series[3].length, 7);
    EXPECT_EQ(r.notices, (std::vector<std::string>{
                             " In the file " + (lab / "d.rwl").string() + ":",
                             " Series 1 (SLIP    ): line 3 has the year 1930, not 1910 as after the first year 1905 "
                             "(line 2); the widths were read in order.",
                             " Read 1 Sheffield file: 1 series.",
                             " Read 1 Heidelberg file: 1 series, 1 of them a mean curve.",
                             " Read 1 CATRAS file: 1 series.",
                             " Read 1 decadal file: 2 series.",
                             " Identifiers: 2 series share an identifier with another series (UAKK0530)."}));
    // Missing rings are numbered in the data set.
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].series, 1);
    EXPECT_EQ(r.missing[0].first_year, 1901);

    // Several files of one format: their counts add up in one notice.
    fs::copy_file(test::data_file("corpus/formats2/CATRAS/bcdated.CAT"), lab / "c2.CAT");
    fs::copy_file(test::data_file("corpus/formats2/CATRAS/OBL10002.CAT"), lab / "c3.CAT");
    const Read more = read_folder(lab);
    EXPECT_EQ(more.series.size(), 7u);
    EXPECT_EQ(more.notices[4], " Read 3 CATRAS files: 3 series, 1 of them a mean curve.");
}

TEST(Folder, AFileWithoutSeriesEndsTheRunAndSkippedSeriesAreCounted) {
    test::TempDir dir;
    const fs::path lab = dir / "lab";
    fs::create_directories(lab);
    // A folder without any file to read, or with nothing but hidden files and folders.
    EXPECT_EQ(message_of(lab), std::vector<std::string>{" The folder " + lab.string() +
                                                         " holds no file to read. The run ends here."});
    fs::create_directories(lab / "sub");
    dir.write("lab/.x", "");
    EXPECT_EQ(message_of(lab), std::vector<std::string>{" The folder " + lab.string() +
                                                         " holds no file to read. The run ends here."});

    // A file of latewood widths is skipped and counted; a folder of nothing else holds no series.
    const std::string late = "HEADER:\nKeyCode=L\nDataType=Latewood\nLength=1\nDATA:Tree\n 5\n";
    dir.write("lab/late.fh", late);
    EXPECT_EQ(message_of(lab), (std::vector<std::string>{" The folder " + lab.string() + " holds no ring-width series.",
                                                          " There is nothing to analyse. The run ends here."}));
    dir.write("lab/ok.d", sheffield(1900, "12\n"));
    Read r = read_folder(lab);
    EXPECT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.notices,
              (std::vector<std::string>{" Read 1 Heidelberg file: 0 series, 1 series of other data than ring widths skipped.",
                                        " Read 1 Sheffield file: 1 series."}));

    // An empty file, and a decadal file whose only series has no end marker:
    // each holds no series and ends the run, naming itself.
    dir.write("lab/m.rwl", "");
    EXPECT_EQ(message_of(lab), (std::vector<std::string>{" The decadal file " + (lab / "m.rwl").string() +
                                                              " holds no ring-width series.",
                                                          " There is nothing to analyse. The run ends here."}));
    dir.write("lab/m.rwl", "title\nA       1901   100\n");
    try {
        read_folder(lab);
        ADD_FAILURE() << "read";
    } catch (const UnusableFile& e) {
        EXPECT_EQ(e.lines.at(0), " The decadal file " + (lab / "m.rwl").string() + " holds no ring-width series.");
    }

    // A damaged file ends the run with its reader's message, which names it.
    dir.write("lab/m.rwl", "title\n" + test::decadal("A", 1901, {100}) + "B       1901   1x0   999\n");
    const std::vector<std::string> lines = message_of(lab);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], " error reading data");
    EXPECT_EQ(lines[1], "             Line 3 of the file " + (lab / "m.rwl").string() + " cannot be read:");
}

}  // namespace
}  // namespace tarnik

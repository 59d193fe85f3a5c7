// The V-format reader: the real files, flags, format versions and parameters
// in one file, the recognition of the format (and of decadal files whose
// title is a header line), and the message of every bad file.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "input/formats.h"
#include "input/vformat.h"
#include "read_helpers.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

using test::read_with;
using test::refusal_of;

// A header line of 80 columns: identifier, kind, parameter, ring count, year
// of the last ring (may be blank) and version (negative: blank).
std::string header(const char* id, char kind, char parameter, int count, const char* last_year, int version) {
    char line[96];
    char v[4] = "  ";
    if (version >= 0) std::snprintf(v, sizeof v, "%2d", version);
    std::snprintf(line, sizeof line, "%-8.8s.%cO%cmm %5dQusp%6s%-38s%2s  0 0  0 0\r\n", id, kind, parameter, count,
                  last_year, "  site comment", v);
    return line;
}

// Value lines of 8-column fields, ten a line; each field given as its text.
std::string values(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += fields[i];
        if (i % 10 == 9 || i + 1 == fields.size()) out += "\r\n";
    }
    return out;
}

std::string widths(const std::vector<int>& v) {
    std::vector<std::string> fields;
    for (int x : v) {
        char f[16];
        std::snprintf(f, sizeof f, "%8d", x);
        fields.push_back(f);
    }
    return values(fields);
}

TEST(VFormat, RealFiles) {
    for (const auto& [file, count, first_id, first_year, length, first_value] :
         {std::tuple{"DE_V.!oj", 6u, "G1101020", 1430, 81, 281}, {"NL_V.!oj", 10u, "NLA01010", 1632, 117, 366}}) {
        const auto path = test::data_file(std::string("corpus/formats2/VFormat/") + file);
        EXPECT_EQ(detect_format(test::read_file(path)), FileFormat::vformat) << file;
        std::string problem;
        auto data = DataSetReader::open(path.string(), problem);
        ASSERT_TRUE(data) << problem;
        const test::WholeRead r = test::read_whole(*data);
        ASSERT_EQ(r.series.size(), count) << file;
        EXPECT_EQ(r.series[0].name, first_id);
        EXPECT_EQ(r.series[0].first_year, first_year) << file;
        EXPECT_EQ(r.series[0].length, length) << file;
        EXPECT_EQ(r.series[0].values[0], first_value) << file;
        EXPECT_EQ(r.series[0].scale, 100) << file;
        EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a V format file: " + std::to_string(count) + " series."});
    }
}

// One file of every version, kind, flag and parameter.
test::WholeRead mixed_file() {
    return read_with<VFormatReader>(
        // Version 2: one free-text line. A value with its first flag set is
        // missing; flags in the other columns do not matter.
        header("OLD1", '!', 'J', 12, "1910", 2) + "free text\r\n" +
        values({"     120", "&   9999", " x    95", "  +   80", "     100", "     110", "     120", "     130",
                "     140", "     150", "* A    5", "       0"}) +
        // Version 12: a coordinates line too; a mean curve.
        header("MEAN12", '#', 'J', 3, " -5", 12) + "\r\n5.8333333350.8666667\r\n" + widths({300, 301, 302}) +
        // Version 20: a user line as well; an early-wood series is skipped.
        header("EARLY20", '!', 'F', 2, "1950", 20) + "text\r\ncoordinates\r\nuser\r\n" + widths({7, 8}) + "\r\n" +
        // A blank year: undated. Blank version: as version 0.
        header("FLOAT", '%', 'J', 1, "", -1) + "text\r\n" + widths({42}));
}

TEST(VFormat, EveryVersionReadsItsRingWidthSeries) {
    const test::WholeRead r = mixed_file();
    ASSERT_EQ(r.series.size(), 3u);
    EXPECT_EQ(r.series[0].name, "OLD1");
    EXPECT_EQ(r.series[0].first_year, 1899);
    EXPECT_EQ(r.series[0].values, (std::vector<std::int32_t>{120, 0, 95, 80, 100, 110, 120, 130, 140, 150, 0, 0}));
    EXPECT_EQ(r.series[1].name, "MEAN12");
    EXPECT_EQ(r.series[1].first_year, -7);
    EXPECT_EQ(r.series[1].values, (std::vector<std::int32_t>{300, 301, 302}));
    EXPECT_EQ(r.series[2].name, "FLOAT");
    EXPECT_EQ(r.series[2].first_year, 1);
    EXPECT_EQ(r.series[2].values, std::vector<std::int32_t>{42});
}

TEST(VFormat, TheNoticeCountsTheSeriesOfEachKind) {
    const test::WholeRead r = mixed_file();
    EXPECT_EQ(r.notices.front(),
              " Read as a V format file: 3 series, 1 of them a mean curve, 1 without dates, placed from year 1, 1 "
              "series of other data than ring widths skipped.");
}

TEST(VFormat, ValuesMarkedInvalidAreMissingRings) {
    const test::WholeRead r = mixed_file();
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].count == 2 && r.missing[0].first_year == 1900);
    EXPECT_EQ(r.missing[0].words, "values marked invalid");
}

TEST(VFormat, OnlyTheFixedFieldsAndTheValueLinesMakeAFileVFormat) {
    const std::string one = header("A", '!', 'J', 2, "1996", 2) + "text\r\n" + widths({120, 98});
    EXPECT_EQ(detect_format(one), FileFormat::vformat);
    EXPECT_EQ(detect_format("\n" + one + one), FileFormat::vformat);
    // A decadal file whose title is a valid header line: its series lines are no value lines.
    for (int n : {1, 2, 3, 10, 11, 20})
        for (const std::string& body :
             {test::decadal("A", 1995, {120, 98}) + test::decadal("B", 1990, {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
              test::decadal("1", 1990, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) + test::decadal("2", 1991, {5})})
            EXPECT_EQ(detect_format(header("TITLE", '!', 'J', n, "1999", 2) + body), FileFormat::decadal) << n;
    // Each fixed field is checked; the values must fill exactly the ring count.
    const std::string body = "text\r\n" + widths({120, 98});
    for (const std::string& almost :
         {header("A", '?', 'J', 2, "1996", 2) + body, header("A", '!', '1', 2, "1996", 2) + body,
          header("A", '!', 'J', 1, "1996", 2) + body, header("A", '!', 'J', 3, "1996", 2) + body,
          header("A", '!', 'J', 2, "19x6", 2) + body, header("A", '!', 'J', 2, "1996", 12) + body,
          header("A", '!', 'J', 0, "1996", 2) + "text\r\n", header("A", '!', 'J', 2, "1996", 2) + widths({120, 98}),
          header("A", '!', 'J', 2, "1996", 2) + "text\r\n     120      98\r\nnot a header\r\n",
          header("A", '!', 'J', 2, "1996", 2) + "text\r\n     120&   x999\r\n"})
        EXPECT_EQ(detect_format(almost), FileFormat::decadal) << almost;
}

TEST(VFormat, BadFilesEndWithAMessageNamingFileLineOrSeriesAndWhat) {
    const std::string head = header("A1", '!', 'J', 2, "1996", 2) + "text\r\n";
    const std::string file = "The V format file in.txt cannot be read, ";
    const struct {
        std::string content;
        std::vector<std::string> want;
    } cases[] = {
        {head + "     120   12x45\r\n",
         {file + "line 3, series 1 (A1):", "the value in columns 9-16 (\"   12x45\") is not a width in 0.01 mm",
          "     120   12x45"}},
        {head + "     120     -45\r\n",
         {file + "line 3, series 1 (A1):", "the value in columns 9-16 (\"     -45\") is not a width in 0.01 mm",
          "     120     -45"}},
        {head + "     120        \r\n",
         {file + "line 3, series 1 (A1):", "the value in columns 9-16 (\"        \") is not a width in 0.01 mm",
          "     120        "}},
        {head + "     120\r\n",
         {file + "line 3, series 1 (A1):", "the line holds 1 of the 2 values expected here (8 columns each)",
          "     120"}},
        {head + "     120     130     140\r\n",
         {file + "line 3, series 1 (A1):",
          "the line goes on after the 2 values that complete the series' ring count", "     120     130     140"}},
        {header("A1", '!', 'J', 12, "1996", 2) + "text\r\n" + widths({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
         {file + "series 1 (A1):", "the file ends after 10 of its 12 values"}},
        {header("A1", '!', 'J', 2, "1996", 12) + "text\r\n",
         {file + "series 1 (A1):", "the file ends in the lines between its header and its values"}},
        {head + widths({1, 2}) + "A1      1995   120   999\r\n",
         {file + "line 4:",
          "a series must begin with a header line: the identifier in columns 1-8, '.' in column 9, the kind (!, % or "
          "#) in column 10, the parameter in column 12, the ring count in columns 16-20, the year of the last ring in "
          "columns 25-30",
          "A1      1995   120   999"}},
        // Series are counted in the file, skipped ones included.
        {header("E", '!', 'F', 1, "1996", 2) + "text\r\n" + widths({1}) + head + "       x\r\n",
         {file + "line 6, series 2 (A1):", "the value in columns 1-8 (\"       x\") is not a width in 0.01 mm",
          "       x"}},
        {header("E", '!', 'F', 1, "1996", 2) + "text\r\n" + widths({1}),
         {" The V format file in.txt holds no ring-width series, 1 series of other data than ring widths skipped.",
          " There is nothing to analyse. The run ends here."}},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal_of<VFormatReader>(c.content), c.want) << c.content;
}

// Every file of the corpus is taken for one of these two formats exactly when
// it is one: the real decadal, exchange-format and other files are not.
TEST(VFormat, CorpusFilesAreBesanconOrVFormatExactlyWhenTheyAre) {
    namespace fs = std::filesystem;
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(test::data_file("corpus"))) {
        if (!e.is_regular_file()) continue;
        ++files;
        const std::string folder = e.path().parent_path().filename().string();
        const FileFormat want = folder == "VFormat"                          ? FileFormat::vformat
                                : folder == "Besancon" || folder == "SYLPHE" ? FileFormat::besancon
                                                                             : FileFormat::decadal;
        const FileFormat got = detect_format(test::read_file(e.path()));
        if (want == FileFormat::decadal)
            EXPECT_TRUE(got != FileFormat::vformat && got != FileFormat::besancon) << e.path();
        else
            EXPECT_EQ(got, want) << e.path();
    }
    EXPECT_GT(files, 50u);
}

}  // namespace
}  // namespace tarnik

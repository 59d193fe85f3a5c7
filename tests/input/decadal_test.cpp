#include "input/decadal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <sstream>

#include "console/errors.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

struct Series {
    std::string id;
    std::int32_t first_year = 0;
    std::vector<std::int32_t> raw;  // widths in units of the marker
    std::int32_t marker = 0;
};

struct File {
    std::string title;
    std::vector<Series> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

// One line of a decadal file: identifier (8 columns), year (4) and 6-column
// fields; a field given as kBlank is left blank.
constexpr int kBlank = INT32_MIN;
std::string row(std::string id, int year, std::initializer_list<int> fields) {
    char buf[16];
    id.resize(8, ' ');
    std::snprintf(buf, sizeof buf, "%4d", year);
    std::string s = id + buf;
    for (int v : fields) {
        std::snprintf(buf, sizeof buf, "%6d", v);
        s += v == kBlank ? "      " : buf;
    }
    return s + "\n";
}

std::string row(std::string id, int year, const std::vector<int>& fields) {
    char buf[16];
    id.resize(8, ' ');
    std::snprintf(buf, sizeof buf, year < -999 ? "%5d" : "%4d", year);
    std::string s = (year < -999 ? id.substr(0, 7) : id) + buf;
    for (int v : fields) {
        std::snprintf(buf, sizeof buf, "%6d", v);
        s += buf;
    }
    return s + "\n";
}

// Every series of a file through the reader's series-source interface; the
// missing rings as the data set lists them.
File read_all(std::string content) {
    DecadalReader reader(std::move(content), "in.rwl");
    File f;
    SeriesRead r;
    for (;;) {
        const bool read = reader.next(r);
        for (auto& t : reader.take_notices()) f.notices.push_back(t);
        if (!read) break;
        EXPECT_EQ(static_cast<std::size_t>(r.length), r.values.size());
        EXPECT_GE(r.name.size(), 8u);  // 8 columns; a longer field where tabs separate fields
        f.series.push_back({r.name, r.first_year, r.values, r.scale == 100 ? 999 : -9999});
        if (r.missing > 0)
            f.missing.push_back({static_cast<std::int32_t>(f.series.size()), r.name, r.missing, r.first_missing_year, {}});
    }
    EXPECT_EQ(reader.report().series, static_cast<std::int32_t>(f.series.size()));
    f.title = reader.title();
    return f;
}

// An independent reading of a titled, well-formed file: identifier, first year,
// integer widths and end marker of each series, taken field by field.
std::vector<Series> simple_parse(const std::string& content) {
    std::vector<Series> out;
    std::istringstream in(content);
    std::string line;
    std::getline(in, line);  // title
    bool open = false;
    while (std::getline(in, line)) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        if (!open) out.push_back({line.substr(0, 8), std::stoi(line.substr(8, 4)), {}, 0});
        open = true;
        for (std::size_t p = 12; p < line.size() && p < 72 && open; p += 6) {
            const std::string field = line.substr(p, 6);
            if (field.find_first_not_of(' ') == std::string::npos) continue;
            const int v = std::stoi(field);
            if (v == 999 || v == -9999) out.back().marker = v, open = false;
            else out.back().raw.push_back(v);
        }
    }
    return out;
}

void expect_same_series(const std::vector<Series>& got, const std::vector<Series>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_TRUE(got[i].id == want[i].id && got[i].first_year == want[i].first_year && got[i].raw == want[i].raw &&
                    got[i].marker == want[i].marker)
            << "series " << i + 1 << " " << got[i].id;
    }
}

TEST(Decadal, RealFilesReadCompletely) {
    const std::string ca = test::read_file(test::data_file("ca533.rwl"));
    const File f = read_all(ca);
    EXPECT_TRUE(f.notices.empty());
    ASSERT_EQ(f.series.size(), 34u);
    expect_same_series(f.series, simple_parse(ca));
    EXPECT_EQ(f.series[0].id, "CAM011  ");
    EXPECT_EQ(f.series[0].first_year, 1530);
    EXPECT_EQ(f.series[0].raw[0], 104);
    EXPECT_EQ(f.title.substr(0, 16), "Campito Mountain");
    // Lone CR line ends give the same series.
    std::string cr = ca;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    expect_same_series(read_all(cr).series, f.series);
    // The same file without its title line is read from line 1, with a notice.
    const File untitled = read_all(ca.substr(ca.find('\n') + 1));
    EXPECT_EQ(untitled.title, std::string(80, ' '));
    EXPECT_EQ(untitled.notices, std::vector<std::string>{
                                    " The file has no title line: its first line was read as the first line of a series."});
    expect_same_series(untitled.series, f.series);
    // Cut inside a line of series 20: that series is left out, with a notice.
    const File cut = read_all(ca.substr(0, ca.find('\n', ca.size() / 2) - 20));
    EXPECT_EQ(cut.series.size(), 19u);
    EXPECT_EQ(cut.notices, std::vector<std::string>{" The file ends inside series 20 (CAM121  ): it has no end "
                                                    "marker, and its 590 values were not read."});

    // CR CR LF line ends; identifiers running into the year; -9999 markers (0.001 mm).
    const std::string tt = test::read_file(test::data_file("TTHH_raw.txt"));
    const File t = read_all(tt);
    EXPECT_EQ(t.series.size(), 74u);
    EXPECT_TRUE(t.notices.empty());
    expect_same_series(t.series, simple_parse(tt));
    EXPECT_EQ(t.series[0].id, "NR21E   ");
    EXPECT_EQ(t.series[0].first_year, 1900);
    EXPECT_EQ(t.series[0].raw[0], 485);
    EXPECT_EQ(t.series[0].marker, -9999);

    // The data bank header is skipped with a notice; -999 is a missing ring.
    const File th = read_all(test::read_file(test::data_file("th001.rwl")));
    ASSERT_EQ(th.series.size(), 77u);
    EXPECT_EQ(th.notices, std::vector<std::string>{" Lines 2 and 3 of the file are a data bank header and were skipped."});
    auto it = std::find_if(th.series.begin(), th.series.end(), [](const Series& s) { return s.id == "PATUNG  "; });
    ASSERT_NE(it, th.series.end());
    EXPECT_EQ(it->first_year, 1706);
    ASSERT_EQ(it->raw.size(), 300u);
    EXPECT_EQ(it->raw[1928 - 1706], 0);
    ASSERT_EQ(th.missing.size(), 1u);
    EXPECT_EQ(th.missing[0].id, "PATUNG  ");
    EXPECT_EQ(th.missing[0].first_year, 1928);
    EXPECT_EQ(th.missing[0].series, static_cast<std::int32_t>(it - th.series.begin()) + 1);
}

TEST(Decadal, SeriesEndAtTheirMarkerWithMissingRingsReadAsZero) {
    std::vector<std::int32_t> b = {5, 6};  // 1998-1999, a blank line holding 2000-2009 as zeros, then 2010
    b.insert(b.end(), 10, 0);
    b.push_back(7);
    const File f = read_all("title\n\n   \n" + row("A", 1995, {120, -999, 98, -2599, 1}) + row("A", 2000, {53, 999}) +
                            "\r\n" + row("B", 1998, {5, 6}) + "\n" + row("B", 2010, {7, 999}) +
                            row("C", 1873, {1234, kBlank, -9999, 555}));
    ASSERT_EQ(f.series.size(), 3u);
    // Negative widths are missing rings read as 0; the widths are stored as read.
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{120, 0, 98, 0, 1, 53}));
    EXPECT_EQ(f.series[0].marker, 999);
    ASSERT_EQ(f.missing.size(), 1u);
    EXPECT_TRUE(f.missing[0].series == 1 && f.missing[0].count == 2 && f.missing[0].first_year == 1996);
    EXPECT_EQ(f.series[1].raw, b);
    // A blank field before the marker is a width of 0; what follows the marker
    // is not read, and told with its line.
    EXPECT_EQ(f.series[2].raw, (std::vector<std::int32_t>{1234, 0}));
    EXPECT_EQ(f.series[2].marker, -9999);
    EXPECT_EQ(f.notices, std::vector<std::string>{
                             " Series 3 (C       ): line 10 holds 1 value after its end marker -9999; it was not read."});
}

TEST(Decadal, FirstLinesRunToTheEndOfTheirDecade) {
    EXPECT_EQ(first_line_count(1873), 7);
    EXPECT_EQ(first_line_count(1870), 10);
    EXPECT_EQ(first_line_count(-3), 3);
}

TEST(Decadal, AFileWithATitleOnlyHoldsNoSeries) {
    EXPECT_TRUE(read_all("just a title\n").series.empty());
    EXPECT_TRUE(read_all("").series.empty());
}

TEST(Decadal, TitlesThatLookLikeSeriesLinesAreTitles) {
    // The first line looks like a series start, but the second does not continue it.
    File f = read_all(row("SITE1234", 1950, {10, 20}) + row("A", 1995, {120, 98, 999}));
    EXPECT_EQ(f.title.substr(0, 8), "SITE1234");
    ASSERT_EQ(f.series.size(), 1u);
    EXPECT_EQ(f.series[0].id, "A       ");
    EXPECT_TRUE(f.notices.empty());
    // A title merely starting with a word and a number.
    f = read_all("Site 1987 collection\n" + row("A", 1995, {120, 999}));
    EXPECT_EQ(f.series.size(), 1u);
    EXPECT_TRUE(f.notices.empty());
}

TEST(Decadal, ASeriesCutOffByTheEndOfTheFileIsTold) {
    const File f = read_all("title\n" + row("A", 1995, {120, 98, 999}) + row("B", 1998, {5, 6}));
    ASSERT_EQ(f.series.size(), 1u);
    EXPECT_EQ(f.notices, std::vector<std::string>{" The file ends inside series 2 (B       ): it has no end marker, and "
                                                  "its 2 values were not read."});
}

TEST(Decadal, ContinuationYearsOffTheirDecadeAreToldOncePerSeries) {
    // "EGR108 1713": a year typed one column off reads as 713, the next line says 1720.
    const File f = read_all("title\nEGR108 1713   100   101   102   103   104   105   106\n"
                            "EGR108  1720   110   999\n" +
                            row("B", 1995, {1, 2, 3, 4, 5}) + row("B", 2010, {6}) + row("B", 2020, {7, 999}) +
                            row("C", -2649, std::vector<int>(9, 8)) + row("C", -2640, std::vector<int>{9, 999}));
    ASSERT_EQ(f.series.size(), 3u);
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{100, 101, 102, 103, 104, 105, 106, 110}));
    EXPECT_EQ(f.series[0].first_year, 713);
    EXPECT_EQ(f.notices, (std::vector<std::string>{
                             " Series 1 (EGR108 1): line 3 has the year 1720, not 720 as after the first year 713 "
                             "(line 2); the widths were read in order.",
                             " Series 2 (B       ): line 5 has the year 2010, not 2000 as after the first year 1995 "
                             "(line 4); the widths were read in order."}));
}

// Series lines that hold a tab are read as fields: identifier, year, widths.
TEST(Decadal, TabSeparatedSeriesLines) {
    const std::string tabs_notice =
        " The series lines of the file hold tabs: they were read as fields separated by blanks and tabs "
        "(identifier, year, widths).";
    // The real file: a data bank header with tabs, series lines with tabs and blanks.
    File f = read_all(test::read_file(test::data_file("corpus/test1.txt")));
    ASSERT_EQ(f.series.size(), 2u);
    EXPECT_EQ(f.series[0].id, "107011  ");
    EXPECT_EQ(f.series[0].first_year, 1923);
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{91, 92, 38, 10, 23, 43, 12, 12, 34, 88, 93, 21, 11, 2, 23,
                                                         21, 19, 14, 56, 34, 12, 34}));
    EXPECT_EQ(f.series[1].first_year, 1491);
    EXPECT_EQ(f.series[1].raw.size(), 23u);
    EXPECT_EQ(f.notices, (std::vector<std::string>{
                             " Lines 2 and 3 of the file are a data bank header and were skipped.", tabs_notice}));

    // Without a title; a marker after a full line; -9999 and a missing ring; a
    // year off its decade; an identifier longer than 8 characters kept whole.
    f = read_all("A\t1995\t1\t2\t3\t4\t5\nA\t2000\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t999\n"
                 "LONGER_NAME -5  -3\t7\t8\t9\t10\t-9999\n\nC 1998 1 2\nC 2001 3 999\t\n");
    ASSERT_EQ(f.series.size(), 3u);
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(f.series[1].id, "LONGER_NAME");
    EXPECT_EQ(f.series[1].first_year, -5);
    EXPECT_EQ(f.series[1].raw, (std::vector<std::int32_t>{0, 7, 8, 9, 10}));
    EXPECT_EQ(f.series[1].marker, -9999);
    EXPECT_EQ(f.series[2].raw, (std::vector<std::int32_t>{1, 2, 3}));
    ASSERT_EQ(f.missing.size(), 1u);
    EXPECT_EQ(f.missing[0].first_year, -5);
    EXPECT_EQ(f.notices,
              (std::vector<std::string>{
                  " The file has no title line: its first line was read as the first line of a series.", tabs_notice,
                  " Series 3 (C       ): line 6 has the year 2001, not 2000 as after the first year 1998 (line 5); "
                  "the widths were read in order."}));

    // Tabs in the title and header lines, on a blank line or after the last
    // field alone: the columns are read, blanks inside identifiers included.
    std::string last = row("CAM 01", 1995, {120, 98, 999});
    last.insert(last.size() - 1, "\t");
    f = read_all("Site\tTitle\nSITE 2\tCountry\t\nSITE 3\tName\n \t\n" + last);
    ASSERT_EQ(f.series.size(), 1u);
    EXPECT_EQ(f.series[0].id, "CAM 01  ");
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{120, 98}));
    EXPECT_EQ(f.notices,
              std::vector<std::string>{" Lines 2 and 3 of the file are a data bank header and were skipped."});

    // Without columns, a line must hold its count of widths (or end with the marker).
    for (const char* bad : {"t\nA\t1995\t1\t2\t3\t4\t5\t6\n", "t\nA\t1995\t1\t2\t3\t4\nA\t2000\t999\n",
                            "t\nA\t1995\t1\tx\t999\n", "t\nA\t19x5\t1\t999\n", "t\nA\tB\n"}) {
        try {
            read_all(bad);
            ADD_FAILURE() << bad;
        } catch (const InternalError& e) {
            EXPECT_EQ(e.lines.at(1), "             Line 2 of the file in.rwl cannot be read:") << bad;
        }
    }
}

TEST(TextLines, EveryKindOfLineEnd) {
    const std::string content = "a\nb\r\nc\r\r\nd\re\r\rf\n\ng";
    std::vector<std::string> got;
    std::size_t pos = 0;
    while (auto l = next_text_line(content, pos)) got.emplace_back(*l);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d", "e", "", "f", "", "g"}));
    EXPECT_EQ(pos, content.size());
}

TEST(Decadal, UnreadableLinesEndTheRunNamingTheLine) {
    try {
        read_all("title\nA       1995   120   x98   999\n");
        FAIL() << "no error";
    } catch (const InternalError& e) {
        EXPECT_EQ(e.lines, (std::vector<std::string>{" error reading data", "             Line 2 of the file in.rwl cannot be read:",
                                                     "             A       1995   120   x98   999",
                                                     "             This should not happen. Check file format and LF"}));
        EXPECT_EQ(e.pause, "             Hit RETURN to Terminate program : ");
    }
    // Bytes that are no digits are read errors, shown as '?'.
    const char binary[] = "A       1995   1\x01\xff\x00   999";
    const std::pair<std::string, std::string> shown[] = {
        {std::string(binary, sizeof binary - 1), "             A       1995   1???   999"}};
    for (const auto& [line, want] : shown) {
        try {
            read_all("title\n" + line + "\n");
            ADD_FAILURE() << want;
        } catch (const InternalError& e) {
            EXPECT_EQ(e.lines.at(2), want);
        }
    }
    // A year that is not a number, beyond the header position.
    EXPECT_THROW(read_all("title\n" + row("A", 1995, {120, 999}) + "B       19x5   120   999\n"), InternalError);
    // Only one header-like line after the title is not a data bank header.
    EXPECT_THROW(read_all("title\nSITE   2 Country\n" + row("A", 1995, {120, 999})), InternalError);
}

// Years before 1 as the data bank writes them: below -999 in columns 8-12 after
// a 7-character identifier, -999..-1 in columns 9-12; a negative decade start
// holds its whole decade on the first line.
TEST(Decadal, YearsBeforeOne) {
    const std::string ten = "   100   101   102   103   104   105   106   107   108   109";
    const File f = read_all("long\n"
                            "SS004B -2649   680   630   610   600   590   580   570   560   550\n"
                            "SS004B -2640" + ten + "\n"
                            "SS004B -2630   999\n"
                            "SS005  -2640" + ten + "\n"
                            "SS005  -2630     7   999\n"
                            "AKK00010-384     1     2     3     4\n"
                            "AKK00010-380   999\n"
                            "CRE148A -120     5   999\n"
                            "ZERO      -5     1     2     3     4     5\n"
                            "ZERO       0     6   999\n"
                            // Column 8 is '-' but no four digits follow: read as always.
                            "ABCDEFG-  12     9   999\n");
    ASSERT_EQ(f.series.size(), 6u);
    const struct {
        const char* id;
        std::int32_t first_year;
        std::size_t length;
    } want[] = {{"SS004B  ", -2649, 19}, {"SS005   ", -2640, 11}, {"AKK00010", -384, 4},
                {"CRE148A ", -120, 1},   {"ZERO    ", -5, 6},     {"ABCDEFG-", 12, 1}};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(f.series[i].id, want[i].id);
        EXPECT_EQ(f.series[i].first_year, want[i].first_year) << want[i].id;
        EXPECT_EQ(f.series[i].raw.size(), want[i].length) << want[i].id;
    }
    // -2649..-2641 on the first line, -2640 starts the second.
    EXPECT_EQ(f.series[0].raw[8], 550);
    EXPECT_EQ(f.series[0].raw[9], 100);
    EXPECT_EQ(f.series[1].raw.back(), 7);
    EXPECT_EQ(first_line_count(-2649), 9);
    EXPECT_EQ(first_line_count(-2640), 10);
    EXPECT_EQ(first_line_count(-5), 5);
    // Without a title the first two lines of a series with five-column years are
    // recognised as a series too.
    const File untitled = read_all("SS004B -2649   680   630   610   600   590   580   570   560   550\n"
                                   "SS004B -2640   100   999\n");
    ASSERT_EQ(untitled.series.size(), 1u);
    EXPECT_EQ(untitled.series[0].first_year, -2649);
    EXPECT_EQ(untitled.series[0].raw.size(), 10u);
}

}  // namespace
}  // namespace tarnik

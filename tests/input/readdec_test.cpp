#include "input/readdec.h"

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
    std::vector<float> values;
    std::vector<std::int32_t> raw;
    std::int32_t marker = 0;
};

struct File {
    std::string title;
    std::vector<Series> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

// One line of a decadal file: identifier (8 columns), year (4) and 6-column fields;
// a field given as INT32_MIN is left blank.
std::string row(std::string id, int year, std::initializer_list<int> fields) {
    char buf[16];
    id.resize(8, ' ');
    std::snprintf(buf, sizeof buf, "%4d", year);
    std::string s = id + buf;
    for (int v : fields) {
        if (v == INT32_MIN) {
            s += "      ";
        } else {
            std::snprintf(buf, sizeof buf, "%6d", v);
            s += buf;
        }
    }
    return s + "\n";
}
constexpr int kBlank = INT32_MIN;

File read_all(std::string content) {
    DecadalReader reader(std::move(content));
    File f;
    for (std::int32_t n = 1;; ++n) {
        Series s;
        std::int32_t length = 0;
        std::int32_t status = reader.readdec(2100, s.id, s.first_year, length, s.values, s.raw, s.marker, n, f.title);
        for (auto& t : reader.take_notices()) f.notices.push_back(t);
        if (status != 0) break;
        EXPECT_EQ(static_cast<std::size_t>(length), s.values.size());
        f.series.push_back(std::move(s));
    }
    f.missing = reader.missing_rings();
    return f;
}

// An independent reading of a titled, well-formed file: identifier, first year
// and the integer widths of each series, taken field by field.
std::vector<Series> simple_parse(const std::string& content) {
    std::vector<Series> out;
    std::istringstream in(content);
    std::string line;
    std::getline(in, line);  // title
    Series cur;
    bool open = false;
    while (std::getline(in, line)) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        if (!open) {
            cur = Series{};
            cur.id = line.substr(0, 8);
            cur.first_year = std::stoi(line.substr(8, 4));
            open = true;
        }
        for (std::size_t p = 12; p + 6 <= line.size() + 5 && p < 72; p += 6) {
            std::string field = p < line.size() ? line.substr(p, 6) : "";
            if (field.find_first_not_of(' ') == std::string::npos) continue;
            int v = std::stoi(field);
            if (v == 999 || v == -9999) {
                cur.marker = v;
                out.push_back(cur);
                open = false;
                break;
            }
            cur.raw.push_back(v);
        }
    }
    return out;
}

void expect_same_series(const std::vector<Series>& got, const std::vector<Series>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].id, want[i].id) << i;
        EXPECT_EQ(got[i].first_year, want[i].first_year) << i;
        EXPECT_EQ(got[i].raw, want[i].raw) << i;
        EXPECT_EQ(got[i].marker, want[i].marker) << i;
    }
}

TEST(Readdec, RealFilesReadCompletely) {
    const std::string ca = test::read_file(test::data_file("ca533.rwl"));
    File f = read_all(ca);
    EXPECT_TRUE(f.notices.empty());
    expect_same_series(f.series, simple_parse(ca));
    ASSERT_EQ(f.series.size(), 34u);
    EXPECT_EQ(f.series[0].id, "CAM011  ");
    EXPECT_EQ(f.series[0].first_year, 1530);
    EXPECT_FLOAT_EQ(f.series[0].values[0], 1.04f);
    EXPECT_EQ(f.title.substr(0, 16), "Campito Mountain");
    // Old Macintosh line ends (a CR alone) give the same series.
    std::string cr = ca;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    expect_same_series(read_all(cr).series, f.series);

    // CR CR LF line ends; identifiers running into the year.
    const std::string tt = test::read_file(test::data_file("TTHH_raw.txt"));
    File t = read_all(tt);
    EXPECT_EQ(t.series.size(), 74u);
    EXPECT_TRUE(t.notices.empty());
    for (const Series& s : t.series) EXPECT_EQ(s.marker, -9999);
    EXPECT_EQ(t.series[0].id, "NR21E   ");
    EXPECT_EQ(t.series[0].first_year, 1900);
    EXPECT_FLOAT_EQ(t.series[0].values[0], 0.485f);

    // The data bank header is skipped with a notice; -999 is a missing ring.
    File th = read_all(test::read_file(test::data_file("th001.rwl")));
    ASSERT_EQ(th.series.size(), 77u);
    ASSERT_EQ(th.notices.size(), 1u);
    EXPECT_NE(th.notices[0].find("header"), std::string::npos);
    auto it = std::find_if(th.series.begin(), th.series.end(), [](const Series& s) { return s.id == "PATUNG  "; });
    ASSERT_NE(it, th.series.end());
    EXPECT_EQ(it->first_year, 1706);
    ASSERT_EQ(it->values.size(), 300u);
    EXPECT_EQ(it->raw[1928 - 1706], 0);
    ASSERT_EQ(th.missing.size(), 1u);
    EXPECT_EQ(th.missing[0].id, "PATUNG  ");
    EXPECT_EQ(th.missing[0].first_year, 1928);
    EXPECT_EQ(th.missing[0].series, static_cast<std::int32_t>(it - th.series.begin()) + 1);
}

TEST(Readdec, FirstLineCountsAndMarkers) {
    File f = read_all(
        "title\n" + row("A", 1995, {120, 98, 999}) + row("B", 1990, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) +
        row("B", 2000, {999}) + row("C", 1873, {1234, kBlank, -9999, 555}));
    ASSERT_EQ(f.series.size(), 3u);
    EXPECT_EQ(f.series[0].values, (std::vector<float>{1.20f, 0.98f}));
    EXPECT_EQ(f.series[0].marker, 999);
    EXPECT_EQ(f.series[1].values.size(), 10u);
    EXPECT_FLOAT_EQ(f.series[1].values[9], 0.10f);
    // A blank field before the marker is a width of 0; what follows the marker is ignored.
    EXPECT_EQ(f.series[2].raw, (std::vector<std::int32_t>{1234, 0}));
    EXPECT_FLOAT_EQ(f.series[2].values[0], 1.234f);
    EXPECT_EQ(f.series[2].marker, -9999);
    EXPECT_EQ(first_line_count(1873), 7);
    EXPECT_EQ(first_line_count(1870), 10);
    EXPECT_EQ(first_line_count(-3), 3);
}

TEST(TextLines, EveryKindOfLineEnd) {
    const std::string content = "a\nb\r\nc\r\r\nd\re\r\rf\n\ng";
    std::vector<std::string> got;
    std::size_t pos = 0;
    while (auto l = next_text_line(content, pos)) got.emplace_back(*l);
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d", "e", "", "f", "", "g"}));
    EXPECT_EQ(pos, content.size());
}

TEST(Readdec, TitleOnlyFileHasNoSeries) {
    File f = read_all("just a title\n");
    EXPECT_TRUE(f.series.empty());
    EXPECT_EQ(read_all("").series.size(), 0u);
}

TEST(Readdec, FileWithoutTitleLineIsReadFromItsFirstLine) {
    const std::string ca = test::read_file(test::data_file("ca533.rwl"));
    const std::string untitled = ca.substr(ca.find('\n') + 1);
    File with = read_all(ca);
    File without = read_all(untitled);
    EXPECT_EQ(without.title, std::string(80, ' '));
    ASSERT_EQ(without.notices.size(), 1u);
    EXPECT_NE(without.notices[0].find("no title line"), std::string::npos);
    expect_same_series(without.series, with.series);
}

TEST(Readdec, TitleShapedLikeASeriesStartStaysATitle) {
    // The first line looks like a series start, but the second does not continue it.
    File f = read_all(
        row("SITE1234", 1950, {10, 20}) + row("A", 1995, {120, 98, 999}));
    EXPECT_EQ(f.title.substr(0, 8), "SITE1234");
    ASSERT_EQ(f.series.size(), 1u);
    EXPECT_EQ(f.series[0].id, "A       ");
    EXPECT_TRUE(f.notices.empty());
    // A title merely starting with a word and a number.
    File g = read_all("Site 1987 collection\n" + row("A", 1995, {120, 999}));
    EXPECT_EQ(g.series.size(), 1u);
    EXPECT_TRUE(g.notices.empty());
}

TEST(Readdec, BlankLinesBetweenSeriesAreSkippedButNotInsideOne) {
    File f = read_all(
        std::string("title\n") + "\n" + "   \n" + row("A", 1995, {120, 98, 999}) + "\r\n" +
        row("B", 1998, {5, 6}) + "\n" + row("B", 2010, {7, 999}) + "  \n");
    ASSERT_EQ(f.series.size(), 2u);
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{120, 98}));
    // 1998-1999, then a blank line holding 2000-2009 as zeros, then 2010.
    std::vector<std::int32_t> b = {5, 6};
    b.insert(b.end(), 10, 0);
    b.push_back(7);
    EXPECT_EQ(f.series[1].raw, b);
    EXPECT_TRUE(f.notices.empty());
}

TEST(Readdec, NegativeWidthsAreMissingRings) {
    File f = read_all(
        "title\n" + row("A", 1995, {120, -999, 98, -2599, 1}) + row("A", 2000, {999}) +
        row("B", 1995, {120, -9999}));
    ASSERT_EQ(f.series.size(), 2u);
    EXPECT_EQ(f.series[0].raw, (std::vector<std::int32_t>{120, 0, 98, 0, 1}));
    ASSERT_EQ(f.missing.size(), 1u);
    EXPECT_EQ(f.missing[0].series, 1);
    EXPECT_EQ(f.missing[0].count, 2);
    EXPECT_EQ(f.missing[0].first_year, 1996);
    EXPECT_EQ(f.series[1].raw, (std::vector<std::int32_t>{120}));
}

TEST(Readdec, UnreadableLinesEndTheRunNamingTheLine) {
    try {
        read_all("title\nA       1995   120   x98   999\n");
        FAIL() << "no error";
    } catch (const InternalError& e) {
        ASSERT_GE(e.lines.size(), 4u);
        EXPECT_EQ(e.lines[0], " error reading data");
        EXPECT_NE(e.lines[1].find("Line 2"), std::string::npos);
        EXPECT_EQ(e.lines.back(), "             This should not happen. Check file format and LF");
        EXPECT_EQ(e.pause, "             Hit RETURN to Terminate program : ");
    }
    // A year that is not a number, beyond the header position.
    EXPECT_THROW(read_all("title\n" + row("A", 1995, {120, 999}) + "B       19x5   120   999\n"), InternalError);
    // Only one header-like line after the title is not a data bank header.
    EXPECT_THROW(read_all("title\nSITE   2 Country\n" + row("A", 1995, {120, 999})), InternalError);
}

TEST(Readdec, FileEndingInsideASeriesSaysSo) {
    File f = read_all("title\n" + row("A", 1995, {120, 98, 999}) + row("B", 1998, {5, 6}));
    ASSERT_EQ(f.series.size(), 1u);
    ASSERT_EQ(f.notices.size(), 1u);
    EXPECT_NE(f.notices[0].find("series 2"), std::string::npos);
    EXPECT_NE(f.notices[0].find("no end marker"), std::string::npos);
}

TEST(Readdec, WrongCapacityIsAnInternalError) {
    DecadalReader r("t\n");
    std::string id, title;
    std::int32_t y = 0, n = 0, m = 0;
    std::vector<float> v;
    std::vector<std::int32_t> raw;
    EXPECT_THROW(r.readdec(2000, id, y, n, v, raw, m, 1, title), InternalError);
}

}  // namespace
}  // namespace tarnik

// Damaged and hostile files at the readers: byte-order marks and UTF-16 in
// every text format, values after an end marker, Heidelberg dates that
// disagree and header numbers too large, and the shapes of CSV tables and
// TRiDaS documents whose storage must follow the values they hold, not their
// size (long runs of empty cells, many columns, deep nesting).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/errors.h"
#include "data/limits.h"
#include "input/data_set.h"
#include "input/formats.h"
#include "input/pith_offsets.h"
#include "input/tridas.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
};

Read read_content(std::string content) {
    DataSetReader data(make_series_source(std::move(content), "in.dat"));
    Read r;
    SeriesRead s;
    while (data.next(s)) r.series.push_back(s);
    r.notices = data.take_notices();
    return r;
}

// The lines of the message that ends the reading.
std::vector<std::string> message_of(std::string content) {
    try {
        read_content(std::move(content));
    } catch (const InternalError& e) {
        return e.lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    return {"no message"};
}

// A read-error message: its lines between " error reading data" and the hint.
std::vector<std::string> read_error(std::vector<std::string> lines) {
    for (auto& l : lines) l = std::string(13, ' ') + l;
    lines.insert(lines.begin(), " error reading data");
    lines.push_back("             This should not happen. Check file format and LF");
    return lines;
}

// UTF-8 text as UTF-16 with its byte-order mark.
std::string utf16(std::string_view utf8, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    const auto put = [&](std::uint32_t unit) {
        const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
        out += big_endian ? hi : lo;
        out += big_endian ? lo : hi;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::uint32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<std::size_t>(n);
        if (cp < 0x10000) {
            put(cp);
        } else {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

void expect_same_series(const Read& got, const Read& want, const std::string& what) {
    ASSERT_EQ(got.series.size(), want.series.size()) << what;
    for (std::size_t i = 0; i < got.series.size(); ++i) {
        EXPECT_EQ(got.series[i].name, want.series[i].name) << what;
        EXPECT_EQ(got.series[i].first_year, want.series[i].first_year) << what;
        EXPECT_EQ(got.series[i].values, want.series[i].values) << what;
        EXPECT_EQ(got.series[i].scale, want.series[i].scale) << what;
    }
    EXPECT_EQ(got.notices, want.notices) << what;
}

// A title-less decadal file: 100 widths from 1901 and 135 from 1950.
std::string titleless() {
    return test::decadal("A", 1901, std::vector<int>(100, 120)) + test::decadal("B", 1950, std::vector<int>(135, 80));
}

TEST(HostileFiles, EveryTextFormatReadsAlikeWithAByteOrderMarkOrInUtf16) {
    const auto sample = [](const char* name) { return test::read_file(test::data_file(std::string("formats/") + name)); };
    const std::string xml = sample("ca533.xml");
    // A name with letters outside ASCII, one outside the first plane (a surrogate pair in UTF-16).
    std::string titled = xml;
    titled.replace(titled.find("CAM011"), 6, "CAM011 Pr\xC3\xB8ve \xF0\x9D\x94\xB8");
    const struct {
        std::string name, text;
    } files[] = {
        {"decadal", titleless()},
        {"Heidelberg", sample("ca533.fh")},
        {"TRiDaS", xml},
        {"TRiDaS titled", titled},
        {"CSV", sample("ca533.csv")},
        {"compact", sample("ca533_compact.rwl")},
    };
    for (const auto& f : files) {
        const Read plain = read_content(f.text);
        ASSERT_FALSE(plain.series.empty()) << f.name;
        // A document converted from UTF-16 still declares UTF-16; the parser must read it as UTF-8.
        std::string declared16 = f.text;
        if (const auto at = declared16.find("encoding=\"UTF-8\""); at != std::string::npos)
            declared16.replace(at, 16, "encoding=\"UTF-16\"");
        for (const auto& [how, bytes] : {std::pair{"UTF-8 mark", "\xEF\xBB\xBF" + f.text},
                                         std::pair{"UTF-16 LE", utf16(declared16, false)},
                                         std::pair{"UTF-16 BE", utf16(declared16, true)}}) {
            EXPECT_EQ(detect_format(bytes), detect_format(f.text)) << f.name << ", " << how;
            expect_same_series(read_content(bytes), plain, f.name + ", " + how);
        }
    }
    // The title-less file keeps its first line whatever its mark: all 235 widths, from 1901.
    const Read marked = read_content("\xEF\xBB\xBF" + titleless());
    ASSERT_EQ(marked.series.size(), 2u);
    EXPECT_EQ(marked.series[0].first_year, 1901);
    EXPECT_EQ(marked.series[0].values.size() + marked.series[1].values.size(), 235u);
}

TEST(HostileFiles, Utf16ThatCannotBeConvertedIsAReadErrorNamingTheLine) {
    const std::string two_lines = utf16("title\nA", false);
    EXPECT_EQ(message_of(two_lines + "x"),
              read_error({"The file in.dat cannot be read, line 2:",
                          "it is UTF-16 by its byte-order mark, but the file ends in the middle of a character (an "
                          "odd number of bytes)"}));
    EXPECT_EQ(message_of(two_lines + std::string("\x3D\xD8" "B\0", 4)),
              read_error({"The file in.dat cannot be read, line 2:",
                          "it is UTF-16 by its byte-order mark, but the first half 0xD83D of a surrogate pair is not "
                          "followed by its second half"}));
    EXPECT_EQ(message_of(utf16("\n\n", true) + std::string("\xDC\x00", 2)),
              read_error({"The file in.dat cannot be read, line 3:",
                          "it is UTF-16 by its byte-order mark, but the second half 0xDC00 of a surrogate pair stands "
                          "alone"}));
    EXPECT_EQ(message_of(two_lines + std::string("\x3D\xD8", 2)),
              read_error({"The file in.dat cannot be read, line 2:",
                          "it is UTF-16 by its byte-order mark, but the file ends after the first half 0xD83D of a "
                          "surrogate pair"}));
}

// The file as the data set reads it: UTF-16 converted while it is read, in
// pieces whose ends may fall inside a surrogate pair.
TEST(HostileFiles, Utf16FilesAreConvertedWhileRead) {
    test::TempDir dir;
    std::string text = "title " + std::string(65536 / 2 - 8, 'x');  // the pair straddles the first 64 kB piece
    text += "\xF0\x9D\x94\xB8 end\n12\n7\n";
    for (bool big : {false, true}) {
        dir.write("u16", utf16(text, big));
        EXPECT_EQ(read_input_file((dir / "u16").string()), text) << big;
        TextProblem problem;
        EXPECT_EQ(text_of(utf16(text, big), problem), text);
    }
    dir.write("plain", "\xEF\xBB\xBF" "as is");
    EXPECT_EQ(read_input_file((dir / "plain").string()), "\xEF\xBB\xBF" "as is");
    EXPECT_FALSE(read_input_file((dir / "none").string()));
    dir.write("bad", utf16("a\nb", false) + "x");
    EXPECT_THROW(read_input_file((dir / "bad").string()), InternalError);
}

TEST(HostileFiles, PithOffsetFilesAreReadThroughTheirByteOrderMark) {
    // Offsets after a title line with a mark: the mark is not part of the title.
    for (const std::string& bytes :
         {std::string("\xEF\xBB\xBF" "offsets\n  12\n   7\n"), utf16("offsets\r\n  12\r\n   7\r\n", true)}) {
        TextProblem problem;
        const auto content = text_of(bytes, problem);
        ASSERT_TRUE(content);
        const PithOffsets p = read_pith_offsets(*content, read_i4_record);
        EXPECT_EQ(p.title, "offsets");
        EXPECT_EQ(p.offsets, (std::vector<std::int32_t>{12, 7}));
    }
    TextProblem problem;
    EXPECT_FALSE(text_of(utf16("offsets\n", false) + std::string("\x00\xDC", 2), problem));
    EXPECT_EQ(problem.line, 2u);
}

TEST(HostileFiles, ValuesAfterAnEndMarkerAreToldWithTheirLine) {
    // A 999 in the middle of a line ends the series; the next line starts another.
    const Read r = read_content("title\nA       1901   100   999   120   130\nA       1910   140   999\n"
                                "B       1901   100   999\n");
    ASSERT_EQ(r.series.size(), 3u);
    EXPECT_EQ(r.series[0].values, std::vector<std::int32_t>{100});
    EXPECT_EQ(r.series[1].values, std::vector<std::int32_t>{140});
    EXPECT_EQ(r.series[1].first_year, 1910);
    EXPECT_EQ(r.notices.front(),
              " Series 1 (A       ): line 2 holds 2 values after its end marker 999; they were not read.");
    EXPECT_EQ(r.notices.size(), 2u);  // and the identifier the first two share
}

TEST(HostileFiles, HeidelbergDatesThatDisagreeAreTold) {
    const std::string hd = "HEADER:\nKeyCode=K1\n";
    const std::string data = "DATA:Tree\n 1 2 3 4 5 6 7 8 9 10\n";
    Read r = read_content(hd + "DateBegin=-10\nDateEnd=19\nLength=10\n" + data);
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].first_year, -10);
    EXPECT_EQ(r.series[0].values.size(), 10u);
    EXPECT_EQ(r.notices.front(), " Series 1 (K1): DateBegin -10, DateEnd 19 and Length 10 do not agree; its 10 rings "
                                 "were placed from DateBegin, in -10 to -1.");
    // Dates that agree, or a Length without one of them, are no news.
    for (const char* keys : {"DateBegin=-10\nDateEnd=-1\nLength=10\n", "DateEnd=19\nLength=10\n"})
        EXPECT_EQ(read_content(hd + keys + data).notices.size(), 1u) << keys;
}

TEST(HostileFiles, HeidelbergHeaderNumbersTooLargeEndTheRun) {
    const std::string hd = "HEADER:\nKeyCode=K1\n";
    const std::string data = "DATA:Tree\n 1 2 3 4 5 6 7 8 9 10\n";
    const struct {
        const char* line;
        const char* what;
    } numbers[] = {
        {"Length=99999999999999999999", "Length is too large: \"99999999999999999999\""},
        {"DateBegin=-2147483649", "DateBegin is too large: \"-2147483649\""},
        {"DateEnd=+2147483648", "DateEnd is too large: \"+2147483648\""},
        {"DateEnd=12x", "DateEnd is not a whole number: \"12x\""},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(message_of(hd + n.line + "\n" + data),
                  read_error({"The Heidelberg file in.dat cannot be read, line 3, series 1 (K1):", n.what}));
    // The largest 32-bit number is a number: the data do not hold that many rings.
    EXPECT_EQ(message_of(hd + "Length=2147483647\n" + data),
              read_error({"The Heidelberg file in.dat cannot be read, series 1 (K1):",
                          "Length (or DateEnd - DateBegin + 1) is 2147483647 but the data hold only 10 rings"}));
}

// A series longer than the stores take keeps MaxYears widths and its length:
// the reading loop rejects it by its length.
TEST(HostileFiles, LongSeriesKeepTheirLengthButNoMoreWidthsThanTheStoresTake) {
    std::string numbers;
    for (int i = 0; i < 3000; ++i) numbers += " 7";
    Read r = read_content("HEADER:\nKeyCode=H\nDATA:Tree\n" + numbers + " 0 0 0\n");
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].length, 3000);
    EXPECT_EQ(r.series[0].values, std::vector<std::int32_t>(MaxYears, 7));

    // A CSV column with 3000 rows between its first and last value: missing rings.
    std::string csv = "Year,A,B\n1,1.5,0.1\n";
    for (int y = 2; y < 3002; ++y) csv += std::to_string(y) + "\n";
    csv += "3002,2,\n";
    r = read_content(csv);
    ASSERT_EQ(r.series.size(), 2u);
    EXPECT_EQ(r.series[0].length, 3002);
    ASSERT_EQ(r.series[0].values.size(), static_cast<std::size_t>(MaxYears));
    EXPECT_EQ(r.series[0].values[0], 150);
    EXPECT_EQ(r.series[0].values[1], 0);
    // Empty cells after the last value are no rings.
    EXPECT_EQ(r.series[1].length, 1);

    std::string xml = "<tridas><measurementSeries><title>T</title><values><variable normalTridas='ring width'/>";
    for (int i = 0; i < 2500; ++i) xml += "<value value='" + std::to_string(i % 9 + 1) + "'/>";
    r = read_content(xml + "</values></measurementSeries></tridas>");
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].length, 2500);
    ASSERT_EQ(r.series[0].values.size(), static_cast<std::size_t>(MaxYears));
    EXPECT_EQ(r.series[0].values[2099], 3);
}

// Past the limit of values the data set cannot be stored: the widths are
// dropped, and the series are handed out with their lengths (widths of 0) for
// the reading loop to reject.
TEST(HostileFiles, PastTheLimitOfValuesOnlyLengthsAreKept) {
    const int columns = MaxValues / MaxYears + 1;  // 2201 full columns
    std::string csv = "Year";
    for (int c = 0; c < columns; ++c) csv += ",C" + std::to_string(c);
    std::string row;
    for (int c = 0; c < columns; ++c) row += ",3";
    for (int y = 1; y <= MaxYears; ++y) csv += "\n" + std::to_string(y) + row;
    const Read r = read_content(csv + "\n");
    ASSERT_EQ(r.series.size(), static_cast<std::size_t>(columns));
    for (const SeriesRead& s : {r.series.front(), r.series.back()}) {
        EXPECT_EQ(s.length, MaxYears);
        EXPECT_EQ(s.values, std::vector<std::int32_t>(MaxYears, 0));
    }
}

// Only the MaxSeries + 1 first columns with a value are kept (the reading
// loop ends at the next one), in the order of the header, wherever their
// first values stand; a column to the left found late takes the place of the
// last one.
TEST(HostileFiles, CsvTablesOfManyColumnsKeepTheFirstSeriesThatCanBeHandedOut) {
    const int columns = MaxSeries + 10;
    std::string csv = "Year";
    for (int c = 1; c <= columns; ++c) csv += ",C" + std::to_string(c);
    csv += "\n1990,";
    for (int c = 2; c <= columns; ++c) csv += ",1";
    csv += "\n1991,2\n";
    const Read r = read_content(csv);
    ASSERT_EQ(r.series.size(), static_cast<std::size_t>(MaxSeries) + 1);
    EXPECT_EQ(r.series[0].name, "C1");
    EXPECT_EQ(r.series[0].first_year, 1991);
    EXPECT_EQ(r.series[1].name, "C2");
    EXPECT_EQ(r.series[1].first_year, 1990);
    EXPECT_EQ(r.series.back().name, "C" + std::to_string(MaxSeries + 1));
    // A header of many columns costs nothing for the columns without values.
    csv = "Year";
    for (int c = 0; c < 200000; ++c) csv += ",";
    EXPECT_EQ(read_content(csv + "\n1,1\n2,2\n").notices.front(),
              " Read as a CSV file: 1 series, 199999 columns without values left out.");
}

// A ring-width series titled 1.
const std::string kTridasSeries = "<measurementSeries><title>1</title><values><variable normalTridas='ring width'/>"
                                  "<value value='5'/></values></measurementSeries>";

TEST(HostileFiles, TridasSeriesTakeTheTitleTheirLevelHasWhenTheyAreRead) {
    // A later title of a level is the title of the series after it; those
    // before it keep the earlier one.
    const std::string& series = kTridasSeries;
    const Read r = read_content("<tridas><object><title>A</title>" + series + "<title>B</title>" + series +
                          "</object></tridas>");
    ASSERT_EQ(r.series.size(), 2u);
    EXPECT_EQ(r.series[0].name, "A");
    EXPECT_EQ(r.series[1].name, "B");
}

TEST(HostileFiles, TridasSeriesDeepInsideLevelsAreNamedByThem) {
    const std::string& series = kTridasSeries;
    // Series at every depth of a deep nesting, all titled 1: the levels that
    // tell them apart name them.
    const std::size_t depth = TridasReader::kMaxNesting - 4;
    std::string open, close;
    for (std::size_t d = 0; d < depth; ++d) {
        open += "<object><title>L" + std::to_string(d) + "</title>" + (d % 100 == 0 ? series : "");
        close += "</object>";
    }
    const Read r = read_content("<tridas>" + open + series + close + "</tridas>");
    ASSERT_EQ(r.series.size(), depth / 100 + 2);
    EXPECT_EQ(r.series[0].name, "1");  // in the outermost object: no level below it
    EXPECT_TRUE(r.series[1].name.starts_with("L1-L2-L3-")) << r.series[1].name;
    EXPECT_EQ(r.series[1].name.size(), kMaxNameLength);
    EXPECT_TRUE(r.series.back().name.starts_with("L1-L2-L3-"));
}

TEST(HostileFiles, TridasNestingIsBounded) {
    // One level more than the parser takes.
    std::string too_deep = "<tridas>", closed = "</tridas>";
    for (std::size_t d = 1; d < TridasReader::kMaxNesting; ++d) {
        too_deep += "<a>";
        closed = "</a>" + closed;
    }
    EXPECT_EQ(message_of(too_deep + "\n<b/>" + closed),
              read_error({"The TRiDaS file in.dat cannot be read, line 2:", "elements are nested more than 1000 deep"}));
}

TEST(HostileFiles, TridasFilesKeepOneSeriesMoreThanTheStoresTake) {
    // Only the MaxSeries + 1 first series are kept.
    std::string many = "<tridas>";
    for (int i = 0; i <= MaxSeries + 5; ++i) many += kTridasSeries;
    EXPECT_EQ(read_content(many + "</tridas>").series.size(), static_cast<std::size_t>(MaxSeries) + 1);
}

}  // namespace
}  // namespace tarnik

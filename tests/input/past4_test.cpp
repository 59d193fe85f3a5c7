// The PAST4 project reader: the real sample projects, written projects with
// decimals, units, mean curves and what is not a series, and every bad record.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/errors.h"
#include "data/limits.h"
#include "input/data_set.h"
#include "input/formats.h"
#include "input/past4.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

Read read_project(std::string content) {
    DataSetReader data(std::make_unique<Past4Reader>(std::move(content), "in.p4p"));
    Read r;
    SeriesRead s;
    while (data.next(s)) r.series.push_back(s);
    r.notices = data.take_notices();
    r.missing = data.missing_rings();
    return r;
}

// The lines of the message that ends the run.
std::vector<std::string> message_of(std::string content) {
    try {
        read_project(std::move(content));
    } catch (const InternalError& e) {
        return e.lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    return {"no message"};
}

struct Want {
    std::string id;
    std::int32_t first_year;
    std::vector<std::int32_t> values;
    std::int32_t scale;
};

void expect_series(const std::vector<SeriesRead>& got, const std::vector<Want>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        std::string id = want[i].id;
        id.resize(8, ' ');
        EXPECT_EQ(got[i].id, id) << "series " << i + 1;
        EXPECT_EQ(got[i].first_year, want[i].first_year) << id;
        EXPECT_EQ(got[i].length, static_cast<std::int32_t>(want[i].values.size())) << id;
        EXPECT_EQ(got[i].values, want[i].values) << id;
        EXPECT_EQ(got[i].scale, want[i].scale) << id;
    }
}

// A record as the program writes it: attributes, a HEADER and the DATA in CDATA sections.
std::string record(std::string attrs, std::string header, std::string data) {
    return "  <RECORD " + attrs + " Owner=\"0\" Chrono=\"FALSE\">\n    <HEADER><![CDATA[" + header +
           "]]></HEADER>\n    <DATA><![CDATA[" + data + "]]></DATA>\n  </RECORD>\n";
}

std::string project(std::string records) {
    return "<?xml version=\"1.0\"?>\n<PAST_4_PROJECT_FILE>\n  <PROJECT Name=\"p\" Groups=\"1\"><![CDATA[]]></PROJECT>\n"
           "  <SETTINGS BarGraphX1=\"22\"/>\n  <GROUP Name=\"g\" MVKeycode=\"\"><![CDATA[not a ring\n1\n]]></GROUP>\n" +
           records + "</PAST_4_PROJECT_FILE>\n";
}

TEST(Past4, TheSampleProjects) {
    const auto path = test::data_file("corpus/formats2/PAST4/proj2.P4P");
    EXPECT_EQ(detect_format(test::read_file(path)), FileFormat::past4);
    Read r = read_project(test::read_file(path));
    // 208.4 hundredths of a millimetre are 2084 micrometres.
    expect_series(r.series, {{"HS-STD", 1540, {2084, 1000, 2000, 3000}, 1000}});
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a PAST4 project: 1 series."});

    // Two records in 1/100th millimetres and one in a unit nobody knows.
    r = read_project(test::read_file(test::data_file("corpus/formats2/PAST4/title0.p4p")));
    expect_series(r.series, {{"title6", 0, {123, 123, 123, 125}, 100},
                             {"title6", 0, {123, 123, 123, 125}, 100},
                             {"Unnamed series", 0, {96, 34}, 100}});
    ASSERT_FALSE(r.notices.empty());
    EXPECT_EQ(r.notices[0], " Read as a PAST4 project: 3 series, 1 in a unit not known here, read as 1/100 mm.");
}

// Records with decimals, decimal commas, units, mean curves, blank lines and
// text that is no value.
Read mixed_project() {
    return read_project(project(
        record("Keycode=\"MICRONS\" Length=\"3\" Offset=\"-20\" IsMeanValue=\"0\"", "Site=x\nUnit=1/1000 mm\n",
               "1234\t1\t0\n\n12.5\t1\t0\tcomment\n-1\t0\n") +
        record("Keycode=\"TENTHS\" Length=\"2\" Offset=\"1900\" IsMeanValue=\"1\"", "unit = 1/10th millimetres\r\n",
               "\r\n  5\t3\r\n1,25\t2\r\n") +
        // A record in plain text rather than CDATA, the value line not ended.
        "  <RECORD Keycode=\"PLAIN\" Length=\"2\" IsMeanValue=\"TRUE\"><HEADER/><DATA>7\t1\n8\t1</DATA></RECORD>\n" +
        record("Keycode=\"HUNDREDTHS\" Offset=\"1950\"", "Unit=1/100 mm\nUnit=0.01mm\n", "208.4\n0\n")));
}

TEST(Past4, ValuesAreReadInTheUnitOfTheirHeader) {
    const Read r = mixed_project();
    expect_series(r.series, {{"MICRONS", -20, {1234, 13, 0}, 1000},
                             {"TENTHS", 1900, {500, 125}, 1000},
                             {"PLAIN", 1, {7, 8}, 100},
                             {"HUNDREDTHS", 1950, {2084, 0}, 1000}});
}

TEST(Past4, TheNoticeCountsTheRecordsOfEachKind) {
    const Read r = mixed_project();
    EXPECT_EQ(r.notices[0], " Read as a PAST4 project: 4 series, 2 of them mean curves, 1 without an Offset, placed "
                            "from year 1.");
}

TEST(Past4, NegativeValuesAreMissingRings) {
    const Read r = mixed_project();
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].series == 1 && r.missing[0].count == 1 && r.missing[0].first_year == -18);
    EXPECT_EQ(r.missing[0].words, "negative value");
}

// A record longer than the stores take is handed out by its length, with no
// more than MaxYears widths kept, for the reading loop to reject.
TEST(Past4, ARecordLongerThanTheStoresKeepsOnlyWhatTheyTake) {
    std::string data;
    for (int i = 0; i < MaxYears + 5; ++i) data += "100\t1\n";
    const Read r = read_project(project(record("Keycode=\"LONG\" Length=\"2105\" Offset=\"1\"", "", data)));
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].length, MaxYears + 5);
    EXPECT_EQ(r.series[0].values.size(), static_cast<std::size_t>(MaxYears));
}

TEST(Past4, BadProjectsEndWithAMessageNamingLineRecordAndWhat) {
    const auto lines = [](std::vector<std::string> want) {
        for (auto& w : want) w = std::string(13, ' ') + w;
        want.insert(want.begin(), " error reading data");
        want.push_back("             This should not happen. Check file format and LF");
        return want;
    };
    const std::string good = record("Keycode=\"A\" Length=\"1\" Offset=\"1900\"", "", "1\n");
    EXPECT_EQ(message_of(project(good + record("Keycode=\"B\" Length=\"3\" Offset=\"1900\"", "", "1\n2\n"))),
              lines({"The PAST4 project in.p4p cannot be read, line 13, series 2 (B):",
                     "its Length is 3 but its DATA hold 2 value lines"}));
    EXPECT_EQ(message_of(project(good + record("Keycode=\"B\" Length=\"2\" Offset=\"1900\"", "", "1\t1\n1x\t2\n"))),
              lines({"The PAST4 project in.p4p cannot be read, line 16, series 2 (B):",
                     "the value \"1x\" is not a number", "1x?2"}));
    EXPECT_EQ(message_of(project(record("Keycode=\"C\" Length=\"1\"", "", "\t5\n"))),
              lines({"The PAST4 project in.p4p cannot be read, line 10, series 1 (C):",
                     "a line has no value in its first field", "?5"}));
    // A value of 300 digits is no width, not the first 256 of them.
    const std::vector<std::string> too_long =
        message_of(project(record("Keycode=\"L\"", "", std::string(299, '0') + "1\t1\n")));
    ASSERT_GE(too_long.size(), 3u);
    EXPECT_EQ(too_long[2], "             the first field is longer than any value");
    EXPECT_EQ(message_of(project(record("Keycode=\"D\" Offset=\"19x0\"", "", "1\n"))),
              lines({"The PAST4 project in.p4p cannot be read, line 8, series 1 (D):",
                     "its Offset \"19x0\" is not a whole number"}));
    EXPECT_EQ(message_of(project(record("Keycode=\"E\" Length=\"1\"", "", "1e9\n"))),
              lines({"The PAST4 project in.p4p cannot be read, line 8, series 1 (E):",
                     "a value is too large for a ring width"}));
    EXPECT_EQ(message_of("<PAST_4_PROJECT_FILE>\n<RECORD Keycode=\"F\">\n</PAST_4_PROJECT_FILE>\n"),
              lines({"The PAST4 project in.p4p cannot be read, line 3, column 3:",
                     "the XML is not well-formed: mismatched tag"}));
    EXPECT_EQ(message_of(project("")),
              (std::vector<std::string>{" The PAST4 project in.p4p holds no ring-width series.",
                                        " There is nothing to analyse. The run ends here."}));
}

}  // namespace
}  // namespace tarnik

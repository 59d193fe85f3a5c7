// The readers of other programs' files: the ten Campito Mountain series in all
// four formats against the decadal file, small files written here for what the
// real ones do not show, the recognition of each format (and of decadal files
// whose title looks like another format), and the message of every bad file.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "console/errors.h"
#include "input/compact.h"
#include "input/csv.h"
#include "input/heidelberg.h"
#include "input/data_set.h"
#include "input/decadal.h"
#include "input/formats.h"
#include "input/tridas.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
    std::string missing_words;  // for two missing rings
};

Read read_all(DataSetReader& data) {
    Read r;
    SeriesRead s;
    while (data.next(s)) r.series.push_back(s);
    r.notices = data.take_notices();
    r.missing = data.missing_rings();
    return r;
}

template <class Reader>
Read read_as(std::string content) {
    auto reader = std::make_unique<Reader>(std::move(content), "in.dat");
    const std::string words = reader->missing_ring_words(2);
    DataSetReader data(std::move(reader));
    Read r = read_all(data);
    r.missing_words = words;
    return r;
}

// The lines of the message that ends the run (read error or unusable file).
template <class Reader>
std::vector<std::string> message_of(std::string content) {
    try {
        read_as<Reader>(std::move(content));
    } catch (const InternalError& e) {
        return e.lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    return {"no message"};
}

SeriesRead series(std::string id, std::int32_t first_year, std::vector<std::int32_t> values, std::int32_t scale) {
    SeriesRead s;
    id.resize(8, ' ');
    s.id = id;
    s.first_year = first_year;
    s.length = static_cast<std::int32_t>(values.size());
    s.values = std::move(values);
    s.scale = scale;
    return s;
}

void expect_series(const std::vector<SeriesRead>& got, const std::vector<SeriesRead>& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].id, want[i].id) << what << " series " << i + 1;
        EXPECT_EQ(got[i].first_year, want[i].first_year) << what << " " << want[i].id;
        EXPECT_EQ(got[i].length, want[i].length) << what << " " << want[i].id;
        EXPECT_EQ(got[i].values, want[i].values) << what << " " << want[i].id;
        EXPECT_EQ(got[i].scale, want[i].scale) << what << " " << want[i].id;
    }
}

TEST(Formats, TheTenCampitoSeriesReadInEveryFormatAsInTheDecadalFile) {
    std::vector<SeriesRead> ten = read_as<DecadalReader>(test::read_file(test::data_file("ca533.rwl"))).series;
    ten.resize(10);
    const struct {
        const char* file;
        FileFormat format;
        const char* notice;
    } files[] = {{"ca533.fh", FileFormat::heidelberg, " Read as a Heidelberg file: 10 series."},
                 {"ca533.xml", FileFormat::tridas, " Read as a TRiDaS file: 10 series."},
                 {"ca533.csv", FileFormat::csv, " Read as a CSV file: 10 series."},
                 {"ca533_compact.rwl", FileFormat::compact, " Read as a compact file: 10 series."}};
    for (const auto& f : files) {
        const auto path = test::data_file(std::string("formats/") + f.file);
        EXPECT_EQ(detect_format(test::read_file(path)), f.format) << f.file;
        std::string problem;
        auto data = DataSetReader::open(path.string(), problem);
        ASSERT_TRUE(data) << problem;
        const Read r = read_all(*data);
        expect_series(r.series, ten, f.file);
        EXPECT_EQ(r.notices, std::vector<std::string>{f.notice});
        EXPECT_TRUE(r.missing.empty()) << f.file;
    }
}

// A decadal title line may hold any text; only the structure of the lines
// after it makes a file another format.
TEST(Formats, DecadalFilesStayDecadalWhateverTheirTitle) {
    const std::string body = test::decadal("A", 1995, {120, 98}) + test::decadal("B", 1990, {5});
    for (const std::string title : {"HEADER:", "Year,A,B", "year;a;b", "a, b: c", "DATA:Tree",
                                    "454=N 1530=I X -2(26F3.0)~", "<tridas>", "<?xml version=\"1.0\"?><tridas>",
                                    "<project>", "<PAST_4_PROJECT_FILE>", "<html>"})
        EXPECT_EQ(detect_format(title + "\n" + body), FileFormat::decadal) << title;
    // Series lines that look like key=value, CSV rows or an XML end tag.
    EXPECT_EQ(detect_format("HEADER:\nA=B     1995   120   999\n"), FileFormat::decadal);
    EXPECT_EQ(detect_format("Year,A\n1995,1  1995   120   999\n"), FileFormat::decadal);
    EXPECT_EQ(detect_format("<tridas>\nA       1995   120   999</tridas>\n"), FileFormat::decadal);
    EXPECT_EQ(detect_format("<a>\nA       1995   120   999</a>\n"), FileFormat::decadal);
    // A Heidelberg-like title whose series lines never reach a DATA: line.
    EXPECT_EQ(detect_format("HEADER:\n" + body + "HEADER:\nDATA:Tree\n"), FileFormat::decadal);
    // A compact-looking title over decadal lines with numeric identifiers: the
    // values read, but the line goes on after them, or more lines follow.
    EXPECT_EQ(detect_format("3=N 1995=I X -2(26F3.0)~\n" + test::decadal("1", 1995, {1})), FileFormat::decadal);
    EXPECT_EQ(detect_format("3=N 1995=I X -2(3F3.0)~\n" + test::decadal("1", 1995, {1})), FileFormat::decadal);
    EXPECT_EQ(detect_format("26=N 1995=I X -2(26F3.0)~\n" + test::decadal("1", 1995, {1}) + test::decadal("2", 1995, {1})),
              FileFormat::decadal);
}

TEST(Formats, OtherFormatsAreRecognisedByTheirStructure) {
    EXPECT_EQ(detect_format("\n  header:\r\nKeyCode=A\r\n\r\nDATA:Tree\r\n 1 2\r\n"), FileFormat::heidelberg);
    EXPECT_EQ(detect_format("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY a \"b\">]>\n<t:tridas "
                            "xmlns:t=\"u\">\n</t:tridas >\n<!-- end -->\n"),
              FileFormat::tridas);
    // TRiDaS by its root (project or tridas, any prefix) or by an element in
    // its namespace; a URI in an attribute value alone is no namespace.
    const std::string ns = "\"http://www.tridas.org/1.2.2\"";
    for (const std::string& doc :
         std::vector<std::string>{"<project xmlns=" + ns + ">\n</project>", "<p:project xmlns:p=\"x\"></p:project>",
                                  "<list xmlns:t=" + ns + "><t:object/></list>", "<object xmlns=" + ns + "></object>"})
        EXPECT_EQ(detect_format(doc), FileFormat::tridas) << doc;
    for (const std::string& doc : std::vector<std::string>{"<list xmlns:t=" + ns + "><object/></list>",
                                                           "<list schema=" + ns + "><object/></list>",
                                                           "<html>\n<p>x</p>\n</html>"})
        EXPECT_EQ(detect_format(doc), FileFormat::other_xml) << doc;
    EXPECT_EQ(detect_format("<?xml version=\"1.0\"?>\n<PAST_4_PROJECT_FILE>\n</PAST_4_PROJECT_FILE>\n"),
              FileFormat::past4);
    EXPECT_EQ(detect_format("\"\",\"A\"\n1990,NA\n"), FileFormat::csv);
    EXPECT_EQ(detect_format("Year\tA\tB\n\n-5\t1,5\n"), FileFormat::csv);
    EXPECT_EQ(detect_format("1=N 1990=I A -2(F3.0)~\n 12\n2=N 1990=I B -2(F3.0)~\n"), FileFormat::compact);
}

// Series of every date, unit, data kind and data type.
Read mixed_heidelberg() {
    return read_as<HeidelbergReader>(
        "HEADER:\nKeycode=ENDONLY\nDateEnd=2000\nLength=3\nDATA:Tree\n  120   130 ; the last ring is missing\n"
        "  -5     0     0     0     0     0     0     0     0     0\n"
        "HEADER:\nKeyCode=FLOAT\nDATA:Single\n 10 20 30 0 0 0\n\n"
        "header:\nKEYCODE=MICRONS\nDateBegin=-5\nUnit=1/1000 mm\nLength=4\ndata:tree\n 1234 1240\t5 7\n"
        "HEADER:\nKeyCode=TENS\nDateBegin=1900\nUnit = 1/1000mm\nDataType=RingWidth\nLength=2\nDATA:Tree\n 120 130 0 0\n"
        "HEADER:\nKeyCode=MEAN\nDateBegin=1950\nDateEnd=1952\nUnit=1/10 mm\nData:Double\n 100 3 11 4 12 5 0 0\n"
        "HEADER:\nKeyCode=EARLY\nDataType=EarlyLateWood\nDateBegin=1900\nLength=2\nDATA:Tree\n 50 60\n"
        "HEADER:\nKeyCode=A_VERY_LONG_NAME\nDateBegin=1800\nDateEnd=1900\nLength=2\nUnit=mm\nDATA:Quad\n"
        " 1 2 3 4 2 2 3 4\n"
        "HEADER:\nKeyCode=A_VERY_LONGER\nComment[0]=Blah\nSite Name = x=y\nSpecies PILO\nDateBegin=1700\nDATA:Tree\n"
        " 7 0\n");
}

TEST(Formats, HeidelbergSeriesArePlacedAndScaledByTheirHeader) {
    const Read r = mixed_heidelberg();
    expect_series(r.series,
                  {series("ENDONLY", 1998, {120, 130, 0}, 100), series("FLOAT", 1, {10, 20, 30}, 100),
                   series("MICRONS", -5, {1234, 1240, 5, 7}, 1000), series("TENS", 1900, {12, 13}, 100),
                   series("MEAN", 1950, {1000, 110, 120}, 100), series("A_VERY_L", 1800, {100, 200}, 100),
                   series("A_VERY_L", 1700, {7}, 100)},
                  "Heidelberg");
}

TEST(Formats, HeidelbergNoticesTellWhatWasReadSpecially) {
    const Read r = mixed_heidelberg();
    EXPECT_EQ(r.notices, (std::vector<std::string>{
                             " Series 6 (A_VERY_LONG_NAME): DateBegin 1800, DateEnd 1900 and Length 2 do not agree; "
                             "its 2 rings were placed from DateBegin, in 1800 to 1801.",
                             " Read as a Heidelberg file: 7 series, 2 of them mean curves, 1 without dates, placed "
                             "from year 1, 1 series of other data than ring widths skipped.",
                             " Identifiers: 2 longer than 8 characters keep their first 8 (A_VERY_LONG_NAME is "
                             "A_VERY_L); 2 series share an identifier with another series (A_VERY_L)."}));
}

TEST(Formats, HeidelbergNegativeWidthsAreMissingRings) {
    const Read r = mixed_heidelberg();
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].series == 1 && r.missing[0].count == 1 && r.missing[0].first_year == 2000);
    EXPECT_EQ(r.missing_words, "negative widths");
}

// Series of every year suffix, variable and unit, and a derived series.
Read mixed_tridas() {
    return read_as<TridasReader>(R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- written by hand -->
<t:tridas xmlns:t="http://www.tridas.org/1.2.2">
 <t:project><t:title>P</t:title>
  <t:object><t:title>Site</t:title>
   <t:element><t:title>TREE1</t:title>
    <t:sample><t:title>A</t:title>
     <t:radius><t:title>1</t:title>
      <t:measurementSeries><t:title>  AB
        12 </t:title>
       <t:interpretation><t:firstYear suffix="BC">100</t:firstYear></t:interpretation>
       <t:values><t:variable normalTridas="Ring Width"/><t:unit normalTridas="micrometres"/>
         <t:value value="1234"/><t:value value="12.5"/><t:value value="-1"/></t:values>
       <t:values><t:variable normalTridas="earlywood width"/><t:unit normalTridas="micrometres"/>
         <t:value value="5"/></t:values>
      </t:measurementSeries>
      <t:measurementSeries><t:title>BP</t:title>
       <t:interpretation><t:firstYear suffix="BP">50</t:firstYear><t:lastYear suffix="BP">49</t:lastYear>
       </t:interpretation>
       <t:values><t:variable>Total ring width</t:variable><t:unitless/><t:value value="100"/><t:value value="110"/>
       </t:values>
      </t:measurementSeries>
      <t:measurementSeries><t:title>LAST</t:title>
       <t:interpretation><t:lastYear suffix="AD">2000</t:lastYear></t:interpretation>
       <t:values><t:variable normalTridas="ring width"/><t:unit normalTridas="millimetres"/>
         <t:value value="1.5"/><t:value value="0.0125"/></t:values>
      </t:measurementSeries>
      <t:measurementSeries><t:title>EMPTY</t:title>
       <t:values><t:variable normalTridas="ring width"/><t:unit normalTridas="millimetres"/></t:values>
      </t:measurementSeries>
     </t:radius></t:sample></t:element></t:object>
  <t:derivedSeries><t:title>MEAN</t:title>
   <t:values><t:variable normalTridas="ring width"/><t:unit normalTridas="1/10th millimetres"/>
     <t:value value="5" count="3"/></t:values>
  </t:derivedSeries>
 </t:project>
</t:tridas>
)");
}

TEST(Formats, TridasSeriesArePlacedAndScaledByTheirInterpretationAndUnit) {
    const Read r = mixed_tridas();
    // 12.5 micrometres round up to 13; 0.0125 mm is 13 micrometres, not 12 (no binary rounding).
    expect_series(r.series,
                  {series("AB 12", -99, {1234, 13, 0}, 1000), series("BP", 1900, {100, 110}, 100),
                   series("LAST", 1999, {1500, 13}, 1000), series("MEAN", 1, {50}, 100)},
                  "TRiDaS");
}

TEST(Formats, TridasNoticeCountsTheSeriesOfEachKind) {
    const Read r = mixed_tridas();
    EXPECT_EQ(r.notices, std::vector<std::string>{
                             " Read as a TRiDaS file: 4 series, 1 of them a derived series, 1 without a first or last "
                             "year, placed from year 1, 1 unitless or in a unit not known here, read as 1/100 mm, 1 "
                             "block of other variables than ring width skipped."});
}

TEST(Formats, TridasNegativeValuesAreMissingRings) {
    const Read r = mixed_tridas();
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].series == 1 && r.missing[0].count == 1 && r.missing[0].first_year == -97);
    EXPECT_EQ(r.missing_words, "negative values");
}

TEST(Formats, TridasIdentifiersFromTheLevelsThatTellSeriesApart) {
    // Each series as its title and the titles of the levels above it,
    // outermost first; series under the same levels share them, as in a document.
    using Series = std::pair<std::string, std::vector<std::string>>;
    const auto ids = [](const std::vector<Series>& in) {
        TridasReader::Levels levels;
        std::map<std::vector<std::string>, std::uint32_t> kept;
        std::vector<TridasReader::Parsed> series;
        for (const auto& [title, path] : in) {
            std::uint32_t level = TridasReader::Levels::kNone;
            for (std::size_t k = 1; k <= path.size(); ++k) {
                const auto [at, added] = kept.try_emplace({path.begin(), path.begin() + static_cast<std::ptrdiff_t>(k)}, 0);
                if (added) at->second = levels.add(level, path[k - 1]);
                level = at->second;
            }
            series.push_back({title, level, 1, {}, 0, {}});
        }
        TridasReader::build_identifiers(series, levels);
        std::vector<std::string> out;
        for (const auto& p : series) out.push_back(p.id);
        return out;
    };
    // Titles that tell the series apart are used as they are, even alongside a shared one.
    EXPECT_EQ(ids({{"X", {"P", "E1"}}, {"Y", {"P", "E1"}}}), (std::vector<std::string>{"X", "Y"}));
    // Every series titled 1: the element tells them apart, or element and radius together.
    EXPECT_EQ(ids({{"1", {"", "", "CAM011", "1", "1"}}, {"1", {"", "", "CAM021", "1", "1"}},
                   {"Z", {"", "", "CAM021", "1", "1"}}}),
              (std::vector<std::string>{"CAM011", "CAM021", "Z"}));
    EXPECT_EQ(ids({{"1", {"P", "ABC", "A", "1"}}, {"1", {"P", "ABC", "A", "2"}}, {"1", {"P", "ABD", "A", "1"}}}),
              (std::vector<std::string>{"ABC-1", "ABC-2", "ABD-1"}));
    // Levels that only one of them has tell them apart too.
    EXPECT_EQ(ids({{"1", {"P", "A"}}, {"1", {"P", "A", "deep"}}}), (std::vector<std::string>{"1", "deep"}));
    // Nothing tells them apart: the shared title stays. A lone empty title takes the nearest one above.
    EXPECT_EQ(ids({{"M", {"P"}}, {"M", {"P"}}}), (std::vector<std::string>{"M", "M"}));
    EXPECT_EQ(ids({{"", {"P", "E9", ""}}}), std::vector<std::string>{"E9"});
    EXPECT_EQ(ids({{"", {}}}), std::vector<std::string>{""});
}

// Quotes, decimal commas, gaps and years before our era.
TEST(Formats, CsvSemicolonSeparatedFileReads) {
    const Read r = read_as<CsvReader>(
        "\"Year\";\"Ab \"\"x\"\"\";\"LONGNAME12\";\"C\"\r\n-2;1,25;NA;\r\n-1;1,3;0,5;\r\n0; ;0,51;\r\n1;1.005;\r\n"
        "2;NA;;NA\r\n");
    expect_series(r.series, {series("Ab \"x\"", -2, {1250, 1300, 0, 1005}, 1000), series("LONGNAME", -1, {50, 51}, 100)},
                  "CSV ;");
    EXPECT_EQ(r.notices, (std::vector<std::string>{
                             " Read as a CSV file: 2 series, 1 column without values left out.",
                             " Identifiers: 1 longer than 8 characters keeps its first 8 (LONGNAME12 is LONGNAME)."}));
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].series == 1 && r.missing[0].count == 1 && r.missing[0].first_year == 0);
    EXPECT_EQ(r.missing_words, "empty or negative cells");
}

TEST(Formats, CsvTabSeparatedFileReads) {
    const Read r = read_as<CsvReader>("\tA\tB\n1990\t1.5\t\n1991\t\t2e-1\n1992\t0,75\t0.2\n1993\t-0.1\n");
    expect_series(r.series, {series("A", 1990, {150, 0, 75, 0}, 100), series("B", 1991, {20, 20}, 100)}, "CSV tab");
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].count, 2);
}

TEST(Formats, CompactHeadersGiveCountYearAndPowerOfTenInAnyOrder) {
    const Read r = read_as<CompactReader>(
        "3=N 1990=I ABC                 -3(3F5.0)~\r\n 1234   56  -1\r\n\r\n"
        "1800=I 2=N DEF   GHI 1(2F3.1)~\r\n 15 2\r\n0=N 5=I EMPTY -2(F3.0)~\r\n");
    expect_series(r.series,
                  {series("ABC", 1990, {1234, 56, 0}, 1000), series("DEF GHI", 1800, {1500, 200}, 100),
                   series("EMPTY", 5, {}, 100)},
                  "compact");
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a compact file: 3 series."});
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].first_year, 1992);
}

TEST(Formats, WidthsAreExactDecimalsRoundedHalfUpToMicrometres) {
    const auto um = [](std::string_view text, int unit) { return to_micrometres(parse_decimal(text).value(), unit); };
    EXPECT_EQ(um("0.0145", 0), 15);  // 14.5: binary doubles would give 14.499999...
    EXPECT_EQ(um("0.01449999999999999999999", 0), 14);
    EXPECT_EQ(um("1e-3", 0), 1);
    EXPECT_EQ(um("00012.50", -3), 13);
    EXPECT_EQ(um("2147483.647", 0), 2147483647);
    EXPECT_FALSE(um("2147483.648", 0));
    EXPECT_FALSE(um("1e400", 0));
    EXPECT_EQ(um("1e-400", 0), 0);
    for (const char* bad : {"", "-", ".", "1.2.3", "1e", "1 2", "0x10", "1,5"}) EXPECT_FALSE(parse_decimal(bad)) << bad;
    EXPECT_EQ(parse_decimal("1,5", ',')->exponent, -1);
    // Fortran fields: blanks count as nothing, implied decimals without a point.
    EXPECT_EQ(to_micrometres(parse_real_field_exact(" 1 2", 1).value(), 0), 1200);
    EXPECT_EQ(to_micrometres(parse_real_field_exact("1.2", 3).value(), 0), 1200);
    EXPECT_EQ(to_micrometres(parse_real_field_exact("   ", 3).value(), 0), 0);
}

TEST(Formats, BadFilesEndWithAMessageNamingFileLineOrSeriesAndWhat) {
    const std::string hd = "HEADER:\nKeyCode=A1\nDateBegin=1900\n";
    const struct {
        std::vector<std::string> lines;
        std::vector<std::string> want;  // the lines after " error reading data", up to the check hint
    } cases[] = {
        {message_of<HeidelbergReader>(hd + "DATA:Tree\n 12 1x4\n"),
         {"The Heidelberg file in.dat cannot be read, line 5, series 1 (A1):", "\"1x4\" is not a whole number",
          " 12 1x4"}},
        {message_of<HeidelbergReader>(hd + "Length=5\nDATA:Tree\n 1 2 3\n"),
         {"The Heidelberg file in.dat cannot be read, series 1 (A1):",
          "Length (or DateEnd - DateBegin + 1) is 5 but the data hold only 3 rings"}},
        {message_of<HeidelbergReader>(hd + "Length=1\nDATA:Tree\n 1 2 3\n"),
         {"The Heidelberg file in.dat cannot be read, series 1 (A1):",
          "the data hold more than the 1 rings of its Length"}},
        {message_of<HeidelbergReader>(hd + "Unit=inch\nDATA:Tree\n 1\n"),
         {"The Heidelberg file in.dat cannot be read, line 4, series 1 (A1):",
          "the unit \"inch\" is not one of 1/100 mm, 1/1000 mm, 1/10 mm, mm"}},
        {message_of<HeidelbergReader>(hd + "DATA:Triple\n 1\n"),
         {"The Heidelberg file in.dat cannot be read, line 4, series 1 (A1):",
          "the data kind is not one of Tree, Single, HalfChrono, Double, Chrono, Quad, Quadro", "DATA:Triple"}},
        {message_of<HeidelbergReader>(hd), {"The Heidelberg file in.dat cannot be read, series 1:",
                                            "the file ends before the DATA: line of the series"}},
        {message_of<HeidelbergReader>(hd + "DataType=Latewood\nDATA:Tree\n 1\n"),
         {"The Heidelberg file in.dat holds no ring-width series, 1 series of other data than ring widths skipped.",
          " There is nothing to analyse. The run ends here."}},
        {message_of<TridasReader>("<tridas>\n<project><title>x</title>\n</tridas>\n"),
         {"The TRiDaS file in.dat cannot be read, line 3, column 3:",
          "the XML is not well-formed: mismatched tag"}},
        {message_of<TridasReader>("<tridas><measurementSeries><title>S 1</title><values>\n"
                                  "<variable normalTridas='ring width'/><value value='1,5'/></values>"
                                  "</measurementSeries></tridas>"),
         {"The TRiDaS file in.dat cannot be read, line 2, series 1 (S 1):", "the value \"1,5\" is not a number"}},
        {message_of<TridasReader>("<tridas><measurementSeries><title>S</title><interpretation>"
                                  "<firstYear suffix='AH'>12</firstYear></interpretation><values>"
                                  "<variable normalTridas='ring width'/><value value='1'/></values>"
                                  "</measurementSeries></tridas>"),
         {"The TRiDaS file in.dat cannot be read, line 1, series 1 (S):",
          "the year suffix \"AH\" is not AD, BC or BP"}},
        {message_of<TridasReader>("<tridas><measurementSeries><values><variable normalTridas='density'/>"
                                  "<value value='1'/></values></measurementSeries></tridas>"),
         {"The TRiDaS file in.dat holds no ring-width series, 1 block of other variables than ring width skipped.",
          " There is nothing to analyse. The run ends here."}},
        {message_of<CsvReader>("Year,A\n1990,1\n1992,2\n"),
         {"The CSV file in.dat cannot be read, line 3:", "the year 1992 does not follow 1990 (one row per year, in order)",
          "1992,2"}},
        {message_of<CsvReader>("Year,A\n1990,1\n1991,x\n"),
         {"The CSV file in.dat cannot be read, line 3, series 1 (A):", "the cell \"x\" is not a number", "1991,x"}},
        {message_of<CsvReader>("Year,A\n1990,1,2\n"),
         {"The CSV file in.dat cannot be read, line 2:", "the row has 3 cells, the header 2", "1990,1,2"}},
        {message_of<CsvReader>("Year,A\n1990,\"1\n"),
         {"The CSV file in.dat cannot be read, line 2:", "a quote is not closed", "1990,\"1"}},
        {message_of<CsvReader>("Year,A\n1990,NA\n"),
         {"The CSV file in.dat holds no ring-width series, 1 column without values left out.",
          " There is nothing to analyse. The run ends here."}},
        {message_of<CompactReader>("2=N 1990=I A -2(2F3.0)~\n 1  x\n"),
         {"The compact file in.dat cannot be read, line 2, series 1 (A):",
          "the field in columns 4-6 (\" x\") is not a number", " 1  x"}},
        {message_of<CompactReader>("30=N 1990=I A -2(26F3.0)~\n 1\n"),
         {"The compact file in.dat cannot be read, series 1 (A):", "the file ends after 26 of its 30 values"}},
        {message_of<CompactReader>("1=N 1990=I A -2(F3.0)~\n 1\nA       1995   120   999\n"),
         {"The compact file in.dat cannot be read, line 3:",
          "a compact series must begin with a header like 454=N 1530=I NAME -2(26F3.0)~", "A       1995   120   999"}},
        {message_of<CompactReader>("1=N 1990=I A -2(F3.0,'x')~\n 1\n"),
         {"The compact file in.dat cannot be read, line 1, series 1 (A):",
          "its record format (F3.0,'x') cannot be used: quoted text cannot be read at column 7",
          "1=N 1990=I A -2(F3.0,'x')~"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> want = c.want;
        if (c.lines.size() > 2 && c.lines[0] == " error reading data") {
            for (auto& w : want) w = std::string(13, ' ') + w;
            want.insert(want.begin(), " error reading data");
            want.push_back("             This should not happen. Check file format and LF");
        } else {
            want[0] = " " + want[0];
        }
        EXPECT_EQ(c.lines, want);
    }
}

}  // namespace
}  // namespace tarnik

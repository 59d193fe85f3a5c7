// The Besançon reader: the real files of both dialects, keys, years before our
// era, missing rings, index series, value lines of old exports, the
// recognition of the format (and of decadal files that only look like it),
// and the message of every bad file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/limits.h"
#include "input/besancon.h"
#include "input/formats.h"
#include "read_helpers.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

using test::read_with;
using test::refusal_of;

test::WholeRead read_corpus(const std::string& name) {
    const auto path = test::data_file("corpus/formats2/" + name);
    EXPECT_EQ(detect_format(test::read_file(path)), FileFormat::besancon) << name;
    std::string problem;
    auto data = DataSetReader::open(path.string(), problem);
    if (!data) throw UnusableFile{{problem}};
    return test::read_whole(*data);
}

// The notice names no disagreeing LON or TER: years before our era are read
// right. Widths with decimals make a series' stores 0.001 mm.
TEST(Besancon, RealFilesOfBothDialects) {
    const struct {
        const char* file;
        std::size_t count, at;
        const char* name;
        std::int32_t first_year, length, first, last, scale;
    } files[] = {
        // Mean curves of a lab's archive with decimals, 81 BC and a long preamble.
        {"Besancon/CO20050101-LCE-Nat.txt", 36, 0, "Perols.FCarl-LCE05", -80, 274, 0, 2200, 1000},
        // The old dialect: comments before each series, keys several to a line, CR line ends.
        {"Besancon/ancient-series-ex1.txt", 2, 1, "100/02/001", 927, 221, 212, 96, 100},
        {"Besancon/new-series-mean chronology1.txt", 5, 4, "P338-01-03-ech", 1355, 163, 1380, 1850, 1000},
        // The successor's dialect: VALeur NAT, a key a line.
        {"SYLPHE/single.txt", 1, 0, "Queutrey_(70)_(Tavaillons)", 1564, 91, 279, 0, 100},
        {"SYLPHE/C2RMF-sampleMEAN1.txt", 5, 0, "DHV20Ab", 1676, 63, 0, 0, 100},
    };
    for (const auto& f : files) {
        const test::WholeRead r = read_corpus(f.file);
        ASSERT_EQ(r.series.size(), f.count) << f.file;
        EXPECT_EQ(r.notices.front(), " Read as a Besançon file: " + std::to_string(f.count) + " series.");
        const SeriesRead& s = r.series[f.at];
        EXPECT_EQ(s.name, f.name);
        EXPECT_EQ(s.first_year, f.first_year) << f.name;
        EXPECT_EQ(s.length, f.length) << f.name;
        EXPECT_EQ(s.values.front(), f.first) << f.name;
        EXPECT_EQ(s.values.back(), f.last) << f.name;
        EXPECT_EQ(s.scale, f.scale) << f.name;
    }
    EXPECT_EQ(read_corpus("Besancon/CO20050101-LCE-Nat.txt").missing[0].count, 13);

    // A file of indices only holds nothing to analyse.
    try {
        read_corpus("Besancon/calendar.txt");
        ADD_FAILURE() << "an index series was read";
    } catch (const UnusableFile& e) {
        EXPECT_EQ(e.lines.front().substr(e.lines.front().find(" holds")),
                  " holds no ring-width series, 1 series of other values than ring widths (indices) skipped.");
    }
}

// Series of every key, year, label and mark, and an index series.
test::WholeRead mixed_file() {
    return read_with<BesanconReader>(
        "Preamble of the lab ; with a semicolon\n"
        "ORI 5 LON 3 outside any series\n"
        ". A-BC-series\r\n"
        "  esp quercus POS -81 lon 5  ORI -81   TER -77\r\n"
        "VAL  NAT.:  A-BC-series\r\n"
        "{ -81} 120 , 130/ *  140 12.5\r"  // a lone CR ends this line
        "  ;\r\n"
        "comment between series ORI 999\n"
        ". B\n"
        "  terme: 2\n"
        "  Longueur: 4 position 7\n"
        "Valeurs\n"
        " 100 200\n\n 300; 400 after the end\n"
        ". C   undated\x85name\n"
        "  aub 12 ORI ? lon\n"
        "VALeur    NAT    \n"
        " 7 8\n"
        " 9 ;\n"
        ". D\n"
        "ORI 1900\n"
        "VAL  Aj/C:  D\n"
        " 1.5 x -3 ;\n"
        ". E\n"
        "  origine: 1500 terme: 1510\n"
        "VAL  :  E\n"
        "*182/ 146* , ;\n");
}

TEST(Besancon, SeriesArePlacedByTheirKeysAndMarks) {
    const test::WholeRead r = mixed_file();
    ASSERT_EQ(r.series.size(), 4u);
    const struct {
        const char* name;
        std::int32_t first_year;
        std::vector<std::int32_t> values;
        std::int32_t scale;
    } want[] = {{"A-BC-series", -80, {1200, 0, 1300, 1400, 125}, 1000},
                {"B", 0, {100, 200, 300}, 100},  // TER 2 and three rings: years 0, 1, 2
                {"C undated\x85name", 1, {7, 8, 9}, 100},
                {"E", 1500, {182, 146, 0}, 100}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(r.series[i].name, want[i].name);
        EXPECT_EQ(r.series[i].first_year, want[i].first_year) << want[i].name;
        EXPECT_EQ(r.series[i].values, want[i].values) << want[i].name;
        EXPECT_EQ(r.series[i].length, static_cast<std::int32_t>(want[i].values.size())) << want[i].name;
        EXPECT_EQ(r.series[i].scale, want[i].scale) << want[i].name;
    }
}

TEST(Besancon, TheNoticeCountsTheSeriesOfEachKind) {
    const test::WholeRead r = mixed_file();
    EXPECT_EQ(r.notices.front(),
              " Read as a Besançon file: 4 series, 1 without dates, placed from year 1, 1 of them with a LON other "
              "than its number of values, 1 of them with a TER that disagrees with ORI and its values, 1 series of "
              "other values than ring widths (indices) skipped.");
}

TEST(Besancon, MissingRingsAreToldWithTheirSeriesAndYear) {
    const test::WholeRead r = mixed_file();
    ASSERT_EQ(r.missing.size(), 2u);
    EXPECT_TRUE(r.missing[0].series == 1 && r.missing[0].count == 1 && r.missing[0].first_year == -79);
    EXPECT_TRUE(r.missing[1].series == 4 && r.missing[1].count == 1 && r.missing[1].first_year == 1502);
}

TEST(Besancon, TheLabelAfterValTellsRingWidthsFromOtherValues) {
    // What follows VAL: ring widths or something else.
    for (const char* widths : {"VAL", "VAL  :  P338/01/1", "VAL  NAT.:  X", "VALeur    NAT", "Valeurs nat",
                               "val nat:", "VAL Valeurs: X", "VAL:X"})
        EXPECT_TRUE(BesanconReader::holds_widths(widths)) << widths;
    for (const char* other : {"VAL  Aj/C:  X", "VAL EBES", "VALeur INDICE", "VAL  Aj/C"})
        EXPECT_FALSE(BesanconReader::holds_widths(other)) << other;
}

// A series longer than the stores can take is counted in full but keeps only
// MaxYears widths, so that a huge series cannot exhaust the memory.
TEST(Besancon, ALongSeriesKeepsItsLengthButOnlyTheWidthsTheStoresTake) {
    std::string values;
    for (int i = 0; i < MaxYears + 400; ++i) values += i % 10 == 9 ? "5\n" : "5 ";
    const test::WholeRead r = read_with<BesanconReader>(". L\nLON 2500 ORI 1\nVAL\n" + values + ";\n");
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].length, MaxYears + 400);
    EXPECT_EQ(r.series[0].values.size(), static_cast<std::size_t>(MaxYears));
    EXPECT_EQ(r.notices.front(), " Read as a Besançon file: 1 series.");
}

TEST(Besancon, OnlyTheWholeStructureMakesAFileBesancon) {
    EXPECT_EQ(detect_format(". A\nLON 2\nVAL\n1 2 ;\n"), FileFormat::besancon);
    EXPECT_EQ(detect_format("any preamble\n\n. A\n  ori 1900\nVAL\n{1900} 1 , 2.5;\n"), FileFormat::besancon);
    // A decadal file whose title starts like a series, whose identifiers read
    // as keys and VAL, or whose series lines hold only numbers: no ';' ends values.
    const std::string body = test::decadal("LONG", 1995, {120, 98}) + test::decadal("VALA", 1990, {5}) +
                             test::decadal("12345", 1990, {5, 6, 7});
    for (const std::string title : {". A title", ". ORI 1990", "VAL", ". A;"})
        EXPECT_EQ(detect_format(title + "\n" + body), FileFormat::decadal) << title;
    EXPECT_EQ(detect_format(". X\n" + test::decadal("ORIGIN", 1995, {1}) + test::decadal("VALUE", 1995, {1}) +
                            test::decadal("1", 1990, {5, 6})),
              FileFormat::decadal);
    // Each part of the structure is needed: keys, a VAL line, values, the ';'.
    for (const char* almost : {". A\nVAL\n1 2 ;\n", ". A\nLON 2\n1 2 ;\n", ". A\nLON 2\nVAL\n;\n",
                               ". A\nLON 2\nVAL\n1 2\n", ". A\nLON 2\nVAL\n1 x ;\n", ". A\nLON 2\n. B\nVAL\n1 ;\n",
                               ".A\nLON 2\nVAL\n1 ;\n"})
        EXPECT_EQ(detect_format(almost), FileFormat::decadal) << almost;
}

TEST(Besancon, BadFilesEndWithAMessageNamingFileLineOrSeriesAndWhat) {
    const std::string head = ". A\nLON 2\nVAL\n";
    const std::string file = "The Besançon file in.txt cannot be read, ";
    const struct {
        std::string content;
        std::vector<std::string> want;
    } cases[] = {
        {head + " 1 x ;\n", {file + "line 4, series 1 (A):", "\"x\" is not a width, ',' (a missing ring) or ';' (the end)", " 1 x ;"}},
        {head + " 12,5 ;\n", {file + "line 4, series 1 (A):", "\"12,5\" is not a width, ',' (a missing ring) or ';' (the end)", " 12,5 ;"}},
        {head + " -5 ;\n", {file + "line 4, series 1 (A):", "\"-5\" is not a width, ',' (a missing ring) or ';' (the end)", " -5 ;"}},
        {head + "{ 1529 12 ;\n", {file + "line 4, series 1 (A):", "\"{ 1529 12 ;\" is not a width, ',' (a missing ring) or ';' (the end)", "{ 1529 12 ;"}},
        {head + " 99999999999 ;\n", {file + "line 4, series 1 (A):", "the width 99999999999 is too large", " 99999999999 ;"}},
        {head + " 1 2\n", {file + "series 1 (A):", "the file ends before the ';' that ends its values"}},
        {head + " 1 2\n. B\n", {file + "line 5, series 1 (A):", "a new series begins before the ';' that ends the values of this one", ". B"}},
        {". A\nLON 2\n. B\nVAL\n1 ;\n", {file + "line 3, series 1 (A):", "a new series begins before the VAL line that starts the values of this one", ". B"}},
        {". A\nLON 2\n", {file + "series 1 (A):", "the file ends before the VAL line that starts its values"}},
        {". A\nORI 0\nVAL\n1 ;\n", {file + "series 1 (A):", "ORI is 0, but the years before our era are negative and there is no year 0"}},
        {". A\nTER 0\nVAL\n1 ;\n", {file + "series 1 (A):", "TER is 0, but the years before our era are negative and there is no year 0"}},
        {". A\nTER -999999999\nVAL\n1 2 3 4 ;\n", {file + "series 1 (A):", "its first year -1000000001 is far outside any calendar"}},
        // Series are counted in the file, skipped ones included.
        {". I\nVAL EBES\n1 ;\n. B\nVAL\n x ;\n", {file + "line 6, series 2 (B):", "\"x\" is not a width, ',' (a missing ring) or ';' (the end)", " x ;"}},
        {". I\nVAL EBES\n1\n", {file + "series 1 (I):", "the file ends before the ';' that ends its values"}},
        {"no series at all\n", {" The Besançon file in.txt holds no ring-width series.", " There is nothing to analyse. The run ends here."}},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal_of<BesanconReader>(c.content), c.want) << c.content;
}

}  // namespace
}  // namespace tarnik

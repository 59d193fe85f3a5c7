// The workbook readers: the ten Campito Mountain series as .xlsx and .ods
// workbooks written here and the sample .xls, against the decadal file; the
// cells of each kind (shared, inline and formula strings, cached values,
// repeated cells and rows, stored numbers against displayed ones); the
// recognition of each container, damaged ones included; and every message
// that ends a run.

#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <string>
#include <vector>

#include "console/errors.h"
#include "data/limits.h"
#include "input/data_set.h"
#include "input/decadal.h"
#include "input/formats.h"
#include "input/ods.h"
#include "input/ole2.h"
#include "input/xls.h"
#include "input/xlsx.h"
#include "support/test_support.h"
#include "workbook_builder.h"

namespace tarnik {
namespace {

struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

Read read_bytes(std::string bytes) {
    Read r;
    DataSetReader data(make_series_source(std::move(bytes), "in.dat"));
    SeriesRead s;
    while (data.next(s)) r.series.push_back(s);
    r.notices = data.take_notices();
    r.missing = data.missing_rings();
    return r;
}

// The lines of the message that ends the run, without the read-error frame
// (its first line, the indent and the last line).
std::vector<std::string> message_of(std::string bytes) {
    try {
        read_bytes(std::move(bytes));
    } catch (const InternalError& e) {
        std::vector<std::string> lines(e.lines.begin() + 1, e.lines.end() - 1);
        for (auto& l : lines) l.erase(0, 13);
        return lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    return {"no message"};
}

std::string number_text(double v) {
    char b[64];
    return std::string(b, std::to_chars(b, b + sizeof b, v).ptr);
}

// An .xlsx sheet's row: the year, then the cells' XML as given.
std::string xrow(int row, const std::string& cells) { return "<row r=\"" + std::to_string(row) + "\">" + cells + "</row>"; }
std::string xnum(const std::string& ref, const std::string& v) { return "<c r=\"" + ref + "\"><v>" + v + "</v></c>"; }
std::string xstr(const std::string& ref, int shared) {
    return "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(shared) + "</v></c>";
}
std::string xinline(const std::string& ref, const std::string& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

// An .ods row and cells.
std::string orow(const std::string& cells, int repeat = 1) {
    return "<table:table-row" + (repeat > 1 ? " table:number-rows-repeated=\"" + std::to_string(repeat) + "\"" : std::string()) +
           ">" + cells + "</table:table-row>";
}
std::string onum(const std::string& v, const std::string& shown = "?", int repeat = 1) {
    return "<table:table-cell office:value-type=\"float\" office:value=\"" + v + "\"" +
           (repeat > 1 ? " table:number-columns-repeated=\"" + std::to_string(repeat) + "\"" : std::string()) +
           "><text:p>" + shown + "</text:p></table:table-cell>";
}
std::string otext(const std::string& t) {
    return "<table:table-cell office:value-type=\"string\"><text:p>" + t + "</text:p></table:table-cell>";
}
std::string oempty(int repeat = 1) {
    return "<table:table-cell table:number-columns-repeated=\"" + std::to_string(repeat) + "\"/>";
}

std::vector<SeriesRead> campito_ten() {
    DataSetReader data(std::make_unique<DecadalReader>(test::read_file(test::data_file("ca533.rwl")), "ca533.rwl"));
    std::vector<SeriesRead> ten;
    SeriesRead s;
    while (ten.size() < 10 && data.next(s)) ten.push_back(s);
    return ten;
}

void expect_same_series(const std::vector<SeriesRead>& got, const std::vector<SeriesRead>& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].id, want[i].id) << what;
        EXPECT_EQ(got[i].first_year, want[i].first_year) << what << " " << want[i].id;
        EXPECT_EQ(got[i].length, want[i].length) << what << " " << want[i].id;
        EXPECT_EQ(got[i].values, want[i].values) << what << " " << want[i].id;
        EXPECT_EQ(got[i].scale, want[i].scale) << what << " " << want[i].id;
    }
}

// The ten series as a table in both ZIP formats: the .xlsx with shared-string
// names and sparse rows, the .ods with runs of repeated empty cells, a display
// text that differs from the stored value, and a million repeated empty rows
// at the end.
TEST(Workbooks, TheTenCampitoSeriesReadAsInTheDecadalFile) {
    const std::vector<SeriesRead> ten = campito_ten();
    std::int32_t first = 9999, last = -9999;
    for (const SeriesRead& s : ten) first = std::min(first, s.first_year), last = std::max(last, s.first_year + s.length - 1);
    std::vector<std::string> strings{"<t>Year</t>"};
    std::string xdata = xrow(1, xstr("A1", 0));
    std::string odata = orow(otext("Year"));
    std::string header_cells;
    for (std::size_t k = 0; k < ten.size(); ++k) {
        std::string name = ten[k].id;
        name.erase(name.find_last_not_of(' ') + 1);
        strings.push_back("<r><t>" + name.substr(0, 3) + "</t></r><r><t xml:space=\"preserve\">" + name.substr(3) + "</t></r>");
        header_cells += xstr(WorkbookSource::cell_name(1, static_cast<std::int64_t>(k) + 2), static_cast<int>(k) + 1);
        odata.insert(odata.size() - std::string("</table:table-row>").size(), otext(name));
    }
    xdata = xrow(1, xstr("A1", 0) + header_cells);
    for (std::int32_t y = first; y <= last; ++y) {
        const int row = y - first + 2;
        std::string xcells = xnum("A" + std::to_string(row), std::to_string(y)), ocells = onum(std::to_string(y), "x");
        int gap = 0;
        for (std::size_t k = 0; k < ten.size(); ++k) {
            const SeriesRead& s = ten[k];
            if (y < s.first_year || y >= s.first_year + s.length) {
                ++gap;
                continue;
            }
            if (gap > 0) ocells += oempty(gap);
            gap = 0;
            const std::string v = number_text(s.values[static_cast<std::size_t>(y - s.first_year)] / 100.0);
            xcells += xnum(WorkbookSource::cell_name(row, static_cast<std::int64_t>(k) + 2), v);
            ocells += onum(v, "shown");
        }
        if (gap > 0) ocells += oempty(gap);
        xdata += xrow(row, xcells);
        odata += orow(ocells);
    }
    odata += orow(oempty(1024), 1048000);
    const struct {
        std::string bytes;
        FileFormat format;
        std::string notice;
    } books[] = {{test::xlsx_of({{"Campito", xdata}}, strings), FileFormat::xlsx,
                  " Read as an Excel workbook: 10 series, from the sheet \"Campito\"."},
                 {test::ods_of({{"Campito", odata}}), FileFormat::ods,
                  " Read as an OpenDocument spreadsheet: 10 series, from the sheet \"Campito\"."}};
    for (const auto& b : books) {
        EXPECT_EQ(detect_format(b.bytes), b.format) << b.notice;
        const Read r = read_bytes(b.bytes);
        expect_same_series(r.series, ten, b.notice);
        EXPECT_EQ(r.notices, std::vector<std::string>{b.notice});
        EXPECT_TRUE(r.missing.empty());
    }
}

// The sample .xls: two series from 500, the second shorter, numbers as stored
// (0.08000000000000002 is 80 micrometres); two further sheets left aside.
TEST(Workbooks, TheSampleExcel97WorkbookReadsItsFirstSheet) {
    const std::string bytes = test::read_file(test::data_file("corpus/formats2/ExcelMatrix/test.xls"));
    EXPECT_EQ(detect_format(bytes), FileFormat::xls);
    const Read r = read_bytes(bytes);
    ASSERT_EQ(r.series.size(), 2u);
    EXPECT_EQ(r.series[0].name, "MySample1");
    EXPECT_EQ(r.series[1].name, "MySample2");
    EXPECT_EQ(r.series[0].first_year, 500);
    EXPECT_EQ(r.series[1].first_year, 501);
    EXPECT_EQ(r.series[0].length + r.series[1].length, 22);
    EXPECT_EQ(r.series[0].scale, 100);
    const std::vector<std::int32_t> start{33, 26, 20, 14, 8, 2, 20, 14, 8, 20, 33};
    EXPECT_EQ(std::vector<std::int32_t>(r.series[0].values.begin(), r.series[0].values.begin() + 11), start);
    EXPECT_EQ(r.notices.front(), " Read as an Excel 97-2003 workbook: 2 series, from the sheet \"Sheet1\", 2 other sheets left aside.");
}

// Cells of every kind in an .xlsx: shared strings with runs and phonetic
// guides, inline strings, a formula with its cached value, NA as text and as
// the #N/A error, an empty column between series, a gap inside a series, a
// cell without its reference, numbers stored with 17 digits, and a chart
// sheet before the first worksheet.
TEST(Workbooks, ExcelCellsOfEveryKind) {
    const std::vector<std::string> strings{"<t>Year </t>", "<r><t>A</t></r><rPh><t>x</t></rPh><r><t>1</t></r>", "<t> NA </t>"};
    const std::string data =
        xrow(1, xstr("A1", 0) + xstr("B1", 1) + xinline("D1", "B2") + xinline("E1", "C3")) +
        xrow(3, xnum("A3", "1990") + xnum("B3", "0.35499999999999998") + "<c r=\"D3\"><f>B3*2</f><v>0.71</v></c>" +
                    "<c><v>1E-3</v></c>") +
        xrow(4, xnum("A4", "1991") + xstr("B4", 2) + "<c r=\"D4\" t=\"e\"><v>#N/A</v></c>" + xnum("E4", "0.0005")) +
        xrow(5, "<c r=\"A5\" t=\"str\"><v>1992</v></c>" + xnum("B5", "0.08000000000000002") + xinline("C5", "NA") +
                    xnum("D5", "-1") + xnum("E5", "2"));
    const Read r = read_bytes(test::xlsx_of({{"Chart", "chart"}, {"Data", data}, {"Other", ""}}, strings));
    ASSERT_EQ(r.series.size(), 3u);
    EXPECT_EQ(r.series[0].name, "A1");
    EXPECT_EQ(r.series[0].values, (std::vector<std::int32_t>{355, 0, 80}));
    EXPECT_EQ(r.series[0].scale, 1000);
    EXPECT_EQ(r.series[1].name, "B2");
    EXPECT_EQ(r.series[1].values, (std::vector<std::int32_t>{71, 0, 0}));
    EXPECT_EQ(r.series[1].scale, 100);
    EXPECT_EQ(r.series[2].name, "C3");
    EXPECT_EQ(r.series[2].first_year, 1990);
    EXPECT_EQ(r.series[2].values, (std::vector<std::int32_t>{1, 1, 2000}));
    ASSERT_EQ(r.missing.size(), 2u);
    EXPECT_EQ(r.missing[0].count, 1);
    EXPECT_EQ(r.missing[0].first_year, 1991);
    EXPECT_EQ(r.missing[1].count, 2);
    EXPECT_EQ(r.notices.front(), " Read as an Excel workbook: 3 series, 1 column without values left out, "
                                 "from the sheet \"Data\", 2 other sheets left aside.");
}

// Repeated cells and rows of an .ods: a value repeated over three columns,
// an empty run between series, an empty row inside the table (skipped), and
// a repeated row with values, which can only repeat its year.
TEST(Workbooks, OpenDocumentRepeatedCellsAndRowsRead) {
    const std::string table = orow(oempty() + otext("A") + otext("B") + otext("C") + oempty(16000)) +
                              orow(onum("7") + onum("1.5", "1.50", 3)) + orow(oempty(1024), 3) +
                              orow(onum("8") + oempty(2) + onum("0.25")) +
                              orow(onum("9") + onum("0.5") + oempty(1)) +
                              orow(oempty(), 1048000);
    const Read r = read_bytes(test::ods_of({{"T", table}, {"U", ""}, {"V", ""}}));
    ASSERT_EQ(r.series.size(), 3u);
    EXPECT_EQ(r.series[0].values, (std::vector<std::int32_t>{150, 0, 50}));
    EXPECT_EQ(r.series[1].values, (std::vector<std::int32_t>{150}));
    EXPECT_EQ(r.series[2].values, (std::vector<std::int32_t>{150, 25}));
    EXPECT_EQ(r.notices.front(), " Read as an OpenDocument spreadsheet: 3 series, from the sheet \"T\", 2 other sheets left aside.");
}

TEST(Workbooks, OpenDocumentRowRepeatedWithItsYearEndsTheRun) {
    EXPECT_EQ(message_of(test::ods_of({{"T", orow(otext("Year") + otext("A")) + orow(onum("7") + onum("1"), 2)}})),
              (std::vector<std::string>{"The OpenDocument spreadsheet in.dat cannot be read, sheet \"T\", rows 2 and 3:",
                                        "the year 7 does not follow 7 (one row per year, in order)"}));
}

// Every message that ends the run, with the cell or rows it names.
TEST(Workbooks, BadWorkbooksEndTheRunWithAMessageNamingTheCell) {
    const std::vector<std::string> strings{"<t>Year</t>", "<t>A</t>", "<t>0.35</t>"};
    const std::string head = xrow(1, xstr("A1", 0) + xstr("B1", 1));
    const auto xlsx = [&](const std::string& rows) { return test::xlsx_of({{"Data", head + rows}}, strings); };
    const struct {
        std::string bytes;
        std::vector<std::string> want;
    } cases[] = {
        {xlsx(xrow(2, xnum("A2", "1990") + xnum("B2", "1")) + xrow(7, xnum("A7", "1991") + xstr("B7", 2))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell B7, series 1 (A):",
          "the cell holds the text \"0.35\", where a width in millimetres belongs"}},
        {xlsx(xrow(2, xnum("A2", "-1") + xnum("B2", "1")) + xrow(3, xnum("A3", "1602") + xnum("B3", "1"))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", rows 2 and 3:",
          "the year 1602 does not follow -1 (one row per year, in order)"}},
        {xlsx(xrow(2, xnum("A2", "1990.5") + xnum("B2", "1"))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell A2:",
          "the cell holds a number that is no whole year, where the row's year belongs"}},
        {xlsx(xrow(2, xnum("B2", "1"))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell A2:", "the row holds widths but no year"}},
        {xlsx(xrow(2, xnum("A2", "1") + xnum("D2", "1"))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell D2:",
          "the cell holds a value, but its column has no name in the first row"}},
        {xlsx(xrow(2, xnum("A2", "1") + "<c r=\"B2\" t=\"e\"><v>#DIV/0!</v></c>")),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell B2, series 1 (A):",
          "the cell holds the error #DIV/0!, where a width in millimetres belongs"}},
        {xlsx(xrow(2, xnum("A2", "1") + "<c r=\"B2\"><f>X</f></c>")),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell B2, series 1 (A):",
          "the cell holds a formula whose value was not saved"}},
        {xlsx(xrow(2, xnum("A2", "1") + xnum("B2", "3e6"))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell B2, series 1 (A):",
          "the width 3e+06 mm is too large"}},
        {xlsx(xrow(3, xnum("A3", "1")) + xrow(2, xnum("A2", "2"))),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell A2:", "the rows of the sheet are not in order"}},
        {test::xlsx_of({{"Data", xrow(1, xnum("A1", "1990") + xnum("B1", "1"))}}),
         {"The Excel workbook in.dat cannot be read, sheet \"Data\", cell A1:",
          "the first row must name the year column (Year, or empty) and the series"}},
        {test::xlsx_of({{"Only a chart", "chart"}}),
         {" The Excel workbook in.dat holds no worksheet.", " There is nothing to analyse. The run ends here."}},
        {test::ods_of({}),
         {" The OpenDocument spreadsheet in.dat holds no worksheet.", " There is nothing to analyse. The run ends here."}},
        {test::ods_of({{"T", orow(otext("Year") + otext("A")) + orow(onum("1") + onum("2"))}},
                      "<manifest:encryption-data manifest:checksum=\"x\"/>"),
         {" The file in.dat is encrypted (protected by a password) and cannot be read.",
          " Save it without a password first. The run ends here."}},
        {test::ods_of({{"T", orow(otext("Year") + otext("A")) + orow(onum("1") + otext("n/a"))}}),
         {"The OpenDocument spreadsheet in.dat cannot be read, sheet \"T\", cell B2, series 1 (A):",
          "the cell holds the text \"n/a\", where a width in millimetres belongs"}},
        {test::ods_of({{"T", orow(otext("Year") + otext("A")) + orow(onum("1") + onum("1", "", 20000))}}),
         {"The OpenDocument spreadsheet in.dat cannot be read, sheet \"T\", cell C2:",
          "the cell holds a value, but its column has no name in the first row"}},
        {test::ods_of({{"T", orow(otext("Year") + otext("A"))}}),
         {" The OpenDocument spreadsheet in.dat holds no ring-width series, 1 column without values left out, "
          "from the sheet \"T\".",
          " There is nothing to analyse. The run ends here."}},
    };
    for (const auto& c : cases) EXPECT_EQ(message_of(c.bytes), c.want);
}

// The containers: a damaged ZIP or OLE2 file is still recognised by what its
// bytes show and ends with a message about its container; an encrypted one
// says so; a part that would
// expand beyond 1 GB is refused before it is inflated; a document type
// declaration is refused; an .xls whose sheets declare more cells than the
// workbook library may take is refused before the library reads it.
TEST(Workbooks, DamagedContainersAndBombsEndWithAClearMessage) {
    const std::string head = xrow(1, xinline("A1", "Year") + xinline("B1", "A")) + xrow(2, xnum("A2", "1") + xnum("B2", "1"));
    std::string book = test::xlsx_of({{"Data", head}});
    std::string cut = book.substr(0, book.size() - 30);
    EXPECT_EQ(detect_format(cut), FileFormat::xlsx);
    ASSERT_GE(message_of(cut).size(), 2u);
    EXPECT_EQ(message_of(cut)[0], "The Excel workbook in.dat cannot be read, its ZIP container:");

    // The sheet's uncompressed size in the central directory, raised to 2 GB.
    const std::string part = "xl/worksheets/sheet1.xml";
    const std::size_t central = book.rfind("PK\x01\x02", book.rfind(part));
    ASSERT_NE(central, std::string::npos);
    std::string bomb = book;
    bomb.replace(central + 24, 4, std::string("\x00\x00\x00\x80", 4));
    EXPECT_EQ(message_of(bomb), (std::vector<std::string>{
                                    "The Excel workbook in.dat cannot be read, its ZIP container:",
                                    "the part xl/worksheets/sheet1.xml cannot be read: it would expand to 2048 MB, "
                                    "beyond the 1 GB a workbook part may take"}));

    const std::string entity = test::zip_of({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                                             {"content.xml", "<?xml version='1.0'?><!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>"}});
    EXPECT_EQ(detect_format(entity), FileFormat::ods);
    EXPECT_EQ(message_of(entity)[1], "the part content.xml holds a document type declaration, which no workbook part has");

    // Encrypted: a ZIP part under a password, and an OLE2 file that holds an
    // encrypted package instead of a workbook stream.
    const std::vector<std::string> encrypted{" The file in.dat is encrypted (protected by a password) and cannot be read.",
                                             " Save it without a password first. The run ends here."};
    const std::string locked = test::zip_of({{"xl/workbook.xml", "<workbook><sheets><sheet name='S' r:id='r1' "
                                                                  "xmlns:r='x'/></sheets></workbook>", false, true}});
    EXPECT_EQ(detect_format(locked), FileFormat::xlsx);
    EXPECT_EQ(message_of(locked), encrypted);
    std::string package = test::read_file(test::data_file("corpus/formats2/ExcelMatrix/test.xls"));
    const std::string package_name(reinterpret_cast<const char*>(u"EncryptedPackage"), 34);  // with the closing 0
    const std::size_t entry = package.find(std::string(reinterpret_cast<const char*>(u"Workbook"), 16));
    package.replace(entry, 34, package_name);
    package.replace(entry + 64, 2, std::string("\x22\x00", 2));
    EXPECT_EQ(detect_format(package), FileFormat::xls);
    EXPECT_EQ(message_of(package), encrypted);

    std::string xls = test::read_file(test::data_file("corpus/formats2/ExcelMatrix/test.xls"));
    const std::string workbook(reinterpret_cast<const char*>(u"Workbook"), 16);
    xls.replace(xls.find(workbook) + 64, 2, std::string("\x00\x00", 2));  // the directory entry's name length
    EXPECT_EQ(detect_format(xls), FileFormat::xls);
    EXPECT_EQ(message_of(xls), (std::vector<std::string>{"The Excel 97-2003 workbook in.dat cannot be read, its OLE2 container:",
                                                         "it holds no workbook stream that can be read"}));

    std::string big = test::read_file(test::data_file("corpus/formats2/ExcelMatrix/test.xls"));
    for (std::size_t at = big.find(std::string("\x00\x02\x0e\x00", 4)); at != std::string::npos;
         at = big.find(std::string("\x00\x02\x0e\x00", 4), at + 1))
        big.replace(at + 8, 4, std::string("\x00\x00\x01\x00", 4)), big.replace(at + 14, 2, std::string("\x00\x01", 2));
    EXPECT_EQ(XlsReader::declared_cells(*ole2::stream(big, "Workbook")), 3u * 65536u * 256u);
    EXPECT_EQ(message_of(big)[1], "its sheets declare 50331648 cells, more than the 16777216 a workbook may have");
}

// The column collector that CSV tables and workbooks share keeps at most
// MaxYears widths of a column and, once the widths kept pass MaxValues, only
// lengths: every series is still handed out with its full length, for the
// reading loop to end the run at its limit.
TEST(Workbooks, TableColumnsKeepTheirLengthsPastTheStoresLimits) {
    std::string csv = "Year,A\n";
    for (int y = 1; y <= MaxYears + 5; ++y) csv += std::to_string(y) + ",0.5\n";
    Read r = read_bytes(csv);
    ASSERT_EQ(r.series.size(), 1u);
    EXPECT_EQ(r.series[0].length, MaxYears + 5);
    EXPECT_EQ(r.series[0].values.size(), static_cast<std::size_t>(MaxYears));

    constexpr int kColumns = MaxValues / MaxYears + 1;  // one column more than the stores hold
    csv = "Year";
    for (int c = 0; c < kColumns; ++c) csv += ",S" + std::to_string(c);
    std::string row;
    for (int c = 0; c < kColumns; ++c) row += ",1";
    csv += "\n";
    for (int y = 1; y <= MaxYears; ++y) csv += std::to_string(y) + row + "\n";
    r = read_bytes(csv);
    ASSERT_EQ(r.series.size(), static_cast<std::size_t>(kColumns));
    std::int64_t total = 0;
    for (const SeriesRead& s : r.series) total += s.length;
    EXPECT_EQ(total, std::int64_t{kColumns} * MaxYears);
    EXPECT_EQ(r.series.back().name, "S" + std::to_string(kColumns - 1));
}

TEST(Workbooks, CellsAreNamedByColumnLettersAndRow) {
    EXPECT_EQ(WorkbookSource::cell_name(7, 2), "B7");
    EXPECT_EQ(WorkbookSource::cell_name(1, 26), "Z1");
    EXPECT_EQ(WorkbookSource::cell_name(1, 27), "AA1");
    EXPECT_EQ(WorkbookSource::cell_name(1048576, 16384), "XFD1048576");
}

TEST(Workbooks, NumbersTakeTheirShortestDecimal) {
    const auto d = WorkbookSource::shortest_decimal(0.1 + 0.2);  // 0.30000000000000004
    ASSERT_TRUE(d);
    EXPECT_EQ(d->mantissa, 30000000000000004u);
    EXPECT_EQ(WorkbookSource::shortest_decimal(0.08)->mantissa, 8u);
    EXPECT_FALSE(WorkbookSource::shortest_decimal(std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace tarnik

// Workbooks through the whole program: the sample .xls read and summarised,
// a folder of .xlsx workbooks with one notice, and the exit statuses of a
// workbook whose years do not follow one another and of one without a worksheet.

#include <gtest/gtest.h>

#include <filesystem>

#include "input/workbook_builder.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

using test::contains_block;
using test::lines;
using test::run_tarnik;
using test::TempDir;

std::string cell(const std::string& ref, const std::string& v) { return "<c r=\"" + ref + "\"><v>" + v + "</v></c>"; }
std::string name(const std::string& ref, const std::string& t) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + t + "</t></is></c>";
}

// A worksheet of two years of the series A.
const std::string kHeader = "<row r=\"1\">" + name("A1", "Year") + name("B1", "A") + "</row>";
const std::string kRows = "<row r=\"2\">" + cell("A2", "1901") + cell("B2", "1.5") + "</row><row r=\"3\">" +
                          cell("A3", "1902") + cell("B3", "0.25") + "</row>";

test::RunResult read_sample_xls(const TempDir& dir) {
    dir.copy_data("corpus/formats2/ExcelMatrix/test.xls", "matrix.xls");
    return run_tarnik(dir, lines({"matrix.xls", "f", "1", "5"}));
}

TEST(Workbooks, AnXlsWorkbookIsReadFromItsFirstSheet) {
    TempDir dir;
    const auto r = read_sample_xls(dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out, "Processing file matrix.xls\n Read as an Excel 97-2003 workbook: 2 series, from the "
                                      "sheet \"Sheet1\", 2 other sheets left aside.\n"));
}

TEST(Workbooks, AnXlsWorkbookIsSummarisedLikeAnyFile) {
    TempDir dir;
    const auto r = read_sample_xls(dir);
    EXPECT_TRUE(contains_block(r.out, "Contains:        2 series\nSpanning the calander period  500 - 513\n"));
}

TEST(Workbooks, AFolderOfWorkbooksGivesOneNotice) {
    TempDir dir;
    std::filesystem::create_directory(dir / "books");
    dir.write("books/one.xlsx", test::xlsx_of({{"S", kHeader + kRows}}));
    dir.write("books/two.xlsx", test::xlsx_of({{"S", kHeader + kRows}, {"T", ""}}));
    const auto r = run_tarnik(dir, lines({"books", "f", "1", "5"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(contains_block(r.out, " Read 2 Excel workbooks: 2 series, from the sheet \"S\", 1 other sheet left aside.\n"));
}

TEST(Workbooks, YearsOutOfOrderEndTheRunWithStatus2) {
    TempDir dir;
    dir.write("years.xlsx", test::xlsx_of({{"S", kHeader + "<row r=\"2\">" + cell("A2", "-1") + cell("B2", "1") +
                                                      "</row><row r=\"3\">" + cell("A3", "1602") + cell("B3", "1") + "</row>"}}));
    const auto r = run_tarnik(dir, lines({"years.xlsx", "f", "1", ""}));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains_block(r.out, "             The Excel workbook years.xlsx cannot be read, sheet \"S\", rows 2 and 3:\n"
                                      "             the year 1602 does not follow -1 (one row per year, in order)\n"));
}

TEST(Workbooks, AWorkbookWithoutWorksheetEndsTheRunWithStatus1) {
    TempDir dir;
    dir.write("chart.xlsx", test::xlsx_of({{"C", "chart"}}));
    const auto r = run_tarnik(dir, lines({"chart.xlsx", "f", "1", "5"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains_block(r.out, " The Excel workbook chart.xlsx holds no worksheet.\n"));
}

}  // namespace
}  // namespace tarnik

#pragma once
// What the readers of spreadsheet workbooks (.xlsx, .ods, .xls) share: the
// first worksheet read as a table (input/table_source.h) from its cells as the
// workbook stores them, numbers taken from their stored values, never from the
// text a spreadsheet displays; messages that name the sheet's cell (B7); the
// notice of the sheet read and of the sheets left aside.
//
// A reader hands over the non-empty cells of the sheet row by row, each row's
// cells from left to right (cell()), then calls end_sheet(). The first row
// with anything in it names the columns; rows with nothing in them are
// skipped, so a sheet's trailing empty rows cost nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/limits.h"
#include "input/table_source.h"

namespace tarnik {

// One cell of a worksheet as stored.
struct SheetCell {
    enum class Kind {
        empty,
        number,  // `number`
        text,    // `text`
        other,   // a boolean, date or error: `text` says what ("the error #DIV/0!"); #N/A is no ring
    };
    Kind kind = Kind::empty;
    double number = 0;
    std::string_view text;
};

class WorkbookSource : public TableSource {
public:
    // Spreadsheets hold at most this many columns (A to XFD) and rows.
    static constexpr std::int64_t kMaxColumns = 16384;
    static constexpr std::int64_t kMaxRows = 1048576;
    // The text of one cell and of all column names together may take at most
    // this much memory.
    static constexpr std::size_t kMaxCellText = 1 << 20;
    static constexpr std::size_t kMaxNameText = 64 << 20;

    // A workbook's cells are compressed or spread over its records: the stores'
    // capacity is the only bound known before reading.
    std::size_t value_count_bound() const override { return MaxValues; }

    // "B7" for row 7, column 2 (both counted from 1).
    static std::string cell_name(std::int64_t row, std::int64_t column);
    // The shortest decimal that reads back to `value` ("0.08" for the double
    // nearest 0.08); no value for an infinity or NaN.
    static std::optional<Decimal> shortest_decimal(double value);

protected:
    // `format` and `noun` name the file in messages ("Excel", "workbook").
    WorkbookSource(std::string file, std::string format, std::string noun);

    // The sheet being read (its name as the workbook gives it), and how many
    // further sheets are left aside.
    void set_sheet(std::string_view name) { sheet_.assign(name); }
    void set_other_sheets(std::int32_t others) { others_ = others; }
    // A cell of the sheet at `row` and `column` (from 1); rows in increasing
    // order, each row's cells from left to right. Empty cells may be left out.
    void cell(std::int64_t row, std::int64_t column, const SheetCell& c);
    // After the sheet's last cell.
    void end_sheet();

    // Ends the run with the read-error message for the cell at `row`, `column`.
    [[noreturn]] void cell_error(std::int64_t row, std::int64_t column, const std::string& what) const;
    // Ends the run with a read error about the workbook as a whole: `where`
    // names its container or the part that leads to its sheets.
    [[noreturn]] void workbook_error(const std::string& where, const std::string& what) const {
        read_error(where, what);
    }
    // A workbook without any worksheet, or one that is encrypted: the run ends
    // with a message that says so.
    [[noreturn]] void no_worksheet() const;
    [[noreturn]] void encrypted() const;

    std::vector<ReadDetail> table_details() const override;
    void name_columns() override;
    const std::string& sheet() const { return sheet_; }

private:
    void header_cell(std::int64_t column, const SheetCell& c);
    void year_cell(std::int64_t row, const SheetCell& c);
    void width_cell(std::int64_t row, std::int64_t column, const SheetCell& c);
    void close_row();
    std::string where(std::int64_t row, std::int64_t column) const;

    std::string sheet_;
    std::int32_t others_ = 0;
    bool header_read_ = false;
    std::int64_t row_ = 0;           // the row being read (0 before the first)
    std::int64_t last_column_ = 0;   // its last cell's column
    std::int64_t last_data_row_ = 0; // the data row before it
    std::size_t name_text_ = 0;
    std::vector<std::string> names_; // of the series columns, from the first row
    std::string name_;               // scratch for a column name
};

}  // namespace tarnik

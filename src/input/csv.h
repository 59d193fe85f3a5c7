#pragma once
// The CSV table reader (tables as spreadsheets and R write them). A header row
// whose first cell names the year column (Year, year, or empty) and whose other
// cells name the series; then one row per year, the years consecutive; widths
// in millimetres.
//  * The separator is the first `,`, `;` or tab of the header row; quotes
//    around cells are dropped (a doubled quote inside stands for one); where
//    the separator is not a comma a decimal comma is read too.
//  * An empty cell or NA is no ring: each column is a series from its first to
//    its last value, and an empty cell between them is a missing ring (0,
//    reported per series), as is a negative width.
//  * A column without any value is no series; the notice counts it.

//
// The table is read whole before the first series is handed out; what is kept
// follows the values, not the table's shape (see input/table_source.h).

#include <cstdint>
#include <string>
#include <string_view>

#include "input/table_source.h"
#include "input/text_source.h"

namespace tarnik {

class CsvReader : public TableSource, private TextSource {
public:
    // `file` names the file in messages.
    CsvReader(std::string content, std::string file);

    std::size_t value_count_bound() const override { return bound_; }

    // True when the content is a table of this form: a header row as above and
    // a first row whose cells are a year and numbers, empty or NA.
    static bool looks_like(std::string_view content);

    // The separator of a header row: its first `,`, `;` or tab outside quotes; 0 for none.
    static char separator_of(std::string_view header);

private:
    // The cells of one row, one at a time, quotes dropped, blanks around cells
    // kept. A quote left open, or text after a closing quote, makes the row
    // unreadable: next() is then false and broken() true. A cell stays valid
    // until the next call.
    class Cells {
    public:
        Cells(std::string_view line, char separator) : line_(line), separator_(separator) {}
        bool next(std::string_view& cell);
        bool broken() const { return broken_; }

    private:
        bool fail();
        std::string_view line_;
        char separator_;
        std::size_t pos_ = 0;
        bool done_ = false, broken_ = false;
        std::string buffer_;  // a quoted cell with doubled quotes, undoubled
    };
    void read_table() override;
    void name_columns() override;
    void read_row(std::string_view line);
    std::string column_label(std::uint64_t index);

    std::size_t bound_;
    char separator_ = 0;
    std::string header_;  // the header row, for the names of the columns
};

}  // namespace tarnik

#pragma once
// The CSV table reader (tables as spreadsheets and R write them), with the
// rules of every table (input/table_source.h): a header row whose first cell
// names the year column (Year, year, or empty) and whose other cells name the
// series; then one row per year, the years consecutive; widths in millimetres.
//  * The separator is the first `,`, `;` or tab of the header row; quotes
//    around cells are dropped (a doubled quote inside stands for one); where
//    the separator is not a comma a decimal comma is read too.
//  * An empty cell or NA is no ring: each column is a series from its first to
//    its last value, and an empty cell between them is a missing ring (0,
//    reported per series), as is a negative width.
//  * A column without any value is no series; the notice counts it.

#include <string>
#include <string_view>
#include <vector>

#include "input/table_source.h"
#include "input/text_source.h"

namespace tarnik {

class CsvReader : public TableSource, private TextSource {
public:
    // `file` names the file in messages.
    CsvReader(std::string content, std::string file);

    std::size_t value_count_bound() const override { return bound_; }

    // True when the content is a table of this form: see detect_format.
    static bool looks_like(std::string_view content);

    // The cells of one row, quotes dropped, blanks around cells kept. A quote
    // left open makes the row unreadable (no value). `buffer` holds the text of
    // quoted cells; the views point into `line` or into it.
    static std::optional<std::vector<std::string_view>> cells(std::string_view line, char separator,
                                                              std::string& buffer);
    // The separator of a header row: its first `,`, `;` or tab outside quotes; 0 for none.
    static char separator_of(std::string_view header);

private:
    void read_table() override;

    std::size_t bound_;
};

}  // namespace tarnik

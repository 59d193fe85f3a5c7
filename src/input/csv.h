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

#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"
#include "input/text_source.h"

namespace tarnik {

class CsvReader : public ConvertedSource, private TextSource {
public:
    // `file` names the file in messages.
    CsvReader(std::string content, std::string file);

    bool next(SeriesRead& s) override;
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
    struct Column {
        std::string name;
        std::int64_t first_row = -1;       // row of the first value
        std::int64_t pending_empty = 0;    // empty cells since the last value
        std::vector<std::int32_t> cells;   // micrometres; kMissingRing for a missing ring
    };
    void parse();

    std::size_t bound_;
    bool parsed_ = false;
    std::vector<Column> columns_;
    std::int64_t first_year_ = 0;
    std::size_t next_ = 0;
    std::int32_t empty_columns_ = 0;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik

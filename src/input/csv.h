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
// The table is read whole before the first series is handed out, but what is
// kept follows the values, not the table's shape: only the columns that hold
// a value (at most the MaxSeries + 1 first of them: the reading loop ends at
// the next one), each with its run from its first to its last value (empty
// cells after the last value, or in a column without values, are never
// stored), at most MaxYears widths a column and, past the stores' limits, only
// each column's length (see ConvertedSource).

#include <cstdint>
#include <memory>
#include <set>
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
    // A column that holds a value; rows are counted from 0 (blank lines aside).
    struct Column {
        std::int64_t first_row = -1, last_row = -1;  // rows of its first and last value
        std::vector<std::int32_t> cells;           // kept widths (micrometres or kMissingRing)
        std::string name;                          // set once the table is read
    };
    // Where the state of each header column with a value stands (an index into
    // states_), found in constant time: pages of 1024 columns, each allocated
    // only while a column with a value lies in it, so that a header of
    // millions of columns costs nothing for those without values.
    class Slots {
    public:
        static constexpr std::uint32_t kNone = UINT32_MAX;
        std::uint32_t get(std::uint64_t column) const {
            const std::uint64_t p = column >> kPageBits;
            return p < pages_.size() && pages_[p] ? pages_[p]->slot[column & kPageMask] : kNone;
        }
        void set(std::uint64_t column, std::uint32_t slot);
        void clear(std::uint64_t column);

    private:
        static constexpr int kPageBits = 10;
        static constexpr std::uint64_t kPageMask = (1u << kPageBits) - 1;
        struct Page {
            std::uint32_t slot[1u << kPageBits];
            std::uint32_t used = 0;
        };
        std::vector<std::unique_ptr<Page>> pages_;
    };
    void parse();
    void read_row(std::string_view line, std::int64_t row, std::int64_t& year);
    void add_value(Column& c, std::int64_t row, std::int32_t width);
    std::uint32_t add_column(std::uint64_t index);
    void drop_widths();
    void name_columns(std::string_view header);
    std::string column_label(std::uint64_t index);

    std::size_t bound_;
    bool parsed_ = false;
    char separator_ = 0;
    std::string_view header_;
    std::uint64_t header_columns_ = 0;  // series columns named by the header
    // The columns with a value, by header position (1 = the first series column).
    std::set<std::uint64_t> kept_;
    Slots slots_;
    std::vector<Column> states_;
    std::vector<std::uint32_t> free_;   // states of columns given up
    std::uint64_t cutoff_ = UINT64_MAX;  // columns past this one are never handed out
    bool widths_dropped_ = false;
    std::int64_t first_year_ = 0;
    std::set<std::uint64_t>::const_iterator next_;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik

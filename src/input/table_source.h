#pragma once
// What the readers of tables share (CSV text tables and spreadsheet
// workbooks): a header row whose first cell names the year column and whose
// other cells name the series; then one row per year, the years consecutive;
// widths in millimetres. An empty cell or NA is no ring: each column is a
// series from its first to its last value, and an empty cell between them is
// a missing ring (0, reported per series), as is a negative width. A column
// without any value is no series; the notice counts it.
//
// A reader feeds the table cell by cell (add_column for the header, then per
// row begin_row, ring or no_ring per cell, end_row); the columns keep only
// their run of values, within the memory budget of whole-file readers, and
// next() hands them out as series once read_table() has gone through the file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/converted_source.h"

namespace tarnik {

class TableSource : public ConvertedSource {
public:
    bool next(SeriesRead& s) override;

    // The first cell of a header row names the year column: Year, year,
    // Years (AD) and the like, or nothing.
    static bool is_year_header(std::string_view cell);
    // A cell that stands for no ring: NA (or na, NaN).
    static bool is_na(std::string_view cell);
    // Years beyond this distance from 0 are no calendar years: a table whose
    // years run there is damaged.
    static constexpr std::int64_t kFarYear = 1000000000;
    static bool is_calendar_year(std::int64_t year);

protected:
    using ConvertedSource::ConvertedSource;

    // Reads the whole table through the calls below; called by the first next().
    virtual void read_table() = 0;

    // The header: one more series column named `name` (blanks at either end
    // dropped).
    void add_column(std::string_view name);
    std::size_t column_count() const { return columns_.size(); }
    const std::string& column_name(std::size_t column) const { return columns_[column].name; }

    // A row of the year `year`. No value when it is the first row or follows
    // the row before; otherwise the year of the row before, which this one
    // does not follow (the caller ends the run with its read error).
    std::optional<std::int64_t> begin_row(std::int64_t year);
    // The width of a cell: micrometres, kMissingRing for a negative width; no
    // value when it is too large for the stores.
    static std::optional<std::int64_t> ring_of(const Decimal& millimetres);
    // Column `column` (0 for the first series) of the current row holds a ring
    // (micrometres or kMissingRing), or no ring (an empty cell).
    void ring(std::size_t column, std::int64_t micrometres);
    void no_ring(std::size_t column);
    // The row ends after its first `given` series columns: the rest are empty.
    void end_row(std::size_t given);

    // Details of the reader's own for the notice, after the count of columns
    // without values.
    virtual std::vector<ReadDetail> table_details() const { return {}; }

private:
    struct Column {
        std::string name;
        std::int64_t first_year = 0;
        std::int64_t length = 0;         // rings from the first value to the last
        std::int64_t pending_empty = 0;  // empty cells since the last value
        bool started = false;
        std::vector<std::int32_t> cells;  // at most MaxYears: micrometres or kMissingRing
    };
    void drop_kept_widths();

    bool read_ = false;
    std::vector<Column> columns_;
    std::int64_t year_ = 0;
    bool any_row_ = false;
    std::size_t next_ = 0;
    std::int32_t empty_columns_ = 0;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik

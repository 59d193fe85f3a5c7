#pragma once
// What the readers of tables share (CSV text tables and spreadsheet
// workbooks): a header row whose first cell names the year column and whose
// other cells name the series; then one row per year, the years consecutive;
// widths in millimetres. An empty cell or NA is no ring: each column is a
// series from its first to its last value, and an empty cell between them is
// a missing ring (0, reported per series), as is a negative width. A column
// without any value is no series; the notice counts it.
//
// A reader goes through the whole table before the first series is handed
// out (read_table): it gives the number of series columns the header names,
// then per row its year (begin_row) and the cells that hold a width (ring).
// What is kept follows the values, not the table's shape: only the columns
// that hold a value (at most the MaxSeries + 1 first of them: the reading loop
// ends at the next one), each with its run from its first to its last value;
// empty cells are never stored, the gaps between values follow from their
// years. At most MaxYears widths a column are kept and, past the stores'
// limits, only each column's length (see ConvertedSource). Once the table is
// read, the reader names the columns that hold a value (name_columns).

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
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
    // The width of a cell: micrometres, kMissingRing for a negative width; no
    // value when it is too large for the stores.
    static std::optional<std::int64_t> ring_of(const Decimal& millimetres);

protected:
    using ConvertedSource::ConvertedSource;

    // Reads the whole table through the calls below; called by the first next().
    virtual void read_table() = 0;
    // Names the columns that hold a value, listed by kept_columns(), through
    // set_column_name; called once the table is read.
    virtual void name_columns() = 0;

    // The number of series columns the header names.
    void set_series_columns(std::uint64_t count) { series_columns_ = count; }
    std::uint64_t series_columns() const { return series_columns_; }
    // A row of the year `year`. No value when it is the first row or follows
    // the row before; otherwise the year of the row before, which this one
    // does not follow (the caller ends the run with its read error).
    std::optional<std::int64_t> begin_row(std::int64_t year);
    // Series column `column` (0 for the first) of the current row holds a
    // ring: micrometres or kMissingRing.
    void ring(std::uint64_t column, std::int64_t micrometres);
    // The columns that hold a value and can be handed out, in order, and the
    // name of one of them.
    const std::set<std::uint64_t>& kept_columns() const { return kept_; }
    void set_column_name(std::uint64_t column, std::string_view name);

    // Details of the reader's own for the notice, after the count of columns
    // without values.
    virtual std::vector<ReadDetail> table_details() const { return {}; }

private:
    // A column that holds a value.
    struct Column {
        std::int64_t first_year = 0, last_year = 0;  // of its first and last value
        std::vector<std::int32_t> cells;           // kept widths (micrometres or kMissingRing)
        std::string name;                          // set once the table is read
    };
    // Where the state of each column with a value stands (an index into
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
    std::uint32_t add_column(std::uint64_t column);
    void add_value(Column& c, std::int32_t width);
    void drop_widths();

    bool read_ = false;
    std::uint64_t series_columns_ = 0;
    std::int64_t year_ = 0;  // of the current row
    bool any_row_ = false;
    std::set<std::uint64_t> kept_;       // the columns with a value
    Slots slots_;
    std::vector<Column> states_;
    std::vector<std::uint32_t> free_;    // states of columns given up
    std::uint64_t cutoff_ = UINT64_MAX;  // columns past this one are never handed out
    bool widths_dropped_ = false;
    std::set<std::uint64_t>::const_iterator next_;
    std::vector<std::int64_t> rings_;
};

}  // namespace tarnik

#include "input/csv.h"

#include <algorithm>
#include <iterator>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

using text::trim_blanks;

// The year of a row's first cell; nothing when it is not a whole number.
std::optional<std::int64_t> year_cell(std::string_view cell) { return text::parse_integer(trim_blanks(cell), 9); }

// A width cell as a number: '.' as the decimal point, or ',' where the
// separator is not a comma.
std::optional<Decimal> number_cell(std::string_view cell, char separator) {
    auto d = parse_decimal(cell, '.');
    if (!d && separator != ',') d = parse_decimal(cell, ',');
    return d;
}

}  // namespace

CsvReader::CsvReader(std::string content, std::string file)
    : TableSource(std::move(file), "CSV", "empty or negative cell", "empty or negative cells"),
      TextSource(std::move(content)),
      bound_(this->content().size() / 2 + 1) {}

char CsvReader::separator_of(std::string_view header) {
    bool quoted = false;
    for (char c : header) {
        if (c == '"') quoted = !quoted;
        else if (!quoted && (c == ',' || c == ';' || c == '\t')) return c;
    }
    return 0;
}

bool CsvReader::Cells::fail() {
    broken_ = done_ = true;
    return false;
}

// Inline: it runs once for every cell of a table.
inline bool CsvReader::Cells::next(std::string_view& cell) {
    if (done_) return false;
    if (pos_ < line_.size() && line_[pos_] == separator_) {  // an empty cell, the commonest of all
        cell = {};
        ++pos_;
        return true;
    }
    std::size_t j = pos_;
    while (j < line_.size() && line_[j] == ' ') ++j;
    if (j < line_.size() && line_[j] == '"') {
        // A quoted cell: up to the closing quote, "" standing for one quote.
        std::size_t k = line_.find('"', j + 1);
        if (k == std::string_view::npos) return fail();
        if (k + 1 < line_.size() && line_[k + 1] == '"') {
            buffer_.assign(line_.substr(j + 1, k - j - 1));
            for (;;) {
                if (k >= line_.size()) return fail();
                if (line_[k] == '"') {
                    if (k + 1 < line_.size() && line_[k + 1] == '"') {
                        buffer_ += '"';
                        k += 2;
                        continue;
                    }
                    break;
                }
                buffer_ += line_[k++];
            }
            cell = buffer_;
        } else {
            cell = line_.substr(j + 1, k - j - 1);
        }
        ++k;
        while (k < line_.size() && line_[k] == ' ') ++k;
        if (k < line_.size() && line_[k] != separator_) return fail();
        pos_ = k;
    } else {
        std::size_t k = pos_;
        while (k < line_.size() && line_[k] != separator_) ++k;
        cell = line_.substr(pos_, k - pos_);
        pos_ = k;
    }
    if (pos_ >= line_.size()) done_ = true;
    else ++pos_;  // the separator
    return true;
}

bool CsvReader::looks_like(std::string_view content) {
    std::size_t pos = 0;
    auto header = next_text_line(content, pos);
    if (!header) return false;
    const char sep = separator_of(*header);
    if (sep == 0) return false;
    std::uint64_t width = 0;
    Cells head(*header, sep);
    for (std::string_view cell; head.next(cell); ++width)
        if (width == 0 && !is_year_header(cell)) return false;
    if (head.broken() || width < 2) return false;
    std::optional<std::string_view> row;
    do row = next_text_line(content, pos);
    while (row && is_blank(*row));
    if (!row) return false;
    Cells cells(*row, sep);
    std::uint64_t n = 0;
    for (std::string_view cell; cells.next(cell); ++n) {
        if (n == 0) {
            if (!year_cell(cell)) return false;
            continue;
        }
        cell = trim_blanks(cell);
        if (n >= width || (!cell.empty() && !is_na(cell) && !number_cell(cell, sep))) return false;
    }
    return !cells.broken() && n > 0;
}

void CsvReader::read_table() {
    std::string_view header;
    next_line(header);
    header_.assign(header);
    separator_ = separator_of(header);
    std::uint64_t count = 0;
    bool year_header = false;
    Cells head(header, separator_);
    for (std::string_view cell; head.next(cell); ++count)
        if (count == 0) year_header = is_year_header(cell);
    if (separator_ == 0 || head.broken() || count < 2 || !year_header)
        read_error("line 1", "the header row must name the year column (Year, or empty) and the series", header);
    set_series_columns(count - 1);
    for (std::string_view line; next_line(line);)
        if (!is_blank(line)) read_row(line);
    release_content();
}

// One row: its year, then every cell with a value. Rows without values in a
// column cost that column nothing: its gaps follow from the years of its values.
// The row is read in one pass; of its faults the one told is, in this order, a
// quote left open, too many cells, the year, the first cell that is no width.
void CsvReader::read_row(std::string_view line) {
    const auto where = [&] { return "line " + std::to_string(line_no()); };
    Cells cells(line, separator_);
    std::string_view cell;
    cells.next(cell);
    const auto y = year_cell(cell);
    const std::optional<std::int64_t> before = y ? begin_row(*y) : std::nullopt;
    std::string bad_cell, bad_what;  // the first cell that is no width
    std::uint64_t count = 1;
    for (std::uint64_t k = 1; cells.next(cell); ++k) {
        count = k + 1;
        cell = trim_blanks(cell);
        if (cell.empty() || is_na(cell) || k > series_columns() || !bad_cell.empty()) continue;
        const auto d = number_cell(cell, separator_);
        const std::optional<std::int64_t> um = d ? ring_of(*d) : std::nullopt;
        if (!d || !um) {
            bad_cell = where() + ", " + column_label(k);
            bad_what = !d ? "the cell \"" + printable(cell) + "\" is not a number"
                          : "the width " + printable(cell) + " mm is too large";
            continue;
        }
        if (y) ring(k - 1, *um);
    }
    if (cells.broken()) read_error(where(), "a quote is not closed", line);
    if (count > series_columns() + 1)
        read_error(where(), "the row has " + std::to_string(count) + " cells, the header " +
                                std::to_string(series_columns() + 1), line);
    if (!y) read_error(where(), "the first cell is not a year", line);
    if (before)
        read_error(where(), "the year " + std::to_string(*y) + " does not follow " + std::to_string(*before) +
                                " (one row per year, in order)", line);
    if (!bad_cell.empty()) read_error(bad_cell, bad_what, line);
    if (!is_calendar_year(*y)) read_error(where(), "the year is far outside any calendar", line);
}

void CsvReader::name_columns() {
    Cells cells(header_, separator_);
    std::string_view cell;
    cells.next(cell);  // the year column
    auto at = kept_columns().begin();
    for (std::uint64_t k = 0; at != kept_columns().end() && cells.next(cell); ++k) {
        if (*at != k) continue;
        set_column_name(k, trim_blanks(cell));
        ++at;
    }
    std::string().swap(header_);
}

std::string CsvReader::column_label(std::uint64_t index) {
    Cells cells(header_, separator_);
    std::string_view cell;
    for (std::uint64_t k = 0; k <= index && cells.next(cell); ++k) {
    }
    return series_label(static_cast<std::int32_t>(std::min<std::uint64_t>(index, INT32_MAX)), trim_blanks(cell));
}

}  // namespace tarnik

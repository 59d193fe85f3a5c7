#include "input/csv.h"

#include <algorithm>
#include <iterator>

#include "console/answers.h"
#include "input/text_helpers.h"

namespace tarnik {
namespace {

using text::squeezed_lower;
using text::trim_blanks;

bool is_na(std::string_view cell) { return cell == "NA" || cell == "na" || cell == "NaN"; }

// The year of a row's first cell; nothing when it is not a whole number.
std::optional<std::int64_t> year_cell(std::string_view cell) { return text::parse_integer(trim_blanks(cell), 9); }

// A width cell as a number: '.' as the decimal point, or ',' where the
// separator is not a comma.
std::optional<Decimal> number_cell(std::string_view cell, char separator) {
    auto d = parse_decimal(cell, '.');
    if (!d && separator != ',') d = parse_decimal(cell, ',');
    return d;
}

bool is_year_header(std::string_view cell) {
    cell = trim_blanks(cell);
    return cell.empty() || squeezed_lower(cell) == "year";
}

}  // namespace

CsvReader::CsvReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "CSV", "empty or negative cell", "empty or negative cells"),
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

void CsvReader::parse() {
    std::string_view header;
    next_line(header);
    header_ = header;
    separator_ = separator_of(header);
    std::uint64_t count = 0;
    bool year_header = false;
    Cells head(header, separator_);
    for (std::string_view cell; head.next(cell); ++count)
        if (count == 0) year_header = is_year_header(cell);
    if (separator_ == 0 || head.broken() || count < 2 || !year_header)
        read_error("line 1", "the header row must name the year column (Year, or empty) and the series", header);
    header_columns_ = count - 1;
    std::int64_t row = 0, year = 0;
    for (std::string_view line; next_line(line);) {
        if (is_blank(line)) continue;
        read_row(line, row, year);
        ++row;
    }
    name_columns(header);
    release_content();
    next_ = kept_.begin();
}

// One row: its year, then every cell with a value. Rows without values in a
// column cost that column nothing: its gaps follow from the rows of its values.
// The row is read in one pass; of its faults the one told is, in this order, a
// quote left open, too many cells, the year, the first cell that is no width.
void CsvReader::read_row(std::string_view line, std::int64_t row, std::int64_t& year) {
    const auto where = [&] { return "line " + std::to_string(line_no()); };
    Cells cells(line, separator_);
    std::string_view cell;
    cells.next(cell);
    const auto y = year_cell(cell);
    std::string bad_cell, bad_what;  // the first cell that is no width
    std::uint64_t count = 1;
    for (std::uint64_t k = 1; cells.next(cell); ++k) {
        count = k + 1;
        cell = trim_blanks(cell);
        if (cell.empty() || is_na(cell) || k > header_columns_ || !bad_cell.empty()) continue;
        const auto d = number_cell(cell, separator_);
        std::optional<std::int64_t> um = kMissingRing;
        if (d && (!d->negative || d->mantissa == 0)) um = to_micrometres(*d, 0);
        if (!d || !um) {
            bad_cell = where() + ", " + column_label(k);
            bad_what = !d ? "the cell \"" + printable(cell) + "\" is not a number"
                          : "the width " + printable(cell) + " mm is too large";
            continue;
        }
        if (k > cutoff_ || !y) continue;  // checked, but never handed out
        std::uint32_t slot = slots_.get(k);
        if (slot == Slots::kNone) slot = add_column(k);
        add_value(states_[slot], row, static_cast<std::int32_t>(*um));
    }
    if (cells.broken()) read_error(where(), "a quote is not closed", line);
    if (count > header_columns_ + 1)
        read_error(where(), "the row has " + std::to_string(count) + " cells, the header " +
                                std::to_string(header_columns_ + 1), line);
    if (!y) read_error(where(), "the first cell is not a year", line);
    if (row == 0) first_year_ = *y;
    else if (*y != year + 1)
        read_error(where(), "the year " + std::to_string(*y) + " does not follow " + std::to_string(year) +
                                " (one row per year, in order)", line);
    year = *y;
    if (!bad_cell.empty()) read_error(bad_cell, bad_what, line);
    if (year > 1000000000 || year < -1000000000) read_error(where(), "the year is far outside any calendar", line);
}

void CsvReader::Slots::set(std::uint64_t column, std::uint32_t slot) {
    const std::uint64_t p = column >> kPageBits;
    if (p >= pages_.size()) pages_.resize(p + 1);
    if (!pages_[p]) {
        pages_[p] = std::make_unique<Page>();
        std::fill(std::begin(pages_[p]->slot), std::end(pages_[p]->slot), kNone);
    }
    Page& page = *pages_[p];
    if (page.slot[column & kPageMask] == kNone) ++page.used;
    page.slot[column & kPageMask] = slot;
}

void CsvReader::Slots::clear(std::uint64_t column) {
    const std::uint64_t p = column >> kPageBits;
    if (p >= pages_.size() || !pages_[p] || pages_[p]->slot[column & kPageMask] == kNone) return;
    pages_[p]->slot[column & kPageMask] = kNone;
    if (--pages_[p]->used == 0) pages_[p].reset();
}

// A column gets its first value. Only the MaxSeries + 1 first columns with a
// value can be handed out before the reading loop stops at the limit of series:
// with that many, one further to the left takes the place of the last.
std::uint32_t CsvReader::add_column(std::uint64_t index) {
    constexpr std::size_t kMostColumns = static_cast<std::size_t>(MaxSeries) + 1;
    if (kept_.size() == kMostColumns) {
        const auto last = std::prev(kept_.end());  // right of `index`, which is left of the cutoff
        const std::uint32_t given_up = slots_.get(*last);
        slots_.clear(*last);
        kept_.erase(last);
        states_[given_up] = Column{};
        free_.push_back(given_up);
    }
    keep_series();
    std::uint32_t slot = 0;
    if (free_.empty()) {
        slot = static_cast<std::uint32_t>(states_.size());
        states_.emplace_back();
    } else {
        slot = free_.back();
        free_.pop_back();
    }
    slots_.set(index, slot);
    kept_.insert(index);
    if (kept_.size() == kMostColumns) cutoff_ = *kept_.rbegin();
    if (over_limits()) drop_widths();
    return slot;
}

void CsvReader::add_value(Column& c, std::int64_t row, std::int32_t width) {
    // The common case first: the value follows the one of the row before.
    if (c.last_row == row - 1 && c.first_row >= 0 && c.cells.size() < static_cast<std::size_t>(MaxYears) &&
        keep_widths(1)) {
        c.last_row = row;
        c.cells.push_back(width);
        return;
    }
    std::int64_t gap = 0;  // empty cells since the last value: missing rings
    if (c.first_row < 0) c.first_row = row;
    else gap = row - c.last_row - 1;
    c.last_row = row;
    if (over_limits()) {
        drop_widths();
        return;
    }
    const auto room = static_cast<std::int64_t>(MaxYears) - static_cast<std::int64_t>(c.cells.size());
    const std::int64_t missing = std::min(gap, room);
    const std::int64_t take = missing + (missing < room ? 1 : 0);
    if (take > 0 && keep_widths(take)) {
        if (missing > 0)
            c.cells.insert(c.cells.end(), static_cast<std::size_t>(missing), static_cast<std::int32_t>(kMissingRing));
        if (missing < room) c.cells.push_back(width);
    }
    if (over_limits()) drop_widths();
}

// Past the stores' limits no width will be used: only the lengths stay.
void CsvReader::drop_widths() {
    if (widths_dropped_) return;
    widths_dropped_ = true;
    for (Column& c : states_) std::vector<std::int32_t>().swap(c.cells);
}

void CsvReader::name_columns(std::string_view header) {
    Cells cells(header, separator_);
    std::string_view cell;
    cells.next(cell);  // the year column
    auto at = kept_.begin();
    for (std::uint64_t k = 1; at != kept_.end() && cells.next(cell); ++k) {
        if (*at != k) continue;
        const std::string_view name = trim_blanks(cell);
        states_[slots_.get(k)].name.assign(name.substr(0, std::min(name.size(), kMaxNameLength)));
        ++at;
    }
}

std::string CsvReader::column_label(std::uint64_t index) {
    Cells cells(header_, separator_);
    std::string_view cell;
    for (std::uint64_t k = 0; k <= index && cells.next(cell); ++k) {
    }
    return series_label(static_cast<std::int32_t>(std::min<std::uint64_t>(index, INT32_MAX)), trim_blanks(cell));
}

bool CsvReader::next(SeriesRead& s) {
    if (!parsed_) {
        parsed_ = true;
        parse();
    }
    if (next_ == kept_.end()) {
        std::vector<ReadDetail> details;
        const std::uint64_t empty = header_columns_ - std::min<std::uint64_t>(header_columns_, kept_.size());
        if (empty > 0)
            details.push_back({static_cast<std::int32_t>(std::min<std::uint64_t>(empty, INT32_MAX)),
                               "column without values left out", "columns without values left out"});
        finish(std::move(details));
        return false;
    }
    Column& c = states_[slots_.get(*next_)];
    ++next_;
    const std::int64_t length = c.last_row - c.first_row + 1;
    const auto first_year = static_cast<std::int32_t>(first_year_ + c.first_row);
    if (over_limits()) {
        fill_unkept(s, c.name, first_year, length);
    } else {
        rings_.assign(c.cells.begin(), c.cells.end());
        fill(s, c.name, first_year, rings_, length);
    }
    std::vector<std::int32_t>().swap(c.cells);
    return true;
}

}  // namespace tarnik

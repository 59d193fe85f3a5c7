#include "input/table_source.h"

#include <algorithm>

#include "data/limits.h"
#include "input/text_helpers.h"

namespace tarnik {

bool TableSource::is_year_header(std::string_view cell) {
    const std::string key = text::squeezed_lower(cell);
    return key.empty() || key == "year" || key == "years" || key == "year(ad)" || key == "years(ad)";
}

bool TableSource::is_na(std::string_view cell) { return cell == "NA" || cell == "na" || cell == "NaN"; }

bool TableSource::is_calendar_year(std::int64_t year) { return year >= -kFarYear && year <= kFarYear; }

void TableSource::add_column(std::string_view name) {
    Column c;
    c.name = std::string(text::trim_blanks(name));
    columns_.push_back(std::move(c));
}

std::optional<std::int64_t> TableSource::begin_row(std::int64_t year) {
    if (any_row_ && year != year_ + 1) return year_;
    any_row_ = true;
    year_ = year;
    return std::nullopt;
}

std::optional<std::int64_t> TableSource::ring_of(const Decimal& millimetres) {
    if (millimetres.negative && millimetres.mantissa != 0) return kMissingRing;
    return to_micrometres(millimetres, 0);
}

void TableSource::ring(std::size_t column, std::int64_t micrometres) {
    Column& c = columns_[column];
    if (!c.started) {
        c.started = true;
        c.first_year = year_;
        if (!keep_series()) drop_kept_widths();
    }
    const std::int64_t add = c.pending_empty + 1;  // the empty cells before it are missing rings
    const auto room = static_cast<std::int64_t>(MaxYears) - static_cast<std::int64_t>(c.cells.size());
    const std::int64_t kept = std::min(add, room);
    if (!over_limits() && kept > 0) {
        if (!keep_widths(kept)) {
            drop_kept_widths();
        } else {
            const std::int64_t missing = std::min(c.pending_empty, kept);
            c.cells.insert(c.cells.end(), static_cast<std::size_t>(missing), static_cast<std::int32_t>(kMissingRing));
            if (kept > missing) c.cells.push_back(static_cast<std::int32_t>(micrometres));
        }
    }
    c.length += add;
    c.pending_empty = 0;
}

void TableSource::no_ring(std::size_t column) {
    Column& c = columns_[column];
    if (c.started) ++c.pending_empty;
}

void TableSource::end_row(std::size_t given) {
    for (std::size_t k = given; k < columns_.size(); ++k) no_ring(k);
}

void TableSource::drop_kept_widths() {
    for (Column& c : columns_) c.cells = {};
}

bool TableSource::next(SeriesRead& s) {
    if (!read_) {
        read_ = true;
        read_table();
    }
    while (next_ < columns_.size() && !columns_[next_].started) {
        ++empty_columns_;
        ++next_;
    }
    if (next_ == columns_.size()) {
        std::vector<ReadDetail> details;
        if (empty_columns_ > 0)
            details.push_back({empty_columns_, "column without values left out", "columns without values left out"});
        for (ReadDetail& d : table_details()) details.push_back(std::move(d));
        finish(std::move(details));
        return false;
    }
    Column& c = columns_[next_++];
    const auto first_year = static_cast<std::int32_t>(c.first_year);
    if (over_limits() || c.length > MaxYears) {
        // Past the stores' limits: the reading loop ends the run by the lengths.
        fill_unkept(s, c.name, first_year, c.length);
    } else {
        rings_.assign(c.cells.begin(), c.cells.end());
        fill(s, c.name, first_year, rings_);
    }
    c.cells = {};
    return true;
}

}  // namespace tarnik

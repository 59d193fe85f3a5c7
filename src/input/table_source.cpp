#include "input/table_source.h"

#include <algorithm>
#include <iterator>

#include "data/limits.h"
#include "input/text_helpers.h"

namespace tarnik {

bool TableSource::is_year_header(std::string_view cell) {
    const std::string key = text::squeezed_lower(cell);
    return key.empty() || key == "year" || key == "years" || key == "year(ad)" || key == "years(ad)";
}

bool TableSource::is_na(std::string_view cell) { return cell == "NA" || cell == "na" || cell == "NaN"; }

bool TableSource::is_calendar_year(std::int64_t year) { return year >= -kFarYear && year <= kFarYear; }

std::optional<std::int64_t> TableSource::ring_of(const Decimal& millimetres) {
    if (millimetres.negative && millimetres.mantissa != 0) return kMissingRing;
    return to_micrometres(millimetres, 0);
}

std::optional<std::int64_t> TableSource::begin_row(std::int64_t year) {
    const std::int64_t before = year_;
    const bool follows = !any_row_ || year == year_ + 1;
    any_row_ = true;
    year_ = year;
    if (follows) return std::nullopt;
    return before;
}

void TableSource::Slots::set(std::uint64_t column, std::uint32_t slot) {
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

void TableSource::Slots::clear(std::uint64_t column) {
    const std::uint64_t p = column >> kPageBits;
    if (p >= pages_.size() || !pages_[p] || pages_[p]->slot[column & kPageMask] == kNone) return;
    pages_[p]->slot[column & kPageMask] = kNone;
    if (--pages_[p]->used == 0) pages_[p].reset();
}

void TableSource::ring(std::uint64_t column, std::int64_t micrometres) {
    if (column > cutoff_) return;  // never handed out
    std::uint32_t slot = slots_.get(column);
    if (slot == Slots::kNone) slot = add_column(column);
    add_value(states_[slot], static_cast<std::int32_t>(micrometres));
}

// A column gets its first value. Only the MaxSeries + 1 first columns with a
// value can be handed out before the reading loop stops at the limit of series:
// with that many, one further to the left takes the place of the last.
std::uint32_t TableSource::add_column(std::uint64_t column) {
    constexpr std::size_t kMostColumns = static_cast<std::size_t>(MaxSeries) + 1;
    if (kept_.size() == kMostColumns) {
        const auto last = std::prev(kept_.end());  // right of `column`, which is left of the cutoff
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
    Column& c = states_[slot];
    c.first_year = c.last_year = year_;
    slots_.set(column, slot);
    kept_.insert(column);
    if (kept_.size() == kMostColumns) cutoff_ = *kept_.rbegin();
    if (over_limits()) drop_widths();
    return slot;
}

void TableSource::add_value(Column& c, std::int32_t width) {
    // The common case first: the value follows the one of the row before.
    if (c.last_year == year_ - 1 && c.cells.size() < static_cast<std::size_t>(MaxYears) && keep_widths(1)) {
        c.last_year = year_;
        c.cells.push_back(width);
        return;
    }
    // Empty cells since the last value are missing rings (none for the first).
    const std::int64_t gap = c.cells.empty() && c.first_year == year_ ? 0 : year_ - c.last_year - 1;
    c.last_year = year_;
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
void TableSource::drop_widths() {
    if (widths_dropped_) return;
    widths_dropped_ = true;
    for (Column& c : states_) std::vector<std::int32_t>().swap(c.cells);
}

void TableSource::set_column_name(std::uint64_t column, std::string_view name) {
    const std::uint32_t slot = slots_.get(column);
    if (slot != Slots::kNone)
        states_[slot].name.assign(name.substr(0, std::min(name.size(), kMaxNameLength)));
}

bool TableSource::next(SeriesRead& s) {
    if (!read_) {
        read_ = true;
        read_table();
        name_columns();
        next_ = kept_.begin();
    }
    if (next_ == kept_.end()) {
        std::vector<ReadDetail> details;
        const std::uint64_t empty = series_columns_ - std::min<std::uint64_t>(series_columns_, kept_.size());
        if (empty > 0)
            details.push_back({static_cast<std::int32_t>(std::min<std::uint64_t>(empty, INT32_MAX)),
                               "column without values left out", "columns without values left out"});
        for (ReadDetail& d : table_details()) details.push_back(std::move(d));
        finish(std::move(details));
        return false;
    }
    Column& c = states_[slots_.get(*next_)];
    ++next_;
    const std::int64_t length = c.last_year - c.first_year + 1;
    const auto first_year = static_cast<std::int32_t>(c.first_year);
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

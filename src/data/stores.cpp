#include "data/stores.h"

#include <algorithm>
#include <limits>

namespace tarnik {

void DepthTable::count(std::span<const SeriesRecord> series, std::int32_t SeriesRecord::*first) {
    counts_.clear();
    std::int64_t lo = std::numeric_limits<std::int64_t>::max(), hi = std::numeric_limits<std::int64_t>::min();
    for (const SeriesRecord& r : series) {
        if (r.length <= 0) continue;
        lo = std::min<std::int64_t>(lo, r.*first);
        hi = std::max<std::int64_t>(hi, std::int64_t{r.*first} + r.length - 1);
    }
    if (lo > hi) {
        origin_ = 0;
        return;
    }
    // Each series adds 1 from its first to its last value: mark both ends, then
    // sum, so the work follows the number of series and the span, not the rings.
    origin_ = static_cast<std::int32_t>(lo);
    counts_.assign(static_cast<std::size_t>(hi - lo + 2), 0);
    for (const SeriesRecord& r : series) {
        if (r.length <= 0) continue;
        const auto a = static_cast<std::size_t>(std::int64_t{r.*first} - lo);
        ++counts_[a];
        --counts_[a + static_cast<std::size_t>(r.length)];
    }
    std::int32_t run = 0;
    for (std::int32_t& c : counts_) c = run += c;
    counts_.pop_back();
}

void Stores::clear_for_reading() {
    series.clear();
    values.clear();
    series_ids.clear();
    depth_by_year.clear();
    depth_by_age.clear();
    nser = 0;
    total = 0;
    summary = DataSummary{};
}

void summarise_stores(Stores& s) {
    DataSummary& m = s.summary;
    m = DataSummary{};
    if (s.nser > 0) {
        // The start values are bounds of the data no longer (years reach from
        // -9999 to 9999): with series, every extreme is that of the data.
        constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
        constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
        m.min_first_year = m.min_first_age = m.min_length = hi;
        m.max_last_year = m.max_last_age = m.max_length = lo;
    }
    bool any_value = false;
    for (std::int32_t i = 1; i <= s.nser; ++i) {
        SeriesRecord& r = s.rec(i);
        r.last_year = r.first_year + r.length - 1;
        r.first_age = r.pith_offset + 1;
        r.last_age = r.pith_offset + r.length;
        m.min_first_year = std::min(m.min_first_year, r.first_year);
        m.max_last_year = std::max(m.max_last_year, r.last_year);
        m.min_length = std::min(m.min_length, r.length);
        m.max_length = std::max(m.max_length, r.length);
        m.min_first_age = std::min(m.min_first_age, r.first_age);
        m.max_last_age = std::max(m.max_last_age, r.last_age);
        const float scale = static_cast<float>(r.scale);
        for (std::int32_t v : s.values_of(i)) {
            const float y = static_cast<float>(v) / scale;
            if (!any_value) m.y_min = m.y_max = y;
            any_value = true;
            if (y < m.y_min) m.y_min = y;
            if (y > m.y_max) m.y_max = y;
        }
    }
    const std::span<const SeriesRecord> series(s.series.data(), static_cast<std::size_t>(std::max(s.nser, 0)));
    s.depth_by_year.count(series, &SeriesRecord::first_year);
    s.depth_by_age.count(series, &SeriesRecord::first_age);
    for (std::int32_t age = 1; age <= m.max_last_age; ++age) {
        m.max_depth_age = std::max(m.max_depth_age, s.depth_by_age[age]);
        if (s.depth_by_age[age] > 2) m.max_age_depth3 = age;
    }
    for (std::int32_t year = m.min_first_year; year <= m.max_last_year; ++year)
        m.max_depth_year = std::max(m.max_depth_year, s.depth_by_year[year]);
}

}  // namespace tarnik

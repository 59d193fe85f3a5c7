#include "data/stores.h"

#include <algorithm>

namespace tarnik {

void Stores::clear_for_reading() {
    series.clear();
    values.clear();
    series_ids.clear();
    depth_by_year.fill(0);
    depth_by_age.fill(0);
    nser = 0;
    total = 0;
    summary = DataSummary{};
}

void aboutit(Stores& s) {
    DataSummary& m = s.summary;
    m = DataSummary{};
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
            if (y < m.y_min) m.y_min = y;
            if (y > m.y_max) m.y_max = y;
        }
    }
    // The driver keeps every year and age within 1..MaxYears; the bounds below
    // only guard the arrays.
    for (std::int32_t age = 1; age <= std::min(m.max_last_age, MaxYears); ++age) {
        m.max_depth_age = std::max(m.max_depth_age, s.depth_by_age[age]);
        if (s.depth_by_age[age] > 2) m.max_age_depth3 = age;
    }
    for (std::int32_t year = std::max(m.min_first_year, 1); year <= std::min(m.max_last_year, MaxYears); ++year)
        m.max_depth_year = std::max(m.max_depth_year, s.depth_by_year[year]);
}

}  // namespace tarnik

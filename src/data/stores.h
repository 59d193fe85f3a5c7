#pragma once
// The shared stores that every part of the program reads: the series directory,
// the value store, the series identifiers, the sample depths and the data summary.
// They are rebuilt by every reading of the ring-width file; the pith offsets are
// read once per run and kept.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/limits.h"

namespace tarnik {

// One series of the ring-width file. Positions in the value store are counted
// from 1 (first_index of series 1 is 1).
struct SeriesRecord {
    std::int32_t first_index = 0;  // position of the oldest value in the value store
    std::int32_t last_index = 0;   // first_index + length - 1
    std::int32_t length = 0;       // number of rings
    std::int32_t first_year = 0;   // calendar year of the first value
    std::int32_t pith_offset = 0;  // rings between the pith and the first measured ring
    std::int32_t scale = 0;        // 100 (0.01 mm, marker 999) or 1000 (0.001 mm, marker -9999)
    std::int32_t last_year = 0;    // first_year + length - 1   (set by aboutit)
    std::int32_t first_age = 0;    // pith_offset + 1           (set by aboutit)
    std::int32_t last_age = 0;     // pith_offset + length      (set by aboutit)
};

// The data summary computed by aboutit, with its start values.
struct DataSummary {
    std::int32_t min_first_year = 3000;
    std::int32_t max_last_year = -9999;
    std::int32_t min_first_age = 3000;
    std::int32_t max_last_age = -9999;
    float y_min = 1000.0f;
    float y_max = -9999.0f;
    std::int32_t min_length = 3000;
    std::int32_t max_length = -9999;
    std::int32_t max_depth_age = 0;
    std::int32_t max_depth_year = 0;
    std::int32_t max_age_depth3 = 0;
};

struct Stores {
    // Series directory: series i (1..nser) is series[i - 1].
    std::vector<SeriesRecord> series;
    // Value store: the analysis variable of every ring times its series' scale,
    // truncated toward zero; position p (1-based) is values[p - 1].
    std::vector<std::int32_t> values;
    // Identifiers, 8 characters each; series i is series_ids[i - 1].
    std::vector<std::string> series_ids;
    // Sample depth indexed directly by calendar year and by cambial age (1..MaxYears).
    std::array<std::int32_t, MaxYears + 1> depth_by_year{};
    std::array<std::int32_t, MaxYears + 1> depth_by_age{};
    // Pith offsets read from the offset file, offset of series i at [i - 1];
    // series beyond the end have offset 0.
    std::vector<std::int32_t> pith_offsets;

    std::int32_t nser = 0;
    std::int64_t total = 0;  // number of values stored
    DataSummary summary;

    std::int32_t pith_offset_of(std::int32_t i) const {
        return i >= 1 && static_cast<std::size_t>(i) <= pith_offsets.size() ? pith_offsets[i - 1] : 0;
    }
    const SeriesRecord& rec(std::int32_t i) const { return series[static_cast<std::size_t>(i - 1)]; }
    SeriesRecord& rec(std::int32_t i) { return series[static_cast<std::size_t>(i - 1)]; }
    // The stored values of series i (1-based), oldest first.
    std::span<const std::int32_t> values_of(std::int32_t i) const {
        const SeriesRecord& r = rec(i);
        return {values.data() + (r.first_index - 1), static_cast<std::size_t>(r.length)};
    }
    std::span<std::int32_t> values_of(std::int32_t i) {
        const SeriesRecord& r = rec(i);
        return {values.data() + (r.first_index - 1), static_cast<std::size_t>(r.length)};
    }

    // Empties directory, values, identifiers and depths for a new reading.
    void clear_for_reading();
};

// Sets last_year, first_age and last_age of every series and fills the summary.
void aboutit(Stores& s);

}  // namespace tarnik

#pragma once
// The shared stores that every part of the program reads: the series directory,
// the value store, the series identifiers, the sample depths and the data summary.
// They are rebuilt by every reading of the ring-width file; the pith offsets are
// read once per run and kept.

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
    std::int32_t last_year = 0;    // first_year + length - 1   (set by summarise_stores)
    std::int32_t first_age = 0;    // pith_offset + 1           (set by summarise_stores)
    std::int32_t last_age = 0;     // pith_offset + length      (set by summarise_stores)
};

// The data summary computed by summarise_stores, with its start values.
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

// Sample depth: the number of series that have a value at each calendar year or
// cambial age. The table covers only the years (or ages) the data reach, so its
// size follows the span of the data, not the range of possible years.
class DepthTable {
public:
    // The count at a year or age; 0 outside the data.
    std::int32_t operator[](std::int32_t at) const {
        const std::int64_t i = std::int64_t{at} - origin_;
        return i >= 0 && i < static_cast<std::int64_t>(counts_.size()) ? counts_[static_cast<std::size_t>(i)] : 0;
    }
    void clear() {
        origin_ = 0;
        counts_.clear();
    }
    // Counts the rings of the series: series i has a value at first(i) ..
    // first(i) + length(i) - 1, where first is the first year or the first age.
    void count(std::span<const SeriesRecord> series, std::int32_t SeriesRecord::*first);

private:
    std::int32_t origin_ = 0;             // year or age of counts_[0]
    std::vector<std::int32_t> counts_;
};

struct Stores {
    // Series directory: series i (1..nser) is series[i - 1].
    std::vector<SeriesRecord> series;
    // Value store: the analysis variable of every ring times its series' scale,
    // truncated toward zero; position p (1-based) is values[p - 1].
    std::vector<std::int32_t> values;
    // Identifiers, 8 characters each; series i is series_ids[i - 1].
    std::vector<std::string> series_ids;
    // Sample depth by calendar year and by cambial age, counted by summarise_stores.
    DepthTable depth_by_year;
    DepthTable depth_by_age;
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

// Sets last_year, first_age and last_age of every series, counts the sample
// depths and fills the summary. With series, every minimum and maximum is that
// of the data; without any, the summary keeps its start values.
void summarise_stores(Stores& s);

}  // namespace tarnik

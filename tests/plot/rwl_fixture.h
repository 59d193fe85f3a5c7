#pragma once
// Stores for the plot and export tests, filled the way the reading cycle fills
// them, and a minimal parser of the 0.01 mm example file (independent of the
// program's own reader).

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data/stores.h"

namespace tarnik::test {

struct SeriesSpec {
    std::string id;
    std::int32_t first_year = 0, pith_offset = 0, scale = 100;
    std::vector<std::int32_t> entries;
};

inline Stores make_stores(const std::vector<SeriesSpec>& series_list) {
    Stores st;
    for (const SeriesSpec& s : series_list) {
        const auto first = static_cast<std::int32_t>(st.values.size()) + 1;
        const auto n = static_cast<std::int32_t>(s.entries.size());
        st.series.push_back({first, first + n - 1, n, s.first_year, s.pith_offset, s.scale, 0, 0, 0});
        st.series_ids.push_back(s.id);
        st.values.insert(st.values.end(), s.entries.begin(), s.entries.end());
    }
    st.nser = static_cast<std::int32_t>(series_list.size());
    st.total = static_cast<std::int64_t>(st.values.size());
    summarise_stores(st);
    return st;
}

// Series of a decadal file in 0.01 mm (end marker 999) after one title line.
inline std::vector<SeriesSpec> parse_rwl_hundredths(const std::string& text) {
    std::vector<SeriesSpec> out;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    bool open = false;
    while (std::getline(in, line)) {
        if (!open) out.push_back({line.substr(0, 8), std::stoi(line.substr(8, 4)), 0, 100, {}});
        open = true;
        for (std::size_t c = 12; c + 6 <= line.size() && line.substr(c, 6) != "      "; c += 6) {
            const int v = std::stoi(line.substr(c, 6));
            if (v == 999) open = false;
            else out.back().entries.push_back(v);
        }
    }
    return out;
}

// Many noisy series (every third ring wide) of `length` rings, starting in the
// 50 years from 1700 at first ages 0 to age_spread - 1, and one series of
// `lone_length` rings from 1200, apart from all of them.
inline std::vector<SeriesSpec> dense_series(int count, int length, unsigned seed, int age_spread, int lone_length) {
    std::vector<SeriesSpec> series;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-40, 40);
    for (int s = 0; s < count; ++s) {
        std::vector<std::int32_t> w;
        for (int k = 0; k < length; ++k) w.push_back(150 + 100 * ((s + k) % 3 == 0) + noise(rng));
        series.push_back({"D" + std::to_string(s), 1700 + s % 50, s % age_spread, 100, w});
    }
    series.push_back({"LONE", 1200, 0, 100, std::vector<std::int32_t>(static_cast<std::size_t>(lone_length), 380)});
    return series;
}

}  // namespace tarnik::test

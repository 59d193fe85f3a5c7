#pragma once
// Stores for the plot and export tests, filled the way the reading cycle fills
// them, and a minimal parser of the 0.01 mm example file (independent of the
// program's own reader).

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

}  // namespace tarnik::test

#pragma once
// Test stores: a small decadal file parsed by the tests themselves (fixed
// columns, one unit per file), so the display and export tests do not depend on
// the program's own reader.

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "data/stores.h"

namespace tarnik::test {

struct SeriesSpec {
    std::string id;
    std::int32_t first_year = 0;
    std::int32_t pith_offset = 0;
    std::int32_t scale = 100;
    std::vector<std::int32_t> entries;
};

// Fills the stores as the reading cycle does: directory, values, ids, depths, summary.
inline Stores make_stores(const std::vector<SeriesSpec>& specs) {
    Stores st;
    std::int32_t next = 1;
    for (const SeriesSpec& s : specs) {
        SeriesRecord r;
        r.first_index = next;
        r.length = static_cast<std::int32_t>(s.entries.size());
        r.last_index = next + r.length - 1;
        r.first_year = s.first_year;
        r.pith_offset = s.pith_offset;
        r.scale = s.scale;
        st.series.push_back(r);
        st.series_ids.push_back(s.id);
        for (std::size_t k = 0; k < s.entries.size(); ++k) {
            st.values.push_back(s.entries[k]);
            st.depth_by_year[static_cast<std::size_t>(s.first_year) + k] += 1;
            st.depth_by_age[static_cast<std::size_t>(s.pith_offset) + k + 1] += 1;
        }
        next += r.length;
    }
    st.nser = static_cast<std::int32_t>(specs.size());
    st.total = static_cast<std::int64_t>(st.values.size());
    aboutit(st);
    return st;
}

// Series of a decadal file in 0.01 mm with end marker 999 and no title line
// other than a first line that does not start a series (as in ca533.rwl).
inline std::vector<SeriesSpec> parse_rwl_hundredths(const std::string& text) {
    std::vector<SeriesSpec> out;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);  // title
    bool open = false;
    while (std::getline(in, line)) {
        if (line.size() < 12) continue;
        if (!open) {
            out.push_back({line.substr(0, 8), std::stoi(line.substr(8, 4)), 0, 100, {}});
            open = true;
        }
        for (std::size_t c = 12; c + 6 <= line.size() + 5 && c < line.size(); c += 6) {
            const std::string field = line.substr(c, 6);
            if (field.find_first_not_of(' ') == std::string::npos) break;
            const int v = std::stoi(field);
            if (v == 999) {
                open = false;
                break;
            }
            out.back().entries.push_back(v);
        }
    }
    return out;
}

}  // namespace tarnik::test

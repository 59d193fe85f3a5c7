#include "driver/spline_trends.h"

#include <gtest/gtest.h>

#include <vector>

#include "spline/cgcv1.h"

namespace tarnik {
namespace {

// Many series fitted on several threads give exactly what one fit after the
// other gives (each thread needs its own spline storage).
TEST(SplineTrends, ParallelFitsEqualSequentialOnes) {
    Stores st;
    std::uint32_t state = 7;
    std::int32_t next = 1;
    for (int s = 0; s < 300; ++s) {
        SeriesRecord r;
        r.first_index = next;
        r.length = 20 + s % 150;
        r.last_index = next + r.length - 1;
        r.scale = s % 3 == 0 ? 1000 : 100;
        st.series.push_back(r);
        for (int k = 0; k < r.length; ++k) {
            state = state * 1664525u + 1013904223u;
            st.values.push_back(static_cast<std::int32_t>(50 + (state >> 8) % 400));
        }
        next += r.length;
    }
    st.nser = 300;
    std::vector<std::int32_t> bandwidths(300);
    for (int s = 0; s < 300; ++s) bandwidths[static_cast<std::size_t>(s)] = s % 2 == 0 ? -1 : 2 + s % 40;

    std::vector<std::int32_t> expected_values = st.values;
    std::vector<std::int32_t> expected_bw = bandwidths;
    std::vector<float> v(MaxYears), fit(MaxYears), se(MaxYears);
    for (std::int32_t i = 1; i <= st.nser; ++i) {
        const SeriesRecord& r = st.rec(i);
        const float scale = static_cast<float>(r.scale);
        for (int k = 0; k < r.length; ++k)
            v[static_cast<std::size_t>(k)] = static_cast<float>(st.values[static_cast<std::size_t>(r.first_index - 1 + k)]) / scale;
        float var = -1.0f;
        spline::cgcv1(MaxYears, r.length, v, fit, expected_bw[static_cast<std::size_t>(i - 1)], var, se);
        for (int k = 0; k < r.length; ++k)
            expected_values[static_cast<std::size_t>(r.first_index - 1 + k)] =
                static_cast<std::int32_t>(fit[static_cast<std::size_t>(k)] * scale);
    }

    fit_spline_trends(st, bandwidths);
    EXPECT_EQ(st.values, expected_values);
    EXPECT_EQ(bandwidths, expected_bw);
}

}  // namespace
}  // namespace tarnik

#include "rcs/rcs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarnik::rcs {
namespace {

// Stores holding the given series (scale 100), with first ages from offsets.
Stores make_stores(const std::vector<std::vector<std::int32_t>>& series, const std::vector<std::int32_t>& offsets,
                   std::int32_t scale = 100) {
    Stores st;
    std::int32_t index = 1;
    for (std::size_t i = 0; i < series.size(); ++i) {
        SeriesRecord r;
        r.first_index = index;
        r.length = static_cast<std::int32_t>(series[i].size());
        r.last_index = index + r.length - 1;
        r.first_year = 1900;
        r.pith_offset = offsets[i];
        r.scale = scale;
        st.series.push_back(r);
        st.series_ids.push_back("S" + std::to_string(i) + "      ");
        st.values.insert(st.values.end(), series[i].begin(), series[i].end());
        index += r.length;
    }
    st.nser = static_cast<std::int32_t>(series.size());
    summarise_stores(st);
    return st;
}

TEST(RegionalCurve, MeanByCambialAge) {
    // Ages 1..3 with 2 mm and ages 2..4 with 4 mm.
    Stores st = make_stores({{200, 200, 200}, {400, 400, 400}}, {0, 1});
    std::vector<float> m = mean_by_age(st);
    EXPECT_FLOAT_EQ(m[1], 2.0f);
    EXPECT_FLOAT_EQ(m[2], 3.0f);
    EXPECT_FLOAT_EQ(m[3], 3.0f);
    EXPECT_FLOAT_EQ(m[4], 4.0f);
    EXPECT_FLOAT_EQ(m[5], 0.0f);  // an age nobody reaches
}

// Series 1 with rings at ages 1..3 (scale 100) and series 2 with one ring at
// age 1 (scale 1000), indexed by a curve that is 0 at age 2.
struct Indexed {
    Stores st;
    IndexingResult res;
};
Indexed index_two_series() {
    Indexed r{make_stores({{150, 300, 80}, {1234}}, {0, 0}, 100), {}};
    r.st.rec(2).scale = 1000;
    std::vector<float> curve(MaxYears + 1, 0.0f);
    curve[1] = 1.5f;  // series 1 ring 1 and series 2 ring 1 (age 1)
    curve[2] = 0.0f;  // undefined
    curve[3] = 0.4f;
    r.res = index_series(r.st, curve);
    return r;
}

TEST(RegionalCurve, IndexIsTheScaledRatioToTheCurve) {
    Indexed r = index_two_series();
    auto s1 = r.st.values_of(1);
    EXPECT_EQ(s1[0], 100);  // a ring exactly on the curve stores its scale
    EXPECT_EQ(s1[2], 200);
    // 1.234 / 1.5 = 0.822666..., times 1000 truncated.
    EXPECT_EQ(r.st.values_of(2)[0], static_cast<std::int32_t>(1000.0f * (1.234f / 1.5f)));
}

TEST(RegionalCurve, RingWhereTheCurveIsZeroIsStoredAsZero) {
    Indexed r = index_two_series();
    EXPECT_EQ(r.st.values_of(1)[1], 0);
    EXPECT_EQ(r.res.undefined, 1);
}

TEST(RegionalCurve, IndexRangeLeavesUndefinedRingsOut) {
    const Indexed r = index_two_series();
    EXPECT_FLOAT_EQ(r.res.y_max, 2.0f);
    EXPECT_FLOAT_EQ(r.res.y_min, 1.234f / 1.5f);
}

TEST(RegionalCurve, IndexTooLargeForTheStoreIsUndefined) {
    Stores st = make_stores({{500000}}, {0}, 1000);
    std::vector<float> curve(MaxYears + 1, 0.0f);
    curve[1] = 1e-6f;
    IndexingResult res = index_series(st, curve);
    EXPECT_EQ(st.values[0], 0);
    EXPECT_EQ(res.undefined, 1);
    EXPECT_FLOAT_EQ(res.y_min, 1000.0f);  // start values stay when no ring has an index
    EXPECT_FLOAT_EQ(res.y_max, -9999.0f);
}

}  // namespace
}  // namespace tarnik::rcs

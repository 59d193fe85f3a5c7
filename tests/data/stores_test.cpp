#include "data/stores.h"

#include <gtest/gtest.h>

#include "plot/rwl_fixture.h"

namespace tarnik {
namespace {

// Data far from the years 1..2100.
Stores far_years() {
    return test::make_stores({{"LATE", 5000, 0, 100, {100, 200, 300}},
                              {"LATER", 9998, 2, 1000, {4000, 5000}},
                              {"BC", -9999, 0, 100, {}},  // a series without rings
                              {"AROUND0", -2, 1, 100, {1, 2, 3, 4, 5}}});
}

// Every extreme of the summary is that of the data, wherever its years lie.
TEST(SummariseStores, ExtremesOfAnyYears) {
    const Stores st = far_years();
    const DataSummary& m = st.summary;
    EXPECT_EQ(m.min_first_year, -9999);
    EXPECT_EQ(m.max_last_year, 9999);
    EXPECT_EQ(m.min_first_age, 1);
    EXPECT_EQ(m.max_last_age, 6);
    EXPECT_EQ(m.min_length, 0);
    EXPECT_EQ(m.max_length, 5);
    EXPECT_FLOAT_EQ(m.y_min, 0.01f);
    EXPECT_FLOAT_EQ(m.y_max, 5.0f);
}

// The depth tables count every ring once, wherever its years lie.
TEST(SummariseStores, DepthsOfAnyYears) {
    const Stores st = far_years();
    const DataSummary& m = st.summary;
    for (std::int32_t y : {-9999, -3, 3, 4999, 5003, 10000}) EXPECT_EQ(st.depth_by_year[y], 0) << y;
    for (std::int32_t y : {-2, 2, 5000, 5002, 9998, 9999}) EXPECT_EQ(st.depth_by_year[y], 1) << y;
    // Ages: LATE 1-3, LATER 3-4, AROUND0 2-6.
    const std::int32_t by_age[] = {0, 1, 2, 3, 2, 1, 1, 0};
    for (std::int32_t a = 0; a <= 7; ++a) EXPECT_EQ(st.depth_by_age[a], by_age[a]) << a;
    EXPECT_EQ(m.max_depth_age, 3);
    EXPECT_EQ(m.max_age_depth3, 3);
    EXPECT_EQ(m.max_depth_year, 1);
}

TEST(SummariseStores, ValuesPastTheStartValuesAreTheExtremes) {
    const Stores wide = test::make_stores({{"A", 3500, 0, 100, {200000, 300000}}});
    EXPECT_EQ(wide.summary.min_first_year, 3500);
    EXPECT_FLOAT_EQ(wide.summary.y_min, 2000.0f);
}

TEST(SummariseStores, WithoutSeriesTheStartValuesStay) {
    const Stores none = test::make_stores({});
    EXPECT_EQ(none.summary.min_first_year, 3000);
    EXPECT_EQ(none.summary.max_last_year, -9999);
    EXPECT_FLOAT_EQ(none.summary.y_min, 1000.0f);
    EXPECT_EQ(none.depth_by_year[3000], 0);
}

}  // namespace
}  // namespace tarnik

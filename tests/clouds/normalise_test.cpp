#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clouds/normalise.h"
#include "console/errors.h"
#include "cloud_fixture.h"

namespace tarnik::clouds {
namespace {

using test::contains_block;
using test::count_of;
using test::set_class;
using V = std::vector<float>;

// Classes 1800-1900 and 1850-1950 whose splines hold their years.
CloudStore overlapping() {
    CloudStore cs;
    set_class(cs, 1, 1800, 1900, [](int y) { return float(y); });
    set_class(cs, 2, 1850, 1950, [](int y) { return float(y); });
    return cs;
}

struct Outcome : test::Scripted {
    std::int32_t abort = -1;
};

Outcome normalise(CloudStore& cs, std::string_view answers) {
    Outcome r;
    static_cast<test::Scripted&>(r) = test::scripted(answers, [&](Console& c, TextFile& f) {
        r.abort = normalise_clouds(c, cs, f) == NormaliseResult::no_common_period ? 1 : 0;
    });
    return r;
}

TEST(Standardise, EachModeComputesItsStatistics) {
    V x = {1, 2, 3, 4, 99};
    float mean = 0, sd = 0;
    standardise(x, 4, mean, sd, StatisticsMode::mean_and_deviation);  // only the first l values count
    EXPECT_FLOAT_EQ(mean, 2.5f);
    EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt(5.0 / 3.0)));
    mean = 0.0f;  // option 2 takes the deviation about the mean it is given
    standardise(x, 4, mean, sd, StatisticsMode::deviation);
    EXPECT_FLOAT_EQ(sd, static_cast<float>(std::sqrt(30.0 / 3.0)));
    sd = 0.5f;
    standardise(x, 4, mean, sd, StatisticsMode::scale_own_mean);  // own mean, given sd
    EXPECT_EQ(x, (V{-3.0f, -1.0f, 1.0f, 3.0f, 99.0f}));
    // A standard deviation of 0 leaves the values as they are.
    V flat = {2, 2, 2};
    EXPECT_FALSE(standardise(flat, 3, mean, sd, StatisticsMode::scale_own_mean_and_deviation));
    EXPECT_EQ(mean, 2.0f);
    EXPECT_EQ(flat, (V{2, 2, 2}));
}

TEST(Standardise, ImpossibleCallsAreInternalErrors) {
    float mean = 0, sd = 0;
    using M = StatisticsMode;
    const std::vector<std::tuple<std::int32_t, StatisticsMode, std::string>> bad = {
        {1, M::deviation, "In amstds l = 1 and you want an std??"},
        {6, M::mean, "In amstd l > lmax:    6    5"},
        {0, M::mean, "In amstd l \u201d 0:    0"}};
    for (const auto& [l, mode, message] : bad) {
        V five(5, 1.0f);
        try {
            standardise(std::span(five).first(l == 1 ? 1 : 5), l, mean, sd, mode);
            ADD_FAILURE() << message;
        } catch (const InternalError& e) {
            EXPECT_EQ(e.lines.at(1), message);
            EXPECT_EQ(e.pause, "Hit RETURN to terminate ");
            EXPECT_TRUE(e.pause_field);
        }
    }
}

// Classes 1800-1900, 1850-1950 and 1870-2000; class 2 was left out by an
// earlier normalisation.
CloudStore three_overlapping() {
    CloudStore cs;
    set_class(cs, 1, 1800, 1900, [](int y) { return 0.5f * (y - 1800); },
              {{1869, 100.0f}, {1870, 1.0f}, {1900, 3.0f}, {1901, 100.0f}});
    set_class(cs, 2, 1850, 1950, [](int) { return 4.0f; }, {{1880, 6.0f}});
    set_class(cs, 3, 1870, 2000, [](int y) { return float(y); }, {{1990, 1.0f}});
    cs.spline_skipped[1] = true;  // from an earlier normalisation
    return cs;
}

TEST(Normalise, CommonPeriodIsWhereAllClassesOverlap) {
    CloudStore cs = three_overlapping();
    const Outcome r = normalise(cs, "n\n1\n");
    EXPECT_EQ(r.abort, 0);
    EXPECT_TRUE(contains_block(r.out, "\nThe full time span of the age classes is\nfrom 1800 to 2000.\n\n"
                                          "The common period for the age classes is\nfrom 1870 to 1900.\n"
                                          "Remember, the mean and the standard deviation\n"));
    EXPECT_TRUE(contains_block(r.report, "(Normalization ***************\n\n"
                                         "The full time span of the age classes is\nfrom 1800 to 2000.\n"));
}

TEST(Normalise, MeanRemovalCentresEveryClassOverThePeriod) {
    CloudStore cs = three_overlapping();
    const Outcome r = normalise(cs, "n\n1\n");
    EXPECT_TRUE(contains_block(r.report, "from 1870 to 1900.\n  cp:  1870 1900\nNormalization by MEAN removal\n"
                                         "j1&2:    71  101\nindex=    1 ysmu= 42.50000\nindex=    1 ycmu=  2.00000\n"
                                         "j1&2:    21   51\nindex=    2 ysmu=  4.00000\n"));
    EXPECT_TRUE(contains_block(r.report, "j1&2:     1   31\nindex=    3 ysmu= ********\n"));
    // Spline 1: 0.5 (y - 1800) less 42.5; cloud 1 less the mean of its points
    // in 1870..1900, the end years included.
    EXPECT_EQ(cs.cls[0].spline_value.front(), -42.5f);
    EXPECT_EQ(cs.cls[0].spline_value.back(), 7.5f);
    EXPECT_EQ(cs.cls[0].cloud_value, (V{98.0f, -1.0f, 1.0f, 98.0f}));
    EXPECT_EQ(cs.cls[1].cloud_value, (V{0.0f}));
    // Class 3's only cloud point lies outside the period.
    EXPECT_TRUE(contains_block(r.out, "\ncloud    3 has no points in the common period.\n"
                                          "this cloud will not be plotted.\n"));
    EXPECT_EQ(cs.cls[2].cloud_value, (V{1.0f}));
    EXPECT_FALSE(cs.spline_skipped[0] || cs.spline_skipped[1] || cs.spline_skipped[2]);
    EXPECT_FALSE(cs.cloud_skipped[0] || cs.cloud_skipped[1]);
    EXPECT_TRUE(cs.cloud_skipped[2]);
}

TEST(Normalise, EmptyCommonPeriodNeedsABridgingPeriod) {
    CloudStore cs;
    set_class(cs, 1, 1800, 1850, [](int y) { return float(y - 1800); }, {{1800, 10.0f}, {1845, 1.0f}, {1850, 3.0f}});
    set_class(cs, 2, 1860, 1950, [](int y) { return 2.0f * float(y - 1860); }, {{1862, 5.0f}, {1866, 9.0f}});
    const CloudStore before = cs;
    const Outcome no = normalise(cs, "n\n");
    EXPECT_EQ(no.abort, 1);
    EXPECT_TRUE(contains_block(no.out, "from 1860 to 1850.\nThis is not an acceptable common period.\n"
                                           "You must enter a common period that will\n"
                                           "span this gap and have additional years\n"
                                           "at both ends or return to the main program.\n"));
    EXPECT_EQ(cs.cls[0].spline_value, before.cls[0].spline_value);
    EXPECT_EQ(cs.cls[1].cloud_value, before.cls[1].cloud_value);

    const Outcome yes = normalise(cs, "y\n1845\n1865\n2\n");
    EXPECT_EQ(yes.abort, 0);
    EXPECT_TRUE(contains_block(yes.out, "Enter a lower case [y]es or [n]o  : \n"
                                            "Enter the first and last years of your common period.\n"));
    EXPECT_TRUE(contains_block(yes.report, "\nUser Define common period \n  cp:  1845 1865\n"
                                           "Normalization by MEAN removal AND scaled STD \n"
                                           "j1&2:    46   51\nindex=    1 ysmu= 47.50000\nindex=    1 yssd=  1.87083\n"
                                           "index=    1 ycmu=  2.00000\nindex=    1 ycsd=  1.41421\n"
                                           "j1&2:     1    6\nindex=    2 ysmu=  5.00000\nindex=    2 yssd=  3.74166\n"
                                           "index=    2 ycmu=  5.00000\n\ncloud    2 has too few points"));
    // Spline 1: years 1845..1850 hold 45..50: mean 47.5, sd sqrt(3.5); cloud 1:
    // points 1.0 and 3.0 in the period: mean 2, sd sqrt(2).
    EXPECT_NEAR(cs.cls[0].spline_value[0], (0.0 - 47.5) / std::sqrt(3.5), 1e-4);
    EXPECT_NEAR(cs.cls[0].cloud_value[0], 8.0 / std::sqrt(2.0), 1e-5);
    // Cloud 2 has one point in the period: its mean is removed, it is not scaled.
    EXPECT_TRUE(contains_block(yes.out, "\ncloud    2 has too few points in the common period\n"
                                            "for a standard deviation to be computed.\n"
                                            "this cloud will not be plotted.\n"));
    EXPECT_EQ(cs.cls[1].cloud_value, (V{0.0f, 4.0f}));
    EXPECT_FALSE(cs.cloud_skipped[0] || cs.spline_skipped[0] || cs.spline_skipped[1]);
    EXPECT_TRUE(cs.cloud_skipped[1]);
}

TEST(Normalise, UserPeriodIsCheckedInOrder) {
    // 1950 > C: first year again; 1700 then 1880: only after the last year is the
    // first year found below the span; 1860 then 1840 < B: last year again;
    // 1955 > D: first year again; 1870 to 1880 is accepted.
    CloudStore cs = overlapping();
    Outcome r = normalise(cs, "y\n1950\n\n1700\n1880\n\n1860\n1840\n\n1955\n\n1870\n1880\n1\n");
    EXPECT_TRUE(contains_block(r.out, "New First Year? : The first year must be \u2264 1900.\n\n"
                                          "Hit RETURN to try again New First Year? : New Last Year?  : "
                                          "The first year must be \u2265 1800.\n\nHit RETURN to try again "
                                          "New First Year? : New Last Year?  : The last year must be \u2265 1850.\n\n"
                                          "Hit RETURN to try again New Last Year?  : The last year must be \u2264 1950.\n\n"
                                          "Hit RETURN to try again New First Year? : New Last Year?  : \n"
                                          "It is time"));
    EXPECT_TRUE(contains_block(r.report, "  cp:  1870 1880\n"));
    EXPECT_EQ(cs.cls[0].spline_value[70], -5.0f);  // 1870 less the mean 1875

    cs = overlapping();
    r = normalise(cs, "y\n1890\n1880\n\n1880\n1890\n1\n");
    EXPECT_TRUE(contains_block(r.out, "The first year must be \u2264 the last year.\n"));
    EXPECT_TRUE(contains_block(r.report, "  cp:  1880 1890\n"));
}

TEST(Normalise, InvalidAnswersAskAgain) {
    // "Y" shows the periods again; method 3 and the unreadable "x" the method choice.
    CloudStore cs = overlapping();
    const Outcome r = normalise(cs, "Y\n\nn\n3\n\nx\n1\n");
    EXPECT_EQ(count_of(r.out, "The full time span of the age classes is"), 2u);
    EXPECT_TRUE(contains_block(r.out, "\nInvalid entry try again.\n\nHit RETURN to continue \n"));
    EXPECT_TRUE(contains_block(r.out, "Enter [1 or 2] :    \nInvalid Entry, try again.\n\nHit RETURN to try again \n"));
    EXPECT_EQ(count_of(r.out, "It is time to compute the age class anomalies."), 3u);
    EXPECT_TRUE(contains_block(r.report, "Normalization by MEAN removal\n"));
}

TEST(Normalise, ClassesThatCannotBeScaledAreLeftOut) {
    // A one-year common period (1900): no standard deviation for either spline;
    // the mean is removed and the cloud is not touched.
    CloudStore cs;
    set_class(cs, 1, 1800, 1900, [](int y) { return float(y - 1800); }, {{1900, 2.0f}, {1900, 4.0f}});
    set_class(cs, 2, 1900, 2000, [](int y) { return float(2000 - y); }, {{1950, 1.0f}});
    Outcome r = normalise(cs, "n\n2\n");
    EXPECT_TRUE(contains_block(r.out, "from 1900 to 1900.\n"));
    EXPECT_EQ(count_of(r.out, "has too few points in the common period\nfor a standard deviation to be computed.\n"
                                  "this age class will not be plotted.\n"),
              2u);
    EXPECT_TRUE(contains_block(r.report, "\nspline    1 has too few points in the common period\n"));
    EXPECT_EQ(cs.cls[0].spline_value[0], -100.0f);
    EXPECT_EQ(cs.cls[1].spline_value[100], -100.0f);
    EXPECT_EQ(cs.cls[0].cloud_value, (V{2.0f, 4.0f}));
    EXPECT_TRUE(cs.spline_skipped[0] && cs.cloud_skipped[0] && cs.spline_skipped[1] && cs.cloud_skipped[1]);

    // Flat values: a standard deviation of 0 is not divided by.
    cs = {};
    set_class(cs, 1, 1900, 1950, [](int) { return 3.0f; }, {{1910, 1.0f}});
    set_class(cs, 2, 1900, 1950, [](int y) { return float(y); }, {{1910, 5.0f}, {1920, 5.0f}, {1800, 7.0f}});
    r = normalise(cs, "n\n2\n");
    EXPECT_TRUE(contains_block(r.out, "\nspline    1 has a standard deviation of 0 in the common period\n"
                                          "so it cannot be scaled to one.\nthis age class will not be plotted.\n"));
    EXPECT_TRUE(contains_block(r.out, "\ncloud    2 has a standard deviation of 0 in the common period\n"
                                          "so it cannot be scaled to one.\nthis cloud will not be plotted.\n"));
    EXPECT_EQ(cs.cls[0].spline_value, V(51, 0.0f));
    EXPECT_EQ(cs.cls[1].cloud_value, (V{0.0f, 0.0f, 2.0f}));
    EXPECT_TRUE(cs.spline_skipped[0] && cs.cloud_skipped[0] && !cs.spline_skipped[1] && cs.cloud_skipped[1]);

    // A user period falling between grid years skips every class instead of stopping.
    cs = overlapping();
    const CloudStore before = cs;
    r = normalise(cs, "y\n1850.5\n1850.5\n1\n\n\n");
    EXPECT_EQ(count_of(r.out, "has no points in the common period\nand so the cloud cannot.\n"
                                  "this age class will not be plotted.\n\n  Hit RETURN to continue : "),
              2u);
    EXPECT_EQ(cs.cls[0].spline_value, before.cls[0].spline_value);
    EXPECT_TRUE(cs.spline_skipped[0] && cs.spline_skipped[1]);
}

}  // namespace
}  // namespace tarnik::clouds

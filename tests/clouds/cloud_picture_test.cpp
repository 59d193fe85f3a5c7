// The dot-cloud display drawn at the device's resolution against the same
// display with every point handed to the library (full detail).

#include <gtest/gtest.h>

#include <random>

#include "clouds/cloud_build.h"
#include "clouds/cloud_drawing.h"
#include "plot/appearance.h"
#include "plot/picture_fixture.h"
#include "plot/rwl_fixture.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

// The clouds of the given classes (start, stop) of the stores, without splines,
// on the axes the display gives them.
DotCloudState clouds_of(const Stores& st, const std::vector<std::pair<int, int>>& classes) {
    DotCloudState s;
    s.cs.classnum = static_cast<std::int32_t>(classes.size());
    float xmin = 1e9f, xmax = -1e9f, ymin = 1e9f, ymax = -1e9f;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        s.cs.start_age[i] = classes[i].first;
        s.cs.stop_age[i] = classes[i].second;
        CloudClass& cl = s.cs.cls[i];
        s.cs.num[i] = static_cast<std::int32_t>(collect_cloud(st, classes[i].first, classes[i].second, cl));
        for (std::size_t k = 0; k < cl.cloud_year.size(); ++k) {
            xmin = std::min(xmin, cl.cloud_year[k]), xmax = std::max(xmax, cl.cloud_year[k]);
            ymin = std::min(ymin, cl.cloud_value[k]), ymax = std::max(ymax, cl.cloud_value[k]);
        }
    }
    test::MemConsole mc;
    plot::plot_style_dialog(mc.con(), 99, s.ap, plot::PlotKind::dot_clouds, s.cs.classnum, s.cs.start_age, s.cs.stop_age, s.dark);
    set_cloud_axes(s.ap, xmin, xmax, ymin, ymax);
    s.y_label = "(RRW mm.)";
    return s;
}

std::vector<unsigned char> cloud_picture(bool full_detail, const DotCloudState& s) {
    test::MemConsole mc("\n");  // the pause before the plot
    return test::picture(full_detail, [&] { draw_dot_clouds(mc.con(), s, "clouds"); });
}

TEST(CloudPictures, Ca533LooksTheSameDrawnAtTheDeviceResolution) {
    const auto series = test::parse_rwl_hundredths(test::read_file(test::data_file("ca533.rwl")));
    const Stores st = test::make_stores(series);
    const std::vector<std::pair<int, int>> classes = {{1, 50}, {151, 200}, {301, 350}, {451, 500},
                                                      {601, 650}, {751, 800}, {901, 950}};
    const auto full = cloud_picture(true, clouds_of(st, classes));
    const auto fast = cloud_picture(false, clouds_of(st, classes));
    // Symbols left out where another of their class lies on the same pixel do
    // not darken the edges of the anti-aliased one once more: a few pixels.
    constexpr std::size_t kTolerance = 100;
    EXPECT_LE(test::pixels_differing(full, fast), kTolerance);
    // Losing the points of one series shows far more.
    auto fewer = series;
    fewer.erase(fewer.begin() + 5);
    EXPECT_GT(test::pixels_differing(full, cloud_picture(true, clouds_of(test::make_stores(fewer), classes))), 2 * kTolerance);
}

// Clouds whose points lie on the same pixels many times over are drawn as the
// pixels their symbols cover: the same pixels, within one, as every symbol.
TEST(CloudPictures, CrowdedCloudsCoverTheSamePixels) {
    std::vector<test::SeriesSpec> series;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> width(60, 260);
    for (int s = 0; s < 4000; ++s) {
        std::vector<std::int32_t> w(60);
        for (auto& v : w) v = width(rng);
        series.push_back({"C" + std::to_string(s), 1800 + s % 90, 0, 100, w});
    }
    const Stores st = test::make_stores(series);
    const DotCloudState s = clouds_of(st, {{1, 20}, {21, 40}, {41, 60}});
    const auto full = cloud_picture(true, s), fast = cloud_picture(false, s);
    EXPECT_EQ(test::ink_lost(full, fast, 720), 0u);
    EXPECT_EQ(test::ink_lost(fast, full, 720), 0u);
}

}  // namespace
}  // namespace tarnik::clouds

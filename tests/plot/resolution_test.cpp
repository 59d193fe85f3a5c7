// Drawing at the device's resolution: the reduction of a line to what its
// device columns show, the cell masks, the screen notices, and the pictures of
// the series display drawn that way against the same displays drawn with every
// point (full detail).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <random>

#include "plot/appearance.h"
#include "plot/cycle.h"
#include "plot/picture_fixture.h"
#include "plot/resolution.h"
#include "plot/rwl_fixture.h"
#include "plot/series_display.h"
#include "support/test_support.h"

namespace tarnik::plot {
namespace {

using test::picture;

// The library's data directory for the symbol shapes.
struct LibraryData {
    LibraryData() { set_plplot_environment(); }
};

// 10 cells per world unit in X, world Y 0..1 over 100 cells.
DeviceGrid ten_per_unit() {
    DeviceGrid g;
    g.vx0 = 0.0, g.vx1 = 1000.0, g.wx0 = 0.0, g.wx1 = 100.0;
    g.vy0 = 0.0, g.vy1 = 100.0, g.wy0 = 0.0, g.wy1 = 1.0;
    return g;
}

// Whatever a line does inside one device column, the reduced line keeps its
// first, lowest, highest and last point there, in order, and nothing else.
TEST(ReduceToColumns, KeepsTheExtremesOfEveryColumnInOrder) {
    const DeviceGrid g = ten_per_unit();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> step(0.0, 0.05), value(0.0, 1.0);
    for (int round = 0; round < 20; ++round) {
        std::vector<PLFLT> x, y;
        double at = 0.0;
        for (int k = 0; k < 2000; ++k) {
            // Mostly forward, now and then back across a column edge.
            at += (k % 97 == 0) ? -0.3 : step(rng);
            x.push_back(at);
            y.push_back(value(rng));
        }
        std::vector<PLFLT> rx = x, ry = y;
        reduce_to_columns(g, rx, ry);
        ASSERT_EQ(rx.size(), ry.size());
        EXPECT_EQ(rx.front(), x.front());
        EXPECT_EQ(rx.back(), x.back());
        // Split both into runs of one column and compare run by run.
        auto runs = [&](const std::vector<PLFLT>& xs, const std::vector<PLFLT>& ys) {
            std::vector<std::vector<std::pair<PLFLT, PLFLT>>> out;
            for (std::size_t k = 0; k < xs.size(); ++k) {
                if (k == 0 || std::floor(g.cx(xs[k])) != std::floor(g.cx(xs[k - 1]))) out.emplace_back();
                out.back().push_back({xs[k], ys[k]});
            }
            return out;
        };
        const auto full = runs(x, y), kept = runs(rx, ry);
        ASSERT_EQ(full.size(), kept.size());
        for (std::size_t r = 0; r < full.size(); ++r) {
            const auto& f = full[r];
            const auto& k = kept[r];
            ASSERT_LE(k.size(), 4u);
            EXPECT_EQ(k.front(), f.front());
            EXPECT_EQ(k.back(), f.back());
            const auto by_y = [](auto a, auto b) { return a.second < b.second; };
            EXPECT_EQ(std::min_element(k.begin(), k.end(), by_y)->second, std::min_element(f.begin(), f.end(), by_y)->second);
            EXPECT_EQ(std::max_element(k.begin(), k.end(), by_y)->second, std::max_element(f.begin(), f.end(), by_y)->second);
            // Kept points appear in the order of the full line.
            std::size_t at_full = 0;
            for (const auto& p : k) {
                while (at_full < f.size() && f[at_full] != p) ++at_full;
                EXPECT_LT(at_full, f.size());
            }
        }
    }
}

// A mask drawn on the screen inks exactly its cells, whatever their shape:
// bands, single pixels, runs that split and join, columns with many runs.
TEST(CellMask, DrawsExactlyItsCells) {
    std::mt19937 rng(11);
    std::set<std::pair<int, int>> cells;  // page pixels (x, y)
    std::int32_t c0 = 0, r0 = 0, cols = 0, rows = 0;
    std::size_t paths = 0;
    const auto pixels = picture(false, [&] {
        test::MemConsole mc;
        DrawingCycle cycle(mc.con(), "Mac1", PlotAppearance{}, 0);
        plssub(1, 2);
        pladv(0);
        plvpor(0.1, 0.9, 0.2, 0.9);
        plwind(1700.0, 2000.0, -1.0, 3.0);
        CellMask m(cycle.grid());
        c0 = m.first_column(), r0 = m.first_row(), cols = m.columns(), rows = m.rows();
        std::uniform_int_distribution<int> any_row(0, rows - 1);
        for (std::int32_t c = 0; c < cols; ++c) {
            // A wavy band, a second band that comes and goes, and scattered cells.
            const int top = 40 + static_cast<int>(20.0 * std::sin(c / 30.0));
            m.set_span(c, top, top + 25 + c % 7);
            if ((c / 40) % 2 == 0) m.set_span(c, 100 + c % 11, 110 + c % 5);
            if (c % 3 == 0) m.set(c, any_row(rng));
        }
        for (std::int32_t c = 0; c < cols; ++c)
            for (std::int32_t r = 0; r < rows; ++r)
                if (m.test(c, r)) cells.insert({c0 + c, r0 + r});
        paths = m.draw();
    });
    ASSERT_EQ(pixels.size(), 720u * 540u * 4u);
    std::size_t wrong = 0;
    for (std::int32_t y = r0; y < r0 + rows; ++y) {
        for (std::int32_t x = c0; x < c0 + cols; ++x) {
            const int alpha = pixels[(static_cast<std::size_t>(y) * 720 + static_cast<std::size_t>(x)) * 4 + 3];
            if (cells.contains({x, y}) ? alpha < 240 : alpha > 15) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0u) << "of " << cells.size() << " cells";
    EXPECT_LT(paths, cells.size() / 4);  // far fewer paths than cells
}

// Which clouds are drawn as masks: those drawn over themselves many times, and
// the largest while the symbols left exceed the budget. The masks take the
// symbol's shape from the library: the star of the default symbol 18 has a few
// pixels, the blank 32 none.
DeviceGrid cloud_grid() {
    DeviceGrid g;
    g.pixels = true;
    g.vx0 = 72.0, g.vx1 = 648.0, g.vy0 = 27.0, g.vy1 = 216.0;
    g.wx0 = 0.0, g.wx1 = 576.0, g.wy0 = 0.0, g.wy1 = 189.0;  // one world unit per pixel
    return g;
}

// Points on every pixel of every other row of the cloud grid's viewport.
struct SpreadPoints {
    std::vector<float> x, y;
    SpreadPoints() {
        for (int px = 0; px < 576; ++px)
            for (int py = 0; py < 189; py += 2) x.push_back(px + 0.5f), y.push_back(py + 0.5f);
    }
};

TEST(CloudPoints, CrowdedCloudBecomesAMask) {
    LibraryData data;
    const SpreadPoints spread;
    std::vector<float> crowd_x(5000, 10.5f), crowd_y(5000, 10.5f);
    for (int i = 0; i < 100; ++i) crowd_x[static_cast<std::size_t>(i)] += static_cast<float>(i % 10);
    CloudPoints few(cloud_grid());
    const std::size_t crowd = few.add(crowd_x, crowd_y, 18), light = few.add({spread.x.data(), 500}, {spread.y.data(), 500}, 18);
    few.plan();
    EXPECT_TRUE(few.as_mask(crowd));
    EXPECT_FALSE(few.as_mask(light));
}

TEST(CloudPoints, LargestCloudBecomesAMaskOverTheBudget) {
    LibraryData data;
    const SpreadPoints spread;
    CloudPoints many(cloud_grid());  // 54432 points on as many pixels: over the budget
    const std::size_t small = many.add({spread.x.data(), 20000}, {spread.y.data(), 20000}, 18);
    const std::size_t large = many.add({spread.x.data() + 20000, 34432}, {spread.y.data() + 20000, 34432}, 32);
    many.plan();
    EXPECT_FALSE(many.as_mask(small));
    EXPECT_TRUE(many.as_mask(large));
}

TEST(CloudPoints, MaskShapesComeFromTheLibrarysSymbols) {
    LibraryData data;
    std::vector<std::vector<CellOffset>> shapes;
    const PLINT symbols[] = {18, 32};
    ASSERT_TRUE(symbol_shapes(720.0, 540.0, 1.0, symbols, shapes));
    EXPECT_GE(shapes[0].size(), 9u);
    EXPECT_LE(shapes[0].size(), 49u);
    for (const CellOffset& o : shapes[0]) EXPECT_TRUE(std::abs(o.dc) <= 3 && std::abs(o.dr) <= 3);
    EXPECT_TRUE(shapes[1].empty());
}

std::vector<test::SeriesSpec> ca533_series() {
    return test::parse_rwl_hundredths(test::read_file(test::data_file("ca533.rwl")));
}

// The series display of the stores on the in-memory screen.
std::vector<unsigned char> series_picture(bool full_detail, const Stores& st, std::int32_t alignment, std::int32_t code,
                                          std::span<const float> curve = {}) {
    const SeriesDisplayInput in{static_cast<AnalysisVariable>(code), static_cast<SeriesAlignment>(alignment), st.summary.y_min, st.summary.y_max, curve, "ca533.rwl"};
    test::MemConsole mc;
    PlotAppearance ap;
    bool dark = false;
    plot_style_dialog(mc.con(), 99, ap, alignment == 1 ? PlotKind::series_by_age : PlotKind::series_by_year, 0, {}, {}, dark);
    series_ranges(st, in, series_y_top(in.y_max), ap);
    return picture(full_detail, [&] { draw_series(mc.con(), "Mac1", st, in, ap, dark); });
}

// Pixels that may differ between ca533's displays drawn at the device's
// resolution and with every point: far fewer than losing any one series
// changes (checked below for every series).
constexpr std::size_t kTolerance = 60;

TEST(SeriesPictures, Ca533LooksTheSameDrawnAtTheDeviceResolution) {
    const auto series = ca533_series();
    const Stores st = test::make_stores(series);
    std::vector<float> curve;
    for (int age = 1; age <= st.summary.max_last_age; ++age) curve.push_back(0.2f + 0.8f * std::exp(-age / 200.0f));
    for (std::int32_t alignment : {1, 2}) {
        const auto full = series_picture(true, st, alignment, 1);
        const auto fast = series_picture(false, st, alignment, 1);
        EXPECT_LE(test::pixels_differing(full, fast), kTolerance) << "alignment " << alignment;
        EXPECT_GT(test::pixels_differing(full, std::vector<unsigned char>(full.size(), 0)), 10000u);  // drawn at all
        // Losing any one series shows.
        std::size_t smallest_loss = full.size();
        for (std::size_t lost = 0; lost < series.size(); ++lost) {
            auto fewer = series;
            fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(lost));
            smallest_loss = std::min(smallest_loss, test::pixels_differing(full, series_picture(true, test::make_stores(fewer), alignment, 1)));
        }
        EXPECT_GT(smallest_loss, 2 * kTolerance) << "alignment " << alignment;
    }
    const auto full = series_picture(true, st, 1, 4, curve), fast = series_picture(false, st, 1, 4, curve);
    EXPECT_LE(test::pixels_differing(full, fast), kTolerance);
}

// Far more series than the panel has pixel rows: the dense part is drawn as a
// mask without anti-aliasing. It covers the same pixels as the lines, within
// one pixel, and a series apart from the others is still drawn as a line.
TEST(SeriesPictures, DenseSeriesCoverTheSamePixels) {
    const Stores st = test::make_stores(test::dense_series(600, 300, 3, 1, 300));
    for (std::int32_t alignment : {1, 2}) {
        const auto full = series_picture(true, st, alignment, 1), fast = series_picture(false, st, alignment, 1);
        EXPECT_EQ(test::ink_lost(full, fast, 720), 0u) << "alignment " << alignment;
        EXPECT_EQ(test::ink_lost(fast, full, 720), 0u) << "alignment " << alignment;
    }
}

}  // namespace
}  // namespace tarnik::plot

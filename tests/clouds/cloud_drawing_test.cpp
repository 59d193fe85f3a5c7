#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "clouds/cloud_drawing.h"
#include "plot/appearance.h"
#include "cloud_fixture.h"

namespace tarnik::clouds {
namespace {

using test::MemConsole;

CloudStore classes(std::int32_t n) {
    CloudStore cs;
    cs.classnum = n;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        cs.start_age[i] = 10 * static_cast<std::int32_t>(i) + 1, cs.stop_age[i] = 10 * static_cast<std::int32_t>(i) + 10;
        cs.bw_label[i] = "  " + std::to_string(11 + i) + " fixed years cutoff";
    }
    return cs;
}

TEST(Legend, UpToFifteenClassesTakeOneLineEach) {
    auto legend = legend_layout(classes(15));
    ASSERT_EQ(legend.size(), 15u);
    for (std::size_t i = 0; i < 15; ++i) {  // class 1 lowest
        EXPECT_EQ(legend[i].klass, 15 - static_cast<std::int32_t>(i));
        EXPECT_DOUBLE_EQ(legend[i].pos, 0.07 * static_cast<double>(15 - i));
        EXPECT_EQ(legend[i].side, "lv");
        EXPECT_EQ(legend[i].disp, -3.0);
    }
    // The label is cut or padded to 30 characters.
    EXPECT_EQ(legend.back().text, "age class:   1-  10   Spline>   11 fixed years cutoff       ");
}

TEST(Legend, SixteenOrMoreClassesTakeFourColumns) {
    const auto legend = legend_layout(classes(18));
    ASSERT_EQ(legend.size(), 18u);
    const char* sides[4] = {"lv", "lv", "rv", "rv"};
    const double disps[4] = {2.0, -14.0, -27.0, -11.0};
    for (std::size_t i = 0; i < 18; ++i) {  // row 5 holds classes 17 and 18 only
        EXPECT_EQ(legend[i].klass, static_cast<std::int32_t>(i) + 1);
        EXPECT_EQ(legend[i].side, sides[i % 4]);
        EXPECT_EQ(legend[i].disp, disps[i % 4]);
        EXPECT_DOUBLE_EQ(legend[i].pos, 0.07 * static_cast<double>(i / 4 + 1));
    }
    EXPECT_EQ(legend[5].text, "age:  51-  60");
}

// Three classes with clouds (3 points a year) and splines over 1900-1950.
DotCloudState three_classes(std::int32_t view3d = 0) {
    DotCloudState s;
    s.cs = classes(3);
    s.view3d = view3d;
    for (int k = 1; k <= 3; ++k) {
        const float shift = 0.3f * static_cast<float>(k);
        std::vector<std::pair<float, float>> cloud;
        for (int y = 1900; y <= 1950; ++y)
            for (int r = 0; r < 3; ++r) cloud.push_back({float(y), 0.2f + shift + 0.1f * static_cast<float>((y * 7 + r) % 5)});
        test::set_class(s.cs, k, 1900, 1950, [&](int y) { return 0.4f + shift + 0.1f * std::sin(float(y) / 5.0f); }, cloud, 0.05f);
    }
    MemConsole mc;
    plot::plot_style_dialog(mc.con(), 99, s.ap, plot::PlotKind::dot_clouds, 3, s.cs.start_age, s.cs.stop_age, s.dark);
    s.ap.x_min = 1900, s.ap.x_max = 1960, s.ap.x_major = 10, s.ap.x_minor = 10;
    s.ap.y_min = 0, s.ap.y_max = 2.5, s.ap.y_major = 1, s.ap.y_minor = 10, s.ap.z_min = 0.6f, s.ap.z_max = 1.4f;
    s.y_label = "(RRW mm.)";
    return s;
}

// Draws on colour PostScript; returns the file without its creation-date line.
std::string postscript(DotCloudState s) {
    test::TempDir dir;
    s.device = "psc";
    MemConsole mc("\n" + (dir / "plot.ps").string() + "\n");
    draw_dot_clouds(mc.con(), s, "ca533.rwl");
    std::istringstream in(dir.read("plot.ps"));
    std::string out, line;
    while (std::getline(in, line))
        if (line.rfind("%%CreationDate", 0) != 0) out += line + "\n";
    EXPECT_EQ(out.rfind("%!PS", 0), 0u);
    return out;
}

TEST(Drawing, The3dViewReplacesTheLegendOfTwoOrMoreClasses) {
    EXPECT_NE(postscript(three_classes(0)), postscript(three_classes(1)));
    // One class: the 3-D view is not drawn and the lower panel stays empty.
    DotCloudState one = three_classes(1);
    one.cs.classnum = 1;
    const std::string empty_lower = postscript(one);
    one.view3d = 0;
    EXPECT_GT(postscript(one).size(), empty_lower.size());
}

TEST(Drawing, ClassesLeftOutByTheNormalisationAreNotDrawn) {
    // A class whose spline was skipped draws like a class without points or
    // spline; one whose cloud alone was skipped keeps its spline. Without the
    // normalisation the flags are ignored.
    for (int view3d : {0, 1}) {
        DotCloudState skipped = three_classes(view3d), empty = three_classes(view3d);
        skipped.normalized = 1;
        skipped.cs.spline_skipped[1] = true;
        empty.cs.num[1] = empty.cs.nps[1] = 0;
        EXPECT_EQ(postscript(skipped), postscript(empty));
        skipped.normalized = 0;
        EXPECT_NE(postscript(skipped), postscript(empty));
    }
    DotCloudState cloud_only = three_classes(), no_points = three_classes();
    cloud_only.normalized = 1;
    cloud_only.cs.cloud_skipped[2] = true;
    no_points.cs.num[2] = 0;
    EXPECT_EQ(postscript(cloud_only), postscript(no_points));
}

}  // namespace
}  // namespace tarnik::clouds

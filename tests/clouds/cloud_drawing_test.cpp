#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "clouds/cloud_drawing.h"
#include "plot/appearance.h"
#include "support/test_support.h"

namespace tarnik::clouds {
namespace {

using test::MemConsole;
using test::TempDir;

CloudStore classes(std::int32_t n) {
    CloudStore cs;
    cs.classnum = n;
    for (std::int32_t k = 1; k <= n; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        cs.start_age[i] = 10 * k - 9;
        cs.stop_age[i] = 10 * k;
        cs.bw_label[i] = "  " + std::to_string(10 + k) + " fixed years cutoff";
    }
    return cs;
}

TEST(Legend, UpToFifteenClassesOneLineEachWithClassOneLowest) {
    const auto legend = legend_layout(classes(15));
    ASSERT_EQ(legend.size(), 15u);
    EXPECT_EQ(legend.front().klass, 15);
    EXPECT_DOUBLE_EQ(legend.front().pos, 0.07 * 15);
    EXPECT_EQ(legend.back().klass, 1);
    EXPECT_DOUBLE_EQ(legend.back().pos, 0.07);
    for (const auto& t : legend) {
        EXPECT_EQ(t.side, "lv");
        EXPECT_EQ(t.disp, -3.0);
    }
    // The label is cut or padded to 30 characters.
    EXPECT_EQ(legend.back().text, "age class:   1-  10   Spline>   11 fixed years cutoff       ");
}

TEST(Legend, FromSixteenClassesFourColumns) {
    const auto legend = legend_layout(classes(18));
    ASSERT_EQ(legend.size(), 18u);
    // Row 5 holds classes 17 and 18 only.
    EXPECT_EQ(legend[16].klass, 17);
    EXPECT_DOUBLE_EQ(legend[16].pos, 0.35);
    EXPECT_EQ(legend[17].klass, 18);
    EXPECT_DOUBLE_EQ(legend[17].pos, 0.35);
    const char* sides[4] = {"lv", "lv", "rv", "rv"};
    const double disps[4] = {2.0, -14.0, -27.0, -11.0};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(legend[i].klass, static_cast<std::int32_t>(i) + 1);
        EXPECT_EQ(legend[i].side, sides[i % 4]);
        EXPECT_EQ(legend[i].disp, disps[i % 4]);
        EXPECT_DOUBLE_EQ(legend[i].pos, 0.07 * static_cast<double>(i / 4 + 1));
    }
    EXPECT_EQ(legend[5].text, "age:  51-  60");
}

// Three classes with clouds and splines over 1900-1950.
DotCloudState three_classes() {
    DotCloudState s;
    s.cs = classes(3);
    for (std::size_t i = 0; i < 3; ++i) {
        CloudClass& cl = s.cs.cls[i];
        for (int y = 1900; y <= 1950; ++y) {
            for (int r = 0; r < 3; ++r) {
                cl.cloud_year.push_back(static_cast<float>(y));
                cl.cloud_value.push_back(0.5f + 0.3f * static_cast<float>(i) + 0.1f * static_cast<float>((y * 7 + r) % 5));
            }
            cl.spline_year.push_back(static_cast<float>(y));
            cl.spline_value.push_back(0.7f + 0.3f * static_cast<float>(i) + 0.1f * std::sin(static_cast<float>(y) / 5.0f));
            cl.spline_se.push_back(0.05f);
        }
        s.cs.num[i] = static_cast<std::int32_t>(cl.cloud_year.size());
        s.cs.nps[i] = static_cast<std::int32_t>(cl.spline_year.size());
    }
    MemConsole mc;
    plot::plotstyle(mc.con(), 99, s.ap, plot::kDotClouds, 3, s.cs.start_age, s.cs.stop_age, s.dark);
    s.ap.x_min = 1900, s.ap.x_max = 1960, s.ap.x_major = 10, s.ap.x_minor = 10;
    s.ap.y_min = 0, s.ap.y_max = 2.5, s.ap.y_major = 1, s.ap.y_minor = 10;
    s.ap.z_min = 0.6f, s.ap.z_max = 1.4f;
    s.y_label = "(RRW mm.)";
    return s;
}

// Draws on colour PostScript; returns the file without its creation-date line.
std::string postscript(DotCloudState s, const std::string& keep_as = {}) {
    TempDir dir;
    const std::string file = (dir / "plot.ps").string();
    s.device = "psc";
    MemConsole mc("\n" + file + "\n");
    draw_dot_clouds(mc.con(), s, "ca533.rwl");
    EXPECT_NE(mc.output().find("     >>> Hit Return to Display Plot <<<"), std::string::npos);
    if (!keep_as.empty()) std::filesystem::copy_file(file, keep_as, std::filesystem::copy_options::overwrite_existing);
    std::istringstream in(dir.read("plot.ps"));
    std::string out, line;
    while (std::getline(in, line))
        if (line.rfind("%%CreationDate", 0) != 0) out += line + "\n";
    return out;
}

TEST(Drawing, WritesTheCloudPlotAndThe3dViewAsPostScript) {
    DotCloudState s = three_classes();
    const std::string legend = postscript(s, std::getenv("TARNIK_KEEP_PLOTS") ? "/tmp/clouds_legend.ps" : "");
    ASSERT_EQ(legend.rfind("%!PS", 0), 0u);
    s.view3d = 1;
    const std::string view = postscript(s, std::getenv("TARNIK_KEEP_PLOTS") ? "/tmp/clouds_3d.ps" : "");
    ASSERT_EQ(view.rfind("%!PS", 0), 0u);
    EXPECT_NE(legend, view);
    // One class: the 3-D view is not drawn and the lower panel stays empty.
    DotCloudState one = three_classes();
    one.cs.classnum = 1;
    one.view3d = 1;
    const std::string empty_lower = postscript(one);
    one.view3d = 0;
    EXPECT_GT(postscript(one).size(), empty_lower.size());
}

TEST(Drawing, NormalisedClassesLeftOutAreNotDrawn) {
    // A class whose spline was skipped draws like a class without points or
    // spline; one whose cloud alone was skipped keeps its spline.
    for (int view3d : {0, 1}) {
        DotCloudState skipped = three_classes();
        skipped.view3d = view3d;
        skipped.normalized = 1;
        skipped.cs.spline_skipped[1] = true;
        DotCloudState empty = three_classes();
        empty.view3d = view3d;
        empty.cs.num[1] = 0;
        empty.cs.nps[1] = 0;
        EXPECT_EQ(postscript(skipped), postscript(empty));
        // Without the normalisation the flags are ignored.
        skipped.normalized = 0;
        EXPECT_NE(postscript(skipped), postscript(empty));
    }
    DotCloudState cloud_only = three_classes();
    cloud_only.normalized = 1;
    cloud_only.cs.cloud_skipped[2] = true;
    DotCloudState no_points = three_classes();
    no_points.cs.num[2] = 0;
    EXPECT_EQ(postscript(cloud_only), postscript(no_points));
}

}  // namespace
}  // namespace tarnik::clouds

// Every display and plot saved as PDF, SVG and PNG through options 77 and 88,
// the type chosen by the ending of the name.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "support/test_support.h"

namespace tarnik::test {
namespace {

// Width and height of a PNG file from its header; 0 x 0 when it is no PNG.
std::pair<std::uint32_t, std::uint32_t> png_size(const std::string& png) {
    if (!png.starts_with("\x89PNG\r\n\x1a\n") || png.size() < 24 || png.substr(12, 4) != "IHDR") return {0, 0};
    const auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(png[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

// One run saves every display: the series by cambial age, the dot clouds, their
// 3-D view, the normalised clouds, the single class view and the regional
// curve, each to the type its name ends in, in colour (88) or black and white
// (77). The run takes about 15 s: the tests below share it.
class SavedPlots : public ::testing::Test {
protected:
    static const KeptRun& run() {
        return kept_run("saved_plots", {"ca533.rwl"}, lines({
            "ca533.rwl", "f", "1",
            "1", "88", "age.pdf", "88", "age.svg", "88", "/no/such/dir/age.png", "age.png", "-1",
            "3", "a", "1", "50", "150", "1000", "t", "a", "50", "t", "",
            "88", "", "clouds.pdf", "88", "", "clouds.svg", "88", "", "clouds.png", "77", "", "clouds_bw.png",
            "33", "", "88", "", "view3d.png", "33", "",
            "44", "n", "1", "", "88", "", "normalised.svg",
            "99", "", "55", "1", "88", "single.pdf", "77", "single.png", "-1", "-1",
            "4", "3", "100", "88", "rcs.png", "-1", "f", "f", "-1", "5"}));
    }
    void SetUp() override { ASSERT_EQ(run().result.status, 0) << run().result.out << run().result.err; }
};

TEST_F(SavedPlots, NothingGoesToStandardError) { EXPECT_EQ(run().result.err, ""); }

TEST_F(SavedPlots, EveryPlotIsSavedWithoutFailure) {
    const std::string& out = run().result.out;
    EXPECT_EQ(count_of(out, "Enter graphics output file name: "), 13u);
    EXPECT_EQ(count_of(out, "could not be written"), 0u);
}

TEST_F(SavedPlots, ANameThatCannotBeCreatedIsAskedForAgain) {
    EXPECT_EQ(count_of(run().result.out, " Cannot write the file /no/such/dir/age.png (No such file or directory): "
                                         "please enter another name.\n"), 1u);
}

TEST_F(SavedPlots, APdfNameGivesAPdfFile) {
    for (const char* pdf : {"age.pdf", "clouds.pdf", "single.pdf"}) EXPECT_TRUE(run().read(pdf).starts_with("%PDF-")) << pdf;
}

TEST_F(SavedPlots, AnSvgNameGivesAnSvgDocument) {
    for (const char* svg : {"age.svg", "clouds.svg", "normalised.svg"}) {
        const std::string text = run().read(svg);
        EXPECT_TRUE(text.starts_with("<?xml")) << svg;
        EXPECT_NE(text.find("<svg "), std::string::npos) << svg;
        EXPECT_TRUE(text.ends_with("</svg>\n")) << svg;
    }
}

TEST_F(SavedPlots, APngNameGivesAnImageOf2400By1800Pixels) {
    for (const char* png : {"age.png", "clouds.png", "clouds_bw.png", "view3d.png", "single.png", "rcs.png"}) {
        const auto [w, h] = png_size(run().read(png));
        EXPECT_EQ(w, 2400u) << png;
        EXPECT_EQ(h, 1800u) << png;
    }
}

TEST_F(SavedPlots, EachSaveIsItsOwnPicture) {
    const KeptRun& r = run();
    EXPECT_NE(r.read("clouds.png"), r.read("clouds_bw.png"));
    EXPECT_NE(r.read("clouds.png"), r.read("view3d.png"));
    EXPECT_NE(r.read("clouds.svg"), r.read("normalised.svg"));
    EXPECT_NE(r.read("age.png"), r.read("rcs.png"));
}

TEST_F(SavedPlots, TheScreenPlotKeepsTheScreensSize) {
    EXPECT_EQ(png_size(run().read("tarnik_screen.png")), std::make_pair(720u, 540u));
}

}  // namespace
}  // namespace tarnik::test

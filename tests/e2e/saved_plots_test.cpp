// The real program's command line (--help, -h, --version, a bad argument), and
// every display and plot saved as PDF, SVG and PNG through options 77 and 88,
// the type chosen by the ending of the name.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/test_support.h"

namespace tarnik::test {
namespace {

constexpr std::string_view kBanner = "********* Program Tarnik ****";

TEST(CommandLine, HelpAndVersionAnswerWithoutStartingTheDialog) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const std::string answers = lines({"ca533.rwl", "f", "1", "1", "-1", "5"});
    for (const char* help : {"--help", "-h"}) {
        const RunResult r = run_tarnik(dir, answers, 30, {}, {help});
        EXPECT_EQ(r.status, 0) << help;
        EXPECT_EQ(r.err, "") << help;
        EXPECT_TRUE(r.out.starts_with("Usage: tarnik\n")) << r.out;
        for (const char* part : {"tree-ring widths", "standard input", "decadal format", "Heidelberg", "TRiDaS", "CSV",
                                 "compact", "tarnik_screen.png", "PDF, SVG, PNG or PostScript", "Exit status: 0",
                                 "3 end of standard input", "man tarnik"})
            EXPECT_NE(r.out.find(part), std::string::npos) << help << ": " << part;
        EXPECT_EQ(r.out.find(kBanner), std::string::npos) << help;
    }
    const RunResult v = run_tarnik(dir, answers, 30, {}, {"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, std::string("tarnik 25v3e (") + TARNIK_PROJECT_VERSION + ")\n");
    EXPECT_EQ(v.err, "");
    // No dialog ran: no report, no plot.
    EXPECT_FALSE(dir.exists("ca533_Tarnik"));
    EXPECT_FALSE(dir.exists("tarnik_screen.png"));
}

TEST(CommandLine, AnyOtherArgumentGivesTheUsageOnStandardErrorAndStatus2) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult help = run_tarnik(dir, "", 30, {}, {"--help"});
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case cases[] = {{{"--bogus"}, "--bogus"}, {{"ca533.rwl"}, "ca533.rwl"}, {{"-v"}, "-v"},
                          {{""}, ""},               {{"--help", "x"}, "x"},       {{"--version", "--help"}, "--help"}};
    for (const Case& c : cases) {
        const RunResult r = run_tarnik(dir, lines({"ca533.rwl", "f", "1", "5"}), 30, {}, c.args);
        EXPECT_EQ(r.status, 2) << c.named;
        EXPECT_EQ(r.out, "") << c.named;
        EXPECT_EQ(r.err, "tarnik: unknown argument '" + c.named + "'\n\n" + help.out) << c.named;
    }
    EXPECT_FALSE(dir.exists("ca533_Tarnik"));
}

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
// curve, each to the type its name ends in, in colour (88) or black and white (77).
TEST(SavedPlots, EveryDisplaySavesPdfSvgAndPng) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult r = run_tarnik(dir, lines({
        "ca533.rwl", "f", "1",
        "1", "88", "age.pdf", "88", "age.svg", "88", "/no/such/dir/age.png", "age.png", "-1",
        "3", "a", "1", "50", "150", "1000", "t", "a", "50", "t", "",
        "88", "", "clouds.pdf", "88", "", "clouds.svg", "88", "", "clouds.png", "77", "", "clouds_bw.png",
        "33", "", "88", "", "view3d.png", "33", "",
        "44", "n", "1", "", "88", "", "normalised.svg",
        "99", "", "55", "1", "88", "single.pdf", "77", "single.png", "-1", "-1",
        "4", "3", "100", "88", "rcs.png", "-1", "f", "f", "-1", "5"}));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(count_of(r.out, "Enter graphics output file name: "), 13u);
    EXPECT_EQ(count_of(r.out, " Cannot write the file /no/such/dir/age.png (No such file or directory): "
                              "please enter another name.\n"), 1u);
    EXPECT_EQ(count_of(r.out, "could not be written"), 0u);
    for (const char* pdf : {"age.pdf", "clouds.pdf", "single.pdf"}) EXPECT_TRUE(dir.read(pdf).starts_with("%PDF-")) << pdf;
    for (const char* svg : {"age.svg", "clouds.svg", "normalised.svg"}) {
        const std::string text = dir.read(svg);
        EXPECT_TRUE(text.starts_with("<?xml")) << svg;
        EXPECT_NE(text.find("<svg "), std::string::npos) << svg;
        EXPECT_TRUE(text.ends_with("</svg>\n")) << svg;
    }
    for (const char* png : {"age.png", "clouds.png", "clouds_bw.png", "view3d.png", "single.png", "rcs.png"}) {
        const auto [w, h] = png_size(dir.read(png));
        EXPECT_EQ(w, 2400u) << png;
        EXPECT_EQ(h, 1800u) << png;
    }
    // Each is its own picture.
    EXPECT_NE(dir.read("clouds.png"), dir.read("clouds_bw.png"));
    EXPECT_NE(dir.read("clouds.png"), dir.read("view3d.png"));
    EXPECT_NE(dir.read("clouds.svg"), dir.read("normalised.svg"));
    EXPECT_NE(dir.read("age.png"), dir.read("rcs.png"));
    // The screen plot is still the screen's.
    EXPECT_EQ(png_size(dir.read("tarnik_screen.png")), std::make_pair(720u, 540u));
}

}  // namespace
}  // namespace tarnik::test
